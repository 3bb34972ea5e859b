// Screenshots of the windows under test, saved as PNG files under build/screenshots.
#pragma once
#include <windows.h>

#include <string>

namespace wintest {

// The screen around `window`, as the user sees it, saved as build/screenshots/<name>.png.
// Nothing is redrawn for the picture: give the loop time to paint first (Pause).
bool Screenshot(HWND window, const std::string& name);

}  // namespace wintest

// A minimal PNG writer for the window tests' screenshots.
#pragma once
#include <string>
#include <vector>

namespace wintest {

// Writes `height` rows of `width` 24-bit RGB pixels, top row first, as a PNG file.
// False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

}  // namespace wintest

// Opening a file with the program the user associated with its type (the shell's
// "open" verb): a WAV file in the player, the manual in the browser.
#pragma once
#include <windows.h>

#include <string>

// Asks the shell to open `path`, with no parameters and no working folder, shown
// normally. False when the shell reports that it could not.
bool ShellOpen(HWND owner, const std::string& path);

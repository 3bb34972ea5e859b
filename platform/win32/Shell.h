// Opening a file with the program the user associated with its type (the shell's
// "open" verb): a WAV file in the player, the manual in the browser.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

// The shell call ShellOpen makes; tests hand in a recorder in its place.
using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA* info);

// Asks the shell to open `path`, with no parameters and no working folder, shown
// normally, through `execute`. False when the shell reports that it could not.
// `systemReports`: whether the shell may show its own message about a failure; the
// caller that reports a failure itself says false, so the user sees one message only.
bool ShellOpen(HWND owner, const std::string& path, bool systemReports,
               ShellExecuteExFunction execute = ShellExecuteExA);

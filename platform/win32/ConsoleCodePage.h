// Whether a new console window reads text in code page 932, as the system decides when
// it opens one: the user's console settings name a code page, or else the console takes
// the system's OEM code page.
#pragma once
#include <windows.h>

#include <string>

// True only when the system's OEM code page (the value OEMCP of `nls`, normally
// HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage) is 932 and no console setting
// under `console` (normally HKCU\Console) that may apply names another: its own CodePage
// value, and that of each subkey that may be the script's console, named after the path
// of cmd.exe ('\' written as '_') or after a title that holds `scriptName` (ASCII).
// Anything unreadable counts as not 932; `console` may be null (no settings at all).
bool ConsoleReadsCodePage932(HKEY nls, HKEY console, const std::string& scriptName);

// The same for this machine and this user.
bool ConsoleReadsCodePage932(const std::string& scriptName);

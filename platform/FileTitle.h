// The file-title service: the name of a file without its folder, as the system's
// common dialogs would show it (Windows may leave out the extension when the user
// hides the extensions of known file types).
#pragma once
#include <string>

// The title of the file `path` names; empty for an empty path or when the system
// cannot give one (a name with wildcard characters, a path ending in a separator).
std::string FileTitleOf(const std::string& path);

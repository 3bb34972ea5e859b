// The machine's folders over the Win32 search calls (FindFirstFileExW), in wide
// characters, with the short paths of WidePaths.h (and its test seam).
#pragma once
#include "platform/Folders.h"

// Stateless; lives for the process.
Folders& SystemFolders();

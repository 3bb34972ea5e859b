// The running program's own path, asked of the system in this one place.
#pragma once
#include <windows.h>

#include <string>

// The executable's full path as the system gives it, in wide characters and at any
// length; empty when the system gives none.
std::u16string ExecutablePath();

// The executable's file name without its folder and extension ("Brumlet"), in the ANSI
// form the system gives, as every message box is captioned. Worked out in a fixed buffer
// without allocating, so the report of a failed allocation can caption its box too;
// "Brumlet" when the system gives no path or one cut short at MAX_PATH.
void ApplicationNameInto(char (&name)[MAX_PATH]) noexcept;

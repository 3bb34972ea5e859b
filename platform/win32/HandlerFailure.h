// The barrier at the edge of every window procedure: an exception that a message
// handler lets escape must not unwind through the system's code, which does not expect
// it. The procedure catches it, reports it in a message box and the program carries on
// with the state the handler left (every change of the track list is all or nothing).
#pragma once
#include <windows.h>

// The two messages: an allocation failure, and anything else.
extern const char kOutOfMemoryMessage[];
extern const char kUnexpectedErrorMessage[];

// Call from a catch block only: shows the message for the exception being handled,
// owned by `window`'s top-level window (none when null). Allocates nothing and throws
// nothing, so it also works when memory has run out.
void ReportHandlerFailure(HWND window) noexcept;

#include "platform/win32/WindowSubclass.h"

#include <commctrl.h>

#include "platform/win32/HandlerFailure.h"

namespace {
// Any fixed value: the object pointer travels as the subclass's reference data.
const UINT_PTR kSubclassId = 1;
}  // namespace

WindowSubclass::~WindowSubclass() { Detach(); }

bool WindowSubclass::Attach(HWND hwnd) {
  if (hwnd_ != nullptr || hwnd == nullptr) return false;
  if (!SetWindowSubclass(hwnd, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  hwnd_ = hwnd;
  return true;
}

void WindowSubclass::Detach() {
  if (hwnd_ == nullptr) return;
  RemoveWindowSubclass(hwnd_, Proc, kSubclassId);
  hwnd_ = nullptr;
}

LRESULT WindowSubclass::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return Default(message, wParam, lParam);
}

LRESULT WindowSubclass::Default(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefSubclassProc(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK WindowSubclass::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
  WindowSubclass* self = reinterpret_cast<WindowSubclass*>(data);
  if (message == WM_NCDESTROY) {
    // The window goes: hand the message on, then forget it.
    self->Detach();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  // Nothing a handler throws may unwind through the window manager's code.
  try {
    return self->WindowProc(message, wParam, lParam);
  } catch (...) {
    ReportHandlerFailure(hwnd);
    return 0;
  }
}

#include "platform/win32/Shell.h"

#include <shellapi.h>

bool ShellOpen(HWND owner, const std::string& path) {
  // Values above 32 mean success; the rest are error codes.
  const HINSTANCE result = ShellExecuteA(owner, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

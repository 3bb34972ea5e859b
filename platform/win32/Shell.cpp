#include "platform/win32/Shell.h"

bool ShellOpen(HWND owner, const std::string& path, bool systemReports, ShellExecuteExFunction execute) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = systemReports ? 0 : SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpVerb = "open";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  return execute(&info) != FALSE;
}

// The shell's folder browser.
#include "platform/win32/Win32Prompter.h"

#include <shlobj.h>

bool Win32Prompter::BrowseForFolder(const std::string& title, std::string* folder) {
  BROWSEINFOA info = {};
  info.hwndOwner = nullptr;  // no owner, like the dialog that asks for it
  info.pidlRoot = nullptr;   // the desktop
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
  if (item == nullptr) return false;
  char path[MAX_PATH] = "";
  const BOOL ok = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  if (!ok) return false;
  *folder = path;
  return true;
}

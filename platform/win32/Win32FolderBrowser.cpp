// The shell's folder browser, in its wide-character form.
#include "platform/win32/Win32Prompter.h"

#include <shlobj.h>

#include "platform/TextConversion.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WidePaths.h"

bool Win32Prompter::BrowseForFolder(const std::string& title, SystemPath* folder) {
  const std::u16string wideTitle = textconv::FromCp932(title);
  BROWSEINFOW info = {};
  info.hwndOwner = nullptr;  // no owner, like the dialog that asks for it
  info.pidlRoot = nullptr;   // the desktop
  info.lpszTitle = WideChars(wideTitle);
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
  const ScopedCoTaskMem<PIDLIST_ABSOLUTE> item(SHBrowseForFolderW(&info));
  if (item.Get() == nullptr) return false;
  wchar_t path[MAX_PATH] = L"";
  if (!SHGetPathFromIDListW(item.Get(), path)) return false;
  // The folder itself, converted like a file: its short path where the name has no
  // exact form; the caller refuses it when it has neither.
  *folder = SystemPathFromWide(FromWide(path));
  return true;
}

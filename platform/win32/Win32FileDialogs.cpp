// The open and save dialogs of the common dialog library, in the explorer style, in
// their wide-character form: a name that code page 932 cannot hold reaches the program
// as it is, never as a best-fit look-alike.
#include "platform/win32/Win32Prompter.h"

#include <commdlg.h>

#include "platform/TextConversion.h"
#include "platform/win32/WidePaths.h"

namespace {

// "text|pattern|...||" becomes the double-NUL-terminated list the dialog takes. In wide
// characters a bar is always a bar: the trail byte 7C of ポ is gone with the conversion.
std::u16string FilterForDialog(const std::string& filter) {
  std::u16string out = textconv::FromCp932(filter);
  for (char16_t& c : out) {
    if (c == u'|') c = u'\0';
  }
  out.push_back(u'\0');
  return out;
}

}  // namespace

bool Win32Prompter::ChooseFiles(const FileDialogRequest& request, std::vector<SystemPath>* paths) {
  paths->clear();
  // The size is in characters: the wide dialog counts wchar_t.
  std::u16string buffer(request.bufferSize < 2 ? 2 : request.bufferSize, u'\0');
  const std::u16string filter = FilterForDialog(request.filter);
  const std::u16string extension = textconv::FromCp932(request.defaultExtension);

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = WideChars(filter);
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = reinterpret_cast<wchar_t*>(&buffer[0]);
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrDefExt = extension.empty() ? nullptr : WideChars(extension);
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  if (request.flags & kFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
  if (request.flags & kPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
  if (request.flags & kAllowMultiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
  if (request.flags & kHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
  if (request.flags & kOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;

  const BOOL ok = request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return false;  // cancelled, or the choice did not fit the buffer

  // One name is a full path. Several come as the folder, then each name, NUL-separated.
  const char16_t* p = buffer.c_str();
  const std::u16string first(p);
  p += first.size() + 1;
  if (!(request.flags & kAllowMultiSelect) || *p == u'\0') {
    paths->push_back(SystemPathFromWide(first));
    return true;
  }
  std::u16string folder = first;
  // The folder ends in a backslash only at a drive's root.
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  while (*p != u'\0') {
    const std::u16string name(p);
    paths->push_back(SystemPathFromWide(folder + name));
    p += name.size() + 1;
  }
  return true;
}

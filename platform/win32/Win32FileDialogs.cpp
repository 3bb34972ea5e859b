// The open and save dialogs of the common dialog library, in the explorer style.
#include "platform/win32/Win32Prompter.h"

#include <commdlg.h>

#include "platform/Text.h"

namespace {

// "text|pattern|...||" becomes the double-NUL-terminated list the dialog takes. Only
// single-byte bars separate: the trail byte 7C of a character such as ポ stays.
std::string FilterForDialog(const std::string& filter) {
  std::string out = filter;
  for (size_t i = 0; i < out.size(); i += text::CharLength(out, i)) {
    if (out[i] == '|') out[i] = '\0';
  }
  out.push_back('\0');
  return out;
}

}  // namespace

bool Win32Prompter::ChooseFiles(const FileDialogRequest& request, std::vector<std::string>* paths) {
  paths->clear();
  std::string buffer(request.bufferSize < 2 ? 2 : request.bufferSize, '\0');
  const std::string filter = FilterForDialog(request.filter);

  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = &buffer[0];
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  if (request.flags & kFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
  if (request.flags & kPathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
  if (request.flags & kAllowMultiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
  if (request.flags & kHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
  if (request.flags & kOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;

  const BOOL ok = request.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  if (!ok) return false;  // cancelled, or the choice did not fit the buffer

  // One name is a full path. Several come as the folder, then each name, NUL-separated.
  const char* p = buffer.c_str();
  std::string first(p);
  p += first.size() + 1;
  if (!(request.flags & kAllowMultiSelect) || *p == '\0') {
    paths->push_back(first);
    return true;
  }
  std::string folder = first;
  // The folder ends in a backslash only at a drive's root; a folder such as C:\ソ ends
  // in the trail byte 5C, which is no separator.
  if (text::ReverseFind(folder, '\\') != static_cast<int>(folder.size()) - 1) folder += '\\';
  while (*p != '\0') {
    std::string name(p);
    paths->push_back(folder + name);
    p += name.size() + 1;
  }
  return true;
}

#include "platform/win32/Win32Folders.h"

#include <windows.h>

#include "platform/win32/Handles.h"
#include "platform/win32/WidePaths.h"

namespace {

class Win32Folders : public Folders {
public:
  bool IsFolder(const std::u16string& path) override {
    const DWORD attributes = GetFileAttributesW(WideChars(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool List(const std::u16string& path, std::vector<FolderEntry>* entries) override {
    entries->clear();
    std::u16string pattern = path;
    if (pattern.empty() || (pattern.back() != u'\\' && pattern.back() != u'/')) pattern += u'\\';
    pattern += u'*';
    // Without a long-path manifest the search takes no more than MAX_PATH characters;
    // nothing under a folder that deep would fit the program's paths anyway.
    if (pattern.size() >= MAX_PATH) return false;
    WIN32_FIND_DATAW found;
    // The basic level leaves out the short names (the walk asks for the few it needs),
    // and the larger fetch reads a big folder in fewer calls.
    const ScopedFind find(FindFirstFileExW(WideChars(pattern), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
    if (!find.IsValid()) return GetLastError() == ERROR_FILE_NOT_FOUND;  // an empty drive root
    do {
      FolderEntry entry;
      entry.name = FromWide(found.cFileName);
      if (entry.name == u"." || entry.name == u"..") continue;
      const DWORD a = found.dwFileAttributes;
      entry.folder = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entry.hidden = (a & FILE_ATTRIBUTE_HIDDEN) != 0;
      entry.system = (a & FILE_ATTRIBUTE_SYSTEM) != 0;
      entry.reparsePoint = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (entry.reparsePoint) entry.reparseTag = found.dwReserved0;  // the tag, for a reparse point
      entries->push_back(std::move(entry));
    } while (FindNextFileW(find.Get(), &found));
    return GetLastError() == ERROR_NO_MORE_FILES;
  }

  bool ShortPath(const std::u16string& path, std::u16string* shortPath) override {
    return SystemShortPath(path, shortPath);
  }
};

}  // namespace

Folders& SystemFolders() {
  static Win32Folders folders;
  return folders;
}

// Paths from the system's wide-character calls, taken in the program's form (see
// platform/SystemPath.h) with the system's short paths, and the seam that lets tests
// make "no short path" happen: Windows volumes often keep no short names, while Wine
// makes one up for every name.
#pragma once
#include <windows.h>

#include <string>

#include "platform/SystemPath.h"

// UTF-16 text between the system's wchar_t and the program's std::u16string.
inline std::u16string FromWide(const wchar_t* s, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), length);
}
inline std::u16string FromWide(const wchar_t* s) { return FromWide(s, wcslen(s)); }
inline const wchar_t* WideChars(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// The short path of an existing file or folder (GetShortPathNameW), or what a test put
// in its place.
bool SystemShortPath(const std::u16string& path, std::u16string* shortPath);

// `wide` in the program's form, through the short-path lookup in force.
SystemPath SystemPathFromWide(const std::u16string& wide);

// A folder the system gave (with or without its closing backslash) in the program's
// form, with its closing backslash; empty when it has no form the program can use.
std::string FolderFromWide(std::u16string folder);

// The running executable's folder in the program's form, with its closing backslash;
// empty when its path has no form the program can use.
std::string ExecutableFolder();

// For tests: replaces the short-path lookup of the whole process while it lives. An
// empty lookup gives no short path for any name, as a volume without short names does.
class ScopedShortPathLookup {
public:
  explicit ScopedShortPathLookup(ShortPathLookup lookup);
  ~ScopedShortPathLookup();
  ScopedShortPathLookup(const ScopedShortPathLookup&) = delete;
  ScopedShortPathLookup& operator=(const ScopedShortPathLookup&) = delete;

private:
  ShortPathLookup previous_;
  bool previousSet_;
};

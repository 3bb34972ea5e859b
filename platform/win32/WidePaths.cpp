#include "platform/win32/WidePaths.h"

#include <vector>

#include "platform/PathNames.h"
#include "platform/Text.h"
#include "platform/win32/ProgramPath.h"

namespace {

struct Lookup {
  bool replaced = false;
  ShortPathLookup replacement;
};
Lookup& CurrentLookup() {
  static Lookup lookup;
  return lookup;
}

bool AskSystemForShortPath(const std::u16string& path, std::u16string* shortPath) {
  // The first call tells the size, terminator included; the name may change between
  // the two calls, so a second answer that does not fit is a failure, not a loop.
  const DWORD needed = GetShortPathNameW(WideChars(path), nullptr, 0);
  if (needed == 0) return false;
  std::vector<wchar_t> buffer(needed);
  const DWORD n = GetShortPathNameW(WideChars(path), buffer.data(), needed);
  if (n == 0 || n >= needed) return false;
  *shortPath = FromWide(buffer.data(), n);
  return true;
}

}  // namespace

bool SystemShortPath(const std::u16string& path, std::u16string* shortPath) {
  const Lookup& lookup = CurrentLookup();
  if (!lookup.replaced) return AskSystemForShortPath(path, shortPath);
  return lookup.replacement && lookup.replacement(path, shortPath);
}

SystemPath SystemPathFromWide(const std::u16string& wide) { return ToSystemPath(wide, SystemShortPath); }

std::string FolderFromWide(std::u16string folder) {
  // The short path is asked for the folder itself ("C:\a\b"), not for the empty name
  // after its backslash; a drive's root keeps its backslash.
  if (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
  const SystemPath path = SystemPathFromWide(folder);
  if (!path.Usable()) return std::string();
  return text::EndsWithBackslash(path.path) ? path.path : path.path + "\\";
}

std::string ExecutableFolder() {
  const std::u16string module = ExecutablePath();
  const size_t nameStart = FileNameStart(module);
  // The folder alone is converted: a file name such as "Brumlet é.exe" says nothing
  // about whether the folder has a usable form.
  return nameStart == 0 ? std::string() : FolderFromWide(module.substr(0, nameStart));
}

ScopedShortPathLookup::ScopedShortPathLookup(ShortPathLookup lookup)
    : previous_(CurrentLookup().replacement), previousSet_(CurrentLookup().replaced) {
  CurrentLookup().replaced = true;
  CurrentLookup().replacement = std::move(lookup);
}

ScopedShortPathLookup::~ScopedShortPathLookup() {
  CurrentLookup().replaced = previousSet_;
  CurrentLookup().replacement = std::move(previous_);
}

#include "platform/SystemPath.h"

#include "platform/TextConversion.h"

std::string SystemPath::Shown() const { return textconv::ToCp932Marked(wide); }

SystemPath ToSystemPath(const std::u16string& wide, const ShortPathLookup& shortPath) {
  SystemPath result;
  result.wide = wide;
  if (wide.empty()) return result;
  if (textconv::ToCp932Exact(wide, &result.path)) return result;
  std::u16string shortWide;
  // The short path is checked like the long one: a volume without short names gives
  // the long path back, and a short name may itself hold such a character.
  if (shortPath && shortPath(wide, &shortWide) && !shortWide.empty() &&
      textconv::ToCp932Exact(shortWide, &result.path)) {
    result.viaShortPath = true;
    return result;
  }
  result.path.clear();
  return result;
}

SystemPath SystemPathOf(const std::string& path) {
  SystemPath result;
  result.wide = textconv::FromCp932(path);
  result.path = path;
  return result;
}

#include "platform/SystemPath.h"

#include <vector>

#include "platform/Files.h"
#include "platform/TextConversion.h"

std::string SystemPath::Shown() const { return textconv::ToCp932Marked(wide); }

namespace {

std::vector<std::u16string> Components(const std::u16string& path) {
  std::vector<std::u16string> parts;
  for (size_t start = 0;;) {
    const size_t separator = path.find_first_of(u"\\/", start);
    parts.push_back(path.substr(start, separator == std::u16string::npos ? std::u16string::npos : separator - start));
    if (separator == std::u16string::npos) return parts;
    start = separator + 1;
  }
}

// The long path with only the names that have no exact form replaced by their short
// ones: D:\Music files\CAF_~HYN.WAV rather than the system's D:\MUSICF~1\CAF_~HYN.WAV,
// so a row still shows the folders the user knows. When the two do not match name for
// name, the short path as the system gave it.
std::u16string ShortenOnlyWhereNeeded(const std::u16string& longPath, const std::u16string& shortPath) {
  const std::vector<std::u16string> longParts = Components(longPath);
  const std::vector<std::u16string> shortParts = Components(shortPath);
  if (longParts.size() != shortParts.size()) return shortPath;
  std::u16string mixed;
  for (size_t i = 0; i < longParts.size(); ++i) {
    if (i > 0) mixed += u'\\';
    std::string exact;
    mixed += textconv::ToCp932Exact(longParts[i], &exact) ? longParts[i] : shortParts[i];
  }
  return mixed;
}

}  // namespace

SystemPath ToSystemPath(const std::u16string& wide, const ShortPathLookup& shortPath) {
  SystemPath result;
  result.wide = wide;
  if (wide.empty()) return result;
  if (textconv::ToCp932Exact(wide, &result.path)) return result;
  std::u16string shortWide;
  // The short path is checked like the long one: a volume without short names gives
  // the long path back, and a short name may itself hold such a character.
  if (shortPath && shortPath(wide, &shortWide) && !shortWide.empty()) {
    // The system's whole short path where the readable one would not fit.
    std::string form;
    if ((textconv::ToCp932Exact(ShortenOnlyWhereNeeded(wide, shortWide), &form) && form.size() <= kMaxPathBytes) ||
        textconv::ToCp932Exact(shortWide, &form)) {
      result.path = form;
      result.viaShortPath = true;
      return result;
    }
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

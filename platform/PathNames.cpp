#include "platform/PathNames.h"

#include <cstring>

#include "platform/Text.h"

namespace {

const char kWavEnding[] = ".wav";  // lower case: compared with the path's letters folded
const size_t kWavEndingSize = sizeof kWavEnding - 1;

// True when the last kWavEndingSize units of `path`, from `start` on, fold to kWavEnding.
template <typename String>
bool FoldsToWavEnding(const String& path, size_t start) {
  for (size_t i = 0; i < kWavEndingSize; ++i) {
    if (text::FoldAscii(path[start + i]) != static_cast<typename String::value_type>(kWavEnding[i])) return false;
  }
  return true;
}

// kPathSeparators as UTF-16 units.
struct WideSeparators {
  char16_t units[sizeof kPathSeparators] = {};
  constexpr WideSeparators() {
    for (size_t i = 0; i < sizeof kPathSeparators; ++i) units[i] = static_cast<char16_t>(kPathSeparators[i]);
  }
};
constexpr WideSeparators kWidePathSeparators;

// One walk over the characters of `path`: where its file name starts and where that
// name's extension starts (the path's size when it has none).
struct NameParts {
  size_t name = 0;
  size_t extension = 0;
};
NameParts SplitName(std::string_view path, const char* separators) {
  NameParts parts;
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size();) {
    const char c = path[i];
    const int length = text::CharLength(path, i);
    if (length == 1 && c == '.') {
      dot = i;
    } else if (length == 1 && c != '\0' && std::strchr(separators, c) != nullptr) {
      parts.name = i + 1;
      dot = std::string_view::npos;
    }
    i += static_cast<size_t>(length);
  }
  parts.extension = dot == std::string_view::npos ? path.size() : dot;
  return parts;
}

}  // namespace

int FileNameStart(std::string_view path, const char* separators) {
  return static_cast<int>(SplitName(path, separators).name);
}

size_t FileNameStart(const std::u16string& path) {
  const size_t last = path.find_last_of(kWidePathSeparators.units);
  return last == std::u16string::npos ? 0 : last + 1;
}

int ExtensionStart(std::string_view path, const char* separators) {
  return static_cast<int>(SplitName(path, separators).extension);
}

size_t ExtensionStart(const std::u16string& path) {
  const size_t dot = path.rfind(u'.');
  return dot != std::u16string::npos && dot >= FileNameStart(path) ? dot : path.size();
}

std::string FileNameOfPath(const std::string& path) { return path.substr(static_cast<size_t>(FileNameStart(path))); }

std::string FileTitleOfPath(const std::string& path, const char* separators) {
  const NameParts parts = SplitName(path, separators);
  return path.substr(parts.name, parts.extension - parts.name);
}

std::u16string FileTitleOfPath(const std::u16string& path) {
  const size_t start = FileNameStart(path);
  return path.substr(start, ExtensionStart(path) - start);
}

std::string WithoutExtension(const std::string& path) { return path.substr(0, SplitName(path, kPathSeparators).extension); }

bool EndsWithWav(const std::string& path) {
  if (path.size() < kWavEndingSize) return false;
  const size_t dot = path.size() - kWavEndingSize;
  size_t i = 0;
  while (i < dot) i += static_cast<size_t>(text::CharLength(path, i));
  return i == dot && FoldsToWavEnding(path, dot);
}

bool EndsWithWav(const std::u16string& path) {
  return path.size() >= kWavEndingSize && FoldsToWavEnding(path, path.size() - kWavEndingSize);
}

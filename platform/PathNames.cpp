#include "platform/PathNames.h"

#include <cstdint>
#include <cstring>

#include "platform/Text.h"

namespace {

// Endings in lower case: compared with the path's letters folded.
const char kWavEnding[] = ".wav";
const char kCsvEnding[] = ".csv";
const size_t kWavEndingSize = sizeof kWavEnding - 1;

// True when the units of `path` from `start` on fold to `ending`.
template <typename String>
bool FoldsToEnding(const String& path, size_t start, const char* ending) {
  for (size_t i = 0; ending[i] != '\0'; ++i) {
    if (text::FoldAscii(path[start + i]) != static_cast<typename String::value_type>(ending[i])) return false;
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

// Whether `c` is one of the characters of `set` (never its terminating NUL).
bool IsOneOf(char c, const char* set) {
  for (; *set != '\0'; ++set) {
    if (*set == c) return true;
  }
  return false;
}

// True when every byte is below 0x80: no double-byte character, so each byte is a character.
bool IsSingleByte(std::string_view path) {
  size_t i = 0;
  for (; i + 8 <= path.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, path.data() + i, 8);
    if (word & 0x8080808080808080u) return false;
  }
  for (; i < path.size(); ++i) {
    if (static_cast<unsigned char>(path[i]) >= 0x80) return false;
  }
  return true;
}

NameParts SplitName(std::string_view path, const char* separators) {
  NameParts parts;
  if (IsSingleByte(path)) {
    // Every byte is a character: the name and its extension are found from the end, which
    // reads only the file name of a long path.
    size_t i = path.size();
    while (i > 0 && !IsOneOf(path[i - 1], separators)) --i;
    parts.name = i;
    size_t dot = path.size();
    while (dot > parts.name && path[dot - 1] != '.') --dot;
    parts.extension = dot > parts.name ? dot - 1 : path.size();
    return parts;
  }
  // A trail byte may equal a separator or '.', so only a walk from the start knows
  // which bytes start characters.
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size();) {
    const char c = path[i];
    const int length = text::CharLength(path, i);
    if (length == 1 && c == '.') {
      dot = i;
    } else if (length == 1 && IsOneOf(c, separators)) {
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
  return std::string(FileTitlePart(path, separators));
}

std::string_view FileTitlePart(std::string_view path, const char* separators) {
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
  return i == dot && FoldsToEnding(path, dot, kWavEnding);
}

bool EndsWithWav(const std::u16string& path) {
  return path.size() >= kWavEndingSize && FoldsToEnding(path, path.size() - kWavEndingSize, kWavEnding);
}

bool EndsWithCsv(const std::u16string& path) {
  const size_t size = sizeof kCsvEnding - 1;
  return path.size() >= size && FoldsToEnding(path, path.size() - size, kCsvEnding);
}

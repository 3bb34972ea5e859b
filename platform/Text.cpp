#include "platform/Text.h"

#include <algorithm>
#include <cstring>

namespace text {

int ReverseFindAny(std::string_view s, const char* set) {
  // Walks forward so that every trail byte is seen as part of its character.
  int found = -1;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (CharLength(s, i) == 1 && s[i] != '\0' && std::strchr(set, s[i]) != nullptr) found = static_cast<int>(i);
  }
  return found;
}

std::string Left(const std::string& s, int count) {
  if (count <= 0) return std::string();
  return s.substr(0, std::min(static_cast<size_t>(count), s.size()));
}

std::string Mid(const std::string& s, int first, int count) {
  if (first < 0) first = 0;
  if (count <= 0 || static_cast<size_t>(first) >= s.size()) return std::string();
  return s.substr(static_cast<size_t>(first), static_cast<size_t>(count));
}

std::string Mid(const std::string& s, int first) {
  if (first < 0) first = 0;
  if (static_cast<size_t>(first) >= s.size()) return std::string();
  return s.substr(static_cast<size_t>(first));
}

std::string Right(const std::string& s, int count) {
  if (count <= 0) return std::string();
  const size_t n = std::min(static_cast<size_t>(count), s.size());
  return s.substr(s.size() - n);
}

std::string ToLowerAscii(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    out[i] = FoldAscii(out[i]);
  }
  return out;
}

std::u16string ToLowerAscii(std::u16string s) {
  for (char16_t& c : s) c = FoldAscii(c);
  return s;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    const int len = CharLength(a, i);
    if (len == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    i += len;
  }
  return true;
}

bool EndsWithBackslash(const std::string& s) {
  if (s.empty() || s.back() != '\\') return false;
  // Walk forward to the last character's start: only a walk from the front knows
  // whether the final 5C is a character of its own or a trail byte.
  size_t last = 0;
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) last = i;
  return last == s.size() - 1;
}

}  // namespace text

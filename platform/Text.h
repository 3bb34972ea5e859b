// Byte-string helpers for text in the ANSI code page 932 (Shift_JIS).
// Every string of the program is a std::string of CP932 bytes. Positions and counts
// are in bytes. Searches step over double-byte characters, so the trail byte of a
// character such as ソ (83 5C) or ポ (83 7C) is never taken for '\' or '|'.
#pragma once
#include <string>
#include <string_view>

namespace text {

// 0x81-0x9F and 0xE0-0xFC start a double-byte character.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// 0x40-0x7E and 0x80-0xFC may follow a lead byte.
inline bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Byte length of the character starting at `pos`: 2 for a lead byte followed by any
// byte, 1 otherwise (a lead byte at the very end counts as one byte).
inline int CharLength(std::string_view s, size_t pos) {
  return (IsLeadByte(static_cast<unsigned char>(s[pos])) && pos + 1 < s.size()) ? 2 : 1;
}

// Position of the last character equal to one of the single-byte characters in `set`,
// stepping over double-byte characters; -1 when there is none.
int ReverseFindAny(std::string_view s, const char* set);
inline int ReverseFind(std::string_view s, char c) {
  const char set[2] = {c, '\0'};
  return ReverseFindAny(s, set);
}

// Substrings with byte counts. A negative count gives the empty string, a start or a
// count past the end stops at the end, a negative start counts as 0.
std::string Left(const std::string& s, int count);
std::string Mid(const std::string& s, int first, int count);
std::string Mid(const std::string& s, int first);
std::string Right(const std::string& s, int count);

// The one case fold of the program: A-Z to a-z, every other value as it is. For a
// byte, the caller applies it to single-byte characters only, never to a trail byte
// (which may be 0x41-0x5A); a UTF-16 unit may be folded as it is.
template <typename Char>
constexpr Char FoldAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Lower-cases the single-byte letters A-Z only; every other byte, including the
// bytes of double-byte characters, stays. Paths that differ only in the case of
// single-byte letters give the same result.
std::string ToLowerAscii(std::string_view s);
// The same for UTF-16 text: A-Z folded, every other unit as it is.
std::u16string ToLowerAscii(std::u16string s);

// Equality with single-byte letters folded to one case; double-byte characters are
// compared byte for byte (their trail bytes are never folded).
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// True when the last character of `s` is a single-byte backslash. A path ending in a
// double-byte character whose trail byte is 5C (D:\機能, C:\ソ) does not end in one.
bool EndsWithBackslash(const std::string& s);

}  // namespace text

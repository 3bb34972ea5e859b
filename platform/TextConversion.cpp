// The conversions that are the same on every system: the marked one, built on the exact
// one, and the Unicode rules.
#include "platform/TextConversion.h"

namespace textconv {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

char32_t CodePointAt(const std::u16string& wide, size_t i, size_t* units) {
  const char32_t c = wide[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
    *units = 2;
    return 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
  }
  *units = 1;
  return c;
}

void AppendCodePoint(char32_t c, std::u16string* out) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out->push_back(static_cast<char16_t>(c));
  }
}

bool DecodeUtf8(const std::string& s, std::u16string* out) {
  bool valid = true;
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    int length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (b < 0x80) {
      out->push_back(b);
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, c = b & 0x07, least = 0x10000;
    }
    bool ok = length > 0 && i + length <= s.size();
    for (int k = 1; ok && k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (t & 0x3F);
    }
    if (ok && (c < least || c > 0x10FFFF || IsSurrogate(c))) ok = false;
    if (!ok) {
      valid = false;
      out->push_back(u'\uFFFD');
      ++i;
      continue;
    }
    AppendCodePoint(c, out);
    i += length;
  }
  return valid;
}

std::u16string DecodeUtf16(const std::string& s, bool bigEndian) {
  std::u16string out;
  out.reserve(s.size() / 2);
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    const unsigned a = static_cast<unsigned char>(s[i]);
    const unsigned b = static_cast<unsigned char>(s[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  return out;
}

std::u16string DecodeLatin1(const std::string& s) {
  std::u16string out;
  out.reserve(s.size());
  for (char c : s) out.push_back(static_cast<unsigned char>(c));
  return out;
}

std::string ToCp932Marked(const std::u16string& wide) {
  std::string out;
  if (ToCp932Exact(wide, &out)) return out;
  // Character by character, so that a surrogate pair gives one "?" and what converts
  // exactly is kept exactly.
  out.clear();
  for (size_t i = 0; i < wide.size();) {
    size_t units = 1;
    CodePointAt(wide, i, &units);
    std::string one;
    out += ToCp932Exact(wide.substr(i, units), &one) ? one : "?";
    i += units;
  }
  return out;
}

}  // namespace textconv

// Code page 932 conversions for the native build, over iconv. The native build serves
// the logic's tests; Windows has the system's own tables (and its best-fit mapping,
// which iconv has no match for: display mode here gives "?" for every character that
// code page 932 cannot hold exactly).
#include "platform/TextConversion.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace {

// One iconv descriptor for the duration of one conversion.
class Converter {
public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts all of `in`; false at the first sequence that has no form in the target
  // (or is invalid), with `*used` the input bytes consumed before it.
  bool Convert(const char* in, size_t size, std::string* out, size_t* used) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    size_t left = size;
    char buffer[256];
    while (left > 0) {
      char* dst = buffer;
      size_t room = sizeof buffer;
      const size_t r = iconv(cd_, &src, &left, &dst, &room);
      out->append(buffer, static_cast<size_t>(dst - buffer));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        *used = size - left;
        return false;
      }
    }
    *used = size;
    return true;
  }

private:
  iconv_t cd_;
};

// Code units as little-endian bytes, whatever the host's order.
std::string Utf16Le(const std::u16string& s) {
  std::string bytes;
  bytes.reserve(s.size() * 2);
  for (char16_t c : s) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace

namespace textconv {

bool ToCp932Exact(const std::u16string& wide, std::string* out) {
  Converter converter("CP932", "UTF-16LE");
  const std::string le = Utf16Le(wide);
  std::string result;
  size_t used = 0;
  if (!converter.Convert(le.data(), le.size(), &result, &used)) return false;
  *out = result;
  return true;
}

std::string ToCp932Display(const std::u16string& wide) {
  Converter converter("CP932", "UTF-16LE");
  const std::string le = Utf16Le(wide);
  std::string result;
  size_t pos = 0;
  while (pos < le.size()) {
    size_t used = 0;
    if (converter.Convert(le.data() + pos, le.size() - pos, &result, &used)) break;
    pos += used;
    result.push_back('?');
    // Step over the character that has no form: a surrogate pair is one character.
    size_t units = 1;
    textconv::CodePointAt(wide, pos / 2, &units);
    pos += 2 * units;
  }
  return result;
}

std::u16string FromCp932(const std::string& bytes) {
  Converter converter("UTF-16LE", "CP932");
  std::string le;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t used = 0;
    if (converter.Convert(bytes.data() + pos, bytes.size() - pos, &le, &used)) break;
    pos += used + 1;  // an invalid byte becomes the replacement character
    le.push_back(static_cast<char>(0xFD));
    le.push_back(static_cast<char>(0xFF));
  }
  std::u16string wide;
  for (size_t i = 0; i + 1 < le.size(); i += 2) {
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(le[i]) | (static_cast<unsigned char>(le[i + 1]) << 8)));
  }
  return wide;
}

}  // namespace textconv

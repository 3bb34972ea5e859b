// The conversion that is the same on every system: built on the exact one.
#include "platform/TextConversion.h"

namespace textconv {

std::string ToCp932Marked(const std::u16string& wide) {
  std::string out;
  if (ToCp932Exact(wide, &out)) return out;
  // Character by character, so that a surrogate pair gives one "?" and what converts
  // exactly is kept exactly.
  out.clear();
  for (size_t i = 0; i < wide.size();) {
    const bool pair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                      wide[i + 1] <= 0xDFFF;
    const size_t length = pair ? 2 : 1;
    std::string one;
    out += ToCp932Exact(wide.substr(i, length), &one) ? one : "?";
    i += length;
  }
  return out;
}

}  // namespace textconv

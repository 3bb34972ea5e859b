// Code page 932 conversions through the system's own tables.
#include "platform/TextConversion.h"

#include <windows.h>

namespace {

const UINT kCodePage = 932;

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

namespace textconv {

bool ToCp932Exact(const std::u16string& wide, std::string* out) {
  if (wide.empty()) {
    out->clear();
    return true;
  }
  // Without WC_NO_BEST_FIT_CHARS the system maps é to e and reports no loss, so both the
  // flag and the used-default check are needed to see every character that has no form.
  BOOL usedDefault = FALSE;
  const int size = static_cast<int>(wide.size());
  const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, Wide(wide), size, nullptr, 0, nullptr,
                                    &usedDefault);
  if (n <= 0 || usedDefault) return false;
  std::string result(static_cast<size_t>(n), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, Wide(wide), size, &result[0], n, nullptr,
                          &usedDefault) != n ||
      usedDefault) {
    return false;
  }
  *out = result;
  return true;
}

namespace {

// One run of text without surrogate pairs, best fit.
std::string DisplayRun(const char16_t* text, int size) {
  if (size <= 0) return std::string();
  const wchar_t* w = reinterpret_cast<const wchar_t*>(text);
  const int n = WideCharToMultiByte(kCodePage, 0, w, size, nullptr, 0, "?", nullptr);
  if (n <= 0) return std::string();
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kCodePage, 0, w, size, &result[0], n, "?", nullptr);
  return result;
}

}  // namespace

std::string ToCp932Display(const std::u16string& wide) {
  // Code page 932 holds nothing outside the basic plane: each surrogate pair is one
  // character and becomes one "?" (the system would give one per code unit).
  std::string result;
  size_t start = 0;
  for (size_t i = 0; i < wide.size();) {
    size_t units = 1;
    CodePointAt(wide, i, &units);
    if (units == 2) {
      result += DisplayRun(wide.data() + start, static_cast<int>(i - start));
      result += '?';
      start = i + 2;
    }
    i += units;
  }
  result += DisplayRun(wide.data() + start, static_cast<int>(wide.size() - start));
  return result;
}

std::u16string FromCp932(const std::string& bytes) {
  if (bytes.empty()) return std::u16string();
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(kCodePage, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return std::u16string();
  std::u16string result(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(kCodePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(&result[0]), n);
  return result;
}

}  // namespace textconv

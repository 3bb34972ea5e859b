#include "platform/win32/ProgramPath.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/PathNames.h"

std::u16string ExecutablePath() {
  // A path may pass MAX_PATH; the call cuts it short then, so the buffer grows until the
  // whole path fits.
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::u16string();
    if (n < buffer.size()) return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), n);
    if (buffer.size() >= 32768) return std::u16string();
    buffer.resize(buffer.size() * 2);
  }
}

void ApplicationNameInto(char (&name)[MAX_PATH]) noexcept {
  char path[MAX_PATH] = "";
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    std::strcpy(name, "Brumlet");
    return;
  }
  const std::string_view full(path, n);
  const int start = FileNameStart(full);
  const int end = ExtensionStart(full);
  std::memcpy(name, path + start, static_cast<size_t>(end - start));
  name[end - start] = '\0';
}

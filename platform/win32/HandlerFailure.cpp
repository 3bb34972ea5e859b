#include "platform/win32/HandlerFailure.h"

#include <cstring>
#include <new>

const char kOutOfMemoryMessage[] = "メモリが不足しているため、操作を完了できませんでした。";
const char kUnexpectedErrorMessage[] = "予期しないエラーが発生したため、操作を完了できませんでした。";

namespace {

// The executable's name without its folder and extension, as the other message boxes
// are captioned, worked out in a fixed buffer.
void CaptionInto(char (&caption)[MAX_PATH]) {
  char path[MAX_PATH] = "";
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    std::strcpy(caption, "Brumlet");
    return;
  }
  // The name starts after the last separator; a trail byte of a double-byte
  // character that equals '\' is not one.
  const char* name = path;
  const char* dot = nullptr;
  for (const char* p = path; *p != '\0'; p = CharNextExA(CP_ACP, p, 0)) {
    if (*p == '\\' || *p == '/' || *p == ':') {
      name = p + 1;
      dot = nullptr;
    } else if (*p == '.') {
      dot = p;
    }
  }
  const size_t length = dot != nullptr ? static_cast<size_t>(dot - name) : std::strlen(name);
  std::memcpy(caption, name, length);
  caption[length] = '\0';
}

}  // namespace

void ReportHandlerFailure(HWND window) noexcept {
  const char* text = kUnexpectedErrorMessage;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    text = kOutOfMemoryMessage;
  } catch (...) {
  }
  HWND owner = window != nullptr && IsWindow(window) ? GetAncestor(window, GA_ROOT) : nullptr;
  char caption[MAX_PATH];
  CaptionInto(caption);
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

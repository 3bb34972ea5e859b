#include "platform/win32/HandlerFailure.h"

#include <new>

#include "platform/win32/ProgramPath.h"

const char kOutOfMemoryMessage[] = "メモリが不足しているため、操作を完了できませんでした。";
const char kUnexpectedErrorMessage[] = "予期しないエラーが発生したため、操作を完了できませんでした。";

void ReportHandlerFailure(HWND window) noexcept {
  const char* text = kUnexpectedErrorMessage;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    text = kOutOfMemoryMessage;
  } catch (...) {
  }
  HWND owner = window != nullptr && IsWindow(window) ? GetAncestor(window, GA_ROOT) : nullptr;
  char caption[MAX_PATH];  // no allocation: the failure may be that memory ran out
  ApplicationNameInto(caption);
  MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

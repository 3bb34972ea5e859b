#include "platform/win32/Win32Prompter.h"

#include "platform/Files.h"
#include "platform/Text.h"

std::string ApplicationName() {
  char path[MAX_PATH] = "";
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = FileNameOfPath(std::string(path, n < MAX_PATH ? n : 0));
  const int dot = text::ReverseFind(name, '.');
  return dot < 0 ? name : text::Left(name, dot);
}

void Win32Prompter::ShowMessage(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

bool Win32Prompter::AskYesNo(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) ==
         IDYES;
}

#include "platform/win32/Win32Prompter.h"

#include "platform/win32/ProgramPath.h"

std::string ApplicationName() {
  char name[MAX_PATH];
  ApplicationNameInto(name);
  return name;
}

void Win32Prompter::ShowMessage(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

bool Win32Prompter::AskYesNo(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) ==
         IDYES;
}

bool Win32Prompter::AskYesNoDefaultNo(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
         IDYES;
}

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

Prompter::Answer Win32Prompter::AskYesNoCancel(const std::string& text) {
  switch (MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2)) {
    case IDYES:
      return Answer::kYes;
    case IDNO:
      return Answer::kNo;
    default:  // Cancel, Esc, the close box, or no box at all
      return Answer::kCancel;
  }
}

bool Win32Prompter::AskYesNoDefaultNo(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), ApplicationName().c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) ==
         IDYES;
}

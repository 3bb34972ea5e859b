#include "platform/win32/Win32Prompter.h"

#include "platform/win32/ProgramPath.h"

std::string ApplicationName() {
  char name[MAX_PATH];
  ApplicationNameInto(name);
  return name;
}

void ShowWideMessage(const wchar_t* text) {
  // The caption as the other boxes have it, from the wide path: the executable's name
  // without its folder and extension.
  const std::u16string path = ExecutablePath();
  const size_t start = path.find_last_of(u"\\/:") + 1;  // 0 when there is no separator
  const size_t dot = path.rfind(u'.');
  std::u16string name = path.substr(start, dot != std::u16string::npos && dot > start ? dot - start : std::u16string::npos);
  if (name.empty()) name = u"Brumlet";
  MessageBoxW(nullptr, text, reinterpret_cast<const wchar_t*>(name.c_str()), MB_OK | MB_ICONEXCLAMATION);
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

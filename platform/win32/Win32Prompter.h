// The Prompter over Win32: message boxes captioned with the application's name, the
// common file dialogs and the shell's folder browser.
#pragma once
#include <windows.h>

#include "platform/Prompter.h"

// The application's name: the executable's file name without its extension ("Brumlet").
std::string ApplicationName();

// A message box like ShowMessage's, for a text in UTF-16 shown through the wide call: it
// reads right whatever the process's code page (the message that the code page is wrong).
void ShowWideMessage(const wchar_t* text);

class Win32Prompter : public Prompter {
public:
  // Boxes and dialogs are owned by `owner` (may be null).
  explicit Win32Prompter(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }

  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  Answer AskYesNoCancel(const std::string& text) override;
  bool AskYesNoDefaultNo(const std::string& text) override;
  bool ChooseFiles(const FileDialogRequest& request, std::vector<SystemPath>* paths) override;
  bool BrowseForFolder(const std::string& title, SystemPath* folder) override;

private:
  HWND owner_;
};

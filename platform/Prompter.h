// Everything the logic asks of the user: messages, yes/no questions, the file
// dialogs and the folder browser. The program hands the logic the Win32 implementation;
// tests hand it a recording fake that answers as scripted.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/SystemPath.h"

// Options of the open and save file dialogs. The dialogs are always resizable.
enum FileDialogFlag : unsigned {
  kFileMustExist = 1u << 0,
  kPathMustExist = 1u << 1,
  kAllowMultiSelect = 1u << 2,
  kHideReadOnly = 1u << 3,
  kOverwritePrompt = 1u << 4,
};

struct FileDialogRequest {
  bool save = false;             // save dialog; otherwise open dialog
  std::string defaultExtension;  // added when the user types a name without one ("csv")
  std::string filter;            // "text|pattern|text|pattern||"
  unsigned flags = 0;            // FileDialogFlag bits
  size_t bufferSize = 260;       // characters the chosen names may take; a choice that does not fit fails
};

class Prompter {
public:
  virtual ~Prompter() = default;
  // A modal message with an OK button and the exclamation icon.
  virtual void ShowMessage(const std::string& text) = 0;
  // A modal question with Yes and No (Yes the default) and the question icon; true for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
  // The same with No the default, for a question where a hasty Yes loses the user's work.
  virtual bool AskYesNoDefaultNo(const std::string& text) = 0;
  // A modal question with Yes, No and Cancel (No the default) and the question icon.
  enum class Answer { kYes, kNo, kCancel };
  virtual Answer AskYesNoCancel(const std::string& text) = 0;
  // The open or save dialog. True with the chosen full paths, in the dialog's order,
  // each as the system gave it and in the program's form (which a name may lack);
  // false when the user cancelled or the dialog failed.
  virtual bool ChooseFiles(const FileDialogRequest& request, std::vector<SystemPath>* paths) = 0;
  // The folder browser, titled `title`, file-system folders only, starting at the
  // desktop, with no owner window. False when cancelled or not a file-system folder.
  virtual bool BrowseForFolder(const std::string& title, SystemPath* folder) = 0;
};

// Finding the windows a test opened, and answering the system's dialogs: message boxes
// from a timer on the test's own thread, open and save dialogs (which run a modal loop
// of their own) from a helper thread.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win32/support/Input.h"

namespace wintest {

std::string WindowText(HWND hwnd);

// The caption of a dialog template (DIALOGEX) among the program's resources, in code
// page 932: tests find the program's dialogs by the text the resources give them.
std::string DialogCaption(int id);

// The visible top-level window of this thread with the given caption, or null.
HWND FindThreadWindow(const std::string& caption);

// For EnumChildWindows: appends the text of each static control to the std::string
// at `context`; over a message box, its text (the icon's empty control included).
BOOL CALLBACK CollectStaticText(HWND child, LPARAM context);

// While it lives, answers every message box of this thread with OK and
// records the boxes' texts, on a timer that keeps running in the boxes' own loops.
// A message box is a visible dialog window (class #32770) with the given caption.
class MessageBoxAnswerer {
public:
  explicit MessageBoxAnswerer(std::string caption);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  std::vector<std::string> texts;  // in the order the boxes came up
  std::vector<HWND> owners;        // each box's owner window

private:
  static MessageBoxAnswerer*& Current();
  static BOOL CALLBACK Answer(HWND window, LPARAM);
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

  std::string caption_;
  UINT_PTR timer_ = 0;
};

// Polls `done` every 50 ms until it holds (on a helper thread); false after `limitMs`.
bool WaitFor(const std::function<bool()>& done, DWORD limitMs = kStepLimitMs);

// The visible dialog windows (class "#32770") of `thread`, in z-order.
std::vector<HWND> DialogsOf(DWORD thread);

// The file-name box of a file dialog: edt1, or cmb13 in the explorer style.
HWND FileNameBox(HWND dialog);

// Waits until a file dialog has filled its controls: its list of file types holds them.
bool WaitUntilFilled(HWND dialog);

// Whether an open or save dialog shows `folder` (with or without its closing backslash).
bool ShowsFolder(HWND dialog, std::wstring folder);

// Puts each of `names` into the file-name box of a filled file dialog and presses OK.
// A name before the last is a folder: the dialog moves there before the next name.
// False when it never showed that folder.
bool EnterFileNames(HWND dialog, const std::vector<std::wstring>& names);

}  // namespace wintest

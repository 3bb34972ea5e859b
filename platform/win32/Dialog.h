// The small dialog framework the windows are built on.
//
// A Dialog is created from a template in the program's resources. Its static dialog
// procedure stores `this` and hands each message to a virtual handler. DoModal runs a
// message loop of its own that offers every message to PreTranslateMessage before the
// dialog manager sees it, so the main window's accelerators work, while a nested modal
// dialog or message box, which runs its own loop, takes its own keys.
//
// Data moves between member variables and controls in one DoDataExchange routine, in
// both directions (see DataExchange). Control notifications (WM_COMMAND from a control,
// WM_NOTIFY) that arrive while an exchange is running are not passed to the handlers:
// they come from the dialog filling its own controls, not from the user.
#pragma once
#include <windows.h>

#include <string>

class Dialog;
class Prompter;
class WindowSubclass;

// One pass of data exchange. When `saving`, controls are read into the variables;
// otherwise the variables are shown in the controls. After a failed check the
// remaining calls of the pass do nothing, so later variables keep their values.
class DataExchange {
public:
  DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  bool Saving() const { return saving_; }
  bool Failed() const { return failed_; }

  // Binds a control to the object that subclasses it, on the first pass.
  void Control(int id, WindowSubclass& control);
  // Text of an edit box or static. Showing leaves the control untouched when its text
  // already equals the value, so the caret of the box being typed in does not move.
  void Text(int id, std::string& value);
  // Byte-length check after Text. Reading a longer value shows `message` (through the
  // dialog's prompter when it has one, else in a message box it owns), puts the focus on the box with its text selected and fails the pass; showing limits the box
  // to `maxBytes` characters of typed input.
  void MaxBytes(int id, const std::string& value, size_t maxBytes, const char* message);
  // The index of the checked button in the radio group starting at `firstId` (-1 when
  // none is checked); showing checks the button at that index.
  void Radio(int firstId, int& value);

private:
  void Fail(int id);

  Dialog& dialog_;
  bool saving_;
  bool failed_ = false;
};

class Dialog {
public:
  Dialog(UINT templateId, HWND parent);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Creates the dialog, runs it until EndDialog and destroys it; returns the result
  // given to EndDialog, or -1 when the dialog could not be created.
  INT_PTR DoModal();
  // Ends the modal loop with `result`; the dialog is destroyed when the loop returns.
  void EndDialog(INT_PTR result);

  HWND Hwnd() const { return hwnd_; }
  // Where the dialog's own messages (a failed length check) go; null: a message box
  // owned by the dialog. Tests hand in a recording prompter.
  void SetPrompter(Prompter* prompter) { prompter_ = prompter; }
  Prompter* GetPrompter() const { return prompter_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // Runs one exchange pass; false when a check failed.
  bool UpdateData(bool saving);
  // True while an exchange pass runs.
  bool InExchange() const { return exchangeDepth_ > 0; }

protected:
  // Handlers. Each returns whether it handled the message where that matters.
  virtual BOOL OnInitDialog();  // default: shows the variables; TRUE lets the system set the focus
  virtual void OnOK();          // default: reads the variables and ends with IDOK when that succeeds
  virtual void OnCancel();      // default: ends with IDCANCEL
  virtual bool OnCommand(int id, int code, HWND control);
  virtual bool OnNotify(int id, NMHDR* header, LRESULT* result);
  virtual void OnTimer(UINT_PTR id);
  virtual void OnSize(UINT type, int cx, int cy);
  virtual bool OnPaint();  // true when it painted; otherwise the default painting runs
  virtual void OnDestroy();
  // Any message, before the handlers above; return true and set *result when handled.
  // *result is the message's result (the dialog procedure stores it where the system
  // looks for it, so e.g. WM_QUERYDRAGICON returns the icon).
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result);
  // Offered every message of the modal loop first; true when it was consumed.
  virtual bool PreTranslateMessage(MSG* msg);
  virtual void DoDataExchange(DataExchange& dx);

private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Offers a message to OnMessage and then to the handler that takes it.
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // What the dialog procedure returns for a message OnMessage took with `result`.
  INT_PTR ReturnHandled(UINT message, INT_PTR result);
  INT_PTR HandleInitDialog();
  // Keeps the focused control while the dialog is inactive and gives it back after.
  INT_PTR HandleActivate(UINT state);
  // Control notifications, menu commands and accelerators; OK and Cancel by default.
  INT_PTR HandleCommand(int id, int code, HWND control);
  INT_PTR HandleNotify(NMHDR* header);
  void CenterOnOwner();

  UINT templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
  bool ended_ = false;
  INT_PTR result_ = IDCANCEL;
  int exchangeDepth_ = 0;
  HWND focus_ = nullptr;  // the control that had the focus when the dialog was last active
  Prompter* prompter_ = nullptr;
};

// Text of a window as a CP932 string.
std::string GetWindowString(HWND hwnd);

#include "platform/win32/Dialog.h"

#include <vector>

#include "platform/Prompter.h"
#include "platform/ScopedChange.h"
#include "platform/win32/HandlerFailure.h"
#include "platform/win32/Win32Prompter.h"
#include "platform/win32/WindowSubclass.h"

std::string GetWindowString(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  const int got = GetWindowTextA(hwnd, buffer.data(), length + 1);
  return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

// --- DataExchange ---

void DataExchange::Control(int id, WindowSubclass& control) {
  if (failed_ || control.Hwnd() != nullptr) return;
  control.Attach(dialog_.Item(id));
}

void DataExchange::Text(int id, std::string& value) {
  if (failed_) return;
  HWND control = dialog_.Item(id);
  if (saving_) {
    value = GetWindowString(control);
  } else if (GetWindowString(control) != value) {
    SetWindowTextA(control, value.c_str());
  }
}

void DataExchange::MaxBytes(int id, const std::string& value, size_t maxBytes, const char* message) {
  if (failed_) return;
  if (!saving_) {
    SendDlgItemMessageA(dialog_.Hwnd(), id, EM_LIMITTEXT, maxBytes, 0);
    return;
  }
  if (value.size() > maxBytes) {
    if (Prompter* prompter = dialog_.GetPrompter()) {
      prompter->ShowMessage(message);
    } else {
      Win32Prompter(dialog_.Hwnd()).ShowMessage(message);
    }
    Fail(id);
  }
}

void DataExchange::Radio(int firstId, int& value) {
  if (failed_) return;
  // The group runs from the first button up to the next control that starts a group.
  HWND button = dialog_.Item(firstId);
  if (saving_) value = -1;
  int index = 0;
  while (button != nullptr) {
    if (saving_) {
      if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
    } else {
      SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    button = GetWindow(button, GW_HWNDNEXT);
    if (button == nullptr || (GetWindowLongA(button, GWL_STYLE) & WS_GROUP)) break;
    ++index;
  }
}

void DataExchange::Fail(int id) {
  failed_ = true;
  HWND control = dialog_.Item(id);
  SetFocus(control);
  SendMessageA(control, EM_SETSEL, 0, -1);
}

// --- Dialog ---

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal() {
  ended_ = false;
  result_ = IDCANCEL;
  // The owner is disabled before the dialog exists: a message box that the dialog shows
  // while it initialises must not leave the owner open to the user's keys and clicks.
  const bool ownerWasEnabled = parent_ != nullptr && IsWindowEnabled(parent_);
  if (ownerWasEnabled) EnableWindow(parent_, FALSE);
  hwnd_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent_, DialogProc,
                             reinterpret_cast<LPARAM>(this));
  if (hwnd_ == nullptr) {
    if (ownerWasEnabled) EnableWindow(parent_, TRUE);
    return -1;
  }
  if (!ended_) ShowWindow(hwnd_, SW_SHOW);

  // The loop itself takes messages in their Unicode form: a typed Japanese character
  // then reaches its edit box whole, and the system converts it for the window that
  // receives it. Taken in the ANSI form, a double-byte character is split into two
  // character messages, which some systems hand on as two broken characters.
  MSG msg;
  while (!ended_ && hwnd_ != nullptr) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT: end this loop and leave the message for the next one out
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    // What an accelerator's command throws never arrives here: TranslateAccelerator sends
    // the WM_COMMAND to the dialog procedure, whose own barrier reports it (and with the
    // 32-bit build's DWARF unwinding nothing could pass back through user32 anyway). This
    // catch takes what a PreTranslateMessage throws by itself, outside every window
    // procedure: it is reported, and the loop goes on instead of leaving DoModal with the
    // owner still disabled.
    bool consumed = false;
    try {
      consumed = PreTranslateMessage(&msg);
    } catch (...) {
      ReportHandlerFailure(hwnd_);
      consumed = true;
    }
    if (consumed) continue;
    if (IsDialogMessageW(hwnd_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }

  // Re-enable the owner before this window goes, so the focus returns to it.
  if (ownerWasEnabled) EnableWindow(parent_, TRUE);
  if (hwnd_ != nullptr) {
    if (parent_ != nullptr && GetActiveWindow() == hwnd_) SetActiveWindow(parent_);
    DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  return result_;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  // Wake the loop, which may be waiting in GetMessage.
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_NULL, 0, 0);
}

bool Dialog::UpdateData(bool saving) {
  // Lowered again however the exchange ends: a depth left raised by a throw would make
  // the dialog drop every notification from then on.
  const ScopedChange<int> inExchange(exchangeDepth_, exchangeDepth_ + 1);
  DataExchange dx(*this, saving);
  DoDataExchange(dx);
  return !dx.Failed();
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnCommand(int, int, HWND) { return false; }
bool Dialog::OnNotify(int, NMHDR*, LRESULT*) { return false; }
void Dialog::OnTimer(UINT_PTR) {}
void Dialog::OnSize(UINT, int, int) {}
bool Dialog::OnPaint() { return false; }
void Dialog::OnDestroy() {}
bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR*) { return false; }
bool Dialog::PreTranslateMessage(MSG*) { return false; }
void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::CenterOnOwner() {
  RECT dialog, area;
  GetWindowRect(hwnd_, &dialog);
  if (parent_ != nullptr && IsWindowVisible(parent_) && !IsIconic(parent_)) {
    GetWindowRect(parent_, &area);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int width = dialog.right - dialog.left;
  const int height = dialog.bottom - dialog.top;
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;
  // Nothing a handler throws may unwind through the dialog manager.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    ReportHandlerFailure(hwnd);
    return TRUE;
  }
}

namespace {

// The few messages whose result the dialog procedure returns itself; for every other
// message it returns TRUE and leaves the result in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = 0;
  if (OnMessage(message, wParam, lParam, &result)) return ReturnHandled(message, result);

  switch (message) {
    case WM_INITDIALOG:
      return HandleInitDialog();
    case WM_ACTIVATE:
      return HandleActivate(LOWORD(wParam));
    case WM_COMMAND:
      return HandleCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY:
      return HandleNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_SIZE:
      OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_DESTROY:
      OnDestroy();
      return TRUE;
    case WM_NCDESTROY:
      // Nothing reaches this object after the window has gone.
      SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
      hwnd_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR Dialog::ReturnHandled(UINT message, INT_PTR result) {
  if (ReturnsResultDirectly(message)) return result;
  SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
  return TRUE;
}

INT_PTR Dialog::HandleInitDialog() {
  CenterOnOwner();
  const BOOL systemFocus = OnInitDialog();
  // A handler that placed the focus itself keeps it when the window is activated
  // later (under some window managers activation comes after initialisation, and
  // the dialog manager would otherwise move the focus to the first tab stop).
  focus_ = systemFocus ? nullptr : GetFocus();
  return systemFocus;
}

INT_PTR Dialog::HandleActivate(UINT state) {
  if (state == WA_INACTIVE) {
    // Remember which of the dialog's controls had the focus.
    HWND focus = GetFocus();
    focus_ = (focus != nullptr && IsChild(hwnd_, focus)) ? focus : nullptr;
    return FALSE;
  }
  // Give it back; without one, the dialog manager chooses.
  if (focus_ != nullptr && IsWindow(focus_) && IsChild(hwnd_, focus_) && !IsIconic(hwnd_)) {
    SetFocus(focus_);
    return TRUE;
  }
  return FALSE;
}

INT_PTR Dialog::HandleCommand(int id, int code, HWND control) {
  // Notifications from controls while the dialog itself fills them are not the user's.
  if (control != nullptr && InExchange()) return TRUE;
  if (OnCommand(id, code, control)) return TRUE;
  // OK and Cancel, by their buttons, by a menu or accelerator, or by Enter and Escape.
  if (code == BN_CLICKED || control == nullptr) {
    if (id == IDOK) {
      OnOK();
      return TRUE;
    }
    if (id == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR Dialog::HandleNotify(NMHDR* header) {
  if (InExchange()) return FALSE;
  LRESULT result = 0;
  if (!OnNotify(static_cast<int>(header->idFrom), header, &result)) return FALSE;
  SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
  return TRUE;
}

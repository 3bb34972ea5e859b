// What a handler throws is caught where it would leave the program's code: in the dialog
// procedure, in a subclass procedure and around the modal loop's pre-translation. The
// message tells an allocation failure from anything else, and the window carries on.
// A main window that cannot be created is reported and ends the program with code 1.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "app/MainApp.h"
#include "core/Texts.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/HandlerFailure.h"
#include "platform/win32/Win32Prompter.h"
#include "platform/win32/WindowSubclass.h"
#include "res/resource.h"
#include "tests/win32/WindowTestSupport.h"

using wintest::Do;
using wintest::PressKeys;
using wintest::Until;

namespace {

// Throws what it is told from the handler of one message.
class Thrower : public WindowSubclass {
public:
  UINT message = 0;
  std::function<void()> raise;

protected:
  LRESULT WindowProc(UINT m, WPARAM wParam, LPARAM lParam) override {
    if (m == message && raise) raise();
    return Default(m, wParam, lParam);
  }
};

class ThrowingDialog : public Dialog {
public:
  ThrowingDialog() : Dialog(IDD_TRACK_INFO, nullptr) {}
  std::function<void()> onApp;        // WM_APP through the dialog procedure
  std::function<void()> onKey;        // every key down through the pre-translation
  Thrower title;                      // the title box, subclassed
  int keysAfterwards = 0;             // keys that reached the pre-translation without throwing

protected:
  void DoDataExchange(DataExchange& dx) override { dx.Control(IDC_TITLE, title); }
  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR* result) override {
    if (message != WM_APP || !onApp) return false;
    onApp();
    *result = 1;
    return true;
  }
  bool PreTranslateMessage(MSG* msg) override {
    if (msg->message != WM_KEYDOWN || msg->wParam != 'Q') return false;
    if (onKey) onKey();
    ++keysAfterwards;
    return true;
  }
};

}  // namespace

TEST(FailureBarrier, EachProcedureReportsWhatItsHandlerThrewAndTheDialogCarriesOn) {
  wintest::MessageBoxAnswerer boxes(ApplicationName());
  ThrowingDialog dialog;
  dialog.onApp = [] { throw std::bad_alloc(); };
  dialog.title.message = WM_SETTEXT;
  dialog.title.raise = [] { throw std::runtime_error("subclass"); };
  dialog.onKey = [] { throw std::vector<int>(1); };  // not even an exception class
  INT_PTR result = 0;
  // Keys go to the window in front: after each message box, the dialog must be enabled
  // and in front again before keys are sent to it.
  const auto dialogInFront = [&] {
    if (dialog.Hwnd() == nullptr || !IsWindowVisible(dialog.Hwnd()) || !IsWindowEnabled(dialog.Hwnd())) return false;
    SetForegroundWindow(dialog.Hwnd());
    return GetForegroundWindow() == dialog.Hwnd();
  };
  wintest::RunScript(
      {Until(dialogInFront),
       Do([&] { EXPECT_EQ(SendMessageA(dialog.Hwnd(), WM_APP, 0, 0), 0); }),
       Until([&] { return boxes.texts.size() == 1; }, "the message of the dialog procedure"),
       Do([&] {
         EXPECT_EQ(boxes.texts[0], kOutOfMemoryMessage);
         EXPECT_EQ(boxes.owners[0], dialog.Hwnd());
         SetDlgItemTextA(dialog.Hwnd(), IDC_TITLE, "x");
       }),
       Until([&] { return boxes.texts.size() == 2; }, "the message of the subclass procedure"),
       Until(dialogInFront, "the dialog in front after the second message"),
       Do([&] {
         EXPECT_EQ(boxes.texts[1], kUnexpectedErrorMessage);
         EXPECT_EQ(boxes.owners[1], dialog.Hwnd()) << "owned by the top-level window, not the box";
         SetFocus(GetDlgItem(dialog.Hwnd(), IDC_AUTHOR));
         PressKeys({'Q'});
       }),
       Until([&] { return boxes.texts.size() == 3; }, "the message of the modal loop"),
       Until(dialogInFront, "the dialog in front after the third message"),
       Do([&] {
         EXPECT_EQ(boxes.texts[2], kUnexpectedErrorMessage);
         // Still usable: the same handlers run again, and keys reach the boxes.
         dialog.onKey = nullptr;
         PressKeys({'Q', 'W'});
       }),
       Do([&] {
         EXPECT_EQ(dialog.keysAfterwards, 1);
         EXPECT_EQ(wintest::WindowText(GetDlgItem(dialog.Hwnd(), IDC_AUTHOR)), "w");
         PressKeys({VK_ESCAPE});
       })},
      [&] { result = dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(boxes.texts.size(), 3u);
}

namespace {

// A data exchange that throws once, started by WM_APP; counts the clicks on the title
// box that reach the notification handler.
class ExchangeOnceThrowing : public Dialog {
public:
  ExchangeOnceThrowing() : Dialog(IDD_TRACK_INFO, nullptr) {}
  bool throwNext = false;
  int notifications = 0;

protected:
  void DoDataExchange(DataExchange&) override {
    if (!throwNext) return;
    throwNext = false;
    throw std::bad_alloc();
  }
  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR* result) override {
    if (message != WM_APP) return false;
    UpdateData(true);
    *result = 1;
    return true;
  }
  bool OnNotify(int id, NMHDR* header, LRESULT*) override {
    if (id != IDC_TITLE || header->code != NM_CLICK) return false;
    ++notifications;
    return true;
  }
};

}  // namespace

// An exchange that failed leaves no "exchange running" state behind: the dialog goes on
// taking its controls' notifications (a list view that is never asked for its text any
// more shows no rows).
TEST(FailureBarrier, AFailedDataExchangeLeavesTheNotificationsFlowing) {
  wintest::MessageBoxAnswerer boxes(ApplicationName());
  ExchangeOnceThrowing dialog;
  const auto notify = [&] {
    NMHDR header = {GetDlgItem(dialog.Hwnd(), IDC_TITLE), static_cast<UINT_PTR>(IDC_TITLE), NM_CLICK};
    SendMessageA(dialog.Hwnd(), WM_NOTIFY, IDC_TITLE, reinterpret_cast<LPARAM>(&header));
  };
  wintest::RunScript(
      {Until([&] { return dialog.Hwnd() != nullptr && IsWindowVisible(dialog.Hwnd()); }),
       Do([&] {
         dialog.throwNext = true;
         PostMessageA(dialog.Hwnd(), WM_APP, 0, 0);
       }),
       Until([&] { return boxes.texts.size() == 1; }, "the message of the failed exchange"),
       Do([&] {
         EXPECT_EQ(boxes.texts[0], kOutOfMemoryMessage);
         EXPECT_FALSE(dialog.InExchange());
         notify();
         EXPECT_EQ(dialog.notifications, 1) << "a notification after the failure was dropped";
         dialog.EndDialog(IDCANCEL);
       })},
      [&] { dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
}

namespace {

// Makes the creation of every window captioned "Kestova" fail, as when the system has
// no room left for a window.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CBT_CREATEWNDA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    const char* name = create->lpcs->lpszName;
    if (name != nullptr && !IS_INTRESOURCE(name) && std::string(name) == "Kestova") return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TEST(FailureBarrier, AMainWindowThatCannotBeCreatedIsReportedAndEndsWithAFailureCode) {
  wintest::MessageBoxAnswerer boxes(ApplicationName());
  HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  CMainApp app;
  const int code = app.Run();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(boxes.texts, std::vector<std::string>{fixed_texts::kMainWindowFailed});
}

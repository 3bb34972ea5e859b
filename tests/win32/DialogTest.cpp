// The dialog framework itself: the modal loop, pre-translation, data exchange both
// ways with its length check and radio groups, notifications during an exchange,
// message results and control subclassing. Runs real templates of the program.
#include "platform/win32/Dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/WindowSubclass.h"
#include "res/resource.h"
#include "tests/FakePrompter.h"
#include "tests/win32/WindowTestSupport.h"

using wintest::Do;
using wintest::PressKeys;
using wintest::Step;
using wintest::Until;

namespace {

// Counts the WM_SETTEXT messages of the control it subclasses.
class TextCounter : public WindowSubclass {
public:
  int setTexts = 0;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_SETTEXT) ++setTexts;
    return Default(message, wParam, lParam);
  }
};

// A dialog over a real template that records what reaches its handlers.
class ProbeDialog : public Dialog {
public:
  ProbeDialog(UINT templateId, HWND parent) : Dialog(templateId, parent) {}

  std::string title, author;
  int titleMode = 1;
  bool exchangeFields = true;
  std::vector<int> editNotifications;  // EN_* codes that reached OnCommand
  std::function<bool(MSG*)> preTranslate;
  TextCounter counter;

protected:
  void DoDataExchange(DataExchange& dx) override {
    if (!exchangeFields) return;
    dx.Control(IDC_AUTHOR, counter);
    dx.Text(IDC_TITLE, title);
    dx.MaxBytes(IDC_TITLE, title, 255, "too long");
    dx.Text(IDC_AUTHOR, author);
    dx.Radio(IDC_TITLE_KEEP, titleMode);
  }
  bool OnCommand(int id, int code, HWND control) override {
    if (control != nullptr && (code == EN_CHANGE || code == EN_UPDATE)) editNotifications.push_back(id);
    return false;
  }
  bool PreTranslateMessage(MSG* msg) override { return preTranslate && preTranslate(msg); }
  bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR* result) override {
    if (message == WM_APP) {
      *result = 1234;
      return true;
    }
    if (message == WM_QUERYDRAGICON) {
      *result = 0x5678;
      return true;
    }
    return false;
  }
};

INT_PTR RunDialog(ProbeDialog& dialog, std::vector<Step> steps) {
  INT_PTR result = 0;
  steps.insert(steps.begin(), Until([&dialog] {
                 if (dialog.Hwnd() == nullptr || !IsWindowVisible(dialog.Hwnd())) return false;
                 SetForegroundWindow(dialog.Hwnd());
                 return GetForegroundWindow() == dialog.Hwnd();
               }));
  wintest::RunScript(std::move(steps), [&] { result = dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  return result;
}

std::string Text(HWND dialog, int id) { return wintest::WindowText(GetDlgItem(dialog, id)); }

}  // namespace

TEST(Dialog, DoModalReturnsTheEndResultAndFailsForAMissingTemplate) {
  ProbeDialog missing(4242, nullptr);
  EXPECT_EQ(missing.DoModal(), -1);

  ProbeDialog dialog(IDD_ABOUT, nullptr);
  dialog.exchangeFields = false;
  EXPECT_EQ(RunDialog(dialog, {Do([&] { dialog.EndDialog(7); })}), 7);
  EXPECT_EQ(dialog.Hwnd(), nullptr);
  // Esc is the cancel action, and OK (Enter on the default button) reads and ends.
  EXPECT_EQ(RunDialog(dialog, {Do([] { PressKeys({VK_ESCAPE}); })}), IDCANCEL);
  EXPECT_EQ(RunDialog(dialog, {Do([] { PressKeys({VK_RETURN}); })}), IDOK);
}

TEST(Dialog, ExchangeShowsAndReadsTextsAndRadioGroups) {
  ProbeDialog dialog(IDD_TRACK_INFO, nullptr);
  dialog.title = "題名";
  dialog.author = "a";
  dialog.titleMode = 1;
  RunDialog(dialog, {Do([&] {
                 HWND d = dialog.Hwnd();
                 EXPECT_EQ(Text(d, IDC_TITLE), "題名");
                 EXPECT_EQ(Text(d, IDC_AUTHOR), "a");
                 EXPECT_EQ(IsDlgButtonChecked(d, IDC_TITLE_KEEP), BST_UNCHECKED);
                 EXPECT_EQ(IsDlgButtonChecked(d, IDC_TITLE_CHANGE), BST_CHECKED);
                 // The group ends where the next group starts: the author pair is not touched.
                 EXPECT_EQ(IsDlgButtonChecked(d, IDC_AUTHOR_KEEP), BST_UNCHECKED);
                 EXPECT_EQ(SendDlgItemMessageA(d, IDC_TITLE, EM_GETLIMITTEXT, 0, 0), 255);

                 SetDlgItemTextA(d, IDC_TITLE, "新しい");
                 SetDlgItemTextA(d, IDC_AUTHOR, "作者");
                 CheckRadioButton(d, IDC_TITLE_KEEP, IDC_TITLE_CHANGE, IDC_TITLE_KEEP);
                 EXPECT_TRUE(dialog.UpdateData(true));
                 EXPECT_EQ(dialog.title, "新しい");
                 EXPECT_EQ(dialog.author, "作者");
                 EXPECT_EQ(dialog.titleMode, 0);

                 CheckDlgButton(d, IDC_TITLE_KEEP, BST_UNCHECKED);
                 EXPECT_TRUE(dialog.UpdateData(true));
                 EXPECT_EQ(dialog.titleMode, -1) << "no button checked";
               }),
               Do([] { PressKeys({VK_ESCAPE}); })});
}

TEST(Dialog, NotificationsDuringAnExchangeAreIgnoredAndUnchangedTextIsLeftAlone) {
  ProbeDialog dialog(IDD_TRACK_INFO, nullptr);
  dialog.title = "abcdef";
  RunDialog(dialog, {Do([&] {
                 HWND d = dialog.Hwnd();
                 EXPECT_TRUE(dialog.editNotifications.empty()) << "filling the boxes on opening";
                 EXPECT_NE(dialog.counter.Hwnd(), nullptr);
                 const int setTextsAfterOpening = dialog.counter.setTexts;

                 // Showing the same values again touches no box: the selection stays.
                 SendDlgItemMessageA(d, IDC_TITLE, EM_SETSEL, 2, 4);
                 dialog.UpdateData(false);
                 DWORD from = 0, to = 0;
                 SendDlgItemMessageA(d, IDC_TITLE, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                     reinterpret_cast<LPARAM>(&to));
                 EXPECT_EQ(from, 2u);
                 EXPECT_EQ(to, 4u);
                 EXPECT_EQ(dialog.counter.setTexts, setTextsAfterOpening);

                 // New values are shown without reaching the handlers.
                 dialog.title = "x";
                 dialog.author = "y";
                 dialog.UpdateData(false);
                 EXPECT_EQ(Text(d, IDC_TITLE), "x");
                 EXPECT_EQ(dialog.counter.setTexts, setTextsAfterOpening + 1);
                 EXPECT_TRUE(dialog.editNotifications.empty());

                 // The same change made outside an exchange is reported.
                 SetDlgItemTextA(d, IDC_TITLE, "typed");
                 EXPECT_FALSE(dialog.editNotifications.empty());
               }),
               Do([] { PressKeys({VK_ESCAPE}); })});
  EXPECT_EQ(dialog.counter.Hwnd(), nullptr) << "detached when the control went";
}

TEST(Dialog, ALengthCheckCountsBytesAndStopsTheExchangeAtItsBox) {
  ProbeDialog dialog(IDD_TRACK_INFO, nullptr);
  FakePrompter prompter;
  dialog.SetPrompter(&prompter);
  RunDialog(dialog, {Do([&] {
                 HWND d = dialog.Hwnd();
                 // 253 single bytes and one double-byte character: 255 bytes pass.
                 const std::string fits = std::string(253, 'a') + "あ";
                 SendDlgItemMessageA(d, IDC_TITLE, EM_LIMITTEXT, 0, 0);
                 SetDlgItemTextA(d, IDC_TITLE, fits.c_str());
                 EXPECT_TRUE(dialog.UpdateData(true));
                 EXPECT_EQ(dialog.title, fits);
                 EXPECT_TRUE(prompter.messages.empty());

                 // One byte more fails: the message, the focus on the box, the rest not read.
                 SetDlgItemTextA(d, IDC_TITLE, (fits + "b").c_str());
                 SetDlgItemTextA(d, IDC_AUTHOR, "changed");
                 CheckRadioButton(d, IDC_TITLE_KEEP, IDC_TITLE_CHANGE, IDC_TITLE_KEEP);
                 dialog.author = "before";
                 EXPECT_FALSE(dialog.UpdateData(true));
                 EXPECT_EQ(prompter.messages, std::vector<std::string>{"too long"});
                 EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_TITLE));
                 EXPECT_EQ(dialog.author, "before");
                 EXPECT_EQ(dialog.titleMode, 1);
                 // OK refuses to close while the check fails.
                 SendMessageA(d, WM_COMMAND, IDOK, 0);
                 EXPECT_TRUE(IsWindow(d));
               }),
               Do([] { PressKeys({VK_ESCAPE}); })});
}

TEST(Dialog, PreTranslationSeesEveryMessageFirstAndResultsReachTheSender) {
  ProbeDialog dialog(IDD_TRACK_INFO, nullptr);
  dialog.title = "";
  int keysSeen = 0;
  dialog.preTranslate = [&](MSG* msg) {
    if (msg->message != WM_KEYDOWN || msg->wParam != 'Q') return false;
    ++keysSeen;
    return true;  // consumed: the box never gets it
  };
  RunDialog(dialog, {Do([&] {
                 SetFocus(GetDlgItem(dialog.Hwnd(), IDC_TITLE));
                 PressKeys({'Q'});
                 PressKeys({'W'});
               }),
               Do([&] {
                 EXPECT_EQ(keysSeen, 1);
                 EXPECT_EQ(Text(dialog.Hwnd(), IDC_TITLE), "w");
                 EXPECT_EQ(SendMessageA(dialog.Hwnd(), WM_APP, 0, 0), 1234);
                 EXPECT_EQ(SendMessageA(dialog.Hwnd(), WM_QUERYDRAGICON, 0, 0), 0x5678);
               }),
               Do([] { PressKeys({VK_ESCAPE}); })});
}

TEST(Dialog, ANestedModalDialogDisablesItsOwnerAndTakesItsOwnKeys) {
  ProbeDialog outer(IDD_ABOUT, nullptr);
  outer.exchangeFields = false;
  int outerKeys = 0;
  outer.preTranslate = [&](MSG* msg) {
    if (msg->message == WM_KEYDOWN) ++outerKeys;
    return false;
  };
  ProbeDialog inner(IDD_ABOUT, nullptr);
  INT_PTR innerResult = 0;
  const INT_PTR outerResult =
      RunDialog(outer, {Do([&] {
                    // Runs inside the outer loop and blocks there while the steps below run.
                    ProbeDialog nested(IDD_ABOUT, outer.Hwnd());
                    nested.exchangeFields = false;
                    innerResult = nested.DoModal();
                    EXPECT_TRUE(IsWindowEnabled(outer.Hwnd()));
                  }),
                  Until([&] { return !IsWindowEnabled(outer.Hwnd()); }),
                  Do([&] {
                    outerKeys = 0;
                    PressKeys({VK_ESCAPE});  // closes the nested one only
                  }),
                  Until([&] { return IsWindowEnabled(outer.Hwnd()); }),
                  Do([&] {
                    EXPECT_EQ(innerResult, IDCANCEL);
                    EXPECT_EQ(outerKeys, 0) << "the outer loop did not see the nested dialog's keys";
                    EXPECT_TRUE(IsWindowVisible(outer.Hwnd()));
                    SetForegroundWindow(outer.Hwnd());
                  }),
                  Do([] { PressKeys({VK_ESCAPE}); })});
  EXPECT_EQ(outerResult, IDCANCEL);
}

// A dialog that records, while it initialises, whether its owner is disabled already.
class InitProbe : public Dialog {
public:
  InitProbe(UINT templateId, HWND parent) : Dialog(templateId, parent) {}
  bool ownerEnabledAtInit = true;

protected:
  BOOL OnInitDialog() override {
    ownerEnabledAtInit = IsWindowEnabled(GetWindow(Hwnd(), GW_OWNER)) != FALSE;
    EndDialog(IDOK);
    return TRUE;
  }
};

// A message box shown while a dialog initialises must not leave its owner open to
// the user's keys and clicks.
TEST(Dialog, TheOwnerIsDisabledBeforeTheDialogInitialises) {
  ProbeDialog outer(IDD_ABOUT, nullptr);
  outer.exchangeFields = false;
  RunDialog(outer, {Do([&] {
                      InitProbe nested(IDD_ABOUT, outer.Hwnd());
                      EXPECT_EQ(nested.DoModal(), IDOK);
                      EXPECT_FALSE(nested.ownerEnabledAtInit);
                      EXPECT_TRUE(IsWindowEnabled(outer.Hwnd()));
                      InitProbe missing(4242, outer.Hwnd());
                      EXPECT_EQ(missing.DoModal(), -1);
                      EXPECT_TRUE(IsWindowEnabled(outer.Hwnd())) << "a failed creation left the owner disabled";
                    }),
                    Do([] { PressKeys({VK_ESCAPE}); })});
}

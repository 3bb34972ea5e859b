// The track dialog with the system's real folder browser: the browser has no owner, so
// the dialog disables itself while the browser is open. Real clicks on the dialog then
// change nothing; the folder chosen is applied once the browser closes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Texts.h"
#include "platform/win32/Win32Prompter.h"
#include "res/resource.h"
#include "tests/win32/WindowTestSupport.h"
#include "ui/TrackInfoDialog.h"

using wintest::Do;
using wintest::Until;

namespace {

struct Browsers {
  HWND dialog;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectBrowser(HWND window, LPARAM context) {
  Browsers* browsers = reinterpret_cast<Browsers*>(context);
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (window != browsers->dialog && IsWindowVisible(window) && std::string(className) == "#32770" &&
      FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr) != nullptr) {
    browsers->found.push_back(window);
  }
  return TRUE;
}

// The folder browsers open in this thread: dialogs holding a tree of folders.
std::vector<HWND> OpenBrowsers(HWND dialog) {
  Browsers browsers{dialog, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectBrowser, reinterpret_cast<LPARAM>(&browsers));
  return browsers.found;
}

BOOL CALLBACK CollectTexts(HWND child, LPARAM context) {
  *reinterpret_cast<std::string*>(context) += wintest::WindowText(child) + "|";
  return TRUE;
}

// The centre of a control, in its own client coordinates.
POINT Centre(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(FolderBrowser, TheTrackDialogWaitsForItsBrowser) {
  TrackInfoForm form;
  form.fileName = "a.wma";
  Win32Prompter prompter;
  CTrackInfoDialog dialog(form, prompter, nullptr);
  HWND browser = nullptr;
  std::string chosen;
  INT_PTR result = 0;
  const auto d = [&dialog] { return dialog.Hwnd(); };
  wintest::RunScript(
      {Until([&] {
         if (d() == nullptr || !IsWindowVisible(d())) return false;
         SetForegroundWindow(d());
         return GetForegroundWindow() == d();
       }),
       Do([&] { wintest::Click(GetDlgItem(d(), IDC_BROWSE_FOLDER), Centre(GetDlgItem(d(), IDC_BROWSE_FOLDER))); }),
       Until([&] { return OpenBrowsers(d()).size() == 1; }, "the folder browser"),
       Do([&] {
         browser = OpenBrowsers(d()).front();
         // The user moves the browser aside to see the dialog.
         RECT t;
         GetWindowRect(d(), &t);
         SetWindowPos(browser, nullptr, t.right + 20, t.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
       }),
       Until([&] {
         RECT b, t, overlap;
         GetWindowRect(browser, &b);
         GetWindowRect(d(), &t);
         return !IntersectRect(&overlap, &b, &t);
       }, "the browser beside the dialog"),
       Do([&] {
         EXPECT_EQ(GetWindow(browser, GW_OWNER), nullptr);
         EXPECT_FALSE(IsWindowEnabled(d()));
         std::string all;
         EnumChildWindows(browser, CollectTexts, reinterpret_cast<LPARAM>(&all));
         EXPECT_NE(all.find(fixed_texts::kBrowseFolderTitle), std::string::npos) << all;
         // The user clicks OK and Browse of the dialog under the browser.
         wintest::Click(GetDlgItem(d(), IDOK), Centre(GetDlgItem(d(), IDOK)));
         wintest::Click(GetDlgItem(d(), IDC_BROWSE_FOLDER), Centre(GetDlgItem(d(), IDC_BROWSE_FOLDER)));
       }),
       Do([&] {
         ASSERT_TRUE(IsWindow(d())) << "OK ended the dialog under the browser";
         EXPECT_EQ(OpenBrowsers(d()), std::vector<HWND>{browser}) << "a second browser opened";
         EXPECT_EQ(wintest::WindowText(GetDlgItem(d(), IDC_SAVE_PATH)), "");
         // The user picks the folder the browser offers first and presses its OK.
         HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
         HTREEITEM first = TreeView_GetRoot(tree);
         ASSERT_NE(first, nullptr);
         TreeView_SelectItem(tree, first);
         wintest::Click(GetDlgItem(browser, IDOK), Centre(GetDlgItem(browser, IDOK)));
       }),
       Until([&] { return OpenBrowsers(d()).empty(); }, "the browser closing"),
       Until([&] { return !wintest::WindowText(GetDlgItem(d(), IDC_SAVE_PATH)).empty(); }, "the chosen folder"),
       Do([&] {
         chosen = wintest::WindowText(GetDlgItem(d(), IDC_SAVE_PATH));
         EXPECT_TRUE(IsWindowEnabled(d()));
         EXPECT_EQ(chosen.substr(chosen.size() - 6), "\\a.wma");
         wintest::Click(GetDlgItem(d(), IDOK), Centre(GetDlgItem(d(), IDOK)));
       })},
      [&] { result = dialog.DoModal(); },
      [&] {
        for (HWND open : OpenBrowsers(d())) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
        dialog.EndDialog(-2);
      });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dialog.form.savePath, chosen);
}

// The track dialog and the main window's add-folder command with the system's real
// folder browser: the browser has no owner, so the window disables itself while the
// browser is open. Real clicks on it then change nothing; the folder chosen is applied
// once the browser closes.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Texts.h"
#include "platform/TextConversion.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Prompter.h"
#include "res/resource.h"
#include "tests/FakePrompter.h"
#include "tests/ScratchFolder.h"
#include "tests/win32/WindowTestSupport.h"
#include "ui/MainDialog.h"
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

// The user moves the browser aside to see the window under it.
void MoveBeside(HWND browser, HWND window) {
  RECT t;
  GetWindowRect(window, &t);
  SetWindowPos(browser, nullptr, t.right + 20, t.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
bool Apart(HWND a, HWND b) {
  RECT ra, rb, overlap;
  GetWindowRect(a, &ra);
  GetWindowRect(b, &rb);
  return !IntersectRect(&overlap, &ra, &rb);
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
         MoveBeside(browser, d());
       }),
       Until([&] { return Apart(browser, d()); }, "the browser beside the dialog"),
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

namespace {

// Messages recorded, the folder browser the system's own.
class RealBrowserPrompter : public FakePrompter {
public:
  bool BrowseForFolder(const std::string& title, SystemPath* folder) override {
    folderTitles.push_back(title);
    return Win32Prompter().BrowseForFolder(title, folder);
  }
};

}  // namespace

// Ctrl+Shift+A in the main window: the real browser, titled for the command, with the
// main window disabled under it (a click on its list selects nothing); the folder
// chosen is walked like a dropped one.
TEST(FolderBrowser, TheAddFolderCommandWalksTheChosenFolder) {
  ScratchFolder program;
  ScratchFolder music;
  for (const std::string name : {"a.wav", "サブ\\b.WAV", "notes.txt"}) {
    const std::string path = music.Path() + name;
    CreateDirectoryA((music.Path() + "サブ").c_str(), nullptr);
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  RealBrowserPrompter prompter;
  CMainDialog dialog(program.Path(), &prompter);
  const auto d = [&dialog] { return dialog.Hwnd(); };
  HWND browser = nullptr;
  wintest::RunScript(
      {Until([&] {
         if (d() == nullptr || !IsWindowVisible(d())) return false;
         dialog.Tracks().AddTrack("C:\\listed.wav");
         dialog.List().Refresh();
         SetForegroundWindow(d());
         SetFocus(GetDlgItem(d(), IDC_TRACK_LIST));
         return GetForegroundWindow() == d();
       }),
       Do([] { wintest::PressKeys({VK_CONTROL, VK_SHIFT, 'A'}); }),
       Until([&] { return OpenBrowsers(d()).size() == 1; }, "the folder browser"),
       Do([&] {
         browser = OpenBrowsers(d()).front();
         MoveBeside(browser, d());
       }),
       Until([&] { return Apart(browser, d()); }, "the browser beside the window"),
       Do([&] {
         EXPECT_EQ(prompter.folderTitles, std::vector<std::string>{fixed_texts::kAddFolderTitle});
         EXPECT_FALSE(IsWindowEnabled(d()));
         std::string all;
         EnumChildWindows(browser, CollectTexts, reinterpret_cast<LPARAM>(&all));
         EXPECT_NE(all.find(fixed_texts::kAddFolderTitle), std::string::npos) << all;
         EXPECT_TRUE(wintest::Screenshot(browser, "add-folder-browser"));
         HWND list = GetDlgItem(d(), IDC_TRACK_LIST);
         RECT row;
         ListView_GetItemRect(list, 0, &row, LVIR_LABEL);
         wintest::Click(list, {(row.left + row.right) / 2, (row.top + row.bottom) / 2});
       }),
       // The user picks the folder of WAV files (asked again until the tree shows it
       // selected: the browser may still be filling its tree) and presses OK.
       Until([&] {
         const std::string path = music.Path().substr(0, music.Path().size() - 1);
         const std::u16string folder = textconv::FromCp932(path);
         SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(WideChars(folder)));
         HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
         char text[MAX_PATH] = "";
         TVITEMA item = {};
         item.mask = TVIF_TEXT;
         item.hItem = TreeView_GetSelection(tree);
         item.pszText = text;
         item.cchTextMax = sizeof text;
         return item.hItem != nullptr && TreeView_GetItem(tree, &item) && path.substr(path.rfind('\\') + 1) == text;
       }, "the folder selected in the browser"),
       Do([&] {
         EXPECT_EQ(dialog.Tracks().GetSelectedTrackCount(), 0) << "a click reached the list under the browser";
         wintest::Click(GetDlgItem(browser, IDOK), Centre(GetDlgItem(browser, IDOK)));
       }),
       Until([&] { return OpenBrowsers(d()).empty(); }, "the browser closing"),
       Until([&] { return dialog.Tracks().GetTrackCount() == 3 || !prompter.messages.empty(); }, "the folder's files"),
       Do([&] {
         EXPECT_TRUE(IsWindowEnabled(d()));
         EXPECT_EQ(dialog.Tracks().GetItemText(1, kColumnPath), music.Path() + "a.wav");
         EXPECT_EQ(dialog.Tracks().GetItemText(2, kColumnPath), music.Path() + "サブ\\b.WAV");
         EXPECT_EQ(ListView_GetItemCount(GetDlgItem(d(), IDC_TRACK_LIST)), 3);
         EXPECT_TRUE(prompter.messages.empty());
         dialog.EndDialog(IDCANCEL);
       })},
      [&] { dialog.DoModal(); },
      [&] {
        for (HWND open : OpenBrowsers(d())) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
        dialog.EndDialog(-2);
      });
}

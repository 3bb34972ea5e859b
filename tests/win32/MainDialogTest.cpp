// The main window in process, from the real template and resources, under Wine + Xvfb,
// with a recording prompter. Keys and clicks go through SendInput, so they pass the
// window's own loop (and its accelerators) as a user's do.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "core/WindowState.h"
#include "platform/win32/HandlerFailure.h"
#include "platform/win32/Win32Prompter.h"
#include "res/resource.h"
#include "tests/FakePrompter.h"
#include "tests/ScratchFolder.h"
#include "tests/win32/WindowTestSupport.h"
#include "ui/MainDialog.h"

using wintest::Do;
using wintest::PressKeys;
using wintest::Step;
using wintest::Until;

namespace {

const char* const kHints[5] = {
    "ドラッグアンドドロップでもファイルを追加できます",
    "曲の情報を編集するには，編集したいファイルをダブルクリックしてください．",
    "複数のファイルの曲情報を一度に変更することもできます．[Ctrl]を押しながら1つずつファイルを選択し，最後のファイルをダブルクリックしてください．",
    "ファイルを右ボタンでダブルクリックすると，再生して確認できます．",
    "出力先を特に指定しなければ，同じディレクトリに拡張子が\".wma\"に変わったファイルが出力されます．",
};

// The main window with a recording prompter and shell, over a scratch program folder.
struct Fixture {
  ScratchFolder folder;
  FakePrompter prompter;
  std::vector<std::string> opened;  // what the shell was asked to open
  std::vector<bool> systemReports;  // whether the system could show its own failure message for each
  bool shellSucceeds = true;
  std::vector<int> encodingRuns;  // the row count of the list at each start of an encoding run
  CMainDialog dialog{folder.Path(), &prompter};
  INT_PTR result = 0;

  Fixture() {
    // The question before a list with changes not saved is closed: Yes, unless a test
    // says otherwise (no other question reaches this prompter: the encoding run is faked).
    prompter.defaultAnswer = true;
    dialog.SetStartEncoding([this](TrackList& tracks, Prompter&) { encodingRuns.push_back(tracks.GetTrackCount()); });
    dialog.SetShellOpen([this](const std::string& path, bool systemMessage) {
      opened.push_back(path);
      systemReports.push_back(systemMessage);
      return shellSucceeds;
    });
  }
  HWND Hwnd() const { return dialog.Hwnd(); }
  HWND List() const { return GetDlgItem(dialog.Hwnd(), IDC_TRACK_LIST); }
  HWND Hint() const { return GetDlgItem(dialog.Hwnd(), IDC_HINT_LINE); }

  // Shows the window and runs the steps in it; the first step waits for the window and
  // gives it the keyboard with the focus on the list.
  void Run(std::vector<Step> steps) {
    steps.insert(steps.begin(), Until([this] {
                   if (Hwnd() == nullptr || !IsWindowVisible(Hwnd())) return false;
                   SetForegroundWindow(Hwnd());
                   SetFocus(List());
                   return GetForegroundWindow() == Hwnd();
                 }));
    wintest::RunScript(std::move(steps), [this] { result = dialog.DoModal(); },
                       [this] { dialog.EndDialog(-2); });
  }
  std::string StateFile() const { return folder.Path() + kWindowStateFileName; }
};

std::vector<std::string> Rows(CMainDialog& dialog) {
  std::vector<std::string> rows;
  for (int i = 0; i < dialog.Tracks().GetTrackCount(); ++i) rows.emplace_back(dialog.Tracks().GetItemText(i, kColumnPath));
  return rows;
}

// The rows the list control itself shows as selected.
std::vector<int> ShownSelection(HWND list) {
  std::vector<int> rows;
  for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) != -1;) rows.push_back(i);
  return rows;
}
std::vector<int> ModelSelection(TrackList& tracks) {
  std::vector<int> rows;
  for (int r = tracks.GetFirstSelectedTrack(); r != -1; r = tracks.GetNextSelectedTrack(r)) rows.push_back(r);
  return rows;
}

// Selects a row in the control as a click does (the control tells the window).
void SelectInControl(HWND list, int row, bool selected) {
  ListView_SetItemState(list, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

// Drops `paths` on the window through a real HDROP (a DROPFILES block of ANSI names),
// handled at once, or when `post`, once the window's loop takes it.
void Drop(HWND window, const std::vector<std::string>& paths, bool post = false) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const auto& p : paths) size += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* block = static_cast<DROPFILES*>(GlobalLock(memory));
  block->pFiles = sizeof(DROPFILES);
  block->fWide = FALSE;
  char* names = reinterpret_cast<char*>(block) + sizeof(DROPFILES);
  for (const auto& p : paths) {
    std::memcpy(names, p.c_str(), p.size() + 1);
    names += p.size() + 1;
  }
  *names = '\0';
  GlobalUnlock(memory);
  if (post) {
    PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the window frees it
  } else {
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  }
}

// Writes a file at `path` (code page 932), making the folders above it.
void MakeFile(const std::string& path, const std::string& bytes = "RIFF") {
  for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
    CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
  }
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
}

void WriteStateFile(const std::string& path, const std::vector<int32_t>& values) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, values.data(), static_cast<DWORD>(values.size() * 4), &written, nullptr);
  CloseHandle(f);
}

SIZE OuterSize(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return {r.right - r.left, r.bottom - r.top};
}

// A control's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// `h`: the hint line's height; -1 for the caption height of the system DPI.
void ExpectLayout(HWND window, HWND list, HWND hint, int h = -1) {
  RECT client;
  GetClientRect(window, &client);
  if (h == -1) h = GetSystemMetrics(SM_CYCAPTION);
  const RECT l = ChildRect(list), t = ChildRect(hint);
  EXPECT_EQ(l.left, 0);
  EXPECT_EQ(l.top, 0);
  EXPECT_EQ(l.right, client.right);
  EXPECT_EQ(l.bottom, std::max<LONG>(client.bottom - h, 0));
  EXPECT_EQ(t.left, 0);
  EXPECT_EQ(t.top, client.bottom - h);
  EXPECT_EQ(t.right, client.right);
  EXPECT_EQ(t.bottom, client.bottom);
}

std::string ColumnHeading(HWND list, int column) {
  char buffer[64] = "";
  LVCOLUMNA lvc = {};
  lvc.mask = LVCF_TEXT | LVCF_FMT;
  lvc.pszText = buffer;
  lvc.cchTextMax = sizeof buffer;
  ListView_GetColumn(list, column, &lvc);
  EXPECT_EQ(lvc.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  return buffer;
}

}  // namespace

TEST(MainDialog, FirstStartWithoutStateFileHasDefaultSizeColumnsAndFirstHint) {
  Fixture f;
  f.Run({Do([&] {
           const SIZE size = OuterSize(f.Hwnd());
           EXPECT_EQ(size.cx, 600);
           EXPECT_EQ(size.cy, 400);
           HWND list = f.List();
           const int widths[7] = {200, 48, 90, 100, 100, 200, 200};
           EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 7);
           for (int c = 0; c < 7; ++c) {
             EXPECT_EQ(ColumnHeading(list, c), fixed_texts::kColumnHeadings[c]);
             EXPECT_EQ(ListView_GetColumnWidth(list, c), widths[c]) << c;
           }
           const LONG style = GetWindowLongA(list, GWL_STYLE);
           EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
           EXPECT_TRUE(style & LVS_OWNERDATA);
           EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
           EXPECT_FALSE(style & LVS_SINGLESEL);
           EXPECT_EQ(ListView_GetExtendedListViewStyle(list), static_cast<DWORD>(LVS_EX_FULLROWSELECT));
           EXPECT_EQ(wintest::WindowText(f.Hint()), kHints[0]);
           EXPECT_EQ(wintest::WindowText(f.Hwnd()), "Kestova");
           // Both icons are set, and dragging the minimized window shows the large one.
           const LRESULT big = SendMessageA(f.Hwnd(), WM_GETICON, ICON_BIG, 0);
           EXPECT_NE(big, 0);
           EXPECT_NE(SendMessageA(f.Hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
           EXPECT_EQ(SendMessageA(f.Hwnd(), WM_QUERYDRAGICON, 0, 0), big);
           ExpectLayout(f.Hwnd(), f.List(), f.Hint());
           EXPECT_TRUE(KillTimer(f.Hwnd(), IDT_HINT)) << "the hint timer runs";
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
  EXPECT_EQ(f.result, IDCANCEL);
  EXPECT_TRUE(f.prompter.events.empty());
}

TEST(MainDialog, StartsWithTheStoredSizeAndColumnWidthsAndEscStoresTheCurrentOnes) {
  Fixture f;
  WriteStateFile(f.StateFile(), {100, 640, 480, 11, 12, 13, 14, 15, 16, 17});
  f.Run({Do([&] {
           const SIZE size = OuterSize(f.Hwnd());
           EXPECT_EQ(size.cx, 640);
           EXPECT_EQ(size.cy, 480);
           for (int c = 0; c < 7; ++c) EXPECT_EQ(ListView_GetColumnWidth(f.List(), c), 11 + c);
           // The user drags a column edge and the window's frame.
           ListView_SetColumnWidth(f.List(), 3, 77);
           SetWindowPos(f.Hwnd(), nullptr, 0, 0, 555, 333, SWP_NOMOVE | SWP_NOZORDER);
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
  EXPECT_EQ(f.result, IDCANCEL);
  const WindowState saved = LoadWindowState(f.folder.Path());
  EXPECT_EQ(saved.width, 555);
  EXPECT_EQ(saved.height, 333);
  const int expected[7] = {11, 12, 13, 77, 15, 16, 17};
  for (int c = 0; c < 7; ++c) EXPECT_EQ(saved.columnWidths[c], expected[c]) << c;
}

TEST(MainDialog, ClosingMinimizedStoresTheSizeItWouldBeRestoredTo) {
  {
    Fixture f;
    f.Run({Do([&] { SetWindowPos(f.Hwnd(), nullptr, 0, 0, 620, 410, SWP_NOMOVE | SWP_NOZORDER); }),
           Do([&] { ShowWindow(f.Hwnd(), SW_MINIMIZE); }),
           Do([&] {
             EXPECT_TRUE(IsIconic(f.Hwnd()));
             SendMessageA(f.Hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
           })});
    const WindowState saved = LoadWindowState(f.folder.Path());
    EXPECT_EQ(saved.width, 620);
    EXPECT_EQ(saved.height, 410);
  }
  {
    Fixture f;
    SIZE maximized = {};
    f.Run({Do([&] { ShowWindow(f.Hwnd(), SW_MAXIMIZE); }), Do([&] {
             maximized = OuterSize(f.Hwnd());
             ShowWindow(f.Hwnd(), SW_MINIMIZE);
           }),
           Do([&] { SendMessageA(f.Hwnd(), WM_CLOSE, 0, 0); })});
    const WindowState saved = LoadWindowState(f.folder.Path());
    EXPECT_GT(maximized.cx, 600);
    EXPECT_EQ(saved.width, maximized.cx);
    EXPECT_EQ(saved.height, maximized.cy);
  }
}

namespace {

// Pixels of text in the hint line as its window shows them (the pixels the screen
// gets): dark ones inside its edge.
int HintTextPixels(HWND hint) {
  RECT r;
  GetClientRect(hint, &r);
  InflateRect(&r, -2, -2);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return 0;
  HDC screen = GetDC(hint);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  int dark = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const COLORREF c = GetPixel(memory, x, y);
      if (GetRValue(c) < 0x50 && GetGValue(c) < 0x50 && GetBValue(c) < 0x50) ++dark;
    }
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(hint, screen);
  return dark;
}

}  // namespace

// The hint line shows its text again at once after the window is made larger or
// maximised, not only at the next tick of the hint timer (stopped here).
TEST(MainDialog, TheHintLineShowsItsTextRightAfterEveryLayoutChange) {
  Fixture f;
  const auto textShown = [&f] { return HintTextPixels(f.Hint()) > 20; };
  f.Run({Do([&] { EXPECT_TRUE(KillTimer(f.Hwnd(), IDT_HINT)); }),
         Until(textShown, "the first hint on screen"),
         Do([&] { ShowWindow(f.Hwnd(), SW_MAXIMIZE); }),
         Until([&] { return IsZoomed(f.Hwnd()) && textShown(); }, "the hint on screen after maximising"),
         Do([&] { ShowWindow(f.Hwnd(), SW_RESTORE); }),
         Until([&] { return !IsZoomed(f.Hwnd()) && textShown(); }, "the hint on screen after restoring"),
         Do([&] { SetWindowPos(f.Hwnd(), nullptr, 0, 0, 900, 650, SWP_NOMOVE | SWP_NOZORDER); }),
         Until(textShown, "the hint on screen after enlarging"),
         Do([&] {
           EXPECT_EQ(wintest::WindowText(f.Hint()), kHints[0]);
           PressKeys({VK_ESCAPE});
         })});
}

TEST(MainDialog, LayoutKeepsTheHintLineOneCaptionHighAtTheBottom) {
  Fixture f;
  std::vector<Step> steps;
  const SIZE sizes[] = {{600, 400}, {900, 700}, {300, 200}, {200, 60}, {640, 480}};
  for (const SIZE s : sizes) {
    steps.push_back(Do([&f, s] { SetWindowPos(f.Hwnd(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER); }));
    steps.push_back(Do([&f] { ExpectLayout(f.Hwnd(), f.List(), f.Hint()); }));
  }
  // A client area lower than the hint line: the list gets no height at all.
  steps.push_back(Do([&f] {
    const int h = GetSystemMetrics(SM_CYCAPTION);
    SendMessageA(f.Hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, h / 2));
    const RECT l = ChildRect(f.List()), t = ChildRect(f.Hint());
    EXPECT_EQ(l.bottom - l.top, 0);
    EXPECT_EQ(t.top, h / 2 - h);
    EXPECT_EQ(t.bottom - t.top, h);
  }));
  steps.push_back(Do([] { PressKeys({VK_ESCAPE}); }));
  f.Run(steps);
}

TEST(MainDialog, HintsRotateOnEveryTickStartingOverWithTheFirst) {
  Fixture f;
  std::vector<std::string> shown;
  f.Run({Do([&] {
           shown.push_back(wintest::WindowText(f.Hint()));
           for (int tick = 0; tick < 7; ++tick) {
             SendMessageA(f.Hwnd(), WM_TIMER, 4711, 0);  // the id is not looked at
             shown.push_back(wintest::WindowText(f.Hint()));
           }
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
  const std::vector<std::string> expected = {kHints[0], kHints[0], kHints[1], kHints[2],
                                             kHints[3], kHints[4], kHints[0], kHints[1]};
  EXPECT_EQ(shown, expected);
}

TEST(MainDialog, MenuTextsAreExact) {
  Fixture f;
  f.Run({Do([&] {
           HMENU bar = GetMenu(f.Hwnd());
           ASSERT_NE(bar, nullptr);
           const auto text = [](HMENU menu, UINT item, UINT by) {
             char buffer[128] = "";
             GetMenuStringA(menu, item, buffer, sizeof buffer, by);
             return std::string(buffer);
           };
           const char* const popups[] = {"ファイル (&F)", "エンコード情報の編集(&E)", "エンコード(&D)", "ヘルプ(&H)"};
           ASSERT_EQ(GetMenuItemCount(bar), 4);
           for (int i = 0; i < 4; ++i) EXPECT_EQ(text(bar, i, MF_BYPOSITION), popups[i]);
           struct Item {
             int popup;
             int position;
             UINT id;
             const char* text;
           };
           const Item items[] = {
               {0, 0, ID_FILE_IMPORT, "エンコード情報を読み込む (&O)\tCtrl + Shift + O"},
               {0, 1, ID_FILE_EXPORT, "エンコード情報を保存する (&S)\tCtrl + (Shift) +S"},
               {0, 3, ID_FILE_EXIT, "終了する (&X)\tEsc"},
               {1, 0, ID_EDIT_ADD_FILES, "曲をリストに追加する (&A)\tCtrl + O"},
               {1, 1, ID_EDIT_ADD_FOLDER, "フォルダ内の曲を追加する (&F)\tCtrl + Shift + A"},
               {1, 2, ID_EDIT_REMOVE, "曲をリストから削除する (&D)\tDelete"},
               {1, 4, ID_EDIT_TRACK_INFO, "曲情報を編集する (&T)\tAlt + Enter"},
               {1, 5, ID_EDIT_READ_TAGS, "WAVEファイルのタグを読み込む (&R)\tCtrl + R"},
               {2, 0, ID_ENCODE_START, "エンコードを開始する (&E)\tEnter"},
               {3, 0, ID_HELP_ABOUT, "バージョン情報 (&V)"},
               {3, 1, ID_HELP_MANUAL, "説明書を開く (&C)"},
           };
           const int counts[] = {4, 6, 1, 2};
           for (int p = 0; p < 4; ++p) EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, p)), counts[p]);
           for (const Item& item : items) {
             HMENU popup = GetSubMenu(bar, item.popup);
             EXPECT_EQ(GetMenuItemID(popup, item.position), item.id);
             EXPECT_EQ(text(popup, item.position, MF_BYPOSITION), item.text);
             EXPECT_EQ(GetMenuState(popup, item.position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u);
           }
           EXPECT_TRUE(GetMenuState(GetSubMenu(bar, 0), 2, MF_BYPOSITION) & MF_SEPARATOR);
           EXPECT_TRUE(GetMenuState(GetSubMenu(bar, 1), 3, MF_BYPOSITION) & MF_SEPARATOR);
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
}

TEST(MainDialog, AcceleratorsRouteTheirKeysToTheirCommands) {
  // The table: virtual keys, none flashing the menu bar.
  const HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_ACCEL));
  std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
  CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
  std::vector<std::string> keys;
  for (const ACCEL& a : entries) {
    keys.push_back(std::to_string(a.fVirt & ~FNOINVERT) + " " + std::to_string(a.key) + " " + std::to_string(a.cmd));
  }
  const auto key = [](int modifiers, int vk, int command) {
    return std::to_string(FVIRTKEY | modifiers) + " " + std::to_string(vk) + " " + std::to_string(command);
  };
  EXPECT_EQ(keys, (std::vector<std::string>{
                      key(FCONTROL, 'O', ID_EDIT_ADD_FILES), key(FCONTROL | FSHIFT, 'O', ID_FILE_IMPORT),
                      key(FCONTROL, 'S', ID_FILE_EXPORT), key(FCONTROL | FSHIFT, 'S', ID_FILE_EXPORT),
                      key(0, VK_RETURN, ID_ENCODE_START), key(FALT, VK_RETURN, ID_EDIT_TRACK_INFO),
                      key(FCONTROL, 'R', ID_EDIT_READ_TAGS), key(FCONTROL, 'A', ID_EDIT_SELECT_ALL),
                      key(FCONTROL | FSHIFT, 'A', ID_EDIT_ADD_FOLDER)}));
  for (const ACCEL& a : entries) EXPECT_TRUE(a.fVirt & FNOINVERT) << a.cmd;

  Fixture f;
  f.prompter.fileChoices = {{}, {"C:\\in\\b.wav", "C:\\in\\a.txt"}};
  f.Run({
      // Enter starts the encoding command (which itself does nothing for an empty list).
      Do([] { PressKeys({VK_RETURN}); }),
      Do([&] {
        EXPECT_EQ(f.encodingRuns, std::vector<int>{0});
        EXPECT_TRUE(f.prompter.events.empty());
        PressKeys({VK_CONTROL, 'O'});  // cancelled
      }),
      Do([&] {
        ASSERT_EQ(f.prompter.fileDialogs.size(), 1u);
        const FileDialogRequest& add = f.prompter.fileDialogs[0];
        EXPECT_FALSE(add.save);
        EXPECT_EQ(add.filter, fixed_texts::kWavFilter);
        EXPECT_EQ(add.defaultExtension, "wav");
        EXPECT_EQ(add.bufferSize, 16640u);
        EXPECT_EQ(add.flags, unsigned{kAllowMultiSelect | kFileMustExist | kPathMustExist | kHideReadOnly});
        EXPECT_TRUE(Rows(f.dialog).empty());
        PressKeys({VK_CONTROL, 'O'});  // two files chosen: both added, whatever their type
      }),
      Do([&] {
        EXPECT_EQ(Rows(f.dialog), (std::vector<std::string>{"C:\\in\\a.txt", "C:\\in\\b.wav"}));
        EXPECT_EQ(ListView_GetItemCount(f.List()), 2);
        PressKeys({VK_CONTROL, VK_SHIFT, 'O'});
      }),
      Do([&] {
        ASSERT_EQ(f.prompter.fileDialogs.size(), 3u);
        EXPECT_FALSE(f.prompter.fileDialogs[2].save);
        EXPECT_EQ(f.prompter.fileDialogs[2].filter, fixed_texts::kCsvFilter);
        PressKeys({VK_CONTROL, 'S'});
      }),
      Do([&] {
        ASSERT_EQ(f.prompter.fileDialogs.size(), 4u);
        EXPECT_TRUE(f.prompter.fileDialogs[3].save);
        PressKeys({VK_CONTROL, VK_SHIFT, 'S'});
      }),
      Do([&] {
        ASSERT_EQ(f.prompter.fileDialogs.size(), 5u);
        EXPECT_TRUE(f.prompter.fileDialogs[4].save);
        EXPECT_EQ(f.encodingRuns.size(), 1u);
        PressKeys({VK_RETURN});  // the encoding command again, now with two rows
      }),
      Do([&] {
        EXPECT_EQ(f.encodingRuns, (std::vector<int>{0, 2}));
        EXPECT_TRUE(IsWindowVisible(f.Hwnd())) << "Enter never closes the window";
        PressKeys({VK_CONTROL, 'A'});  // select every row
      }),
      Do([&] {
        EXPECT_EQ(ModelSelection(f.dialog.Tracks()), (std::vector<int>{0, 1}));
        EXPECT_EQ(ShownSelection(f.List()), (std::vector<int>{0, 1}));
        PressKeys({VK_CONTROL, VK_SHIFT, 'A'});  // the folder browser, cancelled
      }),
      Do([&] {
        EXPECT_EQ(f.prompter.folderTitles, std::vector<std::string>{fixed_texts::kAddFolderTitle});
        EXPECT_EQ(ModelSelection(f.dialog.Tracks()), (std::vector<int>{0, 1})) << "Ctrl+Shift+A is not Ctrl+A";
        EXPECT_EQ(Rows(f.dialog).size(), 2u);
        PressKeys({VK_MENU, VK_RETURN});  // edit the selected tracks
      }),
      Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO)) != nullptr; }),
      Do([] { PressKeys({VK_ESCAPE}); }),  // Esc closes the track dialog only
      Do([&] {
        EXPECT_EQ(wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO)), nullptr);
        EXPECT_TRUE(IsWindowVisible(f.Hwnd()));
        EXPECT_EQ(f.encodingRuns.size(), 2u);
        PressKeys({VK_ESCAPE});
      }),
  });
  EXPECT_EQ(f.result, IDCANCEL);
  EXPECT_TRUE(f.prompter.messages.empty());
}

TEST(MainDialog, DroppedItemsFollowTheWavRuleAndSkipOverlongPaths) {
  Fixture f;
  const std::string folder254 = "C:\\" + std::string(250, 'd') + "\\";  // 254 bytes
  f.Run({Do([&] {
           Drop(f.Hwnd(), {"C:\\x\\A.WAV", "C:\\x\\a.wave", "C:\\x\\folder", "C:\\x\\dir.wav",
                           "C:\\x\\表ソ.Wav", folder254 + "a.wav", folder254 + "ab.wav", "C:\\x\\wav"});
           // Dropping what is listed already changes nothing and says nothing.
           f.dialog.Tracks().SetItemText(0, kColumnTitle, "kept");
           Drop(f.Hwnd(), {"C:\\x\\A.WAV"});
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
  // 259 bytes are taken; 260 are skipped, never cut short.
  EXPECT_EQ(Rows(f.dialog), (std::vector<std::string>{folder254 + "a.wav", "C:\\x\\A.WAV",
                                                      "C:\\x\\dir.wav", "C:\\x\\表ソ.Wav"}));
  EXPECT_EQ(f.dialog.Tracks().GetItemText(0, kColumnTitle), "kept");
  EXPECT_TRUE(f.prompter.messages.empty());
}

// Real folders dropped with a file and two list files: the WAV files of the whole tree
// and the file are added first, in one batch, then the list files are read in the order
// of their paths, so their lines for paths the drop added change nothing. A drop that
// runs out of memory applies nothing, its list file included.
TEST(MainDialog, DroppedFoldersAreWalkedAndDroppedListFilesReadAfterThem) {
  Fixture f;
  wintest::MessageBoxAnswerer boxes(ApplicationName());
  ScratchFolder scratch;
  const std::string m = scratch.Path();
  for (const char* file : {"album\\01.wav", "album\\ディスク２\\02.WAV", "album\\cover.jpg", "loose.wav",
                           "empty\\notes.txt", "more\\03.wav", "more\\04.wav"}) {
    MakeFile(m + file);
  }
  const std::string header = std::string(fixed_texts::kEncodingInfoHeader) + "\r\n";
  MakeFile(m + "b.csv", header + m + "album\\01.wav,100,from b,,,,\r\n" + m + "z.wav,100,Z from b,,,,\r\n");
  MakeFile(m + "A.csv", header + m + "z.wav,100,Z from A,,,,\r\n");
  MakeFile(m + "c.csv", header + m + "y.wav,100,Y,,,,\r\n");
  std::vector<std::string> before;
  f.Run({Do([&] {
           Drop(f.Hwnd(), {m + "album", m + "loose.wav", m + "b.csv", m + "A.csv"});
           EXPECT_EQ(Rows(f.dialog), (std::vector<std::string>{m + "album\\01.wav", m + "album\\ディスク２\\02.WAV", m + "loose.wav",
                                                              m + "z.wav"}));
           EXPECT_EQ(ListView_GetItemCount(f.List()), 4);
           EXPECT_EQ(f.dialog.Tracks().GetItemText(0, kColumnTitle), "01");
           EXPECT_EQ(f.dialog.Tracks().GetItemText(3, kColumnTitle), "Z from A");
           EXPECT_TRUE(f.prompter.messages.empty());
           Drop(f.Hwnd(), {m + "empty", m + "cover.jpg"});
           EXPECT_EQ(f.prompter.messages,
                     std::vector<std::string>{std::string(fixed_texts::kNoWavInFolders) + "\n" + m + "empty"});
           EXPECT_EQ(Rows(f.dialog).size(), 4u);
           before = Rows(f.dialog);
           f.dialog.Tracks().FailAllocationStep(1);
           Drop(f.Hwnd(), {m + "c.csv", m + "more"}, true);
         }),
         Until([&] { return !boxes.texts.empty(); }, "the out-of-memory message"),
         Do([&] {
           EXPECT_EQ(boxes.texts, std::vector<std::string>{kOutOfMemoryMessage});
           EXPECT_EQ(Rows(f.dialog), before);
           EXPECT_EQ(ListView_GetItemCount(f.List()), 4);
           PressKeys({VK_ESCAPE});
         })});
  EXPECT_EQ(f.result, IDCANCEL);
  EXPECT_EQ(f.prompter.messages.size(), 1u);
}

TEST(MainDialog, UserSelectionReachesTheModelAndSurvivesAddsAndRemovals) {
  Fixture f;
  f.Run({Do([&] {
           Drop(f.Hwnd(), {"C:\\m.wav", "C:\\t.wav"});
           SelectInControl(f.List(), 0, true);  // C:\m.wav
           EXPECT_EQ(ModelSelection(f.dialog.Tracks()), std::vector<int>{0});
           // Rows inserted before the selected one move it down; it stays selected.
           Drop(f.Hwnd(), {"C:\\a.wav", "C:\\b.wav", "C:\\z.wav"});
           EXPECT_EQ(ModelSelection(f.dialog.Tracks()), std::vector<int>{2});
           EXPECT_EQ(ShownSelection(f.List()), std::vector<int>{2});
           // Shift+Down extends the selection from the focused row.
           ListView_SetItemState(f.List(), 2, LVIS_FOCUSED, LVIS_FOCUSED);
           SetFocus(f.List());
           PressKeys({VK_SHIFT, VK_DOWN});
         }),
         Do([&] {
           EXPECT_EQ(ModelSelection(f.dialog.Tracks()), (std::vector<int>{2, 3}));
           EXPECT_EQ(ShownSelection(f.List()), (std::vector<int>{2, 3}));
           // Delete with the focus on the list removes the selected rows.
           PressKeys({VK_DELETE});
         }),
         Do([&] {
           EXPECT_EQ(Rows(f.dialog), (std::vector<std::string>{"C:\\a.wav", "C:\\b.wav", "C:\\z.wav"}));
           EXPECT_TRUE(ShownSelection(f.List()).empty());
           // Removing a row before a selected one keeps the selection on the right row.
           SelectInControl(f.List(), 0, true);
           SelectInControl(f.List(), 2, true);
           SendMessageA(f.Hwnd(), WM_COMMAND, ID_EDIT_REMOVE, 0);
           EXPECT_EQ(Rows(f.dialog), std::vector<std::string>{"C:\\b.wav"});
           SelectInControl(f.List(), 0, true);
           Drop(f.Hwnd(), {"C:\\c.wav", "C:\\a.wav"});
           EXPECT_EQ(ModelSelection(f.dialog.Tracks()), std::vector<int>{1});
           EXPECT_EQ(ShownSelection(f.List()), std::vector<int>{1});
           // Clicking elsewhere deselects everything at once (row -1 in the notification).
           ListView_SetItemState(f.List(), -1, 0, LVIS_SELECTED);
           EXPECT_TRUE(ModelSelection(f.dialog.Tracks()).empty());
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
}

// The list holds its painting back while it takes a new count and selection, then is
// repainted whole: it stays visible, gains its scroll bar, has its rows to paint, and
// paints again on later changes.
TEST(MainDialog, AfterAnAddTheListIsRepaintedOnceWithItsScrollBar) {
  Fixture f;
  f.Run({Do([&] {
           UpdateWindow(f.Hwnd());
           std::vector<std::string> paths;
           for (int i = 0; i < 300; ++i) paths.push_back("C:\\many\\" + std::to_string(i) + ".wav");
           Drop(f.Hwnd(), paths);
           EXPECT_TRUE(IsWindowVisible(f.List()));
           EXPECT_NE(GetWindowLongA(f.List(), GWL_STYLE) & WS_VSCROLL, 0);
           EXPECT_TRUE(GetUpdateRect(f.List(), nullptr, FALSE));
           UpdateWindow(f.List());
           EXPECT_FALSE(GetUpdateRect(f.List(), nullptr, FALSE));
           ListView_RedrawItems(f.List(), 0, 0);  // painting is allowed again
           EXPECT_TRUE(GetUpdateRect(f.List(), nullptr, FALSE));
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
}

namespace {

// Clicks row `row` of the list with `modifiers` held, as the user does.
void ClickRow(HWND list, int row, std::initializer_list<WORD> modifiers = {}) {
  RECT r;
  ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
  wintest::Click(list, {r.left + 20, (r.top + r.bottom) / 2}, false, 1, modifiers);
}

// The paths of the selected rows, after checking that the control shows the model's
// selection, focused row and anchor.
std::vector<std::string> Selected(CMainDialog& dialog, HWND list) {
  TrackList& tracks = dialog.Tracks();
  EXPECT_EQ(ShownSelection(list), ModelSelection(tracks));
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), tracks.GetFocusedTrack());
  EXPECT_EQ(ListView_GetSelectionMark(list), tracks.GetAnchorTrack());
  std::vector<std::string> paths;
  for (int row : ModelSelection(tracks)) paths.emplace_back(tracks.GetItemText(row, kColumnPath));
  return paths;
}

// The paths of the focused row and of the anchor ("" for none).
std::pair<std::string, std::string> FocusAndAnchor(CMainDialog& dialog) {
  TrackList& tracks = dialog.Tracks();
  const auto path = [&](int row) { return row < 0 ? std::string() : std::string(tracks.GetItemText(row, kColumnPath)); };
  return {path(tracks.GetFocusedTrack()), path(tracks.GetAnchorTrack())};
}

using Paths = std::vector<std::string>;
using Pair = std::pair<std::string, std::string>;

}  // namespace

// Shift+click and Shift+arrows extend from the track the user last clicked, wherever
// rows were added or removed since.
TEST(MainDialog, FocusAndAnchorStayOnTheirTracks) {
  Fixture f;
  const std::string list = f.folder.Path() + "above.csv";
  {
    FILE* file = std::fopen(list.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string bytes = std::string(fixed_texts::kEncodingInfoHeader) + "\r\nC:\\a.wav,100,A,,,,\r\nC:\\b.wav,100,B,,,,\r\n";
    std::fputs(bytes.c_str(), file);
    std::fclose(file);
  }
  f.prompter.fileChoices = {{list}};
  f.Run({
      // Rows added above the clicked one.
      Do([&] {
        Drop(f.Hwnd(), {"C:\\m.wav", "C:\\t.wav", "C:\\x.wav"});
        ClickRow(f.List(), 0);
      }),
      Do([&] {
        EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\m.wav", "C:\\m.wav"));
        Drop(f.Hwnd(), {"C:\\a.wav", "C:\\b.wav"});
        EXPECT_EQ(Selected(f.dialog, f.List()), Paths{"C:\\m.wav"});
        ClickRow(f.List(), 3, {VK_SHIFT});  // t
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\m.wav", "C:\\t.wav"}));
        Drop(f.Hwnd(), {"C:\\c.wav"});
        EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\t.wav", "C:\\m.wav"));
        PressKeys({VK_SHIFT, VK_DOWN});
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\m.wav", "C:\\t.wav", "C:\\x.wav"}));
        // The anchor's row removed with the row above it: both move to the row that
        // takes their place.
        ClickRow(f.List(), 0);  // a
      }),
      Do([] { PressKeys({VK_SHIFT, VK_DOWN}); }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\a.wav", "C:\\b.wav"}));
        PressKeys({VK_DELETE});
      }),
      Do([&] {
        EXPECT_EQ(Rows(f.dialog), (Paths{"C:\\c.wav", "C:\\m.wav", "C:\\t.wav", "C:\\x.wav"}));
        EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\c.wav", "C:\\c.wav"));
        PressKeys({VK_SHIFT, VK_DOWN});
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\c.wav", "C:\\m.wav"}));
        ClickRow(f.List(), 2, {VK_SHIFT});  // t
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\c.wav", "C:\\m.wav", "C:\\t.wav"}));
        // The last row removed: both move to the new last row.
        ClickRow(f.List(), 3);  // x
      }),
      Do([] { PressKeys({VK_DELETE}); }),
      Do([&] {
        EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\t.wav", "C:\\t.wav"));
        PressKeys({VK_SHIFT, VK_UP});
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\m.wav", "C:\\t.wav"}));
        ClickRow(f.List(), 0, {VK_SHIFT});  // c
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\c.wav", "C:\\m.wav", "C:\\t.wav"}));
        // An import above the clicked row.
        ClickRow(f.List(), 1);  // m
      }),
      Do([] { PressKeys({VK_CONTROL, VK_SHIFT, 'O'}); }),
      Do([&] {
        EXPECT_EQ(Rows(f.dialog), (Paths{"C:\\a.wav", "C:\\b.wav", "C:\\c.wav", "C:\\m.wav", "C:\\t.wav"}));
        EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\m.wav", "C:\\m.wav"));
        PressKeys({VK_SHIFT, VK_DOWN});
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\m.wav", "C:\\t.wav"}));
        ClickRow(f.List(), 1, {VK_SHIFT});  // b
      }),
      Do([&] {
        EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\b.wav", "C:\\c.wav", "C:\\m.wav"}));
        // An empty list has neither.
        ListView_SetItemState(f.List(), -1, LVIS_SELECTED, LVIS_SELECTED);
        PressKeys({VK_DELETE});
      }),
      Do([&] {
        EXPECT_TRUE(Rows(f.dialog).empty());
        EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("", ""));
        EXPECT_TRUE(Selected(f.dialog, f.List()).empty());
        PressKeys({VK_ESCAPE});
      }),
  });
  EXPECT_TRUE(f.prompter.messages.empty());
}

TEST(MainDialog, RightDoubleClickPlaysTheFirstSelectedRowAndTheManualComesFromTheProgramFolder) {
  Fixture f;
  f.Run({Do([&] {
           Drop(f.Hwnd(), {"C:\\a.wav", "C:\\b.wav", "C:\\c.wav"});
           SelectInControl(f.List(), 0, true);
           SelectInControl(f.List(), 2, true);
           RECT row;
           ListView_GetItemRect(f.List(), 2, &row, LVIR_BOUNDS);
           wintest::DoubleClick(f.List(), {row.left + 20, (row.top + row.bottom) / 2}, true);
         }),
         Do([&] {
           EXPECT_EQ(f.opened, std::vector<std::string>{"C:\\a.wav"});
           SendMessageA(f.Hwnd(), WM_COMMAND, ID_HELP_MANUAL, 0);
           EXPECT_EQ(f.opened.back(), f.folder.Path() + "ReadMe.html");
           // The player may say why it failed; for the manual only our message speaks.
           EXPECT_EQ(f.systemReports, (std::vector<bool>{true, false}));
           EXPECT_TRUE(f.prompter.messages.empty());
           f.shellSucceeds = false;
           SendMessageA(f.Hwnd(), WM_COMMAND, ID_HELP_MANUAL, 0);
           EXPECT_EQ(f.prompter.messages, std::vector<std::string>{fixed_texts::kManualFailed});
           // With nothing selected there is nothing to play.
           ListView_SetItemState(f.List(), -1, 0, LVIS_SELECTED);
           f.opened.clear();
           RECT row;
           ListView_GetItemRect(f.List(), 2, &row, LVIR_BOUNDS);
           ListView_SetItemState(f.List(), -1, 0, LVIS_SELECTED);
           NMHDR header = {f.List(), IDC_TRACK_LIST, static_cast<UINT>(NM_RDBLCLK)};
           EXPECT_EQ(SendMessageA(f.Hwnd(), WM_NOTIFY, IDC_TRACK_LIST, reinterpret_cast<LPARAM>(&header)), 0);
           EXPECT_TRUE(f.opened.empty());
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
}

TEST(MainDialog, DoubleClickEditsTheSelectedRowsAndTheListShowsTheResult) {
  Fixture f;
  f.Run({Do([&] {
           Drop(f.Hwnd(), {"C:\\a.wav", "C:\\b.wav"});
           RECT row;
           ListView_GetItemRect(f.List(), 1, &row, LVIR_BOUNDS);
           wintest::DoubleClick(f.List(), {row.left + 20, (row.top + row.bottom) / 2}, false);
         }),
         Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO)) != nullptr; }),
         Do([] {
           HWND edit = wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO));
           SetDlgItemTextA(edit, IDC_AUTHOR, "作者");  // ticks "change" like typing does
           PressKeys({VK_RETURN});
         }),
         Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO)) == nullptr; }),
         Do([&] {
           EXPECT_EQ(f.dialog.Tracks().GetItemText(1, kColumnAuthor), "作者");
           EXPECT_EQ(f.dialog.Tracks().GetItemText(0, kColumnAuthor), "");
           char shown[64] = "";
           ListView_GetItemText(f.List(), 1, kColumnAuthor, shown, sizeof shown);
           EXPECT_STREQ(shown, "作者");
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
}

TEST(MainDialog, AboutBoxTakesItsOwnKeysAndScreenshotsOfBothWindows) {
  Fixture f;
  f.Run({Do([&] {
           std::vector<std::string> paths;
           for (int i = 0; i < 40; ++i) {
             paths.push_back("C:\\Users\\太郎\\Music\\アルバム " + std::to_string(i % 3) + "\\トラック" +
                             std::to_string(i) + ".wav");
           }
           Drop(f.Hwnd(), paths);
           f.dialog.Tracks().SetItemText(0, kColumnAuthor, "山田 太郎");
           f.dialog.Tracks().SetItemText(0, kColumnCopyright, "(C) 2026 山田");
           f.dialog.Tracks().SetItemText(1, kColumnSavePath, "D:\\出力\\トラック1.wma");
           f.dialog.List().Refresh();
           SelectInControl(f.List(), 1, true);
           SelectInControl(f.List(), 2, true);
           SendMessageA(f.Hwnd(), WM_TIMER, IDT_HINT, 0);
           SendMessageA(f.Hwnd(), WM_TIMER, IDT_HINT, 0);  // a longer hint
         }),
         wintest::Pause(500),
         Do([&] { EXPECT_TRUE(wintest::Screenshot(f.Hwnd(), "main-window")); }),
         Do([&] { PostMessageA(f.Hwnd(), WM_COMMAND, ID_HELP_ABOUT, 0); }),
         Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_ABOUT)) != nullptr; }),
         Do([&] {
           HWND about = wintest::FindThreadWindow(wintest::DialogCaption(IDD_ABOUT));
           EXPECT_EQ(GetWindow(about, GW_OWNER), f.Hwnd());
           EXPECT_FALSE(IsWindowEnabled(f.Hwnd()));
           std::string all;
           for (HWND c = GetWindow(about, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) all += wintest::WindowText(c) + "|";
           EXPECT_NE(all.find("Kestova 1.01 R1|"), std::string::npos) << all;
         }),
         wintest::Pause(500),  // let the box reach the screen before it is photographed
         Do([&] {
           EXPECT_TRUE(wintest::Screenshot(wintest::FindThreadWindow(wintest::DialogCaption(IDD_ABOUT)), "about-box"));
           // Enter belongs to the about box now: it closes it and starts no encoding.
           PressKeys({VK_RETURN});
         }),
         Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_ABOUT)) == nullptr; }),
         Do([&] {
           EXPECT_TRUE(f.encodingRuns.empty());
           EXPECT_TRUE(IsWindowEnabled(f.Hwnd()));
           EXPECT_TRUE(IsWindowVisible(f.Hwnd()));
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
  EXPECT_EQ(f.result, IDCANCEL);
}

// Memory running out half way through adding many files: the message, the list exactly
// as it was (no row of the batch, the same selection, focus and anchor) and a window
// that goes on working.
TEST(MainDialog, AnAddThatRunsOutOfMemoryLeavesTheListAsItWasAndTheWindowUsable) {
  Fixture f;
  wintest::MessageBoxAnswerer boxes(ApplicationName());
  std::vector<FakePrompter::Choice> many;
  for (int i = 0; i < 2000; ++i) many.push_back("C:\\many\\" + std::to_string(i) + ".wav");
  f.prompter.fileChoices = {many, {"C:\\later.wav"}};
  std::vector<std::string> before;
  f.Run({Do([&] {
           Drop(f.Hwnd(), {"C:\\b.wav", "C:\\d.wav", "C:\\m.wav"});
           ClickRow(f.List(), 1);
         }),
         Do([&] {
           before = Rows(f.dialog);
           f.dialog.Tracks().FailAllocationStep(1000);
           PressKeys({VK_CONTROL, 'O'});
         }),
         Until([&] { return !boxes.texts.empty(); }, "the out-of-memory message"),
         Do([&] {
           EXPECT_EQ(boxes.texts, std::vector<std::string>{kOutOfMemoryMessage});
           EXPECT_EQ(boxes.owners, std::vector<HWND>{f.Hwnd()});
           EXPECT_EQ(Rows(f.dialog), before);
           EXPECT_EQ(ListView_GetItemCount(f.List()), 3);
           EXPECT_EQ(Selected(f.dialog, f.List()), Paths{"C:\\d.wav"});
           EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\d.wav", "C:\\d.wav"));
           EXPECT_TRUE(IsWindowEnabled(f.Hwnd()));
           PressKeys({VK_CONTROL, 'O'});
         }),
         Do([&] {
           EXPECT_EQ(Rows(f.dialog), (Paths{"C:\\b.wav", "C:\\d.wav", "C:\\later.wav", "C:\\m.wav"}));
           EXPECT_EQ(ListView_GetItemCount(f.List()), 4);
           PressKeys({VK_SHIFT, VK_DOWN});
         }),
         Do([&] {
           EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\d.wav", "C:\\later.wav"}));
           PressKeys({VK_ESCAPE});
         })});
  EXPECT_EQ(f.result, IDCANCEL);
  EXPECT_EQ(boxes.texts.size(), 1u);
  EXPECT_TRUE(f.prompter.messages.empty());
}

// Every way of closing asks before a list with changes not saved is lost, and No keeps
// the window as it was; once the list is saved it closes at once.
TEST(MainDialog, ClosingAListWithChangesAsksFirstAndNotOnceItIsSaved) {
  Fixture f;
  f.prompter.defaultAnswer = false;  // No
  const std::string saved = f.folder.Path() + "saved.csv";
  f.prompter.fileChoices = {{saved}};
  const auto askedEach = [&f](size_t times) {
    EXPECT_EQ(f.prompter.questions, std::vector<std::string>(times, fixed_texts::kCloseWithUnsavedChanges));
    for (const FakePrompter::Event& event : f.prompter.events) {
      EXPECT_EQ(event.kind, FakePrompter::Event::kQuestionDefaultNo);
    }
    EXPECT_TRUE(IsWindowVisible(f.Hwnd()));
    EXPECT_EQ(Rows(f.dialog), (std::vector<std::string>{"C:\\a.wav", "C:\\b.wav"}));
  };
  f.Run({Do([&] {
           Drop(f.Hwnd(), {"C:\\a.wav", "C:\\b.wav"});
           PressKeys({VK_ESCAPE});
         }),
         Do([&] {
           askedEach(1);
           PressKeys({VK_MENU, VK_F4});
         }),
         Do([&] {
           askedEach(2);
           SendMessageA(f.Hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
           askedEach(3);
           // The close box and the system menu's Close; the dialog manager posts their cancel.
           SendMessageA(f.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
         }),
         Until([&] { return f.prompter.questions.size() == 4; }, "the question after the close box"),
         Do([&] {
           askedEach(4);
           PressKeys({VK_CONTROL, 'S'});
         }),
         Do([&] {
           EXPECT_NE(GetFileAttributesA(saved.c_str()), INVALID_FILE_ATTRIBUTES) << "Ctrl+S saved the list";
           PressKeys({VK_ESCAPE});
         })});
  EXPECT_EQ(f.result, IDCANCEL);
  EXPECT_EQ(f.prompter.questions.size(), 4u) << "no question after the save";
  EXPECT_TRUE(f.prompter.messages.empty());
}

// The window's own question box: the question icon, Yes and No with No the default, so
// Enter keeps the window; Yes closes it.
TEST(MainDialog, TheClosingQuestionIsAQuestionBoxWhoseDefaultKeepsTheWindow) {
  ScratchFolder folder;
  CMainDialog dialog(folder.Path());  // its own message boxes
  INT_PTR result = 0;
  HWND box = nullptr;
  bool answeredYes = false;
  const auto boxShown = [&box] {
    box = wintest::FindThreadWindow(ApplicationName());
    return box != nullptr;
  };
  wintest::RunScript(
      {Until([&] {
         if (dialog.Hwnd() == nullptr || !IsWindowVisible(dialog.Hwnd())) return false;
         SetForegroundWindow(dialog.Hwnd());
         SetFocus(GetDlgItem(dialog.Hwnd(), IDC_TRACK_LIST));
         return GetForegroundWindow() == dialog.Hwnd();
       }),
       Do([&] {
         Drop(dialog.Hwnd(), {"C:\\Users\\太郎\\Music\\トラック1.wav"});
         PressKeys({VK_ESCAPE});
       }),
       Until(boxShown, "the question box"),
       wintest::Pause(500),  // let the box reach the screen before it is photographed
       Do([&] {
         EXPECT_EQ(GetWindow(box, GW_OWNER), dialog.Hwnd());
         std::string text;
         EnumChildWindows(box, wintest::CollectStaticText, reinterpret_cast<LPARAM>(&text));
         EXPECT_EQ(text, "リストの変更は保存されていません。終了しますか？");
         EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
         // No is the default button, and has the focus that Enter acts on.
         EXPECT_EQ(GetWindowLongA(GetDlgItem(box, IDNO), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
         EXPECT_EQ(GetFocus(), GetDlgItem(box, IDNO));
         bool questionIcon = false;
         const HICON question = LoadIconA(nullptr, MAKEINTRESOURCEA(32514));  // IDI_QUESTION
         for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
           if (reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0)) == question) questionIcon = true;
         }
         EXPECT_TRUE(questionIcon);
         EXPECT_TRUE(wintest::Screenshot(box, "close-question"));
         PressKeys({VK_RETURN});
       }),
       Until([] { return wintest::FindThreadWindow(ApplicationName()) == nullptr; }, "the box closed by Enter"),
       Do([&] {
         EXPECT_TRUE(IsWindowVisible(dialog.Hwnd()));
         EXPECT_EQ(dialog.Tracks().GetTrackCount(), 1);
         PressKeys({VK_ESCAPE});
       }),
       Until(boxShown, "the question box again"),
       Do([&] {
         answeredYes = true;
         PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDYES)));
       })},
      [&] { result = dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  EXPECT_TRUE(answeredYes) << "the window closed before the question was answered Yes";
  EXPECT_EQ(result, IDCANCEL);
}

// Ctrl+A selects every row, so that an edit reaches them all; Shift+arrows and
// Shift+click then go on from the focused row.
TEST(MainDialog, CtrlASelectsEveryRowAndShiftSelectionGoesOnFromTheFocusedRow) {
  Fixture f;
  const Paths all = {"C:\\a.wav", "C:\\b.wav", "C:\\c.wav", "C:\\d.wav"};
  f.Run({Do([&] {
           Drop(f.Hwnd(), all);
           ClickRow(f.List(), 1);  // b
         }),
         Do([] { PressKeys({VK_CONTROL, 'A'}); }),
         wintest::Pause(300),  // let the selection reach the screen before it is photographed
         Do([&] {
           EXPECT_EQ(Selected(f.dialog, f.List()), all);
           EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\b.wav", "C:\\b.wav"));
           EXPECT_TRUE(wintest::Screenshot(f.Hwnd(), "select-all"));
           PressKeys({VK_SHIFT, VK_DOWN});
         }),
         Do([&] {
           EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\b.wav", "C:\\c.wav"}));
           PressKeys({VK_CONTROL, 'A'});
         }),
         Do([&] {
           EXPECT_EQ(Selected(f.dialog, f.List()), all);
           EXPECT_EQ(FocusAndAnchor(f.dialog), Pair("C:\\c.wav", "C:\\c.wav"));
           ClickRow(f.List(), 0, {VK_SHIFT});  // a
         }),
         Do([&] {
           EXPECT_EQ(Selected(f.dialog, f.List()), (Paths{"C:\\a.wav", "C:\\b.wav", "C:\\c.wav"}));
           PressKeys({VK_CONTROL, 'A'});
           PressKeys({VK_MENU, VK_RETURN});
         }),
         Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO)) != nullptr; }),
         Do([] {
           HWND edit = wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO));
           SetDlgItemTextA(edit, IDC_AUTHOR, "全員");  // ticks "change" like typing does
           PressKeys({VK_RETURN});
         }),
         Until([] { return wintest::FindThreadWindow(wintest::DialogCaption(IDD_TRACK_INFO)) == nullptr; }),
         Do([&] {
           for (int row = 0; row < 4; ++row) {
             EXPECT_EQ(f.dialog.Tracks().GetItemText(row, kColumnAuthor), "全員") << row;
             char shown[64] = "";
             ListView_GetItemText(f.List(), row, kColumnAuthor, shown, sizeof shown);
             EXPECT_STREQ(shown, "全員") << row;
           }
           PressKeys({VK_ESCAPE});
         })});
  EXPECT_EQ(f.result, IDCANCEL);
}

// --- Scale: the same window at the screen's DPI (96 in the suite; scripts of the DPI run
// set 96 and 144 in a Wine prefix of their own and name it in BRUMLET_EXPECT_DPI). ---

namespace {

// The screen's DPI, as the test sees it; checked against the DPI the run asked for.
UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const char* expected = std::getenv("BRUMLET_EXPECT_DPI");
  if (expected != nullptr) {
    EXPECT_EQ(dpi, std::atoi(expected)) << "the prefix's LogPixels was not taken";
  }
  return static_cast<UINT>(dpi);
}

// The system's own per-DPI metric (Windows 10 1607 and later, and Wine).
int MetricForDpi(int index, UINT dpi) {
  using Function = int(WINAPI*)(int, UINT);
  const auto f = reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
  EXPECT_NE(f, nullptr);
  return f != nullptr ? f(index, dpi) : 0;
}

SIZE IconSize(LRESULT icon) {
  ICONINFO info = {};
  BITMAP bitmap = {};
  if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return {0, 0};
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return {bitmap.bmWidth, bitmap.bmHeight};
}

void ExpectIconsFor(HWND window, UINT dpi) {
  const SIZE big = IconSize(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
  const SIZE small = IconSize(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(big.cx, MetricForDpi(SM_CXICON, dpi));
  EXPECT_EQ(big.cy, MetricForDpi(SM_CYICON, dpi));
  EXPECT_EQ(small.cx, MetricForDpi(SM_CXSMICON, dpi));
  EXPECT_EQ(small.cy, MetricForDpi(SM_CYSMICON, dpi));
}

const int kDefaultWidths[7] = {200, 48, 90, 100, 100, 200, 200};
const std::vector<int32_t> kDefaultFile = {100, 600, 400, 200, 48, 90, 100, 100, 200, 200};

}  // namespace

TEST(MainDialogDpi, FirstStartOpensInProportionAndSavesTheSameBytesAsAt96) {
  const UINT dpi = ScreenDpi();
  Fixture f;
  f.Run({Do([&] {
           const SIZE size = OuterSize(f.Hwnd());
           EXPECT_EQ(size.cx, MulDiv(600, dpi, 96));
           EXPECT_EQ(size.cy, MulDiv(400, dpi, 96));
           for (int c = 0; c < 7; ++c) EXPECT_EQ(ListView_GetColumnWidth(f.List(), c), MulDiv(kDefaultWidths[c], dpi, 96)) << c;
           ExpectLayout(f.Hwnd(), f.List(), f.Hint(), MetricForDpi(SM_CYCAPTION, dpi));
           ExpectIconsFor(f.Hwnd(), dpi);
           Drop(f.Hwnd(), {"C:\\Users\\太郎\\Music\\コンサート\\第一楽章.wav", "C:\\Users\\太郎\\Music\\コンサート\\第二楽章.wav"});
           f.dialog.Tracks().SetItemText(0, kColumnAuthor, "山田 太郎");
           f.dialog.Tracks().SetItemText(0, kColumnCopyright, "(C) 2026 山田");
           f.dialog.Tracks().SetItemText(0, kColumnDescription, "ライブ録音");
           f.dialog.List().Refresh();
         }),
         wintest::Pause(500),  // let the window reach the screen before it is photographed
         Do([&] {
           EXPECT_TRUE(wintest::Screenshot(f.Hwnd(), "main-dpi" + std::to_string(dpi)));
           PressKeys({VK_ESCAPE});
         })});
  EXPECT_EQ(f.result, IDCANCEL);
  std::string expected(reinterpret_cast<const char*>(kDefaultFile.data()), 40);
  EXPECT_EQ(ScratchFolder::Read(f.StateFile()), expected);
}

TEST(MainDialogDpi, AFileWrittenAt96OpensInProportionAndIsWrittenBackUnchanged) {
  const UINT dpi = ScreenDpi();
  Fixture f;
  const std::vector<int32_t> stored = {100, 640, 480, 11, 12, 13, 14, 15, 16, 17};
  WriteStateFile(f.StateFile(), stored);
  const std::string written = ScratchFolder::Read(f.StateFile());
  f.Run({Do([&] {
           const SIZE size = OuterSize(f.Hwnd());
           EXPECT_EQ(size.cx, MulDiv(640, dpi, 96));
           EXPECT_EQ(size.cy, MulDiv(480, dpi, 96));
           for (int c = 0; c < 7; ++c) EXPECT_EQ(ListView_GetColumnWidth(f.List(), c), MulDiv(11 + c, dpi, 96)) << c;
         }),
         Do([] { PressKeys({VK_ESCAPE}); })});
  EXPECT_EQ(ScratchFolder::Read(f.StateFile()), written);
}

// Windows sends WM_DPICHANGED when the window moves to a monitor of another scale; Wine
// never does, so the test sends it as Windows would (the window's own DPI, which Wine
// keeps, is not the new one).
TEST(MainDialogDpi, MovingToAnotherScaleTakesTheSuggestedRectAndScalesColumnsHintAndIcons) {
  const UINT dpi = ScreenDpi();
  const UINT moved = dpi * 4 / 3;  // 96 -> 128, 144 -> 192
  const int h = MetricForDpi(SM_CYCAPTION, moved);
  ASSERT_NE(h, MetricForDpi(SM_CYCAPTION, dpi));
  Fixture f;
  RECT suggested = {40, 30, 40 + 700, 30 + 520};
  f.Run({Do([&] { SendMessageA(f.Hwnd(), WM_DPICHANGED, MAKEWPARAM(moved, moved), reinterpret_cast<LPARAM>(&suggested)); }),
         Until([&] { return ChildRect(f.Hint()).bottom - ChildRect(f.Hint()).top == h; }, "the hint line at the new height"),
         Do([&] {
           RECT frame;
           GetWindowRect(f.Hwnd(), &frame);
           EXPECT_TRUE(EqualRect(&frame, &suggested));
           for (int c = 0; c < 7; ++c) {
             EXPECT_EQ(ListView_GetColumnWidth(f.List(), c), MulDiv(MulDiv(kDefaultWidths[c], dpi, 96), moved, dpi)) << c;
           }
           ExpectLayout(f.Hwnd(), f.List(), f.Hint(), h);
           ExpectIconsFor(f.Hwnd(), moved);
           // A resize at the new scale keeps its rule.
           SetWindowPos(f.Hwnd(), nullptr, 0, 0, 650, 480, SWP_NOMOVE | SWP_NOZORDER);
         }),
         Do([&] {
           ExpectLayout(f.Hwnd(), f.List(), f.Hint(), h);
           PressKeys({VK_ESCAPE});
         })});
  // Stored in 96-DPI units of the new scale.
  const WindowState saved = LoadWindowState(f.folder.Path());
  EXPECT_EQ(saved.width, MulDiv(650, 96, moved));
  EXPECT_EQ(saved.height, MulDiv(480, 96, moved));
  for (int c = 0; c < 7; ++c) EXPECT_NEAR(saved.columnWidths[c], kDefaultWidths[c], 1) << c;
}

// The manifest, as the system's loader reads it, asks for per-monitor awareness (v2)
// where Windows has it and for system awareness before; icon 128 holds an image for the
// window icons of every common scale, 100 % to 200 %, and one for large views, so that
// none is stretched from another size. (Wine treats every program as DPI aware, so only
// the settings themselves can be checked here.)
TEST(MainDialogDpi, TheResourcesDeclareDpiAwarenessAndHoldEveryIconSize) {
  using Query = BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);
  const auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
  ASSERT_NE(query, nullptr);
  const auto setting = [query](const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = L"";
    SIZE_T written = 0;
    if (!query(0, nullptr, space, name, value, 128, &written)) return std::wstring(L"(none)");
    return std::wstring(value);
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, System");

  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDI_MAIN), RT_GROUP_ICON);
  ASSERT_NE(found, nullptr);
  const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(group, nullptr);
  // The group directory: 6 bytes, then 14 bytes per image, starting with width and height.
  const int count = group[4] | group[5] << 8;
  std::vector<int> sizes;
  for (int i = 0; i < count; ++i) {
    const BYTE* entry = group + 6 + 14 * i;
    EXPECT_EQ(entry[0], entry[1]);
    sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
}

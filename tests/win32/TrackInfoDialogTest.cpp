// The track information dialog in process, from the real template, under Wine + Xvfb.
// Keys are typed with SendInput, so they travel through the dialog's own message loop
// and reach the edit boxes as a user's keys do, update notifications included.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "res/resource.h"
#include "platform/win32/Win32Prompter.h"
#include "tests/FakePrompter.h"
#include "tests/win32/WindowTestSupport.h"
#include "ui/EditSelectedTracks.h"
#include "ui/TrackInfoDialog.h"

namespace {

using Step = std::function<void(HWND dialog)>;

// What the running dialog does; one global because timer procedures take no context.
struct Script {
  std::vector<Step> steps;
  size_t next = 0;
  HWND dialog = nullptr;
  std::vector<std::string> boxTexts;  // texts of the message boxes that came up
  bool waiting = false;               // the dialog or the input of the steps before is being waited for
  DWORD waitingSince = 0;             // since then
};
Script* g_script = nullptr;

std::string WindowText(HWND hwnd) {
  char buffer[4096] = "";
  GetWindowTextA(hwnd, buffer, sizeof buffer);
  return buffer;
}

// The message of a box: the text of its static controls.
BOOL CALLBACK CollectText(HWND child, LPARAM context) {
  char className[16] = "";
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0) *reinterpret_cast<std::string*>(context) += WindowText(child);
  return TRUE;
}

BOOL CALLBACK AnswerMessageBox(HWND window, LPARAM) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  // A message box is a dialog captioned with the application's name.
  if (!IsWindowVisible(window) || std::string(className) != "#32770" || WindowText(window) != ApplicationName()) {
    return TRUE;
  }
  std::string text;
  EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&text));
  g_script->boxTexts.push_back(text);
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// Answers every message box of this thread, recording its text.
void CALLBACK MessageBoxTimer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerMessageBox, 0);
}

// True once the current wait has lasted longer than the limit; starts it on the first call.
bool WaitedTooLong() {
  if (!g_script->waiting) {
    g_script->waiting = true;
    g_script->waitingSince = GetTickCount();
  }
  return GetTickCount() - g_script->waitingSince > wintest::kStepLimitMs;
}

// Runs the next step once the keys of the steps before have been handled.
void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script->dialog == nullptr || GetForegroundWindow() != g_script->dialog) {
    // The first ticks: find the dialog by its caption and give it the keyboard.
    if (g_script->dialog == nullptr) g_script->dialog = FindWindowA("#32770", wintest::DialogCaption(IDD_TRACK_INFO).c_str());
    if (g_script->dialog != nullptr) SetForegroundWindow(g_script->dialog);
    if (!WaitedTooLong()) return;
    ADD_FAILURE() << "the dialog never came to the front";
    if (g_script->dialog == nullptr) return;
    g_script->next = g_script->steps.size();
  } else if (!wintest::InputHandled()) {
    if (!WaitedTooLong()) return;
    ADD_FAILURE() << "the keys sent before step " << g_script->next << " were never handled";
    g_script->next = g_script->steps.size();
  }
  g_script->waiting = false;
  if (g_script->next < g_script->steps.size() && !::testing::Test::HasFatalFailure()) {
    g_script->steps[g_script->next++](g_script->dialog);
  } else {
    // Out of steps (or a step failed): the dialog must not outlive the test.
    PostMessageA(g_script->dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

// Shows the dialog modally and runs `steps` in it, one per timer tick.
template <typename Show>
void RunModal(Script& script, Show show) {
  g_script = &script;
  wintest::ForgetEarlierInput();
  const UINT_PTR steps = SetTimer(nullptr, 0, 30, StepTimer);
  const UINT_PTR boxes = SetTimer(nullptr, 0, 20, MessageBoxTimer);
  show();
  KillTimer(nullptr, steps);
  KillTimer(nullptr, boxes);
  g_script = nullptr;
}

// Types CP932 text as a user does: each character as a key press and release.
// Double-byte characters go to the focused box as one Unicode WM_CHAR instead: Wine's
// ANSI edit procedure converts a posted lead byte on its own and breaks the character,
// which the system's input method never does (it hands over whole characters).
void Type(const std::string& cp932) {
  std::vector<wchar_t> wide(cp932.size() + 1);
  const int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), wide.data(),
                                    static_cast<int>(wide.size()));
  std::vector<INPUT> inputs;
  const auto flush = [&inputs] {
    if (!inputs.empty()) wintest::Send(inputs);
    inputs.clear();
  };
  for (int i = 0; i < n; ++i) {
    if (wide[i] >= 0x80) {
      flush();
      // The keys typed so far are handled first.
      EXPECT_TRUE(wintest::PumpKeysUntilHandled(g_script->dialog)) << "typed keys never arrived";
      SendMessageW(GetFocus(), WM_CHAR, wide[i], 1);
      continue;
    }
    for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
      INPUT input = {};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = wide[i];
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      inputs.push_back(input);
    }
  }
  flush();
}

void PressKey(WORD vk) { wintest::PressKeys({vk}); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The mode the radio pair starting at `keepId` shows: 0, 1, or -1 when it is not one of them.
int PairMode(HWND dialog, int keepId) {
  const bool keep = Checked(dialog, keepId), change = Checked(dialog, keepId + 1);
  return keep && !change ? 0 : change && !keep ? 1 : -1;
}

struct Box {
  int edit;
  int keep;
};
const Box kBoxes[] = {
    {IDC_TITLE, IDC_TITLE_KEEP},       {IDC_AUTHOR, IDC_AUTHOR_KEEP},
    {IDC_COPYRIGHT, IDC_COPYRIGHT_KEEP}, {IDC_DESCRIPTION, IDC_DESCRIPTION_KEEP},
    {IDC_SAVE_PATH, IDC_SAVE_PATH_KEEP},
};

Step Focus(int id) {
  return [id](HWND dialog) {
    SetFocus(GetDlgItem(dialog, id));
    SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, -1);
  };
}
Step TypeStep(const std::string& text) { return [text](HWND) { Type(text); }; }
Step Key(WORD vk) { return [vk](HWND) { PressKey(vk); }; }
Step Click(int id) { return [id](HWND dialog) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }; }

// A scripted showing of the dialog for `form`: the result and the form it returned.
struct Outcome {
  INT_PTR result = 0;
  TrackInfoForm form;
  std::vector<std::string> boxTexts;
};
Outcome ShowForm(const TrackInfoForm& form, FakePrompter& prompter, std::vector<Step> steps) {
  CTrackInfoDialog dialog(form, prompter, nullptr);
  Script run;
  run.steps = std::move(steps);
  Outcome outcome;
  RunModal(run, [&] { outcome.result = dialog.DoModal(); });
  outcome.form = dialog.form;
  outcome.boxTexts = run.boxTexts;
  return outcome;
}

// Saves what the screen shows of `window` as a 24-bit BMP.
bool SaveScreenshot(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const DWORD stride = (width * 3 + 3) & ~3u;
  std::vector<char> pixels(stride * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&info, sizeof info, 1, out);
  fwrite(pixels.data(), 1, pixels.size(), out);
  return fclose(out) == 0;
}

}  // namespace

TEST(TrackInfoDialog, Screenshot) {
  // For looking at the layout with the Japanese labels and the long hint.
  TrackInfoForm form;
  form.title = "夜明けのテーマ";
  form.author = "作者";
  FakePrompter prompter;
  const std::string folder = std::string(BRUMLET_SOURCE_DIR) + "/build/screenshots";
  CreateDirectoryA((std::string(BRUMLET_SOURCE_DIR) + "/build").c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  ShowForm(form, prompter, {
      Focus(IDC_DESCRIPTION), TypeStep("ライブ録音"),
      [](HWND) { Sleep(300); }, [](HWND) {},  // lets every control paint first
      [&](HWND d) { EXPECT_TRUE(SaveScreenshot(d, folder + "/track-info.bmp")); }});
}

TEST(TrackInfoDialog, OpensWithTheTitleFocusedFilledTagsKeptAndTheTabOrderOfTheForm) {
  TrackInfoForm form;
  form.title = "T";
  form.author = "作者";
  form.copyright = "(C)";
  form.description = "d";
  form.savePath = "D:\\x.wma";
  form.fileName = "one.wma";
  FakePrompter prompter;
  const Outcome outcome = ShowForm(form, prompter, {[](HWND d) {
    EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_TITLE));
    for (const Box& box : kBoxes) EXPECT_EQ(PairMode(d, box.keep), 0) << box.edit;
    EXPECT_EQ(WindowText(GetDlgItem(d, IDC_AUTHOR)), "作者");
    EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH)), "D:\\x.wma");
    EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH_HINT)), fixed_texts::kHintWithFileName);
    // Tab visits the boxes and buttons, and of each radio pair the checked button only
    // (the system makes a checked radio button a tab stop).
    const int order[] = {IDC_AUTHOR_KEEP, IDC_AUTHOR, IDC_COPYRIGHT_KEEP, IDC_COPYRIGHT,
                         IDC_DESCRIPTION_KEEP, IDC_DESCRIPTION, IDC_SAVE_PATH_KEEP, IDC_SAVE_PATH,
                         IDC_BROWSE_FOLDER, IDOK, IDCANCEL, IDC_TITLE_KEEP, IDC_TITLE};
    HWND at = GetDlgItem(d, IDC_TITLE);
    for (int id : order) {
      at = GetNextDlgTabItem(d, at, FALSE);
      EXPECT_EQ(GetDlgCtrlID(at), id);
    }
  }, Key(VK_RETURN)});
  EXPECT_EQ(outcome.result, IDOK);
  EXPECT_TRUE(outcome.boxTexts.empty());
  EXPECT_EQ(outcome.form.author, "作者");
  EXPECT_EQ(outcome.form.savePath, "D:\\x.wma");
  EXPECT_EQ(outcome.form.titleMode + outcome.form.authorMode + outcome.form.copyrightMode +
                outcome.form.descriptionMode + outcome.form.savePathMode, 0);
  EXPECT_EQ(outcome.form.hint, fixed_texts::kHintWithFileName);
}

TEST(TrackInfoDialog, TypingIntoEachBoxTicksItsPairAndLeavesTheCaretWhereItWas) {
  TrackInfoForm form;
  form.title = "old";
  FakePrompter prompter;
  std::vector<Step> steps;
  for (const Box& box : kBoxes) {
    steps.push_back(Focus(box.edit));
    steps.push_back([box](HWND d) { EXPECT_EQ(PairMode(d, box.keep), 0) << box.edit; });
    // Two keys: were the box refilled after the first, the caret would jump and "b" land first.
    steps.push_back(TypeStep("a"));
    steps.push_back([box](HWND d) { EXPECT_EQ(PairMode(d, box.keep), 1) << box.edit; });
    steps.push_back(TypeStep("b表"));
  }
  steps.push_back(Click(IDOK));
  const Outcome outcome = ShowForm(form, prompter, steps);
  ASSERT_EQ(outcome.result, IDOK);
  for (const std::string* text : {&outcome.form.title, &outcome.form.author, &outcome.form.copyright,
                                  &outcome.form.description}) {
    EXPECT_EQ(*text, "ab表");
  }
  EXPECT_EQ(outcome.form.savePath, "ab表\\");  // several tracks: a folder, closed by OK
  EXPECT_EQ(outcome.form.titleMode + outcome.form.authorMode + outcome.form.copyrightMode +
                outcome.form.descriptionMode + outcome.form.savePathMode, 5);
}

TEST(TrackInfoDialog, ClearingKeepsTheTickAndUntickingByHandIsHonoured) {
  TrackInfoForm form;
  form.title = "T";
  form.author = "A";
  FakePrompter prompter;
  const Outcome outcome = ShowForm(form, prompter, {
      Focus(IDC_TITLE), Key(VK_BACK),  // the whole title selected and deleted
      [](HWND d) {
        EXPECT_EQ(WindowText(GetDlgItem(d, IDC_TITLE)), "");
        EXPECT_EQ(PairMode(d, IDC_TITLE_KEEP), 1);
      },
      Focus(IDC_AUTHOR), TypeStep("B"), Click(IDC_AUTHOR_KEEP),
      [](HWND d) { EXPECT_EQ(PairMode(d, IDC_AUTHOR_KEEP), 0); },
      Click(IDOK)});
  ASSERT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.title, "");
  EXPECT_EQ(outcome.form.titleMode, 1);
  EXPECT_EQ(outcome.form.author, "B");  // in the box, but not to be applied
  EXPECT_EQ(outcome.form.authorMode, 0);
}

TEST(TrackInfoDialog, OkMakesASavePathAFolderOnlyWithoutAFileName) {
  FakePrompter prompter;
  TrackInfoForm several;
  Outcome outcome = ShowForm(several, prompter, {
      [](HWND d) { EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH_HINT)), fixed_texts::kHintFolder); },
      Focus(IDC_SAVE_PATH), TypeStep("D:\\out"), Key(VK_RETURN)});
  ASSERT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.savePath, "D:\\out\\");
  EXPECT_EQ(outcome.form.savePathMode, 1);

  outcome = ShowForm(several, prompter, {Click(IDOK)});
  ASSERT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.savePath, "");

  // 能 is 94 5C: the folder ends in that character, not in a backslash.
  outcome = ShowForm(several, prompter, {Focus(IDC_SAVE_PATH), TypeStep("D:\\機能"), Key(VK_RETURN)});
  EXPECT_EQ(outcome.form.savePath, "D:\\機能\\");

  TrackInfoForm one;
  one.fileName = "one.wma";
  outcome = ShowForm(one, prompter, {Focus(IDC_SAVE_PATH), TypeStep("D:\\out"), Click(IDOK)});
  ASSERT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.savePath, "D:\\out");
}

TEST(TrackInfoDialog, BrowsingJoinsTheChosenFolderWithTheFileName) {
  FakePrompter prompter;
  prompter.folderChoices = {"C:\\", "D:\\out", "", "C:\\ソ"};
  TrackInfoForm form;
  form.fileName = "a.wma";
  Outcome outcome = ShowForm(form, prompter, {
      Focus(IDC_TITLE), TypeStep("typed first"), Click(IDC_BROWSE_FOLDER),
      [](HWND d) {
        EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH)), "C:\\a.wma");
        EXPECT_EQ(PairMode(d, IDC_SAVE_PATH_KEEP), 1);
        EXPECT_EQ(WindowText(GetDlgItem(d, IDC_TITLE)), "typed first");  // not lost by the refill
      },
      Click(IDC_BROWSE_FOLDER),
      [](HWND d) { EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH)), "D:\\out\\a.wma"); },
      Click(IDC_BROWSE_FOLDER),  // cancelled: nothing changes
      [](HWND d) { EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH)), "D:\\out\\a.wma"); },
      Click(IDOK)});
  ASSERT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.savePath, "D:\\out\\a.wma");
  EXPECT_EQ(outcome.form.title, "typed first");
  EXPECT_EQ(prompter.folderTitles, (std::vector<std::string>(3, fixed_texts::kBrowseFolderTitle)));
  outcome = ShowForm(form, prompter, {Click(IDC_BROWSE_FOLDER), Click(IDOK)});
  EXPECT_EQ(outcome.form.savePath, "C:\\ソ\\a.wma");  // ソ is 83 5C

  // Several tracks: the folder itself, with its backslash.
  prompter.folderChoices = {"D:\\out"};
  outcome = ShowForm(TrackInfoForm(), prompter, {Click(IDC_BROWSE_FOLDER), Click(IDOK)});
  EXPECT_EQ(outcome.form.savePath, "D:\\out\\");
  EXPECT_EQ(outcome.form.savePathMode, 1);
}

TEST(TrackInfoDialog, TagLengthsCountBytes) {
  FakePrompter prompter;
  const std::string hyo = "表";
  // 253 single-byte characters and one double-byte one: 254 characters, 255 bytes.
  Outcome outcome = ShowForm(TrackInfoForm(), prompter, {TypeStep(std::string(253, 'a') + hyo), Click(IDOK)});
  EXPECT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.title, std::string(253, 'a') + hyo);
  EXPECT_TRUE(outcome.boxTexts.empty());

  // 254 and one: 256 bytes, refused at the box, which keeps the focus with its text selected.
  outcome = ShowForm(TrackInfoForm(), prompter, {
      Focus(IDC_DESCRIPTION), TypeStep(std::string(254, 'a') + hyo), Click(IDOK),
      [](HWND d) {
        EXPECT_EQ(g_script->boxTexts, std::vector<std::string>{fixed_texts::kTagTooLong});
        EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_DESCRIPTION));
        DWORD start = 1, end = 0;
        SendDlgItemMessageA(d, IDC_DESCRIPTION, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                            reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 255u);  // characters
      },
      Key(VK_END), Key(VK_BACK), Key(VK_RETURN)});
  EXPECT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.description, std::string(254, 'a'));

  // Typing stops at 255 characters.
  outcome = ShowForm(TrackInfoForm(), prompter, {Focus(IDC_AUTHOR), TypeStep(std::string(300, 'x')), Click(IDOK)});
  EXPECT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.author, std::string(255, 'x'));
}

TEST(TrackInfoDialog, AnImportedOverlongTagIsReportedAtOpeningAndRefusedUntilShortened) {
  FakePrompter prompter;
  TrackInfoForm form;
  form.copyright = std::string(256, 'c');
  form.title = "T";
  const Outcome outcome = ShowForm(form, prompter, {
      [](HWND d) {
        EXPECT_EQ(g_script->boxTexts, std::vector<std::string>{fixed_texts::kTagTooLong});
        EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_COPYRIGHT));
        EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH_HINT)), fixed_texts::kHintFolder);
      },
      Focus(IDC_TITLE), TypeStep("X"),  // typing elsewhere ticks without a message
      [](HWND d) {
        EXPECT_EQ(g_script->boxTexts.size(), 1u);
        EXPECT_EQ(PairMode(d, IDC_TITLE_KEEP), 1);
      },
      Click(IDOK),
      [](HWND d) {
        EXPECT_EQ(g_script->boxTexts.size(), 2u);
        EXPECT_EQ(GetFocus(), GetDlgItem(d, IDC_COPYRIGHT));
      },
      TypeStep("short"), Click(IDOK)});
  EXPECT_EQ(outcome.result, IDOK);
  EXPECT_EQ(outcome.form.copyright, "short");
  EXPECT_EQ(outcome.form.copyrightMode, 1);
  EXPECT_EQ(outcome.form.title, "X");
  EXPECT_EQ(outcome.form.titleMode, 1);
}

TEST(EditSelectedTracks, AppliesWhatTheUserChangedToEverySelectedRow) {
  TrackList tracks;
  for (const char* path : {"C:\\a\\one.wav", "C:\\a\\skip.wav", "C:\\a\\two.WAV"}) tracks.AddTrack(path);
  tracks.SetSelected(0, true);
  tracks.SetSelected(2, true);
  tracks.SetItemText(0, kColumnAuthor, "A");
  tracks.SetItemText(2, kColumnAuthor, "B");
  FakePrompter prompter;
  Script run;
  run.steps = {[](HWND d) {
                 EXPECT_EQ(WindowText(GetDlgItem(d, IDC_AUTHOR)), "");  // A and B differ
                 EXPECT_EQ(WindowText(GetDlgItem(d, IDC_SAVE_PATH_HINT)), fixed_texts::kHintFolder);
               },
               Focus(IDC_AUTHOR), TypeStep("Both"), Focus(IDC_SAVE_PATH), TypeStep("D:\\out"), Key(VK_RETURN)};
  bool applied = false;
  RunModal(run, [&] { applied = EditSelectedTracks(tracks, nullptr, prompter); });
  EXPECT_TRUE(applied);
  EXPECT_EQ(tracks.GetItemText(0, kColumnAuthor), "Both");
  EXPECT_EQ(tracks.GetItemText(1, kColumnAuthor), "");
  EXPECT_EQ(tracks.GetItemText(2, kColumnAuthor), "Both");
  EXPECT_EQ(tracks.GetItemText(0, kColumnSavePath), "D:\\out\\one.wma");
  EXPECT_EQ(tracks.GetItemText(1, kColumnSavePath), "");
  EXPECT_EQ(tracks.GetItemText(2, kColumnSavePath), "D:\\out\\two.wma");
  EXPECT_EQ(tracks.GetItemText(0, kColumnTitle), "one");
}

TEST(EditSelectedTracks, CancelAndAnEmptySelectionChangeNothing) {
  TrackList tracks;
  tracks.AddTrack("C:\\a\\one.wav");
  FakePrompter prompter;
  Script idle;
  bool applied = true;
  RunModal(idle, [&] { applied = EditSelectedTracks(tracks, nullptr, prompter); });
  EXPECT_FALSE(applied);
  EXPECT_EQ(idle.dialog, nullptr);  // no dialog was shown

  tracks.SetSelected(0, true);
  for (WORD closing : {WORD{VK_ESCAPE}, WORD{0}}) {
    Script run;
    run.steps = {Focus(IDC_TITLE), TypeStep("new"), Focus(IDC_SAVE_PATH), TypeStep("D:\\x.wma")};
    if (closing != 0) run.steps.push_back(Key(closing));
    else run.steps.push_back([](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });  // the close box
    applied = true;
    RunModal(run, [&] { applied = EditSelectedTracks(tracks, nullptr, prompter); });
    EXPECT_FALSE(applied);
    EXPECT_EQ(tracks.GetItemText(0, kColumnTitle), "one");
    EXPECT_EQ(tracks.GetItemText(0, kColumnSavePath), "");
  }
}

// The real open and save dialogs, answered the way a user would: a helper thread finds
// the dialog, types a name into its file-name box and presses OK.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <thread>

#include "core/EncodingInfoFile.h"
#include "core/Texts.h"
#include "platform/win32/Win32Prompter.h"
#include "tests/ScratchFolder.h"

namespace {

BOOL CALLBACK CollectDialog(HWND w, LPARAM found) {
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
  return TRUE;
}

// The visible dialog windows (class "#32770") of `thread`, in z-order.
std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// How long the helper waits for each effect: generous, for a busy machine.
const int kLimitMs = 60000;

// Whether an open or save dialog shows `folder` (code page 932, with or without its
// closing backslash). Compared in wide characters: a trail byte may equal '\\'.
bool ShowsFolder(HWND dialog, const std::string& folder) {
  wchar_t shown[MAX_PATH] = L"";
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown));
  wchar_t wanted[MAX_PATH] = L"";
  MultiByteToWideChar(932, 0, folder.c_str(), -1, wanted, MAX_PATH);
  for (wchar_t* path : {shown, wanted}) {
    const size_t n = wcslen(path);
    if (n > 3 && path[n - 1] == L'\\') path[n - 1] = L'\0';
  }
  return lstrcmpiW(shown, wanted) == 0;
}

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

// What the helper saw of the dialog.
struct Seen {
  bool found = false;
  bool resizable = false;
  bool readOnlyBoxShown = false;
  std::vector<std::string> fileTypes;
  bool closedByOk = false;     // the dialog went away after the last OK
  bool otherBoxShown = false;  // a message box came up in front of it (and was dismissed)
};

// Answers the next file dialog of the calling thread from a helper thread: types each
// of `names` into the file-name box and presses OK. If the dialog is still there after
// the last OK, it notes any message box in front of it, dismisses it and cancels.
class Answerer {
public:
  explicit Answerer(std::vector<std::string> names)
      : names_(std::move(names)), thread_(GetCurrentThreadId()), helper_([this] { Run(); }) {}
  ~Answerer() { helper_.join(); }
  Seen Wait() {
    helper_.join();
    helper_ = std::thread([] {});
    return seen_;
  }

private:
  void Run() {
    HWND dialog = nullptr;
    seen_.found = WaitFor(
        [&] {
          const auto dialogs = DialogsOf(thread_);
          dialog = dialogs.empty() ? nullptr : dialogs.front();
          return dialog != nullptr;
        },
        kLimitMs);
    if (!seen_.found) return;
    // The dialog has filled its controls once its list of file types holds them.
    WaitFor([&] { return SendDlgItemMessageA(dialog, cmb1, CB_GETCOUNT, 0, 0) > 0; }, kLimitMs);
    seen_.resizable = (GetWindowLongA(dialog, GWL_STYLE) & WS_THICKFRAME) != 0;
    const HWND readOnly = GetDlgItem(dialog, chx1);
    seen_.readOnlyBoxShown = readOnly && IsWindowVisible(readOnly);
    const HWND types = GetDlgItem(dialog, cmb1);
    const int count = types ? static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
      char item[256] = "";
      SendMessageA(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
      seen_.fileTypes.push_back(item);
    }
    HWND name = GetDlgItem(dialog, edt1);
    if (!name) name = GetDlgItem(dialog, cmb13);
    for (size_t i = 0; i < names_.size(); ++i) {
      const std::string& typed = names_[i];
      SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
      // A name before the last is a folder: the dialog moves there before the next one.
      if (i + 1 < names_.size()) WaitFor([&] { return ShowsFolder(dialog, typed); }, kLimitMs);
    }
    // The dialog closes, or stays with its own message in front.
    WaitFor([&] { return !IsWindow(dialog) || DialogsOf(thread_).size() > 1; }, kLimitMs);
    seen_.closedByOk = !IsWindow(dialog);
    if (seen_.closedByOk) return;
    for (HWND other : DialogsOf(thread_)) {
      if (other == dialog) continue;
      seen_.otherBoxShown = true;
      PostMessageA(other, WM_COMMAND, IDOK, 0);
      PostMessageA(other, WM_COMMAND, IDNO, 0);
    }
    WaitFor([&] { return DialogsOf(thread_).size() <= 1; }, kLimitMs);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  }

  std::vector<std::string> names_;
  DWORD thread_;
  Seen seen_;
  std::thread helper_;
};

// The chosen paths in the program's form.
std::vector<std::string> ProgramPaths(const std::vector<SystemPath>& paths) {
  std::vector<std::string> out;
  for (const SystemPath& p : paths) out.push_back(p.path);
  return out;
}

// The names of the file types the list file's filter offers (every other part of it).
std::vector<std::string> CsvTypes() {
  std::vector<std::string> names;
  std::string filter = fixed_texts::kCsvFilter;
  for (size_t start = 0, part = 0; start < filter.size(); ++part) {
    const size_t bar = filter.find('|', start);
    if (bar == start) break;  // the closing "||"
    if (part % 2 == 0) names.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  return names;
}

}  // namespace

TEST(FileDialogs, SaveDialogAddsTheExtensionAndNeverAsksToOverwrite) {
  ScratchFolder folder;
  ScratchFolder::Write(folder / "list.csv", "old");  // exists: still no question
  Win32Prompter prompter;
  std::vector<SystemPath> paths;
  Answerer answer({folder / "list"});
  const bool chosen = prompter.ChooseFiles(EncodingInfoDialogRequest(true), &paths);
  const Seen seen = answer.Wait();
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(seen.closedByOk);
  EXPECT_FALSE(seen.otherBoxShown);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(ProgramPaths(paths), std::vector<std::string>{folder / "list.csv"});
  EXPECT_TRUE(seen.resizable);
  EXPECT_EQ(seen.fileTypes, CsvTypes());
  // The save dialog of the system has no read-only box to show; the open dialog's is
  // checked below.
}

TEST(FileDialogs, OpenDialogGivesTheFullPathShownWithTheReadOnlyBox) {
  ScratchFolder folder;
  const std::string file = folder / ("\x83\x5c\x95\x5c.csv");  // ソ表.csv: trail bytes 5C
  ScratchFolder::Write(file, "x");
  Win32Prompter prompter;
  std::vector<SystemPath> paths;
  Answerer answer({file});
  const bool chosen = prompter.ChooseFiles(EncodingInfoDialogRequest(false), &paths);
  const Seen seen = answer.Wait();
  ASSERT_TRUE(seen.found);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(ProgramPaths(paths), std::vector<std::string>{file});
  EXPECT_TRUE(seen.resizable);
  EXPECT_TRUE(seen.readOnlyBoxShown);
  EXPECT_EQ(seen.fileTypes, CsvTypes());
}

TEST(FileDialogs, OpenDialogRefusesAFileThatDoesNotExist) {
  ScratchFolder folder;
  Win32Prompter prompter;
  std::vector<SystemPath> paths;
  Answerer answer({folder / "missing.csv"});
  const bool chosen = prompter.ChooseFiles(EncodingInfoDialogRequest(false), &paths);
  const Seen seen = answer.Wait();
  ASSERT_TRUE(seen.found);
  EXPECT_FALSE(seen.closedByOk);  // the dialog stayed, with its own message in front
  EXPECT_TRUE(seen.otherBoxShown);
  EXPECT_FALSE(chosen);
  EXPECT_TRUE(paths.empty());
}

TEST(FileDialogs, SeveralChosenFilesComeBackAsFullPathsInOrder) {
  ScratchFolder scratch;
  // A folder named ソ: its name ends in the byte 5C, which is no separator.
  const std::string dir = scratch / "\x83\x5c";
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
  const std::string so = "\x83\x5c.wav";  // ソ.wav
  ScratchFolder::Write(dir + "\\a.wav", "x");
  ScratchFolder::Write(dir + "\\" + so, "x");
  FileDialogRequest request;
  request.defaultExtension = "wav";
  request.filter = "\x83\x7c\x83\x62\x83\x76(*.wav)|*.wav|*.*|*.*||";  // ポップ: trail byte 7C is no bar
  request.flags = kFileMustExist | kPathMustExist | kAllowMultiSelect | kHideReadOnly;
  request.bufferSize = 4096;
  Win32Prompter prompter;
  std::vector<SystemPath> paths;
  Answerer answer({dir, "\"a.wav\" \"" + so + "\""});
  const bool chosen = prompter.ChooseFiles(request, &paths);
  const Seen seen = answer.Wait();
  ASSERT_TRUE(seen.found);
  ASSERT_TRUE(chosen);
  EXPECT_FALSE(seen.readOnlyBoxShown);
  EXPECT_EQ(seen.fileTypes, (std::vector<std::string>{"\x83\x7c\x83\x62\x83\x76(*.wav)", "*.*"}));
  EXPECT_EQ(ProgramPaths(paths), (std::vector<std::string>{dir + "\\a.wav", dir + "\\" + so}));
}

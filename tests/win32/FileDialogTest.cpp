// The real open and save dialogs, answered the way a user would: a helper thread finds
// the dialog, types a name into its file-name box and presses OK.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/EncodingInfoFile.h"
#include "core/Texts.h"
#include "platform/win32/Win32Prompter.h"
#include "tests/ScratchFolder.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

using wintest::DialogsOf;
using wintest::WaitFor;

// A name in code page 932 as the dialog's box holds it.
std::wstring Wide(const std::string& name) {
  wchar_t wide[MAX_PATH] = L"";
  MultiByteToWideChar(932, 0, name.c_str(), -1, wide, MAX_PATH);
  return wide;
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
    seen_.found = WaitFor([&] {
      const auto dialogs = DialogsOf(thread_);
      dialog = dialogs.empty() ? nullptr : dialogs.front();
      return dialog != nullptr;
    });
    if (!seen_.found) return;
    wintest::WaitUntilFilled(dialog);
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
    // Folders are compared in wide characters: a trail byte may equal '\\'.
    std::vector<std::wstring> names;
    for (const std::string& name : names_) names.push_back(Wide(name));
    wintest::EnterFileNames(dialog, names);
    // The dialog closes, or stays with its own message in front.
    WaitFor([&] { return !IsWindow(dialog) || DialogsOf(thread_).size() > 1; });
    seen_.closedByOk = !IsWindow(dialog);
    if (seen_.closedByOk) return;
    for (HWND other : DialogsOf(thread_)) {
      if (other == dialog) continue;
      seen_.otherBoxShown = true;
      PostMessageA(other, WM_COMMAND, IDOK, 0);
      PostMessageA(other, WM_COMMAND, IDNO, 0);
    }
    WaitFor([&] { return DialogsOf(thread_).size() <= 1; });
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

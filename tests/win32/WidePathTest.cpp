// Names that code page 932 cannot hold, with real files under Wine (which makes up a
// short path for every such name): the open dialog, a drop, the folder browser's folder,
// the temporary and the program's folder. Where a name has no short path, as on Windows
// volumes that keep none, the refusals are reached through the short-path seam.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "app/RunEncoding.h"
#include "core/EncodingScript.h"
#include "core/Texts.h"
#include "platform/TextConversion.h"
#include "platform/win32/EncodingServices.h"
#include "platform/win32/WidePaths.h"
#include "res/resource.h"
#include "tests/FakePrompter.h"
#include "tests/ScratchFolder.h"
#include "tests/win32/EncodingTestSupport.h"
#include "tests/win32/WindowTestSupport.h"
#include "ui/MainDialog.h"
#include "ui/TrackInfoDialog.h"

using wintest::Do;
using wintest::Until;

namespace {

const std::u16string kCafe = u"Caf\u00e9 song.wav";  // best fit would make it the next one
const std::u16string kPlainCafe = u"Cafe song.wav";
const std::u16string kKorean = u"\ud55c\uad6d.wav";

bool MakeFile(const std::u16string& path) {
  HANDLE h = CreateFileW(WideChars(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, "RIFF", 4, &written, nullptr);
  CloseHandle(h);
  return true;
}

// The long path of a path the program holds (a short path names its file through it).
std::u16string LongPathOf(const std::string& path) {
  wchar_t buffer[1024] = L"";
  const DWORD n = GetLongPathNameW(WideChars(textconv::FromCp932(path)), buffer, 1024);
  return n > 0 && n < 1024 ? FromWide(buffer, n) : std::u16string();
}

// Drops wide names on `window` through a real HDROP (a DROPFILES block of UTF-16 names).
void WideDrop(HWND window, const std::vector<std::u16string>& paths) {
  size_t size = sizeof(DROPFILES) + 2;
  for (const auto& p : paths) size += 2 * (p.size() + 1);
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* block = static_cast<DROPFILES*>(GlobalLock(memory));
  block->pFiles = sizeof(DROPFILES);
  block->fWide = TRUE;
  char* names = reinterpret_cast<char*>(block) + sizeof(DROPFILES);
  for (const auto& p : paths) {
    std::memcpy(names, p.c_str(), 2 * (p.size() + 1));
    names += 2 * (p.size() + 1);
  }
  GlobalUnlock(memory);
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the window frees it
}

// Answers the next open dialog of `thread` from a helper thread as a user types: each
// text into the file-name box, then OK (a folder first moves the dialog there).
class DialogAnswer {
public:
  DialogAnswer(DWORD thread, std::vector<std::u16string> texts)
      : thread_(thread), texts_(std::move(texts)), helper_([this] { Run(); }) {}
  ~DialogAnswer() { helper_.join(); }
  bool Found() const { return found_; }
  // The dialog was answered and has gone.
  bool Done() const { return done_; }

private:
  void Run() {
    HWND dialog = nullptr;
    found_ = wintest::WaitFor([&] {
      for (HWND w : wintest::DialogsOf(thread_)) {
        if (dialog == nullptr && wintest::FileNameBox(w) != nullptr) dialog = w;
      }
      return dialog != nullptr;
    });
    if (found_ && wintest::WaitUntilFilled(dialog)) {
      std::vector<std::wstring> names;
      for (const std::u16string& text : texts_) names.emplace_back(WideChars(text));
      if (wintest::EnterFileNames(dialog, names)) wintest::WaitFor([&] { return !IsWindow(dialog); });
    }
    done_ = true;
  }

  DWORD thread_;
  std::vector<std::u16string> texts_;
  std::atomic<bool> found_{false};
  std::atomic<bool> done_{false};
  std::thread helper_;
};

// The stand-in encoder and a folder of WAV files: "Café song.wav" beside "Cafe song.wav",
// and "한국.wav".
class WidePaths : public enctest::Fixture {
protected:
  void SetUp() override {
    enctest::Fixture::SetUp();
    music_ = textconv::FromCp932(scratch_) + u"\\music";
    ASSERT_TRUE(CreateDirectoryW(WideChars(music_), nullptr));
    for (const auto& name : {kCafe, kPlainCafe, kKorean}) ASSERT_TRUE(MakeFile(music_ + u"\\" + name));
  }
  std::u16string In(const std::u16string& name) const { return music_ + u"\\" + name; }

  std::u16string music_;
};

std::vector<std::string> Column(TrackList& tracks, int column) {
  std::vector<std::string> out;
  for (int row = 0; row < tracks.GetTrackCount(); ++row) out.emplace_back(tracks.GetItemText(row, column));
  return out;
}

}  // namespace

TEST_F(WidePaths, TheOpenDialogAndADropTakeTheShortPathOfTheRightFileAndItIsEncoded) {
  ScratchFolder programFolder;
  CMainDialog dialog(programFolder.Path());  // the window's own dialogs
  dialog.SetShellOpen([](const std::string&, bool) { return true; });
  std::unique_ptr<DialogAnswer> answer;
  wintest::RunScript(
      {Until([&] { return dialog.Hwnd() != nullptr && IsWindowVisible(dialog.Hwnd()); }),
       Do([&] {
         answer = std::make_unique<DialogAnswer>(GetCurrentThreadId(), std::vector<std::u16string>{
                                                     music_, u"\"" + kCafe + u"\" \"" + kKorean + u"\""});
         PostMessageW(dialog.Hwnd(), WM_COMMAND, ID_EDIT_ADD_FILES, 0);
       }),
       Until([&] { return dialog.Tracks().GetTrackCount() == 2; }),
       // Dropped again by its long name it is the same row; the plain name is another file.
       Do([&] { WideDrop(dialog.Hwnd(), {In(kCafe), In(kPlainCafe)}); }),
       Until([&] { return dialog.Tracks().GetTrackCount() == 3; }),
       Do([&] { dialog.EndDialog(IDCANCEL); })},
      [&] { dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  ASSERT_TRUE(answer && answer->Found());
  answer.reset();

  TrackList& tracks = dialog.Tracks();
  ASSERT_EQ(tracks.GetTrackCount(), 3);
  std::vector<std::u16string> longPaths;
  for (const std::string& path : Column(tracks, kColumnPath)) longPaths.push_back(LongPathOf(path));
  // Wine's short names sort ahead of the plain name here; find each row by its file.
  for (const auto& name : {kCafe, kPlainCafe, kKorean}) {
    EXPECT_EQ(std::count(longPaths.begin(), longPaths.end(), In(name)), 1) << textconv::ToCp932Display(name);
  }
  for (int row = 0; row < 3; ++row) {
    const std::string title(tracks.GetItemText(row, kColumnTitle));
    if (longPaths[row] == In(kKorean)) {
      EXPECT_EQ(title, "??");
    } else if (longPaths[row] == In(kCafe)) {
      EXPECT_TRUE(title == "Cafe song" || title == "Caf? song") << title;
    } else {
      EXPECT_EQ(tracks.GetItemText(row, kColumnPath), textconv::ToCp932Display(In(kPlainCafe)));
    }
  }

  // Encoded: the encoder is handed the short path of Café song.wav, never Cafe song.wav for it.
  auto file = PlatformFileSystem().CreateForWriting(scratch_ + "\\te4w45iti4r2mp.bat", FileSystem::Create::kTruncate);
  ASSERT_TRUE(file);
  const std::string script = file->FullPath();
  FakePrompter prompter;
  ASSERT_TRUE(WriteEncodingScript(tracks, PlatformFileSystem(), prompter, *file, enctest::EncoderFolder(), script));
  ASSERT_TRUE(file->Close());
  file.reset();
  enctest::RunWithCmd(script);
  EXPECT_TRUE(prompter.messages.empty());
  const std::vector<std::string> calls = Recorded();
  ASSERT_EQ(calls.size(), 3u);
  std::vector<std::u16string> encoded;
  for (const std::string& call : calls) {
    const size_t start = call.find("[-input][") + 9;
    encoded.push_back(LongPathOf(call.substr(start, call.find(']', start) - start)));
  }
  EXPECT_EQ(encoded, longPaths);
}

// The list file is written and read through the name the user typed, never through a
// short path: moving the new file over CAF~1.CSV would rename Café.csv.
TEST_F(WidePaths, AListFileNamedCafeIsExportedTwiceAndImportedUnderItsOwnName) {
  const std::u16string list = music_ + u"\\Caf\u00e9.csv";
  ScratchFolder programFolder;
  // Runs the window, gives it each command and answers the file dialog it opens.
  auto run = [&](CMainDialog& dialog, std::vector<std::pair<int, std::u16string>> commands, int rows) {
    std::unique_ptr<DialogAnswer> answer;
    std::vector<wintest::Step> steps = {
        Until([&] { return dialog.Hwnd() != nullptr && IsWindowVisible(dialog.Hwnd()); })};
    for (const auto& command : commands) {
      steps.push_back(Do([&dialog, &answer, command] {
        answer = std::make_unique<DialogAnswer>(GetCurrentThreadId(), std::vector<std::u16string>{command.second});
        PostMessageW(dialog.Hwnd(), WM_COMMAND, command.first, 0);
      }));
      steps.push_back(Until([&] { return answer->Done(); }));
    }
    steps.push_back(Until([&] { return dialog.Tracks().GetTrackCount() == rows; }));
    steps.push_back(Do([&] { dialog.EndDialog(IDCANCEL); }));
    wintest::RunScript(std::move(steps), [&] { dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  };
  CMainDialog first(programFolder.Path());
  first.Tracks().AddTrack("C:\\one.wav");
  run(first, {{ID_FILE_EXPORT, list}}, 1);
  CMainDialog second(programFolder.Path());  // the second export replaces the first file
  second.Tracks().AddTrack("C:\\one.wav");
  second.Tracks().AddTrack("C:\\two.wav");
  run(second, {{ID_FILE_EXPORT, list}}, 2);
  CMainDialog importer(programFolder.Path());
  run(importer, {{ID_FILE_IMPORT, list}}, 2);
  EXPECT_EQ(Column(importer.Tracks(), kColumnPath), (std::vector<std::string>{"C:\\one.wav", "C:\\two.wav"}));
  // Café.csv beside the three WAV files, and nothing else: no Cafe.csv, no temporary file.
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(WideChars(music_ + u"\\*"), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(FromWide(found.cFileName));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::vector<std::u16string> expected = {kCafe, u"Caf\u00e9.csv", kPlainCafe, kKorean};
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

TEST_F(WidePaths, WithoutShortPathsDroppedNamesAreRefusedInOneMessage) {
  ScopedShortPathLookup none(nullptr);
  ScratchFolder programFolder;
  FakePrompter prompter;
  CMainDialog dialog(programFolder.Path(), &prompter);
  wintest::RunScript({Until([&] { return dialog.Hwnd() != nullptr && IsWindowVisible(dialog.Hwnd()); }),
                      Do([&] { WideDrop(dialog.Hwnd(), {In(kCafe), In(kKorean), In(kPlainCafe)}); }),
                      Do([&] { dialog.EndDialog(IDCANCEL); })},
                     [&] { dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  EXPECT_EQ(Column(dialog.Tracks(), kColumnPath), std::vector<std::string>{textconv::ToCp932Display(In(kPlainCafe))});
  const std::string folder = textconv::ToCp932Display(music_);
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotAddFiles + folder + "\\Caf? song.wav\n" +
                                                        folder + "\\??.wav"});
}

TEST_F(WidePaths, AChosenFolderIsTakenByItsShortPathOrRefusedAndTheSavePathKept) {
  const std::u16string cafe = textconv::FromCp932(scratch_) + u"\\Caf\u00e9";
  ASSERT_TRUE(CreateDirectoryW(WideChars(cafe), nullptr));
  FakePrompter prompter;
  TrackInfoForm form;
  form.fileName = "a.wma";
  form.savePath = "D:\\kept.wma";
  std::string shown;
  auto browse = [&](CTrackInfoDialog& d) {
    wintest::RunScript(
        {Until([&] { return d.Hwnd() != nullptr && IsWindowVisible(d.Hwnd()); }),
         Do([&] { SendMessageW(d.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FOLDER, BN_CLICKED), 0); }),
         Do([&] { shown = wintest::WindowText(GetDlgItem(d.Hwnd(), IDC_SAVE_PATH)); }),
         Do([&] { d.EndDialog(IDCANCEL); })},
        [&] { d.DoModal(); }, [&] { d.EndDialog(-2); });
  };
  prompter.folderChoices.push_back(SystemPathFromWide(cafe));
  CTrackInfoDialog withShortPath(form, prompter, nullptr);
  browse(withShortPath);
  ASSERT_GT(shown.size(), 6u);
  EXPECT_EQ(shown.substr(shown.size() - 6), "\\a.wma");
  EXPECT_EQ(LongPathOf(shown.substr(0, shown.size() - 6)), cafe);  // the folder part names Café
  EXPECT_TRUE(prompter.messages.empty());

  {
    ScopedShortPathLookup none(nullptr);
    prompter.folderChoices.push_back(SystemPathFromWide(cafe));
  }
  CTrackInfoDialog refused(form, prompter, nullptr);
  browse(refused);
  EXPECT_EQ(shown, "D:\\kept.wma");
  EXPECT_EQ(prompter.messages,
            std::vector<std::string>{fixed_texts::kCannotChooseFolder + scratch_ + "\\Caf?"});
}

// A service that launches nothing, so a run can be followed to its script.
class QuietServices : public Win32EncodingServices {
public:
  std::vector<std::string> launched;
  bool LaunchBatchFile(const std::string& path) override {
    launched.push_back(path);
    return true;
  }
  void Wait(DWORD) override {}
};

TEST_F(WidePaths, ATemporaryFolderNamedBeyondCodePage932IsUsedByItsShortPathOrReported) {
  const std::u16string jose = textconv::FromCp932(scratch_) + u"\\Jos\u00e9";
  ASSERT_TRUE(CreateDirectoryW(WideChars(jose), nullptr));
  wchar_t oldTmp[MAX_PATH] = L"", oldTemp[MAX_PATH] = L"";
  GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
  GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", WideChars(jose));
  SetEnvironmentVariableW(L"TEMP", WideChars(jose));

  TrackList tracks;
  tracks.AddTrack(textconv::ToCp932Display(In(kPlainCafe)));
  FakePrompter prompter;
  prompter.defaultAnswer = true;
  QuietServices services;
  RunEncoding(tracks, prompter, services);
  EXPECT_TRUE(prompter.messages.empty());
  ASSERT_EQ(services.launched.size(), 1u);
  EXPECT_EQ(LongPathOf(services.launched[0]), jose + u"\\te4w45iti4r2mp.bat");

  {  // No short path: the temporary-file message, and no script anywhere.
    ScopedShortPathLookup none(nullptr);
    DeleteFileW(WideChars(jose + u"\\te4w45iti4r2mp.bat"));
    RunEncoding(tracks, prompter, services);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kTempFileFailed});
    EXPECT_EQ(services.launched.size(), 1u);
    EXPECT_EQ(GetFileAttributesW(WideChars(jose + u"\\te4w45iti4r2mp.bat")), INVALID_FILE_ATTRIBUTES);
  }
  SetEnvironmentVariableW(L"TMP", oldTmp);
  SetEnvironmentVariableW(L"TEMP", oldTemp);
}

TEST_F(WidePaths, AProgramFolderWithoutAUsableNameKeepsNoStateAndReportsTheManual) {
  const std::u16string cafe = textconv::FromCp932(scratch_) + u"\\Caf\u00e9";
  ASSERT_TRUE(CreateDirectoryW(WideChars(cafe), nullptr));
  const std::string folder = FolderFromWide(cafe + u"\\");
  EXPECT_EQ(LongPathOf(folder), cafe + u"\\");
  {
    ScopedShortPathLookup none(nullptr);
    EXPECT_EQ(FolderFromWide(cafe + u"\\"), "");
  }

  // The working folder is where a state file would land if the empty folder were used.
  char previous[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryW(WideChars(cafe));
  FakePrompter prompter;
  std::vector<std::string> opened;
  {
    CMainDialog dialog("", &prompter);
    dialog.SetShellOpen([&](const std::string& path, bool) {
      opened.push_back(path);
      return true;
    });
    wintest::RunScript({Until([&] { return dialog.Hwnd() != nullptr && IsWindowVisible(dialog.Hwnd()); }),
                        Do([&] { SendMessageW(dialog.Hwnd(), WM_COMMAND, ID_HELP_MANUAL, 0); }),
                        Do([&] { dialog.EndDialog(IDCANCEL); })},
                       [&] { dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
  }
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kManualFailed});
  EXPECT_EQ(GetFileAttributesW(WideChars(cafe + u"\\Brumlet.cfg")), INVALID_FILE_ATTRIBUTES);
}

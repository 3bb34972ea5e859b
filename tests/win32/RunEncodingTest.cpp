// The encoding run under Wine + Xvfb with a recording prompter: the question, the script
// in the temporary folder, its launch in a new console (fed a key at its pause through
// the console's input), the free-name rule, and every failure through the services.
#include "app/RunEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/EncodingScript.h"
#include "core/TrackList.h"
#include "platform/Files.h"
#include "platform/win32/EncodingServices.h"
#include "platform/win32/Handles.h"
#include "tests/FakePrompter.h"
#include "tests/win32/EncodingTestSupport.h"

using namespace enctest;

namespace {

// Writes through to the real file until `capacity` bytes, then fails: a full disk.
class FillingFile : public OutputFile {
public:
  FillingFile(std::unique_ptr<OutputFile> file, size_t capacity) : file_(std::move(file)), left_(capacity) {}
  bool Write(const char* data, size_t size) override {
    const size_t n = size < left_ ? size : left_;
    if (n > 0 && !file_->Write(data, n)) return false;
    left_ -= n;
    return n == size;
  }
  bool Close() override { return file_->Close(); }
  const std::string& FullPath() const override { return file_->FullPath(); }

private:
  std::unique_ptr<OutputFile> file_;
  size_t left_;
};

class FillingFileSystem : public FileSystem {
public:
  size_t capacity = 0;
  bool ProbeSource(const std::string& p, SourceFileInfo* i) override { return real().ProbeSource(p, i); }
  std::unique_ptr<InputFile> OpenForReading(const std::string& p) override { return real().OpenForReading(p); }
  std::unique_ptr<OutputFile> CreateForWriting(const std::string& p, Create mode) override {
    auto file = real().CreateForWriting(p, mode);
    if (!file) return nullptr;
    return std::make_unique<FillingFile>(std::move(file), capacity);
  }
  bool Replace(const std::string& a, const std::string& b) override { return real().Replace(a, b); }
  bool Remove(const std::string& p) override { return real().Remove(p); }
  bool Exists(const std::string& p) override { return real().Exists(p); }

private:
  static FileSystem& real() { return PlatformFileSystem(); }
};

// The machine's services with seams: any of them can be replaced or made to fail, and
// the launches and waits are recorded. By default nothing is launched and nothing waited.
class TestServices : public Win32EncodingServices {
public:
  enum class Env { kReal, kUnset, kValue } programFilesMode = Env::kReal;
  std::string programFiles;
  std::string tempFolder;           // replaces the system's when not empty
  FileSystem* files = nullptr;      // replaces the real file system when set
  bool realLaunch = false;          // launch the console for real and really wait
  DWORD launchError = 0;            // nonzero: the launch fails with this error code
  bool console932 = true;           // the console reads code page 932 as it opens
  std::vector<std::string> launched;
  std::vector<DWORD> waits;
  std::string consoleAskedFor;      // the script name the console question was given

  FileSystem& Files() override { return files ? *files : Win32EncodingServices::Files(); }
  bool GetEnvironment(const std::string& name, std::string* value) override {
    if (name != "ProgramFiles" || programFilesMode == Env::kReal)
      return Win32EncodingServices::GetEnvironment(name, value);
    if (programFilesMode == Env::kUnset) return false;
    *value = programFiles;
    return true;
  }
  bool GetTempFolder(std::string* folder) override {
    if (tempFolder.empty()) return Win32EncodingServices::GetTempFolder(folder);
    *folder = tempFolder;
    return true;
  }
  bool LaunchBatchFile(const std::string& path) override {
    launched.push_back(path);
    if (launchError != 0) {
      SetLastError(launchError);
      return false;
    }
    return !realLaunch || Win32EncodingServices::LaunchBatchFile(path);
  }
  bool ConsoleReadsCodePage932(const std::string& scriptName) override {
    consoleAskedFor = scriptName;
    return console932;
  }
  void Wait(DWORD milliseconds) override {
    waits.push_back(milliseconds);
    if (realLaunch) Win32EncodingServices::Wait(milliseconds);
  }
};

// Presses Enter in the console of process `pid` (the script waiting at "pause"), by
// attaching to that console and writing to its input.
bool PressEnterIn(DWORD pid) {
  FreeConsole();
  if (!AttachConsole(pid)) return false;
  ScopedHandle input(CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
  INPUT_RECORD keys[2] = {};
  for (int i = 0; i < 2; ++i) {
    keys[i].EventType = KEY_EVENT;
    keys[i].Event.KeyEvent.bKeyDown = i == 0;
    keys[i].Event.KeyEvent.wRepeatCount = 1;
    keys[i].Event.KeyEvent.wVirtualKeyCode = VK_RETURN;
    keys[i].Event.KeyEvent.uChar.AsciiChar = '\r';
  }
  DWORD written = 0;
  const bool ok = input.IsValid() && WriteConsoleInputA(input.Get(), keys, 2, &written) && written == 2;
  input.Reset();
  FreeConsole();
  return ok;
}

// A visible top-level window whose title holds `part` (the console Wine opens is titled
// with the script it runs).
struct TitleSearch {
  std::string part;
  bool found = false;
};

BOOL CALLBACK CheckTitle(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TitleSearch*>(context);
  char title[512] = "";
  GetWindowTextA(window, title, sizeof title);
  if (IsWindowVisible(window) && std::string(title).find(search->part) != std::string::npos) search->found = true;
  return !search->found;
}

bool VisibleWindowTitled(const std::string& part) {
  TitleSearch search{part};
  EnumWindows(CheckTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string SystemText(DWORD code) {
  ScopedLocalMem<char*> buffer;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 reinterpret_cast<char*>(buffer.Receive()), 0, nullptr);
  return n ? std::string(buffer.Get(), n) : std::string();
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

// The temporary folder is a fresh folder of the test (TEMP and TMP point at it).
class RunEncodingTest : public Fixture {
protected:
  void SetUp() override {
    Fixture::SetUp();
    oldTemp_ = Env("TEMP");
    oldTmp_ = Env("TMP");
    // A space in the folder, as in the profile folders of older systems.
    temp_ = scratch_ + "\\temp dir\\";
    ASSERT_TRUE(CreateDirectoryA(temp_.c_str(), nullptr));
    SetTemp(temp_);
  }
  void TearDown() override {
    SetEnvironmentVariableA("TEMP", oldTemp_.c_str());
    SetEnvironmentVariableA("TMP", oldTmp_.c_str());
    Fixture::TearDown();
  }
  static void SetTemp(const std::string& folder) {
    SetEnvironmentVariableA("TEMP", folder.c_str());
    SetEnvironmentVariableA("TMP", folder.c_str());
  }
  std::string AddSource(const std::string& name) {
    const std::string path = sources_ + "\\" + name;
    EXPECT_TRUE(WriteAll(path, "RIFF"));
    tracks_.AddTrack(path);
    return path;
  }

  TrackList tracks_;
  FakePrompter prompter_;
  TestServices services_;
  std::string temp_;
  std::string oldTemp_, oldTmp_;
};

}  // namespace

TEST_F(RunEncodingTest, EmptyListDoesNothing) {
  RunEncoding(tracks_, prompter_, services_);
  EXPECT_TRUE(prompter_.events.empty());
  EXPECT_TRUE(services_.launched.empty());
  EXPECT_TRUE(FilesIn(temp_).empty());
}

TEST_F(RunEncodingTest, NoLeavesEverythingAsItWas) {
  AddSource("a.wav");
  prompter_.answers = {false};
  RunEncoding(tracks_, prompter_, services_);
  EXPECT_EQ(prompter_.questions, std::vector<std::string>{fixed_texts::kConfirmEncoding});
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_TRUE(services_.launched.empty());
  EXPECT_TRUE(FilesIn(temp_).empty());
}

// The whole run as the user meets it: a real console opens on the display, runs the
// stand-in once per track and waits at its pause; a second run meanwhile takes the next
// free name; a key at each pause ends the consoles and each script deletes itself.
TEST_F(RunEncodingTest, YesRunsTheScriptInANewConsoleAndASecondRunTakesAFreeName) {
  const std::string a = AddSource("a b&c.wav");
  const std::string b = AddSource("\x83\x7c\x83\x5c.wav");
  tracks_.AddTrack(sources_ + "\\missing.wav");
  services_.realLaunch = true;
  prompter_.defaultAnswer = true;

  const std::string first = temp_ + "te4w45iti4r2mp.bat";
  const std::string second = temp_ + "te4w45iti4r2mp-2.bat";
  // A program where an unquoted launch of "...\temp dir\te4w45iti4r2mp.bat" would look
  // first ("...\temp.exe"): the script must run, not this.
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, MAX_PATH);
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\hostname.exe").c_str(), (scratch_ + "\\temp.exe").c_str(), FALSE));
  std::vector<ScopedHandle> consoles;
  std::vector<DWORD> consoleIds;
  const auto start = [&](const std::string& script) {
    RunEncoding(tracks_, prompter_, services_);
    ASSERT_EQ(services_.launched.back(), script);
    ASSERT_TRUE(Exists(script));
    EXPECT_NE(ReadAll(script).find("del \"" + script + "\"\r\n"), std::string::npos);
    consoleIds.push_back(services_.LastProcessId());
    consoles.emplace_back(OpenProcess(SYNCHRONIZE, FALSE, consoleIds.back()));
    EXPECT_TRUE(consoles.back().IsValid());
  };
  start(first);
  const std::string firstScript = ReadAll(first);
  const DWORD shownStart = GetTickCount();
  while (!VisibleWindowTitled("te4w45iti4r2mp.bat") && GetTickCount() - shownStart < 60000) Sleep(100);
  EXPECT_TRUE(VisibleWindowTitled("te4w45iti4r2mp.bat")) << "no console window on the display in 60 s";
  start(second);
  EXPECT_EQ(ReadAll(first), firstScript) << "the running script was rewritten";

  EXPECT_EQ(prompter_.questions.size(), 2u);
  const std::string missing = fixed_texts::kFileMissing + ("\n" + sources_ + "\\missing.wav");
  EXPECT_EQ(prompter_.messages, (std::vector<std::string>{missing, missing}));
  EXPECT_EQ(services_.waits, (std::vector<DWORD>{2000, 2000}));

  // Each console calls the stand-in twice, then waits at its pause. The two consoles
  // run side by side, so their calls may come in either order; on a busy machine they
  // take their time.
  const DWORD waitStart = GetTickCount();
  while (Recorded().size() < 4 && GetTickCount() - waitStart < 300000) Sleep(100);
  EXPECT_EQ(Recorded().size(), 4u) << "the consoles made " << Recorded().size() << " of 4 calls in 300 s";
  std::vector<std::string> recorded = Recorded();
  std::sort(recorded.begin(), recorded.end());
  const std::string callA = "[-audioonly][-input][" + a + "][-output][" + sources_ + "\\a b&c.wma][-title][a b&c]";
  const std::string callB = "[-audioonly][-input][" + b + "][-output][" + sources_ + "\\\x83\x7c\x83\x5c.wma][-title][\x83\x7c\x83\x5c]";
  const std::string tail = "[-a_mode][2][-a_codec][WMA9LSL][-a_setting][Q100_44_2_16][-v_performance][100][-silent]";
  std::vector<std::string> expected = {callA + tail, callB + tail, callA + tail, callB + tail};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(recorded, expected);
  EXPECT_TRUE(Exists(first) && Exists(second)) << "a script went before its pause";

  // Enter at each pause, again each second until the console ends (a key that comes
  // before the pause is not kept for it): both consoles end and both scripts are gone.
  for (size_t i = 0; i < consoles.size(); ++i) {
    bool ended = false;
    for (const DWORD enterStart = GetTickCount(); !ended && GetTickCount() - enterStart < 60000;) {
      PressEnterIn(consoleIds[i]);
      ended = WaitForSingleObject(consoles[i].Get(), 1000) == WAIT_OBJECT_0;
    }
    EXPECT_TRUE(ended) << "console " << i << " still waits after 60 s";
  }
  EXPECT_FALSE(Exists(first));
  EXPECT_FALSE(Exists(second));
}

TEST_F(RunEncodingTest, AScriptIsNeverSharedAndNamesRunOutCleanly) {
  AddSource("a.wav");
  prompter_.defaultAnswer = true;
  ASSERT_TRUE(WriteAll(temp_ + "te4w45iti4r2mp.bat", "still running"));
  for (int n = 2; n <= 98; ++n) ASSERT_TRUE(WriteAll(temp_ + "te4w45iti4r2mp-" + std::to_string(n) + ".bat", "x"));
  RunEncoding(tracks_, prompter_, services_);
  const std::string last = temp_ + "te4w45iti4r2mp-99.bat";
  ASSERT_EQ(services_.launched, std::vector<std::string>{last});
  EXPECT_NE(ReadAll(last).find("del \"" + last + "\"\r\n"), std::string::npos);
  EXPECT_EQ(ReadAll(temp_ + "te4w45iti4r2mp.bat"), "still running");

  // Every name taken: the temporary-file message, nothing launched.
  RunEncoding(tracks_, prompter_, services_);
  EXPECT_EQ(prompter_.messages, std::vector<std::string>{fixed_texts::kTempFileFailed});
  EXPECT_EQ(services_.launched.size(), 1u);
}

TEST_F(RunEncodingTest, ATemporaryFolderThatDoesNotExistIsReported) {
  AddSource("a.wav");
  prompter_.defaultAnswer = true;
  SetTemp(scratch_ + "\\no such folder");
  RunEncoding(tracks_, prompter_, services_);
  EXPECT_EQ(prompter_.messages, std::vector<std::string>{fixed_texts::kTempFileFailed});
  EXPECT_TRUE(services_.launched.empty());
  EXPECT_TRUE(services_.waits.empty());
}

TEST_F(RunEncodingTest, AWriteFailureIsReportedAndNothingLaunched) {
  for (int i = 0; i < 50; ++i) AddSource(std::to_string(i) + ".wav");
  FillingFileSystem full;
  services_.files = &full;
  prompter_.defaultAnswer = true;
  for (size_t capacity : {size_t(0), size_t(100), size_t(5000)}) {
    full.capacity = capacity;
    prompter_.messages.clear();
    RunEncoding(tracks_, prompter_, services_);
    EXPECT_EQ(prompter_.messages, std::vector<std::string>{fixed_texts::kTempFileFailed}) << capacity;
    EXPECT_TRUE(services_.launched.empty());
  }
}

TEST_F(RunEncodingTest, ALaunchFailureShowsThePathAndTheSystemText) {
  AddSource("a.wav");
  prompter_.defaultAnswer = true;
  services_.launchError = ERROR_FILE_NOT_FOUND;
  RunEncoding(tracks_, prompter_, services_);
  const std::string script = temp_ + "te4w45iti4r2mp.bat";
  ASSERT_EQ(services_.launched, std::vector<std::string>{script});
  EXPECT_FALSE(SystemText(ERROR_FILE_NOT_FOUND).empty());
  EXPECT_EQ(prompter_.messages, std::vector<std::string>{fixed_texts::kLaunchFailedBefore + script + fixed_texts::kLaunchFailedAfter +
                                                         SystemText(ERROR_FILE_NOT_FOUND)});
  EXPECT_TRUE(services_.waits.empty());
}

TEST_F(RunEncodingTest, MissingOrOverlongFoldersAreReportedBeforeAnythingIsWritten) {
  AddSource("a.wav");
  prompter_.defaultAnswer = true;

  services_.programFilesMode = TestServices::Env::kUnset;
  RunEncoding(tracks_, prompter_, services_);

  services_.programFilesMode = TestServices::Env::kValue;
  services_.programFiles = "C:\\" + std::string(223, 'p');  // 226 + 33 = 259 bytes: fits
  RunEncoding(tracks_, prompter_, services_);
  ASSERT_EQ(services_.launched.size(), 1u);
  DeleteFileA(services_.launched[0].c_str());
  services_.programFiles += "q";  // 260 bytes
  RunEncoding(tracks_, prompter_, services_);

  services_.programFilesMode = TestServices::Env::kReal;
  services_.tempFolder = temp_ + std::string(241 - temp_.size(), 't') + "\\";  // script path 260 bytes
  RunEncoding(tracks_, prompter_, services_);

  EXPECT_EQ(prompter_.messages,
            (std::vector<std::string>{fixed_texts::kProgramFilesUnset,
                                      fixed_texts::kEncoderFolderTooLong + services_.programFiles +
                                          fixed_texts::kEncoderSubfolder,
                                      fixed_texts::kTempFileFailed}));
  EXPECT_EQ(services_.launched.size(), 1u);
  EXPECT_TRUE(FilesIn(temp_).empty());
}

// After the encoding question: the question about outputs that exist, then the folders
// of the outputs that will be written, made on the real file system; Cancel makes none.
TEST_F(RunEncodingTest, ExistingOutputsAreAskedAboutAndMissingFoldersMade) {
  AddSource("kept.wav");
  ASSERT_TRUE(WriteAll(sources_ + "\\kept.wma", "an earlier run's"));
  AddSource("saved.wav");
  const std::string folder = sources_ + "\\new \x83\x5c\\deeper";  // ソ, trail byte 5C
  tracks_.SetItemText(tracks_.GetTrackCount() - 1, kColumnSavePath, folder + "\\saved.wma");

  prompter_.answers = {true, true};
  prompter_.threeWayAnswers = {Prompter::Answer::kCancel, Prompter::Answer::kNo};
  RunEncoding(tracks_, prompter_, services_);
  EXPECT_TRUE(services_.launched.empty());
  EXPECT_FALSE(Exists(sources_ + "\\new \x83\x5c")) << "a cancelled run made a folder";

  RunEncoding(tracks_, prompter_, services_);
  ASSERT_EQ(services_.launched.size(), 1u);
  EXPECT_TRUE(Exists(folder));
  const std::string script = ReadAll(services_.launched[0]);
  EXPECT_EQ(script.find("kept.wav"), std::string::npos) << script;
  EXPECT_NE(script.find("\\new \x83\x5c\\deeper\\saved.wma\" -title"), std::string::npos) << script;
  EXPECT_EQ(ReadAll(sources_ + "\\kept.wma"), "an earlier run's");
  EXPECT_EQ(prompter_.questions.size(), 4u);
  EXPECT_TRUE(prompter_.messages.empty());
  DeleteFileA(services_.launched[0].c_str());
}

// The run asks about the console of the script it launches: one that does not read code
// page 932 gets the switch as the script's second line.
TEST_F(RunEncodingTest, AConsoleNotIn932IsSwitchedByTheScript) {
  AddSource("one.wav");
  prompter_.defaultAnswer = true;
  services_.console932 = false;
  RunEncoding(tracks_, prompter_, services_);
  ASSERT_EQ(services_.launched.size(), 1u);
  EXPECT_EQ(services_.consoleAskedFor, "te4w45iti4r2mp");
  const std::vector<std::string> lines = SplitLines(ReadAll(services_.launched[0]));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "@echo off");
  EXPECT_EQ(lines[1] + "\n", fixed_texts::kScriptSwitchConsole);
  EXPECT_EQ(lines[2], "");
  DeleteFileA(services_.launched[0].c_str());
}

// The real services themselves: what the seams above stand in for.
TEST(EncodingServices, EnvironmentTemporaryFolderAndErrorText) {
  Win32EncodingServices services;
  std::string value;
  SetEnvironmentVariableA("BRUMLET_TEST_VALUE", "x %y%");
  EXPECT_TRUE(services.GetEnvironment("BRUMLET_TEST_VALUE", &value));
  EXPECT_EQ(value, "x %y%");
  SetEnvironmentVariableA("BRUMLET_TEST_VALUE", nullptr);
  EXPECT_FALSE(services.GetEnvironment("BRUMLET_TEST_VALUE", &value));

  std::string temp;
  ASSERT_TRUE(services.GetTempFolder(&temp));
  EXPECT_EQ(temp.back(), '\\');

  // A launch of a script that does not exist fails with the system's reason.
  EXPECT_FALSE(services.LaunchBatchFile(temp + "brumlet-no-such-script.bat"));
  const DWORD code = GetLastError();
  EXPECT_NE(code, 0u);
  SetLastError(code);
  EXPECT_EQ(services.LastErrorText(), SystemText(code));
}

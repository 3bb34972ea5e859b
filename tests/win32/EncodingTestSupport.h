// Helpers for the tests that run encoding scripts with the system's own command
// interpreter: the stand-in encoder installed where the script looks for the encoder,
// a scratch folder per test, and running a script with its pause answered.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Texts.h"
#include "platform/win32/Handles.h"
#include "tests/ScratchFolder.h"

namespace enctest {

inline std::string Env(const char* name) {
  char buffer[32768];
  const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// Windows form of a path from the build: Wine maps the Unix root to Z:.
inline std::string HostPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline std::string EncoderFolder() { return Env("ProgramFiles") + fixed_texts::kEncoderSubfolder; }

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadAll(const std::string& path) {
  ScopedHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
  std::string data;
  if (!h.IsValid()) return data;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
  return data;
}

inline bool WriteAll(const std::string& path, const std::string& data) {
  ScopedHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return h.IsValid() && WriteFile(h.Get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
         written == data.size();
}

// Splits on CR LF (the record file and the console output).
inline std::vector<std::string> SplitLines(const std::string& data) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n') {
      lines.push_back(data.substr(start, i - start - (i > start && data[i - 1] == '\r' ? 1 : 0)));
      start = i + 1;
    }
  }
  if (start < data.size()) lines.push_back(data.substr(start));
  return lines;
}

// The stand-in encoder in the encoder folder, recording into a file of the scratch
// folder (named by BRUMLET_WMCMD_RECORD, which the script's processes inherit).
class Fixture : public ::testing::Test {
protected:
  void SetUp() override {
    scratch_ = folder_.Path();
    scratch_.pop_back();  // without its last separator: the tests join names with "\\"
    // The sources' folder carries characters the script must survive in every path.
    sources_ = scratch_ + "\\src & (1) %CD% ^!x!;,'";
    ASSERT_TRUE(CreateDirectoryA(sources_.c_str(), nullptr)) << sources_;

    const std::string folder = EncoderFolder();
    ASSERT_FALSE(Env("ProgramFiles").empty());
    for (size_t i = 3; i <= folder.size(); ++i)
      if (i == folder.size() || folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    const std::string source = HostPath(BRUMLET_SOURCE_DIR "/tests/e2e/wmcmd.vbs");
    ASSERT_TRUE(CopyFileA(source.c_str(), (folder + "\\wmcmd.vbs").c_str(), FALSE)) << source;

    record_ = scratch_ + "\\record.txt";
    SetEnvironmentVariableA("BRUMLET_WMCMD_RECORD", record_.c_str());
  }
  void TearDown() override { SetEnvironmentVariableA("BRUMLET_WMCMD_RECORD", nullptr); }

  // The calls the stand-in recorded, one line each.
  std::vector<std::string> Recorded() { return SplitLines(ReadAll(record_)); }

  ScratchFolder folder_;  // removed with all the tests made in it, wide names included
  std::string scratch_;  // folder_'s path: the script and the record
  std::string sources_;  // the source files
  std::string record_;
};

// Runs `cmd.exe /c "script"` with output captured and its pause answered from stdin.
// Returns the console output; fails the test when cmd does not end within a minute.
inline std::string RunWithCmd(const std::string& script) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE inRead, inWrite, outRead, outWrite;
  if (!CreatePipe(&inRead, &inWrite, &inherit, 0) || !CreatePipe(&outRead, &outWrite, &inherit, 0)) {
    ADD_FAILURE() << "pipes";
    return std::string();
  }
  ScopedHandle inR(inRead), inW(inWrite), outR(outRead), outW(outWrite);
  SetHandleInformation(inW.Get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outR.Get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inR.Get();
  startup.hStdOutput = outW.Get();
  startup.hStdError = outW.Get();
  std::string commandLine = "cmd.exe /c \"" + script + "\"";
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cmd.exe did not start: " << GetLastError();
    return std::string();
  }
  ScopedHandle processHandle(process.hProcess), thread(process.hThread);
  inR.Reset();
  outW.Reset();
  DWORD written = 0;
  WriteFile(inW.Get(), "\r\n", 2, &written, nullptr);  // the key for "pause"
  inW.Reset();

  std::string output;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(outR.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  EXPECT_EQ(WaitForSingleObject(processHandle.Get(), 60000), WAIT_OBJECT_0) << "cmd.exe did not end";
  return output;
}

}  // namespace enctest

#include "platform/win32/EncodingServices.h"

#include <vector>

#include "platform/Files.h"
#include "platform/win32/ConsoleCodePage.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WidePaths.h"

FileSystem& Win32EncodingServices::Files() { return PlatformFileSystem(); }

bool Win32EncodingServices::GetEnvironment(const std::string& name, std::string* value) {
  // The process's own block (which SetEnvironmentVariable changes), not the C runtime's copy.
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();
      return true;
    }
    if (n < buffer.size()) {
      value->assign(buffer.data(), n);
      return true;
    }
    buffer.resize(n);  // n is the size needed, terminator included
  }
}

bool Win32EncodingServices::GetTempFolder(std::string* folder) {
  // The wide form, converted exactly: the ANSI call would hand over a best-fit name
  // (C:\Users\Jose for C:\Users\José), a folder that does not exist.
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return false;
  const std::string path = FolderFromWide(FromWide(buffer, n));
  if (path.empty() || path.size() > kMaxPathBytes) return false;
  *folder = path;
  return true;
}

bool Win32EncodingServices::LaunchBatchFile(const std::string& path) {
  // The path is quoted: unquoted, a space in it (a temporary folder under "Documents and
  // Settings") would make the system try "C:\Documents.exe" and the like first, and run
  // whatever program it found there instead of the script.
  const std::string quoted = "\"" + path + "\"";
  std::vector<char> commandLine(quoted.begin(), quoted.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                      &startup, &process)) {
    // Freeing the command line may change the thread's last error: keep it now.
    launchError_ = GetLastError();
    return false;
  }
  launchError_ = ERROR_SUCCESS;
  // The run never watches the console: let go of it at once.
  ScopedHandle thread(process.hThread);
  ScopedHandle owner(process.hProcess);
  lastProcessId_ = process.dwProcessId;
  return true;
}

bool Win32EncodingServices::ConsoleReadsCodePage932(const std::string& scriptName) {
  return ::ConsoleReadsCodePage932(scriptName);
}

void Win32EncodingServices::Wait(DWORD milliseconds) { Sleep(milliseconds); }

std::string Win32EncodingServices::LastErrorText() {
  const DWORD code = launchError_ != ERROR_SUCCESS ? launchError_ : GetLastError();
  ScopedLocalMem<char*> buffer;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 reinterpret_cast<char*>(buffer.Receive()), 0, nullptr);
  return n != 0 && buffer.Get() != nullptr ? std::string(buffer.Get(), n) : std::string();
}

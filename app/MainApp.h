// The application object: works out the ProgramDirectory before any window exists,
// then runs the main window modally; the program ends when that window closes.
#pragma once
#include <string>

// Drive and folder of the running executable, with the trailing backslash
// (C:\Tools\Enc\ for C:\Tools\Enc\x.exe), by its short path where its name has no
// exact code page 932 form; empty when it has neither. Set once by CMainApp's constructor.
const std::string& ProgramDirectory();

class CMainApp {
public:
  // Tells the process's ANSI code page: the system's GetACP, or a test's stand-in.
  using CodePageQuery = unsigned (*)();

  explicit CMainApp(CodePageQuery activeCodePage = nullptr);  // computes the ProgramDirectory
  CMainApp(const CMainApp&) = delete;
  CMainApp& operator=(const CMainApp&) = delete;

  // Turns on the common controls, shows the main window until it closes and returns
  // the program's exit code: 0, or 1 after a message when the main window could not be
  // created. In a process whose ANSI code page is not 932 (a system that ignores the
  // manifest's request for it) it only says so, in Japanese and English, and returns 1
  // before any file is read or written. The command line is not used.
  int Run();

private:
  CodePageQuery activeCodePage_;
};

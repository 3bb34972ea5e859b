// The system services the encoding run needs, behind one interface so that tests can
// make any of them fail (a disk that fills up, a launch the system refuses).
#pragma once
#include <windows.h>

#include <string>

class FileSystem;

class EncodingServices {
public:
  virtual ~EncodingServices() = default;

  // Where the script is created and the sources are probed.
  virtual FileSystem& Files() = 0;
  // The value of the environment variable `name`; false when it is not set.
  virtual bool GetEnvironment(const std::string& name, std::string* value) = 0;
  // The user's temporary folder with its trailing backslash, in the program's form (its
  // short path when its name has no exact form); false when the system gives none, it
  // has no usable form, or it does not fit in MAX_PATH.
  virtual bool GetTempFolder(std::string* folder) = 0;
  // Starts the batch file `path` in a new console window shown with show command 5;
  // the command line is `path` alone, in double quotes. False when the system refuses.
  virtual bool LaunchBatchFile(const std::string& path) = 0;
  // True when the console LaunchBatchFile opens reads the script, named `scriptName`,
  // in code page 932 without being switched (see ConsoleCodePage.h).
  virtual bool ConsoleReadsCodePage932(const std::string& scriptName) = 0;
  virtual void Wait(DWORD milliseconds) = 0;
  // The system's message text, in the user's default language, for the error code of
  // the last failed launch (or else the thread's last error); empty when the system has
  // none.
  virtual std::string LastErrorText() = 0;
};

// The services of the machine the program runs on. The launch uses CreateProcessA with
// CREATE_NEW_CONSOLE (STARTF_USESHOWWINDOW, SW_SHOW): unlike WinExec it gives the
// script a console of its own even when the caller has one.
class Win32EncodingServices : public EncodingServices {
public:
  FileSystem& Files() override;
  bool GetEnvironment(const std::string& name, std::string* value) override;
  bool GetTempFolder(std::string* folder) override;
  bool LaunchBatchFile(const std::string& path) override;
  bool ConsoleReadsCodePage932(const std::string& scriptName) override;
  void Wait(DWORD milliseconds) override;
  std::string LastErrorText() override;

  // The id of the last process started by LaunchBatchFile (0 before any), so a test can
  // follow the console it opened.
  DWORD LastProcessId() const { return lastProcessId_; }

private:
  DWORD lastProcessId_ = 0;
  DWORD launchError_ = ERROR_SUCCESS;  // the code of the last failed launch, kept at once
};

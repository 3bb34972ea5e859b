#include "app/MainApp.h"

#include <windows.h>
#include <commctrl.h>

#include "app/RunEncoding.h"
#include "core/Texts.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Prompter.h"
#include "ui/MainDialog.h"

namespace {
// The one process-wide value the program keeps outside its windows.
std::string programDirectory;
}  // namespace

const std::string& ProgramDirectory() { return programDirectory; }

namespace {
unsigned SystemActiveCodePage() { return GetACP(); }
}  // namespace

CMainApp::CMainApp(CodePageQuery activeCodePage)
    : activeCodePage_(activeCodePage != nullptr ? activeCodePage : SystemActiveCodePage) {
  // Empty when the folder's name has no form the program can use (no exact one and no
  // short path): the window state and the manual are then left alone, never looked for
  // in some other folder.
  programDirectory = ExecutableFolder();
}

int CMainApp::Run() {
  // Every text and path of the program is code page 932 bytes handed to the "A" calls,
  // which read them in the process's code page: in any other, names would be garbled and
  // files missed or written under wrong names. The manifest asks for 932; where the
  // system ignores it (Windows 10 in another locale), stop before touching anything.
  if (activeCodePage_() != 932) {
    ShowWideMessage(fixed_texts::kNeedsCodePage932);
    return 1;
  }
  // The folder browser and the shell's "open" need COM in a single-threaded apartment.
  const ScopedComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  int exitCode = 0;
  {
    CMainDialog mainWindow(ProgramDirectory());
    mainWindow.SetStartEncoding([](TrackList& tracks, Prompter& prompter) { RunEncoding(tracks, prompter); });
    if (mainWindow.DoModal() == -1) {
      // Nothing was shown: say so, and end with a code that tells a caller it failed.
      Win32Prompter().ShowMessage(fixed_texts::kMainWindowFailed);
      exitCode = 1;
    }
  }
  return exitCode;
}

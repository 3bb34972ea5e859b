#include "app/MainApp.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/Files.h"
#include "ui/MainDialog.h"

namespace {
// The one process-wide value the program keeps outside its windows.
std::string programDirectory;
}  // namespace

const std::string& ProgramDirectory() { return programDirectory; }

CMainApp::CMainApp() {
  char path[MAX_PATH] = "";
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  programDirectory = DirectoryOfPath(std::string(path, n < MAX_PATH ? n : 0));
}

int CMainApp::Run() {
  // The folder browser and the shell's "open" need COM in a single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  {
    CMainDialog mainWindow(ProgramDirectory());
    mainWindow.DoModal();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

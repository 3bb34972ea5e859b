#include "app/MainApp.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/Text.h"
#include "ui/MainDialog.h"

namespace {
// The one process-wide value the program keeps outside its windows.
std::string programDirectory;
}  // namespace

const std::string& ProgramDirectory() { return programDirectory; }

std::string DirectoryOfPath(const std::string& path) {
  return text::Left(path, text::ReverseFindAny(path, "\\/:") + 1);
}

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

// Entry point of Brumlet.exe.
#include <windows.h>

#include "app/MainApp.h"
#include "platform/win32/HandlerFailure.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The window procedures catch what their handlers throw; this catches what is left
  // (setting up before the main window, tearing down after it) and still says so.
  try {
    CMainApp app;
    return app.Run();
  } catch (...) {
    ReportHandlerFailure(nullptr);
    return 1;
  }
}

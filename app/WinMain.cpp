// Entry point of Brumlet.exe.
#include <windows.h>

#include "app/MainApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CMainApp app;
  return app.Run();
}

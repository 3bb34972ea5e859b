// The screen's DPI for a window and the system metrics at a DPI. Windows 10 1607 and
// later give both per window, as a window on a second monitor may have another scale;
// the functions that do so are looked up at run time, so that the program still starts
// on Windows 7, where the system DPI is every window's.
#pragma once
#include <windows.h>

class DpiServices {
public:
  // Takes the per-DPI functions from `user32`; null gives the fallbacks alone, as on
  // Windows 7 to 8.1.
  explicit DpiServices(HMODULE user32);
  // Those of the system's user32, looked up once.
  static const DpiServices& System();

  // The DPI `window` is drawn at (GetDpiForWindow), else the screen's (LOGPIXELSY).
  UINT WindowDpi(HWND window) const;
  // The metric `index` (SM_*) at `dpi` (GetSystemMetricsForDpi), else the system's value
  // scaled from the screen's DPI.
  int SystemMetric(int index, UINT dpi) const;

private:
  UINT(WINAPI* getDpiForWindow_)(HWND) = nullptr;
  int(WINAPI* getSystemMetricsForDpi_)(int, UINT) = nullptr;
};

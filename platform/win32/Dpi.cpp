#include "platform/win32/Dpi.h"

namespace {

const UINT kDefaultDpi = 96;

// The DPI of the whole screen: the system DPI, which a system-aware program gets.
UINT ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

template <typename Function>
void Find(HMODULE module, const char* name, Function* function) {
  // GetProcAddress returns a generic pointer; the name fixes its true type.
  *function = module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                                : nullptr;
}

}  // namespace

DpiServices::DpiServices(HMODULE user32) {
  Find(user32, "GetDpiForWindow", &getDpiForWindow_);
  Find(user32, "GetSystemMetricsForDpi", &getSystemMetricsForDpi_);
}

const DpiServices& DpiServices::System() {
  static const DpiServices services(GetModuleHandleA("user32.dll"));
  return services;
}

UINT DpiServices::WindowDpi(HWND window) const {
  if (getDpiForWindow_ != nullptr) {
    const UINT dpi = getDpiForWindow_(window);
    if (dpi > 0) return dpi;  // 0: not a window
  }
  return ScreenDpi();
}

int DpiServices::SystemMetric(int index, UINT dpi) const {
  if (getSystemMetricsForDpi_ != nullptr) return getSystemMetricsForDpi_(index, dpi);
  const int metric = GetSystemMetrics(index);
  const UINT screen = ScreenDpi();
  return dpi == screen ? metric : MulDiv(metric, static_cast<int>(dpi), static_cast<int>(screen));
}

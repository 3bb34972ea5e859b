// The DPI services over the system's user32 and, as on Windows 7, without the per-DPI
// functions; at the screen's DPI whatever it is (the DPI run sets 96 and 144).
#include "platform/win32/Dpi.h"

#include <gtest/gtest.h>

TEST(DpiServices, WithoutThePerDpiFunctionsTheScreenDpiAndTheSystemMetricsServe) {
  HDC screen = GetDC(nullptr);
  const UINT dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  const DpiServices fallback(nullptr);
  EXPECT_EQ(fallback.WindowDpi(window), dpi);
  EXPECT_EQ(fallback.SystemMetric(SM_CYCAPTION, dpi), GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(fallback.SystemMetric(SM_CXICON, dpi * 2), 2 * GetSystemMetrics(SM_CXICON));

  // The system's functions, where it has them, agree at the system DPI.
  const DpiServices& system = DpiServices::System();
  EXPECT_EQ(system.WindowDpi(window), dpi);
  EXPECT_EQ(system.SystemMetric(SM_CYCAPTION, dpi), GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(system.WindowDpi(nullptr), dpi);  // no window: the screen's
  DestroyWindow(window);
}

#include "tests/win32/support/Screenshot.h"

#include <algorithm>
#include <memory>
#include <type_traits>
#include <vector>

#include "tests/win32/support/Png.h"

namespace wintest {
namespace {

// Owners of the GDI handles a screenshot uses, each given back its own way when it goes
// (a null handle is not given back).
struct ScreenDcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
// The device context of the whole screen (GetDC(nullptr)).
using ScopedScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcReleaser>;
// A memory device context (CreateCompatibleDC).
using ScopedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
// A bitmap, which must no longer be selected into a device context when it goes.
using ScopedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDeleter>;

// Selects an object into a device context while it lives, then selects the one it
// replaced back.
class ScopedSelect {
public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelect() { SelectObject(dc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

// Windows form of a path from the build: Wine maps the Unix root to Z:.
std::string HostPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Copies the screen's `area` into 24-bit RGB rows, top row first: an empty vector when
// a bitmap for it cannot be made. The owners are declared so that they go in the
// order the system asks: the bitmap is selected out before it is deleted, and the
// memory context is deleted before the screen's is released.
std::vector<unsigned char> CaptureScreen(const RECT& area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  ScopedScreenDc screen(GetDC(nullptr));
  ScopedMemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ScopedBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bits == nullptr) return {};
  ScopedSelect selected(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, w, h, screen.get(), area.left, area.top, SRCCOPY);
  GdiFlush();
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
  const unsigned char* p = static_cast<const unsigned char*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    rgb[i * 3] = p[i * 4 + 2];
    rgb[i * 3 + 1] = p[i * 4 + 1];
    rgb[i * 3 + 2] = p[i * 4];
  }
  return rgb;
}

}  // namespace

// The margin takes in the window manager's frame, which lies outside the rectangle the
// window itself knows.
bool Screenshot(HWND window, const std::string& name) {
  RECT r;
  GetWindowRect(window, &r);
  const int margin = 32;
  r.left = std::max<LONG>(r.left - margin, 0);
  r.top = std::max<LONG>(r.top - margin, 0);
  r.right = std::min<LONG>(r.right + margin, GetSystemMetrics(SM_CXSCREEN));
  r.bottom = std::min<LONG>(r.bottom + margin, GetSystemMetrics(SM_CYSCREEN));
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  const std::vector<unsigned char> rgb = CaptureScreen(r);
  if (rgb.empty()) return false;
  const std::string folder = HostPath(BRUMLET_SOURCE_DIR "/build/screenshots");
  CreateDirectoryA(HostPath(BRUMLET_SOURCE_DIR "/build").c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  return WritePng(folder + "\\" + name + ".png", w, h, rgb);
}

}  // namespace wintest

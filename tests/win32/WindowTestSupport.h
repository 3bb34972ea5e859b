// Helpers for the in-process window tests: running a modal dialog while a script of
// steps acts in it (each step on a timer tick of the dialog's own loop, so the keys a
// step types pass through that loop as a user's keys do), typing and clicking through
// SendInput, a scratch folder, and screenshots written as PNG files under build/.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wintest {

// A step returns true when done; false makes it run again on the next tick (waiting).
using Step = std::function<bool()>;
inline Step Do(std::function<void()> action) {
  return [action] {
    action();
    return true;
  };
}
inline Step Until(std::function<bool()> condition) { return condition; }
// Lets the loop run for `ms` milliseconds (painting reaches the screen).
inline Step Pause(DWORD ms) {
  auto start = std::make_shared<DWORD>(0);
  return [start, ms] {
    if (*start == 0) *start = GetTickCount();
    return GetTickCount() - *start >= ms;
  };
}

struct Script {
  std::vector<Step> steps;
  size_t next = 0;
  int idleTicks = 0;  // ticks after the last step, or spent waiting
  std::function<void()> closeDialog;
};
inline Script*& CurrentScript() {
  static Script* script = nullptr;
  return script;
}

// Runs the next step. Timer messages come only when the queue is otherwise empty, so
// the input a step sent has been handled when the next one runs. A step that opens a
// nested modal loop leaves the following steps to run inside it.
inline void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
  Script* script = CurrentScript();
  if (script == nullptr) return;
  if (script->next < script->steps.size() && !::testing::Test::HasFatalFailure()) {
    const size_t index = script->next++;
    if (script->steps[index]()) {
      script->idleTicks = 0;
      return;
    }
    if (++script->idleTicks < 200) {
      --script->next;  // wait: the same step again
      return;
    }
    ADD_FAILURE() << "step " << index << " kept waiting";
  }
  // Out of steps, or stuck: the dialog must not outlive the test.
  if (++script->idleTicks == 100 || script->idleTicks == 1000) {
    if (script->next <= script->steps.size()) ADD_FAILURE() << "the dialog stayed open after the last step";
    script->closeDialog();
  }
}

// Calls `show` (which runs a modal loop) while the steps run in that loop, one per
// `periodMs`. `closeDialog` ends the loop when the steps leave it open.
inline void RunScript(std::vector<Step> steps, std::function<void()> show, std::function<void()> closeDialog,
                      UINT periodMs = 40) {
  Script script;
  script.steps = std::move(steps);
  script.closeDialog = std::move(closeDialog);
  CurrentScript() = &script;
  const UINT_PTR timer = SetTimer(nullptr, 0, periodMs, StepTimer);
  show();
  KillTimer(nullptr, timer);
  CurrentScript() = nullptr;
}

// Keys pressed in order and released in reverse: PressKeys({VK_CONTROL, VK_SHIFT, 'O'}).
inline void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    inputs.push_back(in);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *--it;
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A double-click with the given button at a point in `window`'s client area.
inline void DoubleClick(HWND window, POINT client, bool right) {
  ClientToScreen(window, &client);
  SetCursorPos(client.x, client.y);
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  const DWORD up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  INPUT inputs[4] = {};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dwFlags = (i % 2 == 0) ? down : up;
  }
  SendInput(4, inputs, sizeof(INPUT));
}

inline std::string WindowText(HWND hwnd) {
  char buffer[4096] = "";
  const int n = GetWindowTextA(hwnd, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

struct WindowSearch {
  std::string caption;
  HWND found;
};
inline BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM context) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
  if (IsWindowVisible(hwnd) && WindowText(hwnd) == search->caption) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of this thread with the given caption, or null.
inline HWND FindThreadWindow(const std::string& caption) {
  WindowSearch search{caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Windows form of a path from the build: Wine maps the Unix root to Z:.
inline std::string HostPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// A fresh folder under the temporary folder, removed with its files at the end.
class ScratchFolder {
public:
  ScratchFolder() {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "brumlet-ui-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter()++) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path_ + found.cFileName).c_str());
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& Path() const { return path_; }

private:
  static int& counter() {
    static int n = 0;
    return n;
  }
  std::string path_;
};

// --- Screenshots ---

inline uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// Writes 24-bit RGB rows as a PNG with stored (uncompressed) deflate blocks.
inline bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
  std::vector<unsigned char> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), rgb.begin() + static_cast<long>(y) * width * 3,
               rgb.begin() + static_cast<long>(y + 1) * width * 3);
  }
  std::vector<unsigned char> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
    pos += n;
    if (n == 0) break;
  }
  const uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) z.push_back((adler >> s) & 0xFF);

  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::fwrite(signature, 1, 8, f);
  const auto chunk = [f](const char* type, const std::vector<unsigned char>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    const unsigned char length[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                                     static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    std::fwrite(length, 1, 4, f);
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    std::fwrite(body.data(), 1, body.size(), f);
    const uint32_t crc = Crc32(body.data(), body.size());
    const unsigned char c[4] = {static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
                                static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
    std::fwrite(c, 1, 4, f);
  };
  std::vector<unsigned char> header(13, 0);
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<unsigned char>(width >> (24 - 8 * i));
    header[4 + i] = static_cast<unsigned char>(height >> (24 - 8 * i));
  }
  header[8] = 8;  // bit depth
  header[9] = 2;  // RGB
  chunk("IHDR", header);
  chunk("IDAT", z);
  chunk("IEND", {});
  return std::fclose(f) == 0;
}

// The screen around `window`, as the user sees it, saved as build/screenshots/<name>.png.
// The margin takes in the window manager's frame, which lies outside the rectangle
// the window itself knows. Nothing is redrawn for the picture: give the loop time to
// paint first (Pause).
inline bool Screenshot(HWND window, const std::string& name) {
  RECT r;
  GetWindowRect(window, &r);
  const int margin = 32;
  r.left = std::max<LONG>(r.left - margin, 0);
  r.top = std::max<LONG>(r.top - margin, 0);
  r.right = std::min<LONG>(r.right + margin, GetSystemMetrics(SM_CXSCREEN));
  r.bottom = std::min<LONG>(r.bottom + margin, GetSystemMetrics(SM_CYSCREEN));
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
  const unsigned char* p = static_cast<const unsigned char*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    rgb[i * 3] = p[i * 4 + 2];
    rgb[i * 3 + 1] = p[i * 4 + 1];
    rgb[i * 3 + 2] = p[i * 4];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const std::string folder = HostPath(BRUMLET_SOURCE_DIR "/build/screenshots");
  CreateDirectoryA(HostPath(BRUMLET_SOURCE_DIR "/build").c_str(), nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  return WritePng(folder + "\\" + name + ".png", w, h, rgb);
}

}  // namespace wintest

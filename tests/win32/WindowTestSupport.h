// Helpers for the in-process window tests: running a modal dialog while a script of
// steps acts in it (each step on a timer tick of the dialog's own loop, so the keys a
// step types pass through that loop as a user's keys do), typing and clicking through
// SendInput, answering message boxes, a scratch folder, and screenshots written as PNG
// files under build/.
//
// Nothing waits for a fixed time. Input is sent with a marker key behind it, and the
// step after it runs only once the loop has taken the marker, so every key and click
// before it has been handled; a step that waits for an effect (a window, a text) runs
// again on every tick until it holds. Either wait fails the test clearly after
// kStepLimitMs, however busy the machine.
#pragma once
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace wintest {

// How long one step may wait for its effect before the test fails.
const DWORD kStepLimitMs = 60000;

// --- Input with a marker behind it ---

// A key no window of the program uses: it follows every input a test sends, numbered
// through the input's extra information, and is taken out of the queue unseen.
const WORD kMarkerKey = VK_F24;

struct InputMarkers {
  ULONG_PTR sent = 0;   // number of the last marker sent
  ULONG_PTR taken = 0;  // highest marker number a message loop of this thread has taken
  HHOOK hook = nullptr;
};
inline InputMarkers& Markers() {
  static InputMarkers markers;
  return markers;
}

// Sees every message a loop of this thread takes from its queue, before the loop
// handles it: notes the markers and turns them into WM_NULL.
inline LRESULT CALLBACK MarkerHook(int code, WPARAM removal, LPARAM lParam) {
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == kMarkerKey) {
    if (removal == PM_REMOVE && msg->message == WM_KEYUP) {
      Markers().taken = std::max<ULONG_PTR>(Markers().taken, static_cast<ULONG_PTR>(GetMessageExtraInfo()));
    }
    msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

// Sends `inputs` as the user's keys and clicks, followed by a marker.
inline void Send(std::vector<INPUT> inputs) {
  InputMarkers& markers = Markers();
  if (markers.hook == nullptr) {
    markers.hook = SetWindowsHookExW(WH_GETMESSAGE, MarkerHook, nullptr, GetCurrentThreadId());
  }
  const ULONG_PTR number = ++markers.sent;
  for (DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
    INPUT marker = {};
    marker.type = INPUT_KEYBOARD;
    marker.ki.wVk = kMarkerKey;
    marker.ki.dwFlags = flags;
    marker.ki.dwExtraInfo = number;
    inputs.push_back(marker);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// True when a message loop of this thread has taken everything sent so far.
inline bool InputHandled() { return Markers().taken >= Markers().sent; }

// Stops waiting for input sent before: the keys that closed an earlier window may have
// gone with it. Called when a new window's script starts.
inline void ForgetEarlierInput() { Markers().taken = Markers().sent; }

// Runs the key messages already sent to this thread until everything sent so far has
// been handled, for a step that must act between two pieces of its own input. Only
// key messages are run, so no timer step can start inside it. False after the limit.
inline bool PumpKeysUntilHandled(HWND dialog) {
  const DWORD start = GetTickCount();
  while (!InputHandled()) {
    if (GetTickCount() - start > kStepLimitMs) return false;
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_KEY);
      continue;
    }
    if (dialog == nullptr || !IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

// --- Scripts of steps ---

// A step returns true when done; false makes it run again on the next tick (waiting).
// `what` names what a waiting step waits for, in the failure message.
struct Step {
  Step(std::function<bool()> run, std::string what = std::string()) : run(std::move(run)), what(std::move(what)) {}
  std::function<bool()> run;
  std::string what;
};
inline Step Do(std::function<void()> action) {
  return Step([action] {
    action();
    return true;
  });
}
inline Step Until(std::function<bool()> condition, std::string what = std::string()) {
  return Step(std::move(condition), std::move(what));
}
// Lets the loop run for `ms` milliseconds, only so that painting reaches the screen
// before a screenshot; no outcome may depend on it.
inline Step Pause(DWORD ms) {
  auto start = std::make_shared<DWORD>(0);
  auto started = std::make_shared<bool>(false);
  return Step([start, started, ms] {
    if (!*started) {
      *start = GetTickCount();
      *started = true;
    }
    return GetTickCount() - *start >= ms;
  });
}

struct Script {
  std::vector<Step> steps;
  size_t next = 0;
  bool waiting = false;    // a step or the input of the steps before is being waited for
  DWORD waitingSince = 0;  // since then
  bool closed = false;
  std::function<void()> closeDialog;
};
inline Script*& CurrentScript() {
  static Script* script = nullptr;
  return script;
}

// True once `script` has waited longer than the limit (starting the wait on the first call).
inline bool WaitedTooLong(Script& script) {
  if (!script.waiting) {
    script.waiting = true;
    script.waitingSince = GetTickCount();
  }
  return GetTickCount() - script.waitingSince > kStepLimitMs;
}

// Runs the next step once the input of the steps before has been handled. A step that
// opens a nested modal loop leaves the following steps to run inside it.
inline void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
  Script* script = CurrentScript();
  if (script == nullptr || script->closed) return;
  if (script->next < script->steps.size() && !::testing::Test::HasFatalFailure()) {
    const size_t index = script->next;
    if (!InputHandled()) {
      if (!WaitedTooLong(*script)) return;
      ADD_FAILURE() << "the keys or clicks sent before step " << index << " were never handled (" << kStepLimitMs
                    << " ms); is another window in front?";
    } else {
      script->next++;
      if (script->steps[index].run()) {
        script->waiting = false;
        return;
      }
      if (CurrentScript() != script || script->closed) return;
      if (!WaitedTooLong(*script)) {
        --script->next;  // wait: the same step again
        return;
      }
      const std::string& what = script->steps[index].what;
      ADD_FAILURE() << "step " << index << (what.empty() ? std::string() : " (" + what + ")")
                    << " kept waiting for " << kStepLimitMs << " ms";
    }
    // No further steps, and no waiting for the dialog to close.
    script->next = script->steps.size() + 1;
    script->closed = true;
    script->closeDialog();
    return;
  }
  // Out of steps, or a step failed: the dialog must not outlive the test.
  const bool failed = ::testing::Test::HasFatalFailure();
  if (failed || WaitedTooLong(*script)) {
    if (!failed) ADD_FAILURE() << "the dialog stayed open after the last step";
    script->closed = true;
    script->closeDialog();
  }
}

// Calls `show` (which runs a modal loop) while the steps run in that loop, one per
// `periodMs` at most. `closeDialog` ends the loop when the steps leave it open.
inline void RunScript(std::vector<Step> steps, std::function<void()> show, std::function<void()> closeDialog,
                      UINT periodMs = 40) {
  Script script;
  script.steps = std::move(steps);
  script.closeDialog = std::move(closeDialog);
  CurrentScript() = &script;
  ForgetEarlierInput();
  const UINT_PTR timer = SetTimer(nullptr, 0, periodMs, StepTimer);
  show();
  KillTimer(nullptr, timer);
  CurrentScript() = nullptr;
}

inline INPUT KeyInput(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

// Keys pressed in order and released in reverse: PressKeys({VK_CONTROL, VK_SHIFT, 'O'}).
inline void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) inputs.push_back(KeyInput(vk, false));
  for (auto it = keys.end(); it != keys.begin();) inputs.push_back(KeyInput(*--it, true));
  Send(std::move(inputs));
}

// `clicks` clicks with the given button at a point in `window`'s client area, with
// `modifiers` (VK_SHIFT, VK_CONTROL) held down.
inline void Click(HWND window, POINT client, bool right = false, int clicks = 1,
                  std::initializer_list<WORD> modifiers = {}) {
  ClientToScreen(window, &client);
  SetCursorPos(client.x, client.y);
  std::vector<INPUT> inputs;
  for (WORD vk : modifiers) inputs.push_back(KeyInput(vk, false));
  INPUT move = {};
  move.type = INPUT_MOUSE;
  move.mi.dx = client.x * 65535 / std::max(GetSystemMetrics(SM_CXSCREEN) - 1, 1);
  move.mi.dy = client.y * 65535 / std::max(GetSystemMetrics(SM_CYSCREEN) - 1, 1);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs.push_back(move);
  for (int i = 0; i < clicks * 2; ++i) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    if (i % 2 == 0) in.mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    else in.mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    inputs.push_back(in);
  }
  for (auto it = modifiers.end(); it != modifiers.begin();) inputs.push_back(KeyInput(*--it, true));
  Send(std::move(inputs));
}

// A double-click with the given button at a point in `window`'s client area.
inline void DoubleClick(HWND window, POINT client, bool right) { Click(window, client, right, 2); }

inline std::string WindowText(HWND hwnd) {
  char buffer[4096] = "";
  const int n = GetWindowTextA(hwnd, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// The caption of a dialog template (DIALOGEX) among the program's resources, in code
// page 932: tests find the program's dialogs by the text the resources give them.
inline std::string DialogCaption(int id) {
  HRSRC found = FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
  const HGLOBAL loaded = found != nullptr ? LoadResource(GetModuleHandleA(nullptr), found) : nullptr;
  const auto* words = loaded != nullptr ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
  if (words == nullptr || words[0] != 1 || words[1] != 0xFFFF) return std::string();
  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy: 13 words; then
  // the menu and the class, each one word 0, two words FFFF and an id, or a string.
  const WORD* p = words + 13;
  for (int field = 0; field < 2; ++field) {
    if (*p == 0xFFFF) {
      p += 2;
    } else {
      while (*p++ != 0) {
      }
    }
  }
  const auto* title = reinterpret_cast<const wchar_t*>(p);
  char caption[1024] = "";
  const int n = WideCharToMultiByte(932, 0, title, -1, caption, sizeof caption, nullptr, nullptr);
  return n > 0 ? std::string(caption) : std::string();
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

// The text of a message box: its static controls, the icon's empty one included.
inline BOOL CALLBACK CollectStaticText(HWND child, LPARAM context) {
  char className[16] = "";
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0) *reinterpret_cast<std::string*>(context) += WindowText(child);
  return TRUE;
}

// While it lives, answers every message box of this thread with OK and
// records the boxes' texts, on a timer that keeps running in the boxes' own loops.
// A message box is a visible dialog window (class #32770) with the given caption.
class MessageBoxAnswerer {
public:
  explicit MessageBoxAnswerer(std::string caption) : caption_(std::move(caption)) {
    Current() = this;
    timer_ = SetTimer(nullptr, 0, 30, Tick);
  }
  ~MessageBoxAnswerer() {
    KillTimer(nullptr, timer_);
    Current() = nullptr;
  }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  std::vector<std::string> texts;  // in the order the boxes came up
  std::vector<HWND> owners;        // each box's owner window

private:
  static MessageBoxAnswerer*& Current() {
    static MessageBoxAnswerer* current = nullptr;
    return current;
  }
  static BOOL CALLBACK Answer(HWND window, LPARAM) {
    MessageBoxAnswerer* self = Current();
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (self == nullptr || !IsWindowVisible(window) || std::string(className) != "#32770" ||
        WindowText(window) != self->caption_ || GetPropA(window, "wintest-answered") != nullptr) {
      return TRUE;
    }
    SetPropA(window, "wintest-answered", reinterpret_cast<HANDLE>(1));
    std::string text;
    EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&text));
    self->texts.push_back(text);
    self->owners.push_back(GetWindow(window, GW_OWNER));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), Answer, 0);
  }

  std::string caption_;
  UINT_PTR timer_ = 0;
};

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
  ~ScratchFolder() { RemoveTree(path_); }
  const std::string& Path() const { return path_; }

private:
  // Removes `folder` (with its closing backslash) and everything in it.
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(folder + name + "\\");
        } else {
          DeleteFileA((folder + name).c_str());
        }
      } while (FindNextFileA(h, &found));
      FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
  }
  static int& counter() {
    static int n = 0;
    return n;
  }
  std::string path_;
};

// --- File dialogs answered from a helper thread ---
// The system's open and save dialogs run a modal loop of their own, so a test answers
// them from a second thread, waiting for the effect of each step as above.

// Polls `done` every 50 ms until it holds (on a helper thread); false after `limitMs`.
inline bool WaitFor(const std::function<bool()>& done, DWORD limitMs = kStepLimitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    Sleep(50);
  }
  return true;
}

inline BOOL CALLBACK CollectDialog(HWND w, LPARAM found) {
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
  return TRUE;
}

// The visible dialog windows (class "#32770") of `thread`, in z-order.
inline std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The file-name box of a file dialog: edt1, or cmb13 in the explorer style.
inline HWND FileNameBox(HWND dialog) {
  const HWND box = GetDlgItem(dialog, edt1);
  return box != nullptr ? box : GetDlgItem(dialog, cmb13);
}

// Waits until a file dialog has filled its controls: its list of file types holds them.
inline bool WaitUntilFilled(HWND dialog) {
  return WaitFor([dialog] { return SendDlgItemMessageW(dialog, cmb1, CB_GETCOUNT, 0, 0) > 0; });
}

// Whether an open or save dialog shows `folder` (with or without its closing backslash).
inline bool ShowsFolder(HWND dialog, std::wstring folder) {
  wchar_t shown[MAX_PATH] = L"";
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown));
  std::wstring current = shown;
  for (std::wstring* path : {&current, &folder}) {
    if (path->size() > 3 && path->back() == L'\\') path->pop_back();
  }
  return lstrcmpiW(current.c_str(), folder.c_str()) == 0;
}

// Puts each of `names` into the file-name box of a filled file dialog and presses OK.
// A name before the last is a folder: the dialog moves there before the next name.
// False when it never showed that folder.
inline bool EnterFileNames(HWND dialog, const std::vector<std::wstring>& names) {
  const HWND box = FileNameBox(dialog);
  for (size_t i = 0; i < names.size(); ++i) {
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names[i].c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (i + 1 < names.size() && !WaitFor([&] { return ShowsFolder(dialog, names[i]); })) return false;
  }
  return true;
}

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

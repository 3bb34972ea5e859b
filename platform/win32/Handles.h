// Small RAII owners for Win32 handles, memory the system hands back, and paired calls.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

// Owns a kernel handle (file, process, thread); closes it once.
class ScopedHandle {
public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE h) : h_(h) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : h_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = other.Release();
    }
    return *this;
  }

  HANDLE Get() const { return h_; }
  bool IsValid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }
  // Closes the handle; false when CloseHandle reports a failure.
  bool Reset() {
    bool ok = true;
    if (IsValid()) ok = CloseHandle(h_) != FALSE;
    h_ = INVALID_HANDLE_VALUE;
    return ok;
  }

private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Keeps a window disabled while it lives, then enables it again and brings it back to
// the front: for a window that must not take input while an owner-less window of the
// same thread (the folder browser) is open over it.
class ScopedDisable {
public:
  explicit ScopedDisable(HWND window) : window_(window) { EnableWindow(window_, FALSE); }
  ~ScopedDisable() {
    EnableWindow(window_, TRUE);
    SetForegroundWindow(window_);
  }
  ScopedDisable(const ScopedDisable&) = delete;
  ScopedDisable& operator=(const ScopedDisable&) = delete;

private:
  HWND window_;
};

// Initialises COM for this thread while it lives, in the given apartment; uninitialises
// it again only when this initialisation succeeded (S_FALSE, already initialised, counts
// and must be balanced too).
class ScopedComInit {
public:
  explicit ScopedComInit(DWORD flags) : result_(CoInitializeEx(nullptr, flags)) {}
  ~ScopedComInit() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  HRESULT Result() const { return result_; }

private:
  HRESULT result_;
};

// Owns a block of memory that a system call allocated for its caller, of pointer type
// P, and frees it with Free when it goes. Receive() hands a function that allocates
// the address to store its pointer in (FormatMessage's FORMAT_MESSAGE_ALLOCATE_BUFFER).
template <typename P, typename Free>
class ScopedSystemMemory {
public:
  explicit ScopedSystemMemory(P p = nullptr) : p_(p) {}
  ~ScopedSystemMemory() { Reset(); }
  ScopedSystemMemory(const ScopedSystemMemory&) = delete;
  ScopedSystemMemory& operator=(const ScopedSystemMemory&) = delete;

  P Get() const { return p_; }
  P* Receive() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_ != nullptr) Free()(p_);
    p_ = nullptr;
  }

private:
  P p_;
};

struct CoTaskMemFreer {
  void operator()(void* p) const { CoTaskMemFree(p); }
};
struct LocalMemFreer {
  void operator()(void* p) const { LocalFree(p); }
};
// Memory the shell hands back (an item id list from the folder browser).
template <typename P>
using ScopedCoTaskMem = ScopedSystemMemory<P, CoTaskMemFreer>;
// Memory from LocalAlloc (a FormatMessage buffer).
template <typename P>
using ScopedLocalMem = ScopedSystemMemory<P, LocalMemFreer>;

// Paints a window from BeginPaint to EndPaint: make one in the WM_PAINT handler and
// draw on Dc().
class ScopedPaint {
public:
  explicit ScopedPaint(HWND window) : window_(window), paint_(), dc_(BeginPaint(window, &paint_)) {}
  ~ScopedPaint() { EndPaint(window_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC Dc() const { return dc_; }

private:
  HWND window_;
  PAINTSTRUCT paint_;
  HDC dc_;
};

// Owns the handle of a drop (WM_DROPFILES) and finishes the drop when it goes, however
// reading the dropped names ends.
class ScopedDrop {
public:
  explicit ScopedDrop(HDROP drop) : drop_(drop) {}
  ~ScopedDrop() { DragFinish(drop_); }
  ScopedDrop(const ScopedDrop&) = delete;
  ScopedDrop& operator=(const ScopedDrop&) = delete;
  HDROP Get() const { return drop_; }

private:
  HDROP drop_;
};

// Owns an icon made by LoadImage without LR_SHARED and destroys it when it goes or is
// replaced. A window that shows the icon must be given another one (or be gone) first.
class ScopedIcon {
public:
  ScopedIcon() = default;
  explicit ScopedIcon(HICON icon) : icon_(icon) {}
  ~ScopedIcon() { Reset(nullptr); }
  ScopedIcon(const ScopedIcon&) = delete;
  ScopedIcon& operator=(const ScopedIcon&) = delete;
  HICON Get() const { return icon_; }
  void Reset(HICON icon) {
    if (icon_ != nullptr) DestroyIcon(icon_);
    icon_ = icon;
  }

private:
  HICON icon_ = nullptr;
};

// Owns an open registry key (null: none) and closes it when it goes.
class ScopedRegKey {
public:
  explicit ScopedRegKey(HKEY key) : key_(key) {}
  ~ScopedRegKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  HKEY Get() const { return key_; }

private:
  HKEY key_;
};

// Owns a search of a folder (FindFirstFileExW) and ends it with FindClose.
class ScopedFind {
public:
  explicit ScopedFind(HANDLE find) : find_(find) {}
  ~ScopedFind() {
    if (IsValid()) FindClose(find_);
  }
  ScopedFind(const ScopedFind&) = delete;
  ScopedFind& operator=(const ScopedFind&) = delete;
  HANDLE Get() const { return find_; }
  bool IsValid() const { return find_ != INVALID_HANDLE_VALUE; }

private:
  HANDLE find_;
};

// Shows the wait cursor while it lives, then the cursor that was shown before: for work
// done in the window's own thread, which takes no input until it ends.
class ScopedWaitCursor {
public:
  ScopedWaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  ~ScopedWaitCursor() { SetCursor(previous_); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;

private:
  HCURSOR previous_;
};

// Small RAII owners for Win32 handles.
#pragma once
#include <windows.h>

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

// Owns a GDI object or icon of the given kind.
template <typename T, BOOL(WINAPI* Destroy)(T)>
class ScopedGdi {
public:
  explicit ScopedGdi(T h = nullptr) : h_(h) {}
  ~ScopedGdi() {
    if (h_) Destroy(h_);
  }
  ScopedGdi(const ScopedGdi&) = delete;
  ScopedGdi& operator=(const ScopedGdi&) = delete;
  T Get() const { return h_; }

private:
  T h_;
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

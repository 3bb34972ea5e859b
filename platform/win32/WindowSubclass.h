// Lets an object see the messages of a window it did not create, such as a control
// made from a dialog template, before the window's own procedure does (the common
// controls' subclassing: SetWindowSubclass). One object serves one window at a time.
#pragma once
#include <windows.h>

class WindowSubclass {
public:
  WindowSubclass() = default;
  virtual ~WindowSubclass();
  WindowSubclass(const WindowSubclass&) = delete;
  WindowSubclass& operator=(const WindowSubclass&) = delete;

  // Starts seeing `hwnd`'s messages; false when already attached or the system refuses.
  bool Attach(HWND hwnd);
  // Stops; also happens by itself when the window is destroyed.
  void Detach();
  HWND Hwnd() const { return hwnd_; }

protected:
  // Every message of the window. The default hands it on unchanged.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's own handling of a message.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR data);

  HWND hwnd_ = nullptr;
};

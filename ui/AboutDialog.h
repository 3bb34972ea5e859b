// The about box (template IDD_ABOUT): the program's name, version and maker. It has no
// behaviour of its own beyond closing with OK, Esc or its close box.
#pragma once
#include "platform/win32/Dialog.h"

class CAboutDialog : public Dialog {
public:
  explicit CAboutDialog(HWND parent);
};

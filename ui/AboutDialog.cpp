#include "ui/AboutDialog.h"

#include "res/resource.h"

CAboutDialog::CAboutDialog(HWND parent) : Dialog(IDD_ABOUT, parent) {}

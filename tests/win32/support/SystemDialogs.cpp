#include "tests/win32/support/SystemDialogs.h"

#include <commdlg.h>
#include <dlgs.h>

namespace wintest {
namespace {

struct WindowSearch {
  std::string caption;
  HWND found;
};
BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM context) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(context);
  if (IsWindowVisible(hwnd) && WindowText(hwnd) == search->caption) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectDialog(HWND w, LPARAM found) {
  char cls[16] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
  return TRUE;
}

}  // namespace

std::string WindowText(HWND hwnd) {
  char buffer[4096] = "";
  const int n = GetWindowTextA(hwnd, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// Reads the template's header by hand: the caption follows the fixed fields, the menu
// and the class.
std::string DialogCaption(int id) {
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

HWND FindThreadWindow(const std::string& caption) {
  WindowSearch search{caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context) {
  char className[16] = "";
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0) *reinterpret_cast<std::string*>(context) += WindowText(child);
  return TRUE;
}

// A thread timer with no window: it fires in whatever loop the thread runs, the boxes'
// own included.
MessageBoxAnswerer::MessageBoxAnswerer(std::string caption) : caption_(std::move(caption)) {
  Current() = this;
  timer_ = SetTimer(nullptr, 0, 30, Tick);
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  KillTimer(nullptr, timer_);
  Current() = nullptr;
}

MessageBoxAnswerer*& MessageBoxAnswerer::Current() {
  static MessageBoxAnswerer* current = nullptr;
  return current;
}

// Each box is marked with a window property when answered, so a box still closing on
// the next tick is neither recorded nor answered twice.
BOOL CALLBACK MessageBoxAnswerer::Answer(HWND window, LPARAM) {
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

void CALLBACK MessageBoxAnswerer::Tick(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), Answer, 0);
}

bool WaitFor(const std::function<bool()>& done, DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    Sleep(50);
  }
  return true;
}

std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(thread, CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FileNameBox(HWND dialog) {
  const HWND box = GetDlgItem(dialog, edt1);
  return box != nullptr ? box : GetDlgItem(dialog, cmb13);
}

bool WaitUntilFilled(HWND dialog) {
  return WaitFor([dialog] { return SendDlgItemMessageW(dialog, cmb1, CB_GETCOUNT, 0, 0) > 0; });
}

// A drive's root keeps its backslash ("C:\"); other paths are compared without it.
bool ShowsFolder(HWND dialog, std::wstring folder) {
  wchar_t shown[MAX_PATH] = L"";
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown));
  std::wstring current = shown;
  for (std::wstring* path : {&current, &folder}) {
    if (path->size() > 3 && path->back() == L'\\') path->pop_back();
  }
  return lstrcmpiW(current.c_str(), folder.c_str()) == 0;
}

bool EnterFileNames(HWND dialog, const std::vector<std::wstring>& names) {
  const HWND box = FileNameBox(dialog);
  for (size_t i = 0; i < names.size(); ++i) {
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names[i].c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (i + 1 < names.size() && !WaitFor([&] { return ShowsFolder(dialog, names[i]); })) return false;
  }
  return true;
}

}  // namespace wintest

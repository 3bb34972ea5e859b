#include "tests/win32/support/Input.h"

#include <algorithm>

namespace wintest {
namespace {

// A key no window of the program uses: it follows every input a test sends, numbered
// through the input's extra information, and is taken out of the queue unseen.
const WORD kMarkerKey = VK_F24;

struct InputMarkers {
  ULONG_PTR sent = 0;   // number of the last marker sent
  ULONG_PTR taken = 0;  // highest marker number a message loop of this thread has taken
  HHOOK hook = nullptr;
};
InputMarkers& Markers() {
  static InputMarkers markers;
  return markers;
}

// Sees every message a loop of this thread takes from its queue, before the loop
// handles it: notes the markers and turns them into WM_NULL.
LRESULT CALLBACK MarkerHook(int code, WPARAM removal, LPARAM lParam) {
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == kMarkerKey) {
    if (removal == PM_REMOVE && msg->message == WM_KEYUP) {
      Markers().taken = std::max<ULONG_PTR>(Markers().taken, static_cast<ULONG_PTR>(GetMessageExtraInfo()));
    }
    msg->message = WM_NULL;
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

INPUT KeyInput(WORD vk, bool up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

}  // namespace

// The hook that notes the markers is set on the first input, on the thread that sends
// it, which is the thread whose loops the tests drive.
void Send(std::vector<INPUT> inputs) {
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

bool InputHandled() { return Markers().taken >= Markers().sent; }

void ForgetEarlierInput() { Markers().taken = Markers().sent; }

bool PumpKeysUntilHandled(HWND dialog) {
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

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) inputs.push_back(KeyInput(vk, false));
  for (auto it = keys.end(); it != keys.begin();) inputs.push_back(KeyInput(*--it, true));
  Send(std::move(inputs));
}

void Click(HWND window, POINT client, bool right, int clicks, std::initializer_list<WORD> modifiers) {
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

void DoubleClick(HWND window, POINT client, bool right) { Click(window, client, right, 2); }

}  // namespace wintest

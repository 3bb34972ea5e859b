// Keys and clicks for the window tests, sent through SendInput as a user's are, each
// batch followed by a marker key so a test can tell when a loop has handled it all.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <vector>

namespace wintest {

// How long one step may wait for its effect before the test fails.
const DWORD kStepLimitMs = 60000;

// Sends `inputs` as the user's keys and clicks, followed by a marker.
void Send(std::vector<INPUT> inputs);

// True when a message loop of this thread has taken everything sent so far.
bool InputHandled();

// Stops waiting for input sent before: the keys that closed an earlier window may have
// gone with it. Called when a new window's script starts.
void ForgetEarlierInput();

// Runs the key messages already sent to this thread until everything sent so far has
// been handled, for a step that must act between two pieces of its own input. Only
// key messages are run, so no timer step can start inside it. False after the limit.
bool PumpKeysUntilHandled(HWND dialog);

// Keys pressed in order and released in reverse: PressKeys({VK_CONTROL, VK_SHIFT, 'O'}).
void PressKeys(std::initializer_list<WORD> keys);

// `clicks` clicks with the given button at a point in `window`'s client area, with
// `modifiers` (VK_SHIFT, VK_CONTROL) held down.
void Click(HWND window, POINT client, bool right = false, int clicks = 1,
           std::initializer_list<WORD> modifiers = {});

// A double-click with the given button at a point in `window`'s client area.
void DoubleClick(HWND window, POINT client, bool right);

}  // namespace wintest

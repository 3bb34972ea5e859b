// Scripts of steps for the window tests: a modal dialog runs while the steps act in it,
// each on a timer tick of the dialog's own loop, so the keys a step types pass through
// that loop as a user's keys do.
//
// Nothing waits for a fixed time. The step after some input runs only once the loop
// has taken the input's marker (Input.h); a step that waits for an effect (a window, a
// text) runs again on every tick until it holds. Either wait fails the test clearly
// after kStepLimitMs, however busy the machine.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wintest {

// A step returns true when done; false makes it run again on the next tick (waiting).
// `what` names what a waiting step waits for, in the failure message.
struct Step {
  Step(std::function<bool()> run, std::string what = std::string()) : run(std::move(run)), what(std::move(what)) {}
  std::function<bool()> run;
  std::string what;
};

// A step that does `action` once.
Step Do(std::function<void()> action);
// A step that waits until `condition` holds.
Step Until(std::function<bool()> condition, std::string what = std::string());
// Lets the loop run for `ms` milliseconds, only so that painting reaches the screen
// before a screenshot; no outcome may depend on it.
Step Pause(DWORD ms);

// Calls `show` (which runs a modal loop) while the steps run in that loop, one per
// `periodMs` at most. `closeDialog` ends the loop when the steps leave it open.
void RunScript(std::vector<Step> steps, std::function<void()> show, std::function<void()> closeDialog,
               UINT periodMs = 40);

}  // namespace wintest

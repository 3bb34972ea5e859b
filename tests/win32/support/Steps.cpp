#include "tests/win32/support/Steps.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/win32/support/Input.h"

namespace wintest {
namespace {

struct Script {
  std::vector<Step> steps;
  size_t next = 0;
  bool waiting = false;    // a step or the input of the steps before is being waited for
  DWORD waitingSince = 0;  // since then
  bool closed = false;
  std::function<void()> closeDialog;
};
Script*& CurrentScript() {
  static Script* script = nullptr;
  return script;
}

// True once `script` has waited longer than the limit (starting the wait on the first call).
bool WaitedTooLong(Script& script) {
  if (!script.waiting) {
    script.waiting = true;
    script.waitingSince = GetTickCount();
  }
  return GetTickCount() - script.waitingSince > kStepLimitMs;
}

// Runs the next step once the input of the steps before has been handled. A step that
// opens a nested modal loop leaves the following steps to run inside it.
void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD) {
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

}  // namespace

Step Do(std::function<void()> action) {
  return Step([action] {
    action();
    return true;
  });
}

Step Until(std::function<bool()> condition, std::string what) { return Step(std::move(condition), std::move(what)); }

// The pause starts when the step first runs, not when the script is made.
Step Pause(DWORD ms) {
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

// The steps run on a thread timer, which the dialog's loop (and any nested modal loop)
// dispatches; input left over from an earlier window is not waited for.
void RunScript(std::vector<Step> steps, std::function<void()> show, std::function<void()> closeDialog,
               UINT periodMs) {
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

}  // namespace wintest

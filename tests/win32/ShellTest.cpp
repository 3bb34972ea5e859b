// Opening a file through the shell: the request ShellOpen makes, seen through its seam,
// and a real call for a file that does not exist.
#include "platform/win32/Shell.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Recorded {
  int calls = 0;
  SHELLEXECUTEINFOA info = {};
  std::string verb, file;
  BOOL answer = TRUE;
};
Recorded recorded;

BOOL WINAPI RecordExecute(SHELLEXECUTEINFOA* info) {
  ++recorded.calls;
  recorded.info = *info;
  recorded.verb = info->lpVerb != nullptr ? info->lpVerb : "";
  recorded.file = info->lpFile != nullptr ? info->lpFile : "";
  return recorded.answer;
}

}  // namespace

TEST(Shell, OpenAsksForTheOpenVerbAndLeavesFailureMessagesToTheCallerWhenAsked) {
  HWND owner = GetDesktopWindow();
  for (bool systemReports : {false, true}) {
    recorded = Recorded();
    EXPECT_TRUE(ShellOpen(owner, "C:\\p\\ReadMe.html", systemReports, RecordExecute));
    ASSERT_EQ(recorded.calls, 1);
    EXPECT_EQ(recorded.info.cbSize, sizeof(SHELLEXECUTEINFOA));
    EXPECT_EQ((recorded.info.fMask & SEE_MASK_FLAG_NO_UI) != 0, !systemReports);
    EXPECT_EQ(recorded.info.hwnd, owner);
    EXPECT_EQ(recorded.verb, "open");
    EXPECT_EQ(recorded.file, "C:\\p\\ReadMe.html");
    EXPECT_EQ(recorded.info.lpParameters, nullptr);
    EXPECT_EQ(recorded.info.lpDirectory, nullptr);
    EXPECT_EQ(recorded.info.nShow, SW_SHOWNORMAL);
  }
  recorded.answer = FALSE;
  EXPECT_FALSE(ShellOpen(owner, "C:\\p\\ReadMe.html", false, RecordExecute));
}

TEST(Shell, AFileThatDoesNotExistIsAFailure) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  EXPECT_FALSE(ShellOpen(nullptr, std::string(temp) + "no-such-manual-4711.html", false));
}

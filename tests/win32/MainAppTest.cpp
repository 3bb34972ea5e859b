// Start-up in a process whose ANSI code page is not 932: told through a stand-in for
// GetACP, as Wine honours the manifest that asks for 932.
#include "app/MainApp.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/Texts.h"
#include "platform/win32/Win32Prompter.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

// The names in `folder` (with its trailing backslash) and their last write times.
std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> entries;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    entries.insert(std::string(found.cFileName) + " " + std::to_string(found.ftLastWriteTime.dwLowDateTime) + " " +
                   std::to_string(found.ftLastWriteTime.dwHighDateTime));
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return entries;
}

unsigned Western() { return 1252; }

// Answers the refusal's box with OK once it has been photographed, from a timer that
// runs in the box's own loop; notes its text and how many boxes came.
struct RefusalBox {
  std::string text;
  int boxes = 0;
  DWORD seen = 0;  // when the box was first found
};
RefusalBox refusal;

void CALLBACK AnswerRefusal(HWND, UINT, UINT_PTR, DWORD) {
  // A main window that opens after all is closed again, so the test ends and says so.
  if (const HWND main = wintest::FindThreadWindow("Kestova")) PostMessageA(main, WM_CLOSE, 0, 0);
  const HWND box = wintest::FindThreadWindow(ApplicationName());
  if (box == nullptr || GetPropA(box, "answered") != nullptr) return;
  if (refusal.seen == 0) refusal.seen = GetTickCount();
  if (GetTickCount() - refusal.seen < 300) return;  // painted, for the picture only
  SetPropA(box, "answered", reinterpret_cast<HANDLE>(1));
  EXPECT_TRUE(wintest::Screenshot(box, "code-page-refusal"));
  EnumChildWindows(box, wintest::CollectStaticText, reinterpret_cast<LPARAM>(&refusal.text));
  ++refusal.boxes;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace

TEST(MainApp, AnotherCodePageIsRefusedWithOneMessageAndNothingTouched) {
  char temp[MAX_PATH] = "";
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  CMainApp app(Western);
  ASSERT_FALSE(ProgramDirectory().empty());
  const std::set<std::string> programBefore = FolderEntries(ProgramDirectory());
  const std::set<std::string> tempBefore = FolderEntries(temp);

  const UINT_PTR timer = SetTimer(nullptr, 0, 30, AnswerRefusal);
  EXPECT_EQ(app.Run(), 1);
  KillTimer(nullptr, timer);

  // Read back in code page 932, the test's own, which holds every character of it.
  char expected[2048] = "";
  WideCharToMultiByte(932, 0, fixed_texts::kNeedsCodePage932, -1, expected, sizeof expected, nullptr, nullptr);
  EXPECT_EQ(refusal.boxes, 1);
  EXPECT_EQ(refusal.text, expected);
  EXPECT_EQ(FolderEntries(ProgramDirectory()), programBefore) << "no window state";
  EXPECT_EQ(FolderEntries(temp), tempBefore) << "no temporary file";
}

// The manifest asks for code page 932 whatever the system locale; the test programs carry
// it as the program does (the suites run in a second locale too, whose code page is 1252).
TEST(MainApp, TheManifestGivesTheProcessCodePage932) { EXPECT_EQ(GetACP(), 932u); }

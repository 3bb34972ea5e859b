// The read-tags command in the real main window: Ctrl+R through the window's own loop
// fills the selected rows from their files and reports once.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/TagReading.h"
#include "res/resource.h"
#include "tests/FakePrompter.h"
#include "tests/ScratchFolder.h"
#include "tests/win32/WindowTestSupport.h"
#include "ui/MainDialog.h"

using wintest::Do;
using wintest::PressKeys;
using wintest::Until;

namespace {

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string Chunk(const std::string& id, const std::string& body) {
  return id + Le32(static_cast<uint32_t>(body.size())) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}

// A small WAV file whose INFO chunk names a title and an author.
void WriteTaggedWave(const std::string& path, const std::string& title, const std::string& author) {
  const std::string body = "WAVE" + Chunk("fmt ", std::string("\x01\x00\x01\x00\x40\x1F\x00\x00\x80\x3E\x00\x00\x02\x00\x10\x00", 16)) +
                           Chunk("data", std::string(100, '\0')) +
                           Chunk("LIST", "INFO" + Chunk("INAM", title) + Chunk("IART", author));
  const std::string file = "RIFF" + Le32(static_cast<uint32_t>(body.size())) + body;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
  CloseHandle(h);
}

std::string ShownText(HWND list, int row, int column) {
  char buffer[512] = "";
  ListView_GetItemText(list, row, column, buffer, sizeof buffer);
  return buffer;
}

}  // namespace

TEST(ReadTags, CtrlRFillsTheSelectedRowsAndNamesTheFilesItCouldNotRead) {
  ScratchFolder folder;
  FakePrompter prompter;
  prompter.defaultAnswer = true;  // closing with the tags read and not saved
  CMainDialog dialog(folder.Path(), &prompter);
  const std::string a = folder.Path() + "a.wav", b = folder.Path() + "b.wav", missing = folder.Path() + "c.wav";
  WriteTaggedWave(a, "曲名", "歌手");
  WriteTaggedWave(b, "other", "other");
  HWND list = nullptr;

  wintest::RunScript(
      {Until([&] {
         if (dialog.Hwnd() == nullptr || !IsWindowVisible(dialog.Hwnd())) return false;
         list = GetDlgItem(dialog.Hwnd(), IDC_TRACK_LIST);
         SetForegroundWindow(dialog.Hwnd());
         SetFocus(list);
         return GetForegroundWindow() == dialog.Hwnd();
       }),
       Do([&] {
         TrackList& tracks = dialog.Tracks();
         for (const std::string& path : {a, b, missing}) tracks.AddTrack(path);
         tracks.SetItemText(0, kColumnDescription, "typed");
         tracks.SetItemText(0, kColumnSavePath, "D:\\out.wma");
         dialog.List().Refresh();
         ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);  // as a click does
         ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
       }),
       Do([&] {
         ASSERT_EQ(dialog.Tracks().GetSelectedTrackCount(), 2);
         PressKeys({VK_CONTROL, 'R'});
       }),
       Until([&] { return !prompter.messages.empty(); }),
       Do([&] {
         const TrackList& tracks = dialog.Tracks();
         const std::vector<std::string> first = {a, "100", "曲名", "歌手", "", "typed", "D:\\out.wma"};
         for (int column = 0; column < kTrackColumnCount; ++column) EXPECT_EQ(first[column], tracks.GetItemText(0, column));
         EXPECT_EQ("b", tracks.GetItemText(1, kColumnTitle));  // not selected: its default title stays
         EXPECT_EQ("", tracks.GetItemText(1, kColumnAuthor));
         EXPECT_EQ("c", tracks.GetItemText(2, kColumnTitle));
         EXPECT_EQ("曲名", ShownText(list, 0, kColumnTitle));  // the list shows the new cells
         ASSERT_EQ(prompter.messages.size(), 1u);
         EXPECT_EQ(TagReadingMessage({2, 1, {missing}}), prompter.messages[0]);
       }),
       wintest::Pause(300),
       Do([&] { EXPECT_TRUE(wintest::Screenshot(dialog.Hwnd(), "read-tags")); }),
       Do([] { PressKeys({VK_ESCAPE}); })},
      [&] { dialog.DoModal(); }, [&] { dialog.EndDialog(-2); });
}

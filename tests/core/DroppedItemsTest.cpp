// The walk of dropped folders over a made-up tree: which files become rows, which items
// are left out or not entered, the list files, and the one message of a drop.
#include "core/DroppedItems.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "core/Texts.h"
#include "platform/TextConversion.h"
#include "tests/FakeFolders.h"

namespace {

FolderEntry Kind(bool folder, bool hidden, bool system, uint32_t reparseTag = 0, bool reparse = false) {
  FolderEntry e;
  e.folder = folder;
  e.hidden = hidden;
  e.system = system;
  e.reparsePoint = reparse || reparseTag != 0;
  e.reparseTag = reparseTag;
  return e;
}
const uint32_t kSymlinkTag = 0xA000000Cu;
const uint32_t kJunctionTag = 0xA0000003u;
const uint32_t kCloudTag = 0x9000601Au;  // a folder kept in the cloud: its own items

std::vector<std::string> Column(const TrackList& tracks, int column) {
  std::vector<std::string> out;
  for (int row = 0; row < tracks.GetTrackCount(); ++row) out.emplace_back(tracks.GetItemText(row, column));
  return out;
}

}  // namespace

TEST(DroppedItems, FoldersGiveTheirVisibleWavFilesAndFilesAndListFilesKeepTheirRules) {
  FakeFolders fs;
  fs.Add(u"D:\\m\\hidden.wav", Kind(false, true, false));
  fs.Add(u"D:\\m\\system.wav", Kind(false, false, true));
  fs.Add(u"D:\\m\\.cache", Kind(true, true, false));
  fs.Add(u"D:\\m\\Windows", Kind(true, false, true));
  fs.Add(u"D:\\m\\Windows\\w.wav");
  fs.Add(u"D:\\m\\link", Kind(true, false, false, kSymlinkTag));  // pointing back at D:\m, say
  fs.Add(u"D:\\m\\junction", Kind(true, false, false, kJunctionTag));
  fs.Add(u"D:\\m\\odd", Kind(true, false, false, 0, true));  // a reparse point of no known kind
  fs.Add(u"D:\\m\\cloud", Kind(true, false, false, kCloudTag));
  for (const char16_t* file :
       {u"D:\\m\\a.wav", u"D:\\m\\B.WAV", u"D:\\m\\notes.txt", u"D:\\m\\in.csv", u"D:\\m\\sub\\c.Wav",
        u"D:\\m\\sub\\deep\\d.wav", u"D:\\m\\\u30bd\u8868\\e.wav", u"D:\\m\\dir.wav\\i.wav", u"D:\\m\\Caf\u00e9.wav",
        u"D:\\m\\\ud55c\uad6d.wav", u"D:\\m\\cloud\\h.wav", u"D:\\m\\.cache\\f.wav", u"D:\\m\\link\\g.wav",
        u"D:\\m\\junction\\j.wav", u"D:\\m\\odd\\k.wav"}) {
    fs.Add(file);
  }
  fs.shortPaths[u"D:\\m\\Caf\u00e9.wav"] = u"D:\\m\\CAFE~1.WAV";
  // "D:\m\" and 248 x make 253 bytes: "\a.wav" fits in 259, "\ab.wav" is skipped, never cut short.
  const std::u16string deep = u"D:\\m\\" + std::u16string(248, u'x');
  fs.Add(deep + u"\\a.wav");
  fs.Add(deep + u"\\ab.wav");

  TrackList tracks;
  tracks.AddTrack("D:\\m\\a.wav");
  tracks.SetItemText(0, kColumnTitle, "kept");
  const DroppedItems found = FindDroppedItems(
      {u"D:\\m\\", u"D:\\solo.WAV", u"D:\\b.csv", u"D:\\A.CSV", u"D:\\other.txt", u"D:\\m\\sub", u"D:\\m\\.cache"}, fs);
  EXPECT_EQ(found.listFiles, (std::vector<std::u16string>{u"D:\\A.CSV", u"D:\\b.csv"}));
  EXPECT_EQ(found.folders, (std::vector<std::u16string>{u"D:\\m\\", u"D:\\m\\sub", u"D:\\m\\.cache"}));
  // Hidden, system and linked folders are not entered; a dropped one is, whatever it is.
  for (const char* notEntered : {"Windows", "link", "junction", "odd"}) {
    EXPECT_EQ(std::count(fs.listed.begin(), fs.listed.end(), u"D:\\m\\" + textconv::FromCp932(notEntered)), 0)
        << notEntered;
  }
  EXPECT_EQ(std::count(fs.listed.begin(), fs.listed.end(), u"D:\\m\\.cache"), 1);

  std::string message;
  EXPECT_EQ(AddDroppedFiles(tracks, found, &message), 10);
  EXPECT_EQ(Column(tracks, kColumnPath),
            (std::vector<std::string>{"D:\\m\\.cache\\f.wav", "D:\\m\\a.wav", "D:\\m\\B.WAV", "D:\\m\\CAFE~1.WAV",
                                      "D:\\m\\cloud\\h.wav", "D:\\m\\dir.wav\\i.wav", "D:\\m\\sub\\c.Wav",
                                      "D:\\m\\sub\\deep\\d.wav", "D:\\m\\" + std::string(248, 'x') + "\\a.wav",
                                      "D:\\m\\ソ表\\e.wav", "D:\\solo.WAV"}));
  EXPECT_EQ(tracks.GetItemText(1, kColumnTitle), "kept");
  EXPECT_EQ(tracks.GetItemText(9, kColumnTitle), "e");
  const std::string cafe(tracks.GetItemText(3, kColumnTitle));
  EXPECT_TRUE(cafe == "Cafe" || cafe == "Caf?") << cafe;  // from the long name, not CAFE~1
  EXPECT_EQ(message, std::string(fixed_texts::kCannotAddFiles) + "D:\\m\\??.wav");
}

TEST(DroppedItems, FoldersWithoutAWavFileSayHowOnceAndListedFilesCountAsFound) {
  FakeFolders fs;
  fs.Add(u"D:\\empty", FakeFolders::Folder());
  fs.Add(u"D:\\only\\notes.txt");
  fs.Add(u"D:\\only\\h.wav", Kind(false, true, false));
  fs.Add(u"D:\\only\\link", Kind(true, false, false, kSymlinkTag));
  fs.Add(u"D:\\only\\link\\l.wav");
  fs.Add(u"D:\\\u00e9t\u00e9\\list.csv");
  fs.Add(u"D:\\music\\a.wav");

  TrackList tracks;
  std::string message;
  AddDroppedFiles(tracks, FindDroppedItems({u"D:\\empty", u"D:\\only", u"D:\\\u00e9t\u00e9", u"D:\\x.csv"}, fs),
                  &message);
  EXPECT_EQ(tracks.GetTrackCount(), 0);
  EXPECT_EQ(message, std::string(fixed_texts::kNoWavInFolders) + "\nD:\\empty\nD:\\only\nD:\\?t?");

  // A folder whose files are listed already found them: nothing is said, as for a file.
  EXPECT_EQ(AddDroppedFiles(tracks, FindDroppedItems({u"D:\\music"}, fs), &message), 1);
  EXPECT_EQ(message, "");
  EXPECT_EQ(AddDroppedFiles(tracks, FindDroppedItems({u"D:\\music"}, fs), &message), 0);
  EXPECT_EQ(message, "");
  // Files alone never bring that message.
  EXPECT_EQ(AddDroppedFiles(tracks, FindDroppedItems({u"D:\\a.txt"}, fs), &message), 0);
  EXPECT_EQ(message, "");
}

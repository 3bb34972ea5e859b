#include "core/TrackList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace {

std::vector<std::string> Paths(const TrackList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetTrackCount(); ++i) out.push_back(list.GetItemText(i, kColumnPath));
  return out;
}

std::vector<int> Selected(const TrackList& list) {
  std::vector<int> out;
  for (int r = list.GetFirstSelectedTrack(); r != -1; r = list.GetNextSelectedTrack(r)) out.push_back(r);
  return out;
}

}  // namespace

TEST(TrackList, AddTrackFillsQualityAndTitleAndLeavesTheRestEmpty) {
  TrackList list;
  const int row = list.AddTrack("C:\\wav\\song.01.wav");
  ASSERT_EQ(row, 0);
  EXPECT_EQ(list.GetItemText(0, kColumnPath), "C:\\wav\\song.01.wav");
  EXPECT_EQ(list.GetItemText(0, kColumnQuality), "100");
  EXPECT_EQ(list.GetItemText(0, kColumnTitle), "song.01");
  for (int c = kColumnAuthor; c <= kColumnSavePath; ++c) EXPECT_EQ(list.GetItemText(0, c), "") << c;
  EXPECT_TRUE(list.IsListed("C:\\wav\\song.01.wav"));
}

TEST(TrackList, DefaultTitleOfAwkwardPaths) {
  EXPECT_EQ(DefaultTitle("C:\\x\\take1"), "take1");
  EXPECT_EQ(DefaultTitle("C:\\my.dir\\take1"), "take1");  // the dot of a folder is not an extension
  EXPECT_EQ(DefaultTitle("song.wav"), "song");
  EXPECT_EQ(DefaultTitle(""), "");
  EXPECT_EQ(DefaultTitle("C:\\x\\.wav"), "");
  EXPECT_EQ(DefaultTitle("C:\\x\\"), "");
  // C:\ソース\表.wav: the trail bytes 5C of ソ and 表 are not backslashes.
  EXPECT_EQ(DefaultTitle("C:\\\x83\x5c\x81\x5b\x83\x58\\\x95\x5c.wav"), "\x95\x5c");
  EXPECT_EQ(DefaultTitle("C:\\\x95\x5c\x83\x5c"), "\x95\x5c\x83\x5c");
}

TEST(TrackList, DuplicatesAreRefusedAndLeaveTheFirstRowUntouched) {
  TrackList list;
  ASSERT_EQ(list.AddTrack("C:\\a.wav"), 0);
  list.SetItemText(0, kColumnAuthor, "Me");
  list.SetItemText(0, kColumnTitle, "Edited");
  EXPECT_EQ(list.AddTrack("C:\\a.wav"), -1);
  EXPECT_EQ(list.GetTrackCount(), 1);
  EXPECT_EQ(list.GetItemText(0, kColumnAuthor), "Me");
  EXPECT_EQ(list.GetItemText(0, kColumnTitle), "Edited");
  // Keys are case-sensitive: two spellings are two rows.
  EXPECT_NE(list.AddTrack("c:\\A.wav"), -1);
  EXPECT_EQ(list.GetTrackCount(), 2);
  // The empty path is a key like any other.
  EXPECT_NE(list.AddTrack(""), -1);
  EXPECT_EQ(list.AddTrack(""), -1);
  EXPECT_EQ(list.GetTrackCount(), 3);
}

TEST(TrackList, RowsAreOrderedByPathWithoutCaseTiesByBytes) {
  TrackList list;
  EXPECT_EQ(list.AddTrack("C:\\b.wav"), 0);
  EXPECT_EQ(list.AddTrack("C:\\a.wav"), 0);
  EXPECT_EQ(list.AddTrack("c:\\music\\song.wav"), 2);
  EXPECT_EQ(list.AddTrack("C:\\Music\\Song.WAV"), 2);  // same without case: plain bytes put 'C' first
  EXPECT_EQ(list.AddTrack("C:\\B.wav"), 1);
  EXPECT_EQ(Paths(list), (std::vector<std::string>{"C:\\a.wav", "C:\\B.wav", "C:\\b.wav", "C:\\Music\\Song.WAV",
                                                     "c:\\music\\song.wav"}));
  // Double-byte characters compare as whole characters, their trail bytes never folded.
  EXPECT_LT(CompareTrackPaths("\x83\x41", "\x83\x61"), 0);
  EXPECT_LT(CompareTrackPaths("a", "ab"), 0);
  EXPECT_EQ(CompareTrackPaths("x", "x"), 0);
}

TEST(TrackList, CellAccessOutsideTheListChangesNothing) {
  TrackList list;
  list.AddTrack("C:\\a.wav");
  EXPECT_EQ(list.GetItemText(-1, 0), "");
  EXPECT_EQ(list.GetItemText(1, 0), "");
  EXPECT_EQ(list.GetItemText(0, 7), "");
  list.SetItemText(-1, kColumnAuthor, "x");
  list.SetItemText(1, kColumnAuthor, "x");
  list.SetItemText(0, 7, "x");
  list.SetItemText(0, kColumnPath, "C:\\z.wav");  // the key cannot be rewritten behind the PathSet
  EXPECT_EQ(list.GetItemText(0, kColumnPath), "C:\\a.wav");
  EXPECT_EQ(list.GetItemText(0, kColumnAuthor), "");
}

TEST(TrackList, SelectionWalksInAscendingOrderAndFollowsItsRows) {
  TrackList list;
  list.AddTrack("C:\\b.wav");
  list.AddTrack("C:\\d.wav");
  EXPECT_EQ(list.GetFirstSelectedTrack(), -1);
  list.SetSelected(1, true);  // d
  list.SetSelected(0, true);  // b
  EXPECT_EQ(Selected(list), (std::vector<int>{0, 1}));
  // Rows inserted before a selected row move it, and it stays selected.
  list.AddTrack("C:\\a.wav");
  list.AddTrack("C:\\c.wav");
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
  EXPECT_EQ(list.GetSelectedTrackCount(), 2);
  EXPECT_EQ(list.GetNextSelectedTrack(3), -1);
  EXPECT_EQ(list.GetNextSelectedTrack(-5), 1);
  list.SetSelected(1, false);
  EXPECT_EQ(Selected(list), (std::vector<int>{3}));
}

TEST(TrackList, RemovingSelectedRowsKeepsOrderAndThePathSetInStep) {
  TrackList list;
  for (const char* p : {"C:\\a.wav", "C:\\b.wav", "C:\\c.wav", "C:\\d.wav"}) list.AddTrack(p);
  list.SetSelected(1, true);
  list.SetSelected(3, true);
  list.RemoveSelectedTracks();
  EXPECT_EQ(Paths(list), (std::vector<std::string>{"C:\\a.wav", "C:\\c.wav"}));
  EXPECT_EQ(list.GetSelectedTrackCount(), 0);
  EXPECT_EQ(list.GetFirstSelectedTrack(), -1);
  EXPECT_FALSE(list.IsListed("C:\\b.wav"));
  EXPECT_FALSE(list.IsListed("C:\\d.wav"));
  EXPECT_TRUE(list.IsListed("C:\\a.wav"));
  // A removed path can be added again, and lands in its place.
  EXPECT_EQ(list.AddTrack("C:\\b.wav"), 1);
  list.RemoveSelectedTracks();  // nothing selected: nothing happens
  EXPECT_EQ(list.GetTrackCount(), 3);
}

// Many rows in random order exercise the block splits and the index bookkeeping: after
// every change, order, indices, the selection and the PathSet must agree with a plain model.
TEST(TrackList, LargeRandomListAgreesWithASortedModel) {
  std::mt19937 rng(12345);
  TrackList list;
  std::vector<std::string> model;  // sorted paths
  std::set<std::string> selected;
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 1500; ++i) {
      const std::string path = "C:\\Music\\" + std::to_string(rng() % 5000) + (rng() % 2 ? ".WAV" : ".wav");
      const bool known = std::find(model.begin(), model.end(), path) != model.end();
      const int row = list.AddTrack(path);
      if (known) {
        ASSERT_EQ(row, -1);
        continue;
      }
      const auto pos = std::upper_bound(model.begin(), model.end(), path,
                                        [](const std::string& a, const std::string& b) { return CompareTrackPaths(a, b) < 0; });
      ASSERT_EQ(row, pos - model.begin());
      model.insert(pos, path);
    }
    // Select about a third, then remove them.
    for (int r = 0; r < list.GetTrackCount(); ++r) {
      if (rng() % 3 == 0) {
        list.SetSelected(r, true);
        selected.insert(model[static_cast<size_t>(r)]);
      }
    }
    ASSERT_EQ(list.GetSelectedTrackCount(), static_cast<int>(selected.size()));
    int walked = 0;
    for (int r = list.GetFirstSelectedTrack(); r != -1; r = list.GetNextSelectedTrack(r)) {
      ASSERT_TRUE(selected.count(list.GetItemText(r, 0)));
      ++walked;
    }
    ASSERT_EQ(walked, static_cast<int>(selected.size()));
    list.RemoveSelectedTracks();
    model.erase(std::remove_if(model.begin(), model.end(), [&](const std::string& p) { return selected.count(p) != 0; }),
                model.end());
    for (const auto& p : selected) ASSERT_FALSE(list.IsListed(p));
    selected.clear();
    ASSERT_EQ(Paths(list), model);
    for (const auto& p : model) ASSERT_TRUE(list.IsListed(p));
  }
}

#include "core/TrackList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <random>
#include <set>

#include "platform/Text.h"

namespace {

std::vector<std::string> Paths(const TrackList& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetTrackCount(); ++i) out.emplace_back(list.GetItemText(i, kColumnPath));
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

// Removed rows' storage is used again: rows added in their place, one by one or in a
// batch, start as new rows, with nothing of the removed rows' cells or selection.
TEST(TrackList, RowsAddedAfterARemovalStartAfresh) {
  TrackList list;
  for (int i = 0; i < 3000; ++i) list.AddTrack("C:\\old\\" + std::to_string(i) + ".wav");
  for (int row = 0; row < 3000; ++row) {
    list.SetItemTexts({{row, kColumnQuality, "64"}, {row, kColumnAuthor, "a"}, {row, kColumnSavePath, "s"}});
  }
  list.SetAllSelected(true);
  list.RemoveSelectedTracks();
  std::vector<NewTrack> batch;
  for (int i = 0; i < 2000; ++i) batch.push_back({"C:\\new\\" + std::to_string(i) + ".wav", {}});
  ASSERT_EQ(list.AddTracks(std::move(batch)), 2000);
  ASSERT_EQ(list.AddTrack("C:\\new\\x.wav"), 2000);
  for (int row = 0; row <= 2000; ++row) {
    ASSERT_EQ(list.GetItemText(row, kColumnQuality), "100") << row;
    for (int column = kColumnAuthor; column < kTrackColumnCount; ++column) ASSERT_EQ(list.GetItemText(row, column), "");
  }
  EXPECT_EQ(list.GetSelectedTrackCount(), 0);
  EXPECT_EQ(list.GetFirstSelectedTrack(), -1);
}

// A row is a record of its own size holding all its texts, its title within its path
// where it can be. Rows of every length, with the path's own title or another, with tags
// or without, keep every cell, also once one is set later, and in the slots of removed rows.
TEST(TrackList, RowsOfEveryLengthKeepTheirTexts) {
  TrackList list;
  std::map<std::string, std::vector<std::string>> cells;  // by path
  const auto check = [&] {
    ASSERT_EQ(static_cast<size_t>(list.GetTrackCount()), cells.size());
    for (int row = 0; row < list.GetTrackCount(); ++row) {
      const auto& expected = cells.at(std::string(list.GetItemText(row, kColumnPath)));
      for (int c = 1; c < kTrackColumnCount; ++c) ASSERT_EQ(list.GetItemText(row, c), expected[c]) << row << " " << c;
    }
  };
  for (int round = 0; round < 2; ++round) {
    std::vector<NewTrack> batch;
    for (int n = round; n < 700; n += 7) {
      const std::string name(static_cast<size_t>(n), static_cast<char>('a' + round));
      NewTrack row{"C:\\" + std::to_string(n) + "\\" + name + ".wav", {}};
      std::vector<std::string> expected = {row.path, "100", name, "", "", "", ""};
      if (n % 3 == 1) row.cells.push_back({kColumnTitle, expected[2] = std::string(static_cast<size_t>(n / 2), 'T')});
      if (n % 3 == 2) row.cells.push_back({kColumnTitle, name});
      if (n % 4 == 1) row.cells.push_back({kColumnAuthor, expected[3] = std::string(static_cast<size_t>(n), 'A')});
      if (n % 4 == 2) row.cells.push_back({kColumnSavePath, expected[6] = "D:\\" + name});
      if (n % 4 == 3) row.cells.push_back({kColumnQuality, expected[1] = ""});
      cells[row.path] = expected;
      batch.push_back(std::move(row));
    }
    list.AddTracks(std::move(batch));
    for (int row = round; row < list.GetTrackCount(); row += 5) {
      const int column = row % 2 == 0 ? kColumnTitle : kColumnDescription;
      const std::string text(static_cast<size_t>(300 + row), 'e');
      list.SetItemText(row, column, text);
      cells[std::string(list.GetItemText(row, kColumnPath))][static_cast<size_t>(column)] = text;
    }
    check();
    for (int row = 0; row < list.GetTrackCount(); row += 2) {
      list.SetSelected(row, true);
      cells.erase(std::string(list.GetItemText(row, kColumnPath)));
    }
    list.RemoveSelectedTracks();
    check();
  }
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
      ASSERT_TRUE(selected.count(std::string(list.GetItemText(r, 0))));
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

namespace {

// Everything a change may touch, one line per row and the focus and anchor last, so
// two lists (or one list before and after) compare with a readable difference.
std::vector<std::string> StateOf(const TrackList& list) {
  std::vector<std::string> out;
  int selected = list.GetFirstSelectedTrack();
  for (int row = 0; row < list.GetTrackCount(); ++row) {
    std::string line = " ";
    if (row == selected) {
      line = "*";
      selected = list.GetNextSelectedTrack(row);
    }
    for (int column = 0; column < kTrackColumnCount; ++column) line.append(list.GetItemText(row, column)) += "|";
    out.push_back(line);
  }
  out.push_back("focus " + std::to_string(list.GetFocusedTrack()) + ", anchor " + std::to_string(list.GetAnchorTrack()));
  return out;
}

// Makes allocation step 1, 2, ... fail in turn until `change` goes through; each failed
// attempt must leave the list exactly as it was. Returns the number of failed attempts.
template <typename Change>
int FailEachStepInTurn(TrackList& list, Change change) {
  for (int step = 1;; ++step) {
    const auto before = StateOf(list);
    list.FailAllocationStep(step);
    try {
      change();
      list.FailAllocationStep(0);
      return step - 1;
    } catch (const std::bad_alloc&) {
      EXPECT_EQ(StateOf(list), before) << "failed at step " << step;
    }
  }
}

NewTrack Row(const std::string& path, std::vector<std::pair<int, std::string>> cells = {}) {
  return NewTrack{path, std::move(cells)};
}

}  // namespace

// Batches with duplicates inside them and against the list, the empty path, double-byte
// paths and letter-case variants, in sorted and in random order, must give exactly what
// adding their rows one by one gives: rows, cells, selection, focus and anchor. Now and
// then a batch is made to fail part way first, which must leave the list as it was.
// A row's texts are summed against the limit term by term: texts that each fit but
// together pass it are refused, even when their plain sum would wrap around to a small
// number (as seven texts of the largest size do with 32-bit sizes).
TEST(TrackList, RowTextSizesAreSummedAgainstTheLimitWithoutWrapping) {
  size_t bytes = 0;
  const size_t half = SIZE_MAX / 2;
  const size_t small[kRowTagCount] = {4, 0, 0, 0, 0};
  EXPECT_FALSE(SumRowTextBytes(half, half, small, half, &bytes)) << "the plain sum wraps to 22";
  const size_t largest[kRowTagCount] = {kMaxRowTextBytes, kMaxRowTextBytes, kMaxRowTextBytes, kMaxRowTextBytes,
                                        kMaxRowTextBytes};
  EXPECT_FALSE(SumRowTextBytes(kMaxRowTextBytes, kMaxRowTextBytes, largest, kMaxRowTextBytes, &bytes));
  EXPECT_FALSE(SumRowTextBytes(SIZE_MAX, 0, nullptr, kMaxRowTextBytes, &bytes));
  EXPECT_EQ(bytes, 0u) << "a refused sum leaves the count alone";
  // Up to the limit exactly, each tag with its 4-byte size.
  EXPECT_TRUE(SumRowTextBytes(10, 6, small, 40, &bytes));
  EXPECT_EQ(bytes, 40u);
  EXPECT_FALSE(SumRowTextBytes(10, 7, small, 40, &bytes));
  EXPECT_TRUE(SumRowTextBytes(kMaxRowTextBytes, 0, nullptr, kMaxRowTextBytes, &bytes));
}

TEST(TrackList, ABatchRefusesARowWhoseTextsPassItsLimitAndKeepsTheOthers) {
  TrackBatch batch(64);
  const std::string title(16, 'T');
  const std::string_view titleView = title;
  // 8 + 16 + five tags with their sizes (20) + 3 + the author: 64 bytes with 17 of them.
  const std::string fits(17, 'A'), passes(18, 'A');
  const std::string_view fitting[kRowTagCount] = {"100", fits, "", "", ""};
  const std::string_view passing[kRowTagCount] = {"100", passes, "", "", ""};
  EXPECT_THROW(batch.Add("C:\\b.wav", &titleView, passing), std::bad_alloc);
  batch.Add("C:\\a.wav", &titleView, fitting);
  EXPECT_THROW(batch.Add(std::string(65, 'p')), std::bad_alloc);
  batch.Add(std::string(64, 'p'));
  EXPECT_EQ(batch.size(), 2u);

  TrackList list;
  EXPECT_EQ(list.AddTracks(std::move(batch)), 2);
  EXPECT_EQ(list.GetItemText(0, kColumnPath), "C:\\a.wav");
  EXPECT_EQ(list.GetItemText(0, kColumnTitle), title);
  EXPECT_EQ(list.GetItemText(0, kColumnAuthor), fits);
  EXPECT_EQ(list.GetItemText(1, kColumnPath), std::string(64, 'p'));
}

TEST(TrackList, BatchAddEqualsAddingTheRowsOneByOne) {
  std::mt19937 rng(2024);
  const std::string so = "\x83\x5c";  // a double-byte character whose trail byte is '\'
  // Folders ending in a double-byte character, or in a lead byte that the name's first
  // byte completes; some rounds take all paths from one folder, so they share a long start.
  const std::vector<std::string> folders = {"C:\\", "c:\\", "C:\\" + so + "\\", "C:\\\x82\xa0\\", "D:\\x\\",
                                            "C:\\" + so, "C:\\\x83"};
  const std::vector<std::string> names = {"a", "A", "b", "_", so, so + "a", "\x82\xa0", "\x82\xa0" "B", "z" + so};
  size_t folder = 0;
  const auto randomPath = [&] {
    if (folder >= folders.size() && rng() % 25 == 0) return std::string();
    return folders[folder < folders.size() ? folder : rng() % folders.size()] + names[rng() % names.size()] +
           std::to_string(rng() % 40) + (rng() % 2 ? ".wav" : ".WAV");
  };
  TrackList batched;
  TrackList single;
  for (int round = 0; round < 80; ++round) {
    // The same selection, focus and anchor on both lists; the batch must keep them on
    // their tracks.
    const int count = single.GetTrackCount();
    for (int row = 0; row < count; ++row) {
      const bool selected = rng() % 4 == 0;
      batched.SetSelected(row, selected);
      single.SetSelected(row, selected);
    }
    const int focus = count > 0 && rng() % 5 ? static_cast<int>(rng() % static_cast<unsigned>(count)) : -1;
    const int anchor = count > 0 && rng() % 5 ? static_cast<int>(rng() % static_cast<unsigned>(count)) : -1;
    for (TrackList* list : {&batched, &single}) {
      list->SetFocusedTrack(focus);
      list->SetAnchorTrack(anchor);
    }
    const std::string focusPath(single.GetItemText(focus, kColumnPath));

    std::vector<NewTrack> batch;
    folder = rng() % (2 * folders.size());  // one folder, or any
    const size_t size = rng() % 4 == 0 ? rng() % 4 : rng() % 250;
    for (size_t i = 0; i < size; ++i) {
      NewTrack row = Row(randomPath());
      const std::string tag = std::to_string(round) + "." + std::to_string(i);
      switch (rng() % 3) {
        case 0: break;  // the cells AddTrack gives
        case 1: row.cells.emplace_back(kColumnTitle, "title " + tag); break;
        default:  // an import line with as many cells as it has
          for (int column = 1; column <= static_cast<int>(1 + rng() % 6); ++column)
            row.cells.emplace_back(column, "cell " + std::to_string(column) + " " + tag);
      }
      batch.push_back(std::move(row));
    }
    if (rng() % 4 == 0) {
      std::stable_sort(batch.begin(), batch.end(),
                       [](const NewTrack& a, const NewTrack& b) { return CompareTrackPaths(a.path, b.path) < 0; });
    }

    int added = 0;
    for (const NewTrack& row : batch) {
      const int index = single.AddTrack(row.path);
      if (index < 0) continue;
      ++added;
      for (const auto& cell : row.cells) single.SetItemText(index, cell.first, cell.second);
    }

    if (round % 3 == 0 && added > 0) {
      const auto before = StateOf(batched);
      auto copy = batch;
      batched.FailAllocationStep(1 + static_cast<int>(rng() % static_cast<unsigned>(added)));
      ASSERT_THROW(batched.AddTracks(std::move(copy)), std::bad_alloc);
      ASSERT_EQ(StateOf(batched), before) << "round " << round;
    }
    ASSERT_EQ(batched.AddTracks(std::move(batch)), added);
    ASSERT_EQ(StateOf(batched), StateOf(single)) << "round " << round;
    ASSERT_EQ(batched.GetItemText(batched.GetFocusedTrack(), kColumnPath), focusPath);
    for (const std::string& path : Paths(single)) ASSERT_TRUE(batched.IsListed(path));

    if (round % 5 == 4) {  // remove the selected rows now and then, so rows come back later
      batched.RemoveSelectedTracks();
      single.RemoveSelectedTracks();
    }
  }
  EXPECT_GT(single.GetTrackCount(), 500);
}

TEST(TrackList, FocusAndAnchorStayOnTheirTracks) {
  TrackList list;
  for (const char* path : {"C:\\b.wav", "C:\\d.wav", "C:\\f.wav"}) list.AddTrack(path);
  list.SetFocusedTrack(1);  // d
  list.SetAnchorTrack(2);   // f
  const auto at = [&](int row) { return list.GetItemText(row, kColumnPath); };

  list.AddTrack("C:\\a.wav");
  EXPECT_EQ(at(list.GetFocusedTrack()), "C:\\d.wav");
  EXPECT_EQ(at(list.GetAnchorTrack()), "C:\\f.wav");
  std::vector<NewTrack> batch;
  for (const char* path : {"C:\\g.wav", "C:\\c.wav", "C:\\e.wav", "C:\\c.wav"}) batch.push_back(Row(path));
  list.AddTracks(std::move(batch));  // a b c d e f g
  EXPECT_EQ(list.GetFocusedTrack(), 3);
  EXPECT_EQ(list.GetAnchorTrack(), 5);
  list.SetItemText(3, kColumnTitle, "edited");
  EXPECT_EQ(list.GetFocusedTrack(), 3);

  // The focused track and a row above it go: the row now in its place takes the focus.
  list.SetSelected(0, true);
  list.SetSelected(3, true);
  list.RemoveSelectedTracks();  // b c e f g
  EXPECT_EQ(at(list.GetFocusedTrack()), "C:\\e.wav");
  EXPECT_EQ(at(list.GetAnchorTrack()), "C:\\f.wav");

  // The anchor's track was the last but one and the last goes with it: the new last row.
  list.SetAnchorTrack(3);
  list.SetSelected(3, true);
  list.SetSelected(4, true);
  list.RemoveSelectedTracks();  // b c e
  EXPECT_EQ(at(list.GetAnchorTrack()), "C:\\e.wav");
  EXPECT_EQ(at(list.GetFocusedTrack()), "C:\\e.wav");

  list.SetFocusedTrack(3);  // no such row
  EXPECT_EQ(list.GetFocusedTrack(), -1);
  list.SetAllSelected(true);
  list.RemoveSelectedTracks();
  EXPECT_EQ(list.GetAnchorTrack(), -1);
  list.AddTrack("C:\\a.wav");
  EXPECT_EQ(list.GetFocusedTrack(), -1);  // none stays none
  EXPECT_EQ(list.GetAnchorTrack(), -1);
}

// Every kind of change, made to fail at each of its allocation steps in turn, leaves the
// list as it was; removing allocates nothing and cannot fail.
TEST(TrackList, AFailedChangeLeavesTheListAsItWas) {
  TrackList list;
  for (int i = 0; i < 1200; ++i) list.AddTrack("C:\\m\\" + std::to_string(i * 7 % 1200) + ".wav");  // splits blocks
  list.SetRangeSelected(10, 20, true);
  list.SetFocusedTrack(15);
  list.SetAnchorTrack(700);

  EXPECT_EQ(FailEachStepInTurn(list, [&] { list.AddTrack("C:\\m\\0a.wav"); }), 1);
  EXPECT_EQ(FailEachStepInTurn(list, [&] {
              std::vector<NewTrack> batch;
              for (int i = 0; i < 40; ++i) batch.push_back(Row("C:\\m\\" + std::to_string(i) + "b.wav", {{3, "x"}}));
              batch.push_back(Row("C:\\m\\5.wav"));  // listed, but its row is made before that shows
              list.AddTracks(std::move(batch));
            }),
            41);
  EXPECT_EQ(FailEachStepInTurn(list, [&] { list.SetItemText(3, kColumnAuthor, std::string(100, 'a')); }), 1);
  EXPECT_EQ(FailEachStepInTurn(list, [&] {
              list.SetItemTexts({{1, kColumnTitle, "t"}, {2, kColumnPath, "refused"}, {9999, 3, "none"}, {2, 6, "s"}});
            }),
            2);
  EXPECT_EQ(list.GetItemText(2, kColumnSavePath), "s");
  EXPECT_EQ(FailEachStepInTurn(list, [&] { list.RemoveSelectedTracks(); }), 0);
  EXPECT_EQ(list.GetTrackCount(), 1200 + 1 + 40 - 11);
}

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

// The order spelled out one character at a time, both strings advancing together.
int WalkCompare(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size()) {
    unsigned char x0 = static_cast<unsigned char>(a[i]);
    unsigned char y0 = static_cast<unsigned char>(b[i]);
    if (x0 < 0x80 && y0 < 0x80) {  // the common case: two single-byte characters
      if (x0 != y0 && Fold(x0) != Fold(y0)) return Fold(x0) < Fold(y0) ? -1 : 1;
      ++i;
      continue;
    }
    const int la = text::CharLength(a, i);
    const int lb = text::CharLength(b, i);
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (la == 1 && lb == 1) {
      x = Fold(x);
      y = Fold(y);
    }
    if (x != y) return x < y ? -1 : 1;
    if (la != lb) return la < lb ? -1 : 1;  // a lone lead byte at the end before a full character
    if (la == 2) {
      const unsigned char tx = static_cast<unsigned char>(a[i + 1]);
      const unsigned char ty = static_cast<unsigned char>(b[i + 1]);
      if (tx != ty) return tx < ty ? -1 : 1;
    }
    i += la;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  // Equal without case: the plain bytes decide, so distinct paths never tie.
  const int plain = std::memcmp(a.data(), b.data(), a.size());
  return plain < 0 ? -1 : (plain > 0 ? 1 : 0);
}

}  // namespace

// Random byte strings rich in lead bytes, trail bytes that look like '\\' or letters, case
// variants and shared starts: the fast comparison must agree with the plain walk.
TEST(CompareTrackPaths, AgreesWithAPlainCharacterWalk) {
  std::mt19937 rng(77);
  const std::string alphabet = std::string("aAbB\\.z\x81\x83\x9f\xe0\xfc\x80\xa0\x40\x5c\x7f") + std::string(1, '\0');
  const auto randomText = [&](size_t length) {
    std::string s;
    for (size_t i = 0; i < length; ++i) s += alphabet[rng() % alphabet.size()];
    return s;
  };
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (int i = 0; i < 200000; ++i) {
    const std::string start = randomText(rng() % 20);
    std::string a = start + randomText(rng() % 4);
    std::string b = start + randomText(rng() % 4);
    if (rng() % 3 == 0) {  // the same text in another case here and there
      b = a;
      for (char& c : b) {
        if (rng() % 4 == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
    }
    ASSERT_EQ(sign(CompareTrackPaths(a, b)), sign(WalkCompare(a, b)))
        << testing::PrintToString(a) << " " << testing::PrintToString(b);
  }
}

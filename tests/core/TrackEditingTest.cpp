#include "core/TrackEditing.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

namespace {

// A list with the given paths, the rows at `selected` selected.
void Fill(TrackList& list, const std::vector<std::string>& paths, const std::vector<int>& selected) {
  for (const std::string& path : paths) list.AddTrack(path);
  for (int row : selected) list.SetSelected(row, true);
}

std::vector<std::string> Column(const TrackList& list, int column) {
  std::vector<std::string> out;
  for (int row = 0; row < list.GetTrackCount(); ++row) out.emplace_back(list.GetItemText(row, column));
  return out;
}

using Cells = std::vector<std::vector<std::string>>;
Cells AllCells(const TrackList& list) {
  Cells out;
  for (int column = 0; column < kTrackColumnCount; ++column) out.push_back(Column(list, column));
  return out;
}

}  // namespace

TEST(SaveName, TurnsAFinalWavOfAnyCaseIntoWma) {
  EXPECT_EQ(SaveNameOf("C:\\a\\Song.wav"), "Song.wma");
  EXPECT_EQ(SaveNameOf("C:\\a\\Take.WAV"), "Take.wma");
  EXPECT_EQ(SaveNameOf("C:\\a\\Mix.Wav"), "Mix.wma");
  EXPECT_EQ(SaveNameOf("C:\\a\\take.wav.bak"), "take.wav.bak");
  EXPECT_EQ(SaveNameOf("C:\\a\\notes"), "notes");
  EXPECT_EQ(SaveNameOf("C:\\my.dir\\wav"), "wav");
  // C:\ソ\表.wav: the trail bytes 5C are no folder separators.
  EXPECT_EQ(SaveNameOf("C:\\\x83\x5c\\\x95\x5c.wav"), "\x95\x5c.wma");
}

TEST(SaveName, ComesFromThePathItselfWhateverItsFoldersHold) {
  // Brackets and a star would make the shell refuse a title; the name is taken as spelt.
  EXPECT_EQ(SaveNameOf("D:\\Music\\[2020] Live\\01.wav"), "01.wma");
  EXPECT_EQ(SaveNameOf("D:\\[Live]\\a.wav"), "a.wma");
  EXPECT_EQ(SaveNameOf("Song.WAV"), "Song.wma");
  EXPECT_EQ(SaveNameOf("C:\\a\\b*.wav"), "b*.wma");
  EXPECT_EQ(SaveNameOf("D:/x/a.wav"), "a.wma");
  EXPECT_EQ(SaveNameOf("D:a.wav"), "a.wma");
  EXPECT_EQ(SaveNameOf(""), "");
  EXPECT_EQ(SaveNameOf("C:\\a\\"), "");

  // Several rows given one folder each get their own name in it, never the bare folder.
  TrackList list;
  Fill(list, {"D:\\Music\\[2020] Live\\01.wav", "D:\\Music\\[2020] Live\\02.WAV"}, {0, 1});
  TrackInfoForm form;
  form.savePath = "D:\\out\\";
  form.savePathMode = kChangeField;
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(Column(list, kColumnSavePath), (std::vector<std::string>{"D:\\out\\01.wma", "D:\\out\\02.wma"}));
}

TEST(MergeSelectedTracks, DoesNothingWithoutASelection) {
  TrackList list;
  Fill(list, {"C:\\a\\one.wav"}, {});
  TrackInfoForm form;
  form.author = "untouched";
  EXPECT_FALSE(MergeSelectedTracks(list, &form));
  EXPECT_EQ(form.author, "untouched");
}

TEST(MergeSelectedTracks, OneRowShowsItsOwnCellsAndKeepingEverythingChangesNothing) {
  TrackList list;
  Fill(list, {"C:\\a\\one.wav", "C:\\a\\two.wav"}, {1});
  list.SetItemText(1, kColumnAuthor, "A");
  list.SetItemText(1, kColumnCopyright, "(C) A");
  list.SetItemText(1, kColumnDescription, "live");
  list.SetItemText(1, kColumnSavePath, "D:\\x.wma");
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  EXPECT_EQ(form.author, "A");
  EXPECT_EQ(form.copyright, "(C) A");
  EXPECT_EQ(form.description, "live");
  EXPECT_EQ(form.title, "two");
  EXPECT_EQ(form.fileName, "two.wma");
  EXPECT_EQ(form.savePath, "D:\\x.wma");
  EXPECT_EQ(form.titleMode + form.authorMode + form.copyrightMode + form.descriptionMode + form.savePathMode, 0);

  const Cells before = AllCells(list);
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(AllCells(list), before);
}

TEST(MergeSelectedTracks, ShowsOnlyTagsThatAllRowsShare) {
  TrackList list;
  Fill(list, {"C:\\a\\1.wav", "C:\\a\\2.wav", "C:\\a\\3.wav"}, {0, 1, 2});
  const char* authors[] = {"A", "B", "A"};
  for (int row = 0; row < 3; ++row) {
    list.SetItemText(row, kColumnAuthor, authors[row]);
    list.SetItemText(row, kColumnTitle, "T");
    list.SetItemText(row, kColumnDescription, row == 2 ? "late" : "");
    list.SetItemText(row, kColumnSavePath, row == 0 ? "D:\\first\\" : "D:\\other\\");
  }
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  EXPECT_EQ(form.author, "");  // A, B, A: once cleared it stays cleared
  EXPECT_EQ(form.title, "T");
  EXPECT_EQ(form.description, "");
  EXPECT_EQ(form.fileName, "");
  EXPECT_EQ(form.savePath, "D:\\first\\");  // never compared: the first row's

  // Two rows only: the first two differ in author and agree in description.
  list.SetSelected(2, false);
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  EXPECT_EQ(form.author, "");
  EXPECT_EQ(form.title, "T");
  EXPECT_EQ(form.description, "");
  list.SetItemText(1, kColumnAuthor, "A");
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  EXPECT_EQ(form.author, "A");
}

TEST(ApplyToSelectedTracks, WritesEachChangedTagToItsColumnInSelectedRowsOnly) {
  TrackList list;
  Fill(list, {"C:\\a\\1.wav", "C:\\a\\2.wav", "C:\\a\\3.wav"}, {0, 2});
  for (int row = 0; row < 3; ++row) {
    list.SetItemText(row, kColumnAuthor, row == 0 ? "A" : "B");
    list.SetItemText(row, kColumnCopyright, "keep");
  }
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  ASSERT_EQ(form.author, "");
  // The author ticked with the box left empty clears it; the other tags are set.
  form.authorMode = kChangeField;
  form.title = "t";
  form.titleMode = kChangeField;
  form.description = "d";
  form.descriptionMode = kChangeField;
  form.copyright = "not applied";  // typed, then set back to keep by hand
  ApplyToSelectedTracks(list, form);

  EXPECT_EQ(Column(list, kColumnAuthor), (std::vector<std::string>{"", "B", ""}));
  EXPECT_EQ(Column(list, kColumnTitle), (std::vector<std::string>{"t", "2", "t"}));
  EXPECT_EQ(Column(list, kColumnDescription), (std::vector<std::string>{"d", "", "d"}));
  EXPECT_EQ(Column(list, kColumnCopyright), (std::vector<std::string>{"keep", "keep", "keep"}));
  EXPECT_EQ(Column(list, kColumnSavePath), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(Column(list, kColumnPath), (std::vector<std::string>{"C:\\a\\1.wav", "C:\\a\\2.wav", "C:\\a\\3.wav"}));
  EXPECT_EQ(Column(list, kColumnQuality), (std::vector<std::string>{"100", "100", "100"}));
  EXPECT_EQ(list.GetSelectedTrackCount(), 2);
}

TEST(ApplyToSelectedTracks, OneRowTakesTheSavePathAsTyped) {
  TrackList list;
  Fill(list, {"C:\\a\\one.wav"}, {0});
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  form.savePath = "D:\\out\\x.wma";
  form.savePathMode = kChangeField;
  CompleteSavePath(form);
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(list.GetItemText(0, kColumnSavePath), "D:\\out\\x.wma");

  // Browsing with one row proposes the row's own save-name; Take.WAV gives Take.wma.
  TrackList takes;
  Fill(takes, {"C:\\a\\Take.WAV"}, {0});
  ASSERT_TRUE(MergeSelectedTracks(takes, &form));
  SetSaveFolder(form, "D:\\out");
  CompleteSavePath(form);
  ApplyToSelectedTracks(takes, form);
  EXPECT_EQ(takes.GetItemText(0, kColumnSavePath), "D:\\out\\Take.wma");
}

TEST(ApplyToSelectedTracks, SeveralRowsGetTheFolderWithTheirOwnSaveNames) {
  TrackList list;
  Fill(list, {"C:\\a\\one.wav", "C:\\a\\Take.WAV", "C:\\a\\two.wav"}, {0, 1, 2});
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  form.savePath = "D:\\out";
  form.savePathMode = kChangeField;
  CompleteSavePath(form);
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(Column(list, kColumnSavePath),
            (std::vector<std::string>{"D:\\out\\one.wma", "D:\\out\\Take.wma", "D:\\out\\two.wma"}));

  // "Change" with an empty box: each row gets its bare save-name.
  form.savePath = "";
  CompleteSavePath(form);
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(Column(list, kColumnSavePath), (std::vector<std::string>{"one.wma", "Take.wma", "two.wma"}));
}

TEST(ApplyToSelectedTracks, ARowWithAnEmptyPathGetsTheBareFolder) {
  // An imported list may hold a row with an empty path: it has no save-name.
  TrackList list;
  Fill(list, {"", "C:\\a\\one.wav"}, {0, 1});
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  form.savePath = "D:\\out\\";
  form.savePathMode = kChangeField;
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(Column(list, kColumnSavePath), (std::vector<std::string>{"D:\\out\\", "D:\\out\\one.wma"}));

  TrackList single;
  Fill(single, {""}, {0});
  ASSERT_TRUE(MergeSelectedTracks(single, &form));
  EXPECT_EQ(form.fileName, "");
}

TEST(ApplyToSelectedTracks, AFailurePartWayLeavesEveryRowAsItWas) {
  TrackList list;
  Fill(list, {"C:\\a\\one.wav", "C:\\a\\two.wav", "C:\\a\\three.wav"}, {0, 2});
  TrackInfoForm form;
  ASSERT_TRUE(MergeSelectedTracks(list, &form));
  form.author = "new author";
  form.authorMode = kChangeField;
  form.savePath = "D:\\out";
  form.savePathMode = kChangeField;
  const Cells before = AllCells(list);
  // Two cells in each of the two rows: the last of the four copies fails.
  list.FailAllocationStep(4);
  EXPECT_THROW(ApplyToSelectedTracks(list, form), std::bad_alloc);
  EXPECT_EQ(AllCells(list), before);
  ApplyToSelectedTracks(list, form);
  EXPECT_EQ(Column(list, kColumnAuthor), (std::vector<std::string>{"new author", "", "new author"}));
}

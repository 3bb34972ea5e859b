// Whether the track list holds changes not saved, over every action that touches it:
// the main window asks before it closes on exactly these.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "core/EncodingInfoFile.h"
#include "core/TagReading.h"
#include "core/Texts.h"
#include "core/TrackEditing.h"
#include "core/TrackList.h"
#include "core/WavTags.h"
#include "tests/FailingFileSystem.h"
#include "tests/FakePrompter.h"
#include "tests/ScratchFolder.h"
#include "tests/WavBytes.h"

namespace {

// Tag reading over files held in memory: each path gives a WAV file with this title.
SourceOpener TitledFiles(const std::map<std::string, std::string>& titles) {
  return [titles](const std::string& path) -> std::unique_ptr<ByteSource> {
    const auto it = titles.find(path);
    if (it == titles.end()) return nullptr;
    return std::make_unique<MemoryByteSource>(
        wavbytes::Wave(wavbytes::kFmt + wavbytes::Info({{"INAM", it->second}}) + wavbytes::Data(4)));
  };
}

// A list of a.wav and b.wav, both selected, b.wav with the author "X", marked saved.
void SavedList(TrackList& list) {
  list.AddTrack("C:\\a.wav");
  list.AddTrack("C:\\b.wav");
  list.SetItemText(1, kColumnAuthor, "X");
  list.SetAllSelected(true);
  list.MarkSaved();
}

}  // namespace

TEST(UnsavedChanges, EveryActionThatChangesRowsOrCellsCountsAndNothingElseDoes) {
  EXPECT_FALSE(TrackList().HasUnsavedChanges()) << "at start";

  TrackInfoForm keepAll;  // an edit confirmed with no field to change
  TrackInfoForm newAuthor;
  newAuthor.author = "Y";
  newAuthor.authorMode = kChangeField;
  TrackInfoForm sameAuthor = newAuthor;
  sameAuthor.author = "X";
  const struct {
    const char* action;
    std::function<void(TrackList&)> run;
    bool changes;
  } cases[] = {
      {"add", [](TrackList& l) { l.AddTrack("C:\\c.wav"); }, true},
      {"add a listed path", [](TrackList& l) { l.AddTrack("C:\\a.wav"); }, false},
      {"add a batch (drop, add files, load)", [](TrackList& l) { l.AddTracks({{"C:\\a.wav", {}}, {"C:\\c.wav", {}}}); }, true},
      {"add a batch of listed paths", [](TrackList& l) { l.AddTracks({{"C:\\b.wav", {}}}); }, false},
      {"remove",
       [](TrackList& l) {
         l.SetSelected(1, false);
         l.RemoveSelectedTracks();
       },
       true},
      {"remove with nothing selected",
       [](TrackList& l) {
         l.SetAllSelected(false);
         l.RemoveSelectedTracks();
       },
       false},
      {"select, focus, anchor",
       [](TrackList& l) {
         l.SetSelected(0, false);
         l.SetFocusedTrack(1);
         l.SetAnchorTrack(0);
       },
       false},
      {"edit", [&](TrackList& l) { ApplyToSelectedTracks(l, newAuthor); }, true},
      {"edit to the text there",
       [&](TrackList& l) {
         l.SetSelected(0, false);
         ApplyToSelectedTracks(l, sameAuthor);
       },
       false},
      {"edit changing no field", [&](TrackList& l) { ApplyToSelectedTracks(l, keepAll); }, false},
      {"set a cell", [](TrackList& l) { l.SetItemText(0, kColumnSavePath, "D:\\a.wma"); }, true},
      {"set a cell to its own text", [](TrackList& l) { l.SetItemText(0, kColumnTitle, "a"); }, false},
      {"set the path, or a cell of no row",
       [](TrackList& l) {
         l.SetItemText(0, kColumnPath, "C:\\z.wav");
         l.SetItemText(2, kColumnTitle, "z");
       },
       false},
      {"read tags", [](TrackList& l) { ReadTagsOfSelectedTracks(l, TitledFiles({{"C:\\a.wav", "New"}})); }, true},
      {"read tags the cells hold already",
       [](TrackList& l) { ReadTagsOfSelectedTracks(l, TitledFiles({{"C:\\a.wav", "a"}, {"C:\\b.wav", "b"}})); },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    TrackList list;
    SavedList(list);
    ASSERT_FALSE(list.HasUnsavedChanges());
    c.run(list);
    EXPECT_EQ(list.HasUnsavedChanges(), c.changes);
  }
}

TEST(UnsavedChanges, AnEmptyListHoldsNoneButChangesBeforeItStillCountOnceRowsReturn) {
  TrackList list;
  list.AddTrack("C:\\a.wav");
  list.SetAllSelected(true);
  list.RemoveSelectedTracks();
  EXPECT_FALSE(list.HasUnsavedChanges());
  list.AddTracks({{"C:\\a.wav", {}}});
  EXPECT_TRUE(list.HasUnsavedChanges());
}

TEST(UnsavedChanges, ASaveClearsThemOnlyOnceTheFileIsWritten) {
  ScratchFolder folder;
  TrackList list;
  list.AddTrack("C:\\a.wav");
  FakePrompter prompter;
  ExportEncodingInfo(list, prompter);  // cancelled
  EXPECT_TRUE(list.HasUnsavedChanges());

  FailingFileSystem failing;
  failing.failReplace = true;
  prompter.fileChoices.push_back({folder / "list.csv"});
  ExportEncodingInfo(list, prompter, failing);
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotWriteFile});
  EXPECT_TRUE(list.HasUnsavedChanges());

  prompter.fileChoices.push_back({folder / "list.csv"});
  ExportEncodingInfo(list, prompter);
  EXPECT_EQ(prompter.messages.size(), 1u);
  EXPECT_FALSE(list.HasUnsavedChanges());
}

TEST(UnsavedChanges, ALoadClearsThemOnlyWhenAWholeFileFillsAnEmptyList) {
  ScratchFolder folder;
  const std::string file = folder / "list.csv";
  std::string bytes = std::string(fixed_texts::kEncodingInfoHeader) + "\r\n";
  for (int i = 0; i < 5000; ++i) bytes += "C:\\w\\" + std::to_string(10000 + i) + ".wav,100\r\n";
  ScratchFolder::Write(file, bytes);
  FakePrompter prompter;
  const auto load = [&](TrackList& list, FileSystem& files, const std::string& path) {
    prompter.fileChoices.push_back({path});
    ImportEncodingInfo(list, prompter, files);
  };
  FailingFileSystem files;

  // Into an empty list, even one whose earlier rows were changed and removed.
  TrackList list;
  list.AddTrack("C:\\gone.wav");
  list.SetAllSelected(true);
  list.RemoveSelectedTracks();
  load(list, files, file);
  EXPECT_EQ(list.GetTrackCount(), 5000);
  EXPECT_FALSE(list.HasUnsavedChanges());

  // A file that cannot be opened leaves the state as it was, saved or not.
  load(list, files, folder / "missing.csv");
  EXPECT_FALSE(list.HasUnsavedChanges());
  list.SetItemText(0, kColumnAuthor, "typed");
  load(list, files, folder / "missing.csv");
  EXPECT_TRUE(list.HasUnsavedChanges());

  // Into a list that has rows: the rows are added to them.
  TrackList other;
  other.AddTrack("C:\\mine.wav");
  other.MarkSaved();
  load(other, files, file);
  EXPECT_TRUE(other.HasUnsavedChanges());

  // A file read only in part: the rows read stay, and are changes.
  TrackList cut;
  files.readBudget = 30000;
  load(cut, files, file);
  EXPECT_GT(cut.GetTrackCount(), 0);
  EXPECT_LT(cut.GetTrackCount(), 5000);
  EXPECT_TRUE(cut.HasUnsavedChanges());
  EXPECT_EQ(prompter.messages.size(), 3u);  // the two missing files and the cut one
}

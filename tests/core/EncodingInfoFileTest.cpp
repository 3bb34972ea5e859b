#include "core/EncodingInfoFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/Texts.h"
#include "tests/FailingFileSystem.h"
#include "platform/TextConversion.h"
#include "tests/FakePrompter.h"
#include "tests/ScratchFolder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const std::string kHeader = std::string(fixed_texts::kEncodingInfoHeader) + "\r\n";
// ソ (83 5C), ポ (83 7C) and 表 (95 5C): trail bytes equal to '\' and '|'.
const std::string kSo = "\x83\x5c", kPo = "\x83\x7c", kHyo = "\x95\x5c";

std::vector<std::string> Row(const TrackList& list, int row) {
  std::vector<std::string> cells;
  for (int c = 0; c < kTrackColumnCount; ++c) cells.emplace_back(list.GetItemText(row, c));
  return cells;
}

using Cells = std::vector<std::string>;

std::u16string Wide(const std::string& path) { return textconv::FromCp932(path); }

// Makes nested folders under `scratch` so that the deepest one's path, with its closing
// separator, is exactly `bytes` long; returns that path.
std::string DeepFolder(const ScratchFolder& scratch, size_t bytes) {
  std::string path = scratch.Path();
  const char separator = path.back();
  while (path.size() < bytes) {
    // Parts of at most 100 characters, never leaving room for a part of none.
    const size_t left = bytes - path.size();
    const size_t part = left - 1 <= 100 ? left - 1 : (left - 101 == 1 ? 98 : 100);
    path += std::string(part, 'd');
#ifdef _WIN32
    // Past 248 characters a folder can only be made through the extended-length form.
    const std::wstring extended = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    CreateDirectoryW(extended.c_str(), nullptr);
#else
    std::filesystem::create_directory(path);
#endif
    path += separator;
  }
  return path;
}

TrackList& Read(TrackList& list, const std::string& bytes) {
  ReadEncodingInfo(list, bytes);
  return list;
}

}  // namespace

// --- Writing -----------------------------------------------------------------------

TEST(EncodingInfoWrite, PlainListGivesTheHeaderAndSevenCommaJoinedCellsPerRowInPathOrder) {
  TrackList list;
  EXPECT_EQ(EncodingInfoText(list), kHeader);  // an empty list: the header alone

  list.AddTrack("C:\\b.wav");
  const int a = list.AddTrack("C:\\" + kSo + "\\a.wav");
  list.SetItemText(a, kColumnAuthor, "Me " + kPo + kHyo);
  list.SetItemText(a, kColumnSavePath, "D:\\out\\a.wma");
  list.AddTrack("C:\\A.wav");
  EXPECT_EQ(EncodingInfoText(list),
            kHeader + "C:\\A.wav,100,A,,,,\r\n" + "C:\\b.wav,100,b,,,,\r\n" + "C:\\" + kSo + "\\a.wav,100,a,Me " + kPo +
                kHyo + ",,,D:\\out\\a.wma\r\n");
}

TEST(EncodingInfoWrite, OnlyCellsWithACommaOrAQuoteAreQuoted) {
  TrackList list;
  list.AddTrack("C:\\x,y.wav");
  list.SetItemText(0, kColumnTitle, "say \"hi\"");
  list.SetItemText(0, kColumnAuthor, "\"");
  list.SetItemText(0, kColumnCopyright, "cr\rin");           // a lone CR is written as it is
  list.SetItemText(0, kColumnDescription, "\"Live\" mix");
  list.SetItemText(0, kColumnSavePath, "tail\r");
  EXPECT_EQ(EncodingInfoText(list),
            kHeader + "\"C:\\x,y.wav\",100,\"say \"\"hi\"\"\",\"\"\"\",cr\rin,\"\"\"Live\"\" mix\",tail\r\r\n");
}

// --- Reading as the plain format describes ------------------------------------------

TEST(EncodingInfoRead, FieldsFillCellsAndMissingOnesKeepTheAddTrackValues) {
  TrackList list;
  Read(list, kHeader +
                 "C:\\a.wav\r\n"                        // path only: quality 100, derived title
                 "C:\\b.wav,,T\r\n"                     // empty quality, title T
                 "C:\\c.wav,1,2,3,4,5,6,7,8\r\n"        // text after the seventh comma is ignored
                 "C:\\d.wav,q,t,au,co,de,sa,\r\n");     // a seventh comma ends the last field
  ASSERT_EQ(list.GetTrackCount(), 4);
  EXPECT_EQ(Row(list, 0), (Cells{"C:\\a.wav", "100", "a", "", "", "", ""}));
  EXPECT_EQ(Row(list, 1), (Cells{"C:\\b.wav", "", "T", "", "", "", ""}));
  EXPECT_EQ(Row(list, 2), (Cells{"C:\\c.wav", "1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(Row(list, 3), (Cells{"C:\\d.wav", "q", "t", "au", "co", "de", "sa"}));
}

TEST(EncodingInfoRead, TheFirstLineIsSkippedAndEmptyInputsAddNothing) {
  TrackList list;
  EXPECT_EQ(Read(list, "").GetTrackCount(), 0);
  EXPECT_EQ(Read(list, kHeader).GetTrackCount(), 0);
  EXPECT_EQ(Read(list, fixed_texts::kEncodingInfoHeader).GetTrackCount(), 0);  // header without line end
  EXPECT_EQ(Read(list, "C:\\first.wav,1\r\nC:\\second.wav,2\r\n").GetTrackCount(), 1);
  EXPECT_FALSE(list.IsListed("C:\\first.wav"));
  EXPECT_TRUE(list.IsListed("C:\\second.wav"));
}

TEST(EncodingInfoRead, LineEndsAreStrippedButALoneCrStays) {
  TrackList list;
  Read(list, kHeader +
                 "C:\\lf.wav,lf\n"
                 "C:\\crlf.wav,crlf\r\n"
                 "C:\\mid\r.wav,x\ry\r\n"
                 "C:\\two.wav,cr\r\r\n"
                 "C:\\last.wav,no end");
  ASSERT_EQ(list.GetTrackCount(), 5);
  const auto quality = [&](const std::string& path) {
    for (int r = 0; r < list.GetTrackCount(); ++r)
      if (list.GetItemText(r, 0) == path) return std::string(list.GetItemText(r, kColumnQuality));
    return std::string("<missing>");
  };
  EXPECT_EQ(quality("C:\\lf.wav"), "lf");
  EXPECT_EQ(quality("C:\\crlf.wav"), "crlf");
  EXPECT_EQ(quality("C:\\mid\r.wav"), "x\ry");
  EXPECT_EQ(quality("C:\\two.wav"), "cr\r");
  EXPECT_EQ(quality("C:\\last.wav"), "no end");

  // A CR at the very end of the file, with no LF after it, is a byte of the last line.
  TrackList other;
  Read(other, kHeader + "C:\\z.wav,q\r");
  EXPECT_EQ(other.GetItemText(0, kColumnQuality), "q\r");
}

TEST(EncodingInfoRead, AnEmptyLineAddsTheEmptyPathOnce) {
  TrackList list;
  Read(list, kHeader + "\r\nC:\\a.wav\r\n\r\n");
  ASSERT_EQ(list.GetTrackCount(), 2);
  EXPECT_EQ(Row(list, 0), (Cells{"", "100", "", "", "", "", ""}));
  EXPECT_TRUE(list.IsListed(""));
}

TEST(EncodingInfoRead, ImportingTheSameFileTwiceChangesNothing) {
  TrackList list;
  const std::string file = kHeader + "C:\\a.wav,100,A,me\r\nC:\\b.wav,100,B\r\n";
  Read(list, file);
  list.SetItemText(0, kColumnTitle, "edited");
  Read(list, file);
  ASSERT_EQ(list.GetTrackCount(), 2);
  EXPECT_EQ(Row(list, 0), (Cells{"C:\\a.wav", "100", "edited", "me", "", "", ""}));
  // A file that lists a known path with other cells changes nothing either.
  Read(list, kHeader + "C:\\a.wav,1,2,3,4,5,6\r\nC:\\c.wav\r\n");
  EXPECT_EQ(Row(list, 0), (Cells{"C:\\a.wav", "100", "edited", "me", "", "", ""}));
  EXPECT_EQ(list.GetTrackCount(), 3);
}

// --- Quoted cells -------------------------------------------------------------------

TEST(EncodingInfoRead, QuotedCellsCloseOnlyBeforeACommaOrTheLineEnd) {
  std::vector<std::string> f;
  const auto split = [&](const std::string& line) {
    SplitEncodingInfoLine(line.data(), line.size(), &f);
    return f;
  };
  EXPECT_EQ(split("\"a,b\",c"), (Cells{"a,b", "c"}));
  EXPECT_EQ(split("\"a\"\"b\""), (Cells{"a\"b"}));
  EXPECT_EQ(split("\"\",\"\""), (Cells{"", ""}));
  EXPECT_EQ(split("x,\"\"\"\""), (Cells{"x", "\""}));
  // The old unquoted form: quotes that do not close before a comma are plain text.
  EXPECT_EQ(split("\"Live\" mix,b"), (Cells{"\"Live\" mix", "b"}));
  EXPECT_EQ(split("a,\"open,b"), (Cells{"a", "\"open", "b"}));
  EXPECT_EQ(split("\"a\"\",b"), (Cells{"\"a\"\"", "b"}));
  EXPECT_EQ(split("say \"hi\",b"), (Cells{"say \"hi\"", "b"}));
  // A quote inside a plain cell does not start quoting.
  EXPECT_EQ(split("a\"b,c\""), (Cells{"a\"b", "c\""}));
  // Seven fields at most, quoted or not.
  EXPECT_EQ(split("1,2,3,4,5,6,\"7,x\",8").size(), 7u);
  EXPECT_EQ(split("1,2,3,4,5,6,\"7,x\",8")[6], "7,x");
  EXPECT_EQ(split(""), (Cells{""}));
  EXPECT_EQ(split("a,"), (Cells{"a", ""}));
}

TEST(EncodingInfoRead, AnOldFileWrittenWithoutQuotingReadsAsBefore) {
  TrackList list;
  Read(list, kHeader + "C:\\old.wav,100,\"Live\" mix,\"Band\" & co,a \"b\" c,\"open\r\n");
  EXPECT_EQ(Row(list, 0), (Cells{"C:\\old.wav", "100", "\"Live\" mix", "\"Band\" & co", "a \"b\" c", "\"open", ""}));
}

TEST(EncodingInfoRead, PiecesOfAnySizeReadLikeTheWhole) {
  const std::string file = kHeader + "C:\\a.wav,\"x,y\",t\r\nC:\\b.wav,q\r\r\n\nC:\\c.wav,\"z\"";
  TrackList whole;
  Read(whole, file);
  for (size_t piece : {1, 2, 3, 7}) {
    TrackList list;
    EncodingInfoReader reader(list);
    for (size_t i = 0; i < file.size(); i += piece) reader.Feed(file.data() + i, std::min(piece, file.size() - i));
    reader.Finish();
    ASSERT_EQ(list.GetTrackCount(), whole.GetTrackCount()) << piece;
    for (int r = 0; r < list.GetTrackCount(); ++r) EXPECT_EQ(Row(list, r), Row(whole, r)) << piece;
  }
}

// --- Round trip ---------------------------------------------------------------------

TEST(EncodingInfoRoundTrip, EveryCellComesBackExactlyWhateverItHolds) {
  const std::string pieces[] = {",", "\"", "\r", kSo, kPo, kHyo, "a", " ", "\\", "\"\"", ",\"", "\x81"};
  std::mt19937 random(20240601);
  const auto cell = [&] {
    std::string s;
    const int n = static_cast<int>(random() % 6);  // empty cells are common
    for (int i = 0; i < n; ++i) s += pieces[random() % (sizeof pieces / sizeof pieces[0])];
    return s;
  };
  TrackList list;
  for (int i = 0; i < 3000; ++i) {
    const int row = list.AddTrack(cell() + std::to_string(i) + cell());
    ASSERT_GE(row, 0);
    for (int c = 1; c < kTrackColumnCount; ++c) list.SetItemText(row, c, cell());
  }
  TrackList back;
  Read(back, EncodingInfoText(list));
  ASSERT_EQ(back.GetTrackCount(), list.GetTrackCount());
  for (int r = 0; r < list.GetTrackCount(); ++r) ASSERT_EQ(Row(back, r), Row(list, r)) << "row " << r;
}

// --- Hardening ----------------------------------------------------------------------

TEST(EncodingInfoHardening, OddBytesAreKeptAsTheyCome) {
  TrackList list;
  const std::string nul("C:\\n\0l.wav,q\0\r\n", 15);
  Read(list, kHeader + nul + "C:\\lead.wav,\x81\r\nC:\\lead2.wav,x\x81,y\x81");
  ASSERT_EQ(list.GetTrackCount(), 3);
  EXPECT_TRUE(list.IsListed(std::string("C:\\n\0l.wav", 10)));
  EXPECT_EQ(list.GetItemText(2, kColumnQuality), std::string("q\0", 2));
  // A lone lead byte hides neither the line end nor the comma after it.
  EXPECT_EQ(Row(list, 0), (Cells{"C:\\lead.wav", "\x81", "lead", "", "", "", ""}));
  EXPECT_EQ(Row(list, 1), (Cells{"C:\\lead2.wav", "x\x81", "y\x81", "", "", "", ""}));
}

TEST(EncodingInfoHardening, HugeLinesAndUnclosedQuotesReadInOnePass) {
  // A 10 MB line, then an unterminated quoted cell of 10 MB made of doubled quotes.
  const std::string big(10 * 1024 * 1024, 'x');
  std::string quotes = "\"";
  for (int i = 0; i < 5 * 1024 * 1024; ++i) quotes += "\"\"";
  TrackList list;
  Read(list, kHeader + "C:\\big.wav," + big + "," + big + "\r\nC:\\q.wav," + quotes + ",next\r\n");
  ASSERT_EQ(list.GetTrackCount(), 2);
  EXPECT_EQ(list.GetItemText(0, kColumnQuality).size(), big.size());
  EXPECT_EQ(list.GetItemText(0, kColumnTitle).size(), big.size());
  EXPECT_EQ(list.GetItemText(1, kColumnQuality), quotes);  // never closed: plain text
  EXPECT_EQ(list.GetItemText(1, kColumnTitle), "next");
}

TEST(EncodingInfoHardening, AHundredThousandLines) {
  std::string file = kHeader;
  for (int i = 0; i < 100000; ++i) file += "C:\\w\\" + std::to_string(i) + ".wav,100,t\r\n";
  TrackList list;
  Read(list, file);
  EXPECT_EQ(list.GetTrackCount(), 100000);
}

// --- Export and import through the dialogs -----------------------------------------

TEST(EncodingInfoDialogs, DialogsAskWithTheFilterExtensionAndFlagsOfTheFile) {
  TrackList list;
  FakePrompter prompter;
  FailingFileSystem files;
  ExportEncodingInfo(list, prompter, files);  // cancelled: nothing happens
  ImportEncodingInfo(list, prompter, files);
  ASSERT_EQ(prompter.fileDialogs.size(), 2u);
  const FileDialogRequest& save = prompter.fileDialogs[0];
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.defaultExtension, "csv");
  EXPECT_EQ(save.filter, fixed_texts::kCsvFilter);
  EXPECT_EQ(save.flags, unsigned(kPathMustExist));  // no overwrite question, read-only box shown
  const FileDialogRequest& open = prompter.fileDialogs[1];
  EXPECT_FALSE(open.save);
  EXPECT_EQ(open.defaultExtension, "csv");
  EXPECT_EQ(open.filter, fixed_texts::kCsvFilter);
  EXPECT_EQ(open.flags, unsigned(kFileMustExist | kPathMustExist));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_TRUE(files.created.empty());
}

TEST(EncodingInfoDialogs, ExportReplacesTheChosenFileAndImportReadsItBack) {
  ScratchFolder folder;
  const std::string target = folder / "list.csv";
  ScratchFolder::Write(target, "old contents that are longer than the new file will be.................");
  TrackList list;
  list.AddTrack("C:\\" + kSo + "\\take,1.wav");
  list.SetItemText(0, kColumnTitle, "\"Live\" mix");
  FakePrompter prompter;
  prompter.fileChoices.push_back({target});
  ExportEncodingInfo(list, prompter);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(ScratchFolder::Read(target), EncodingInfoText(list));
  EXPECT_EQ(folder.EntryCount(), 1u);  // nothing left beside it

  TrackList back;
  back.AddTrack("C:\\already.wav");
  prompter.fileChoices.push_back({target});
  ImportEncodingInfo(back, prompter);
  EXPECT_TRUE(prompter.messages.empty());
  ASSERT_EQ(back.GetTrackCount(), 2);  // added to the rows already there
  EXPECT_EQ(Row(back, 1), Row(list, 0));
}

// A target whose name leaves no room for the temporary suffix is still written whole,
// through a short temporary name in its folder.
TEST(EncodingInfoDialogs, ALongTargetNameIsWrittenThroughAShortTemporaryName) {
  ScratchFolder folder;
  const std::string target = folder / (std::string(kMaxPathBytes - folder.Path().size() - 4, 'n') + ".csv");
  ASSERT_EQ(target.size(), kMaxPathBytes);
  EXPECT_EQ(EncodingInfoTempPaths(Wide(target))[0], Wide(folder / "~brumlet.tmp"));
  EXPECT_EQ(EncodingInfoTempPaths(Wide(folder / "list.csv"))[0], Wide(folder / "list.csv.~brumlet-tmp"));
  // A target that is itself named like a temporary name is never among them.
  const std::u16string deep = std::u16string(kMaxPathChars - 14, u'd') + u"\\";
  EXPECT_EQ(EncodingInfoTempPaths(deep + u"~Brumlet.TMP")[0], deep + u"~1");
  // Wide characters count one each: a folder of 120 double-byte characters still has room.
  const std::u16string japanese = u"C:\\" + std::u16string(120, u'表') + u"\\a.csv";
  EXPECT_EQ(EncodingInfoTempPaths(japanese)[0], japanese + u".~brumlet-tmp");
  ScratchFolder::Write(target, "old");
  TrackList list;
  list.AddTrack("C:\a.wav");
  FakePrompter prompter;
  prompter.fileChoices.push_back({target});
  ExportEncodingInfo(list, prompter);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(ScratchFolder::Read(target), EncodingInfoText(list));
  EXPECT_EQ(folder.EntryCount(), 1u);
}

// In a deep folder the temporary names that fit get few: the export takes the first that
// fits and is free, creates it exclusively and never touches a file already there.
TEST(EncodingInfoDialogs, DeepFoldersGetAFreeTemporaryNameThatFits) {
  const struct {
    size_t folderBytes;          // the target's folder part, closing separator included
    std::string name;            // the target's file name
    std::vector<std::string> taken;  // temporary names that exist already
    std::string used;            // the name the export writes through
  } cases[] = {
      {90, "list.csv", {"list.csv.~brumlet-tmp"}, "~brumlet.tmp"},
      {247, "list.csv", {"~brumlet.tmp"}, "~1"},
      {248, "list.csv", {"~1"}, "~2"},
      {257, "ab", {"~1", "~2"}, "~3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folderBytes);
    ScratchFolder scratch;
    const std::string folder = DeepFolder(scratch, c.folderBytes);
    ASSERT_EQ(folder.size(), c.folderBytes);
    const std::string target = folder + c.name;
    ASSERT_LE(target.size(), kMaxPathBytes);
    const std::vector<std::u16string> names = EncodingInfoTempPaths(Wide(target));
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], Wide(folder + c.taken[0]));
    for (const auto& n : names) EXPECT_LE(n.size(), kMaxPathChars);
    ScratchFolder::Write(target, "old");
    for (const std::string& t : c.taken) ScratchFolder::Write(folder + t, "someone else's " + t);

    TrackList list;
    list.AddTrack("C:\\new.wav");
    FakePrompter prompter;
    prompter.fileChoices.push_back({target});
    FailingFileSystem files;
    ExportEncodingInfo(list, prompter, files);
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(ScratchFolder::Read(target), EncodingInfoText(list));
    EXPECT_EQ(files.created, std::vector<std::string>{folder + c.used});
    for (const std::string& t : c.taken) EXPECT_EQ(ScratchFolder::Read(folder + t), "someone else's " + t);
    EXPECT_TRUE(files.removed.empty());
  }
}

TEST(EncodingInfoDialogs, AListFileNamedBeyondCodePage932IsWrittenAndReadUnderItsOwnName) {
  ScratchFolder folder;
  const std::u16string target = Wide(folder.Path()) + u"Caf\u00e9.csv";
  TrackList list;
  list.AddTrack("C:\\one.wav");
  FakePrompter prompter;
  SystemPath chosen;
  chosen.wide = target;  // no exact form, and no short path: the name itself is used
  for (int round = 0; round < 2; ++round) {  // the second export replaces the first
    prompter.fileChoices.push_back({chosen});
    ExportEncodingInfo(list, prompter);
    list.AddTrack("C:\\two.wav");
  }
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(folder.EntryCount(), 1u);  // Café.csv alone: no Cafe.csv, no temporary file
  TrackList back;
  prompter.fileChoices.push_back({chosen});
  ImportEncodingInfo(back, prompter);
  EXPECT_TRUE(prompter.messages.empty());
  ASSERT_EQ(back.GetTrackCount(), 2);
  EXPECT_EQ(back.GetItemText(1, kColumnPath), "C:\\two.wav");
}

TEST(EncodingInfoDialogs, EveryWriteFailureKeepsTheOldFileAndIsReported) {
  ScratchFolder folder;
  const std::string target = folder / "list.csv";
  const std::string old = kHeader + "C:\\old.wav,100,old,,,,\r\n";
  TrackList list;
  for (int i = 0; i < 3000; ++i) list.AddTrack("C:\\music\\track " + std::to_string(i) + ".wav");

  enum Step { kCreate, kFullDiskAtStart, kFullDiskLater, kClose, kReplace };
  for (const Step step : {kCreate, kFullDiskAtStart, kFullDiskLater, kClose, kReplace}) {
    SCOPED_TRACE(step);
    ScratchFolder::Write(target, old);
    FailingFileSystem files;
    files.failCreate = step == kCreate;
    if (step == kFullDiskAtStart) files.writeBudget = 0;
    if (step == kFullDiskLater) files.writeBudget = 70000;  // past the first chunk
    files.failClose = step == kClose;
    files.failReplace = step == kReplace;
    FakePrompter prompter;
    prompter.fileChoices.push_back({target});
    ExportEncodingInfo(list, prompter, files);
    EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotWriteFile});
    EXPECT_EQ(ScratchFolder::Read(target), old);
    EXPECT_EQ(folder.EntryCount(), 1u);  // the new file beside it is gone
    EXPECT_TRUE(files.replaced.empty());
  }
}

#ifdef _WIN32
TEST(EncodingInfoDialogs, ATargetHeldOpenWithoutSharingIsLeftIntact) {
  ScratchFolder folder;
  const std::string target = folder / "held.csv";
  const std::string old = kHeader + "C:\\old.wav\r\n";
  ScratchFolder::Write(target, old);
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  TrackList list;
  list.AddTrack("C:\\new.wav");
  FakePrompter prompter;
  prompter.fileChoices.push_back({target});
  ExportEncodingInfo(list, prompter);
  CloseHandle(held);
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotWriteFile});
  EXPECT_EQ(ScratchFolder::Read(target), old);
  EXPECT_EQ(folder.EntryCount(), 1u);
}
#endif

TEST(EncodingInfoDialogs, ReadFailuresAreReportedAndRowsReadBeforeStay) {
  ScratchFolder folder;
  const std::string path = folder / "list.csv";
  FakePrompter prompter;
  TrackList list;

  prompter.fileChoices.push_back({path});  // does not exist
  ImportEncodingInfo(list, prompter);
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotReadFile});

  std::string file = kHeader;
  for (int i = 0; i < 20000; ++i) file += "C:\\w\\" + std::to_string(100000 + i) + ".wav,100\r\n";
  ScratchFolder::Write(path, file);
  FailingFileSystem files;
  files.readBudget = 100000;  // fails in the second read
  prompter.messages.clear();
  prompter.fileChoices.push_back({path});
  ImportEncodingInfo(list, prompter, files);
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotReadFile});
  // Every whole line of the bytes delivered is in; the line cut by the failure is not.
  const int lineSize = static_cast<int>(std::string("C:\\w\\100000.wav,100\r\n").size());
  EXPECT_EQ(list.GetTrackCount(), (100000 - static_cast<int>(kHeader.size())) / lineSize);
  EXPECT_EQ(list.GetItemText(list.GetTrackCount() - 1, kColumnQuality), "100");
}

#include "core/WindowState.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "tests/FailingFileSystem.h"
#include "tests/ScratchFolder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Ten little-endian 32-bit fields, as the file holds them.
std::string Fields(std::initializer_list<int32_t> values) {
  std::string out;
  for (const int32_t v : values) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(u >> (8 * i)));
  }
  return out;
}

void ExpectDefaults(const WindowState& s) {
  EXPECT_EQ(s.width, 600);
  EXPECT_EQ(s.height, 400);
  const int widths[7] = {200, 48, 90, 100, 100, 200, 200};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(s.columnWidths[i], widths[i]) << "column " << i;
}

WindowState Odd() {
  WindowState s;
  s.width = 0x01020304;
  s.height = -2;
  const int widths[7] = {0, -1, 7, 0x7fffffff, -0x7fffffff - 1, 300, 0x10000};
  for (int i = 0; i < 7; ++i) s.columnWidths[i] = widths[i];
  return s;
}

}  // namespace

TEST(WindowState, SavedBytesAreTenLittleEndianFieldsInTableOrder) {
  ScratchFolder folder;
  SaveWindowState(folder.Path(), Odd());
  const std::string bytes = ScratchFolder::Read(folder / "Brumlet.cfg");
  ASSERT_EQ(bytes.size(), 40u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x64\0\0\0\x04\x03\x02\x01", 8));
  EXPECT_EQ(bytes, Fields({100, 0x01020304, -2, 0, -1, 7, 0x7fffffff, -0x7fffffff - 1, 300, 0x10000}));

  // Save then load gives back every value, odd ones included.
  const WindowState loaded = LoadWindowState(folder.Path());
  EXPECT_EQ(loaded.width, 0x01020304);
  EXPECT_EQ(loaded.height, -2);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(loaded.columnWidths[i], Odd().columnWidths[i]) << "column " << i;

  // Saving again truncates: a longer file left before is not kept beyond 40 bytes.
  ScratchFolder::Write(folder / "Brumlet.cfg", std::string(100, 'x'));
  SaveWindowState(folder.Path(), WindowState());
  EXPECT_EQ(ScratchFolder::Read(folder / "Brumlet.cfg"), Fields({100, 600, 400, 200, 48, 90, 100, 100, 200, 200}));
}

TEST(WindowState, MissingEmptyAndForeignFilesGiveTheDefaults) {
  ScratchFolder folder;
  ExpectDefaults(LoadWindowState(folder.Path()));  // no file

  const std::string all = Fields({100, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  const std::string cases[] = {
      "",                                                // empty
      all.substr(0, 3),                                  // shorter than the version
      Fields({99, 1, 2, 3, 4, 5, 6, 7, 8, 9}),           // another version
      std::string("\0\0\0\x64", 4) + all.substr(4),      // 100 in big-endian order
      all.substr(0, 6),                                  // version, then a cut width
  };
  for (const std::string& bytes : cases) {
    ScratchFolder::Write(folder / "Brumlet.cfg", bytes);
    SCOPED_TRACE(bytes.size());
    ExpectDefaults(LoadWindowState(folder.Path()));
  }
}

TEST(WindowState, ShortFilesReplaceOnlyTheWholeFieldsTheyHold) {
  ScratchFolder folder;
  const std::string all = Fields({100, 1, 2, 3, 4, 5, 6, 7, 8, 9});

  ScratchFolder::Write(folder / "Brumlet.cfg", all.substr(0, 8));
  WindowState s = LoadWindowState(folder.Path());
  EXPECT_EQ(s.width, 1);
  EXPECT_EQ(s.height, 400);
  EXPECT_EQ(s.columnWidths[0], 200);

  // Cut inside column 0: width and height read, column 0 keeps its default.
  ScratchFolder::Write(folder / "Brumlet.cfg", all.substr(0, 14));
  s = LoadWindowState(folder.Path());
  EXPECT_EQ(s.width, 1);
  EXPECT_EQ(s.height, 2);
  EXPECT_EQ(s.columnWidths[0], 200);
  EXPECT_EQ(s.columnWidths[1], 48);

  // One byte short: everything but the last column.
  ScratchFolder::Write(folder / "Brumlet.cfg", all.substr(0, 39));
  s = LoadWindowState(folder.Path());
  for (int i = 0; i < 6; ++i) EXPECT_EQ(s.columnWidths[i], 3 + i);
  EXPECT_EQ(s.columnWidths[6], 200);

  // Longer than 40 bytes: accepted, the rest ignored.
  ScratchFolder::Write(folder / "Brumlet.cfg", all + Fields({77, 88}));
  s = LoadWindowState(folder.Path());
  EXPECT_EQ(s.width, 1);
  EXPECT_EQ(s.columnWidths[6], 9);
}

TEST(WindowState, ReadsThatDeliverFewBytesAtATimeStillFillEveryField) {
  ScratchFolder folder;
  SaveWindowState(folder.Path(), Odd());
  // A reader that returns at most 3 bytes per call must not be taken for a short file.
  class Trickle : public FileSystem {
  public:
    bool ProbeSource(const std::string&, SourceFileInfo*) override { return false; }
    std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
      struct In : InputFile {
        std::unique_ptr<InputFile> f;
        bool Read(char* b, size_t n, size_t* got) override { return f->Read(b, n < 3 ? n : 3, got); }
      };
      auto in = std::make_unique<In>();
      in->f = PlatformFileSystem().OpenForReading(path);
      if (!in->f) return nullptr;
      return in;
    }
    std::unique_ptr<OutputFile> CreateForWriting(const std::string&, Create) override { return nullptr; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool Exists(const std::string&) override { return false; }
  } trickle;
  const WindowState s = LoadWindowState(trickle, folder.Path());
  EXPECT_EQ(s.width, 0x01020304);
  EXPECT_EQ(s.columnWidths[6], 0x10000);
}

TEST(WindowState, SavingThatFailsIsSilentAndLoadingAfterAReadErrorKeepsDefaults) {
  ScratchFolder folder;
  // A folder that does not exist: nothing is created, nothing thrown.
  SaveWindowState(folder / "missing" + "/", Odd());
  EXPECT_FALSE(ScratchFolder::Exists(folder / "missing"));

  FailingFileSystem files;
  files.failCreate = true;
  SaveWindowState(files, folder.Path(), Odd());
  EXPECT_FALSE(ScratchFolder::Exists(folder / "Brumlet.cfg"));

  FailingFileSystem full;
  full.writeBudget = 10;  // the disk fills inside the file
  SaveWindowState(full, folder.Path(), Odd());

  SaveWindowState(folder.Path(), Odd());
  FailingFileSystem broken;
  broken.readBudget = 0;  // the first read fails
  ExpectDefaults(LoadWindowState(broken, folder.Path()));
}

TEST(WindowState, ScalingRoundsToNearestWithHalvesAwayFromZeroAndNeverWraps) {
  EXPECT_EQ(ScaleSize(1, 3, 2), 2);    // 1.5
  EXPECT_EQ(ScaleSize(-1, 3, 2), -2);  // -1.5
  EXPECT_EQ(ScaleSize(3, 120, 96), 4);  // 3.75
  EXPECT_EQ(ScaleSize(5, 120, 96), 6);  // 6.25
  EXPECT_EQ(ScaleSize(-5, 120, 96), -6);
  EXPECT_EQ(ScaleSize(7, 0, 96), 0);
  EXPECT_EQ(ScaleSize(7, 96, 0), 7);  // no DPI known: left as it is
  // The largest and smallest values the file can hold stay at the ends of the range,
  // where MulDiv would give -1 and a plain int product would wrap.
  EXPECT_EQ(ScaleSize(INT_MAX, 144, 96), INT_MAX);
  EXPECT_EQ(ScaleSize(INT_MIN, 192, 96), INT_MIN);
  EXPECT_EQ(ScaleSize(INT_MAX, 96, 144), 1431655765);   // 1431655764.67
  EXPECT_EQ(ScaleSize(INT_MIN, 96, 144), -1431655765);  // -1431655765.33
}

TEST(WindowState, SizesGoToPixelsAndBackExactlyAndAt96NothingChanges) {
  // The defaults scale like any stored size.
  const WindowState defaults = StateInPixels(WindowState(), 144);
  EXPECT_EQ(defaults.width, 900);
  EXPECT_EQ(defaults.height, 600);
  const int widths[7] = {300, 72, 135, 150, 150, 300, 300};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(defaults.columnWidths[i], widths[i]) << "column " << i;

  // At 96 DPI every value, odd ones included, is written back byte for byte.
  ScratchFolder folder;
  SaveWindowState(folder.Path(), Odd());
  const std::string written = ScratchFolder::Read(folder / "Brumlet.cfg");
  SaveWindowState(folder.Path(), StateInFileUnits(StateInPixels(LoadWindowState(folder.Path()), 96), 96));
  EXPECT_EQ(ScratchFolder::Read(folder / "Brumlet.cfg"), written);

  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    // File -> pixels -> file is exact for every size whose pixels fit in an int; the
    // way pixels -> file -> pixels may move a size by 1.
    const int largest = static_cast<int>(int64_t{INT_MAX} * 96 / dpi);
    for (const int base : {0, 1000, largest - 1000, -largest + 1000}) {
      for (int v = base - 1000, last = base + 1000;; ++v) {
        ASSERT_EQ(ScaleSize(ScaleSize(v, dpi, 96), 96, dpi), v);
        ASSERT_LE(std::abs(ScaleSize(ScaleSize(v, 96, dpi), dpi, 96) - v), 1) << v;
        if (v == last) break;
      }
    }
    // The ends of the file's range neither overflow nor change sign on the way.
    WindowState extremes;
    extremes.width = INT_MAX;
    extremes.height = INT_MIN;
    const WindowState back = StateInFileUnits(StateInPixels(extremes, dpi), dpi);
    EXPECT_GE(back.width, largest);
    EXPECT_LE(back.height, -largest);
    EXPECT_EQ(back.columnWidths[0], 200);
  }
}

#ifdef _WIN32
TEST(WindowState, SharingKeepsWritersOutWhileReadingAndEveryoneOutWhileWriting) {
  ScratchFolder folder;
  const std::string path = folder / "Brumlet.cfg";
  SaveWindowState(folder.Path(), Odd());
  const std::string saved = ScratchFolder::Read(path);

  // Someone holds the file open for writing: loading, which denies writers, cannot open it.
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  ExpectDefaults(LoadWindowState(folder.Path()));
  CloseHandle(writer);

  // Someone reads it with all sharing allowed: saving, which shares nothing, is refused silently.
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  SaveWindowState(folder.Path(), WindowState());
  CloseHandle(reader);
  EXPECT_EQ(ScratchFolder::Read(path), saved);
  EXPECT_EQ(LoadWindowState(folder.Path()).width, 0x01020304);
}
#endif

#include "platform/PathNames.h"

#include <gtest/gtest.h>

// "C:\ソース\表.wav": ソ is 83 5C and 表 is 95 5C, both with a trail byte equal to '\'.
static const std::string kTrailBackslashPath = "C:\\\x83\x5c\x81\x5b\x83\x58\\\x95\x5c.wav";

TEST(PathNames, FileNameOfPathTakesThePartAfterTheLastSeparator) {
  EXPECT_EQ(FileNameOfPath("C:\\a\\b.wav"), "b.wav");
  EXPECT_EQ(FileNameOfPath("C:b.wav"), "b.wav");
  EXPECT_EQ(FileNameOfPath("/tmp/x/b.wav"), "b.wav");
  EXPECT_EQ(FileNameOfPath(kTrailBackslashPath), "\x95\x5c.wav");
  EXPECT_EQ(FileNameOfPath("C:\\a\\"), "");
}

TEST(PathNames, TheSeparatorsAreAParameterAndTheWideFormSplitsLikeTheNarrowOne) {
  EXPECT_EQ(FileNameStart("D:x/a.wav"), 4);
  EXPECT_EQ(FileNameStart("D:x/a.wav", "\\"), 0);
  EXPECT_EQ(FileNameStart("C:\\x\\D:a", "\\"), 5);
  EXPECT_EQ(FileNameStart(u"D:x/a.wav"), 4u);
  EXPECT_EQ(FileNameStart(u"a.wav"), 0u);
  EXPECT_EQ(FileNameStart(u"C:\\\u30bd\\b"), 5u);
}

TEST(PathNames, TheExtensionIsTheLastDotOfTheFileNameOnly) {
  EXPECT_EQ(WithoutExtension("C:\\my.dir\\take1"), "C:\\my.dir\\take1");
  EXPECT_EQ(WithoutExtension("C:\\a\\b.c.wav"), "C:\\a\\b.c");
  EXPECT_EQ(WithoutExtension("C:\\a.b\\"), "C:\\a.b\\");
  EXPECT_EQ(FileTitleOfPath(kTrailBackslashPath), "\x95\x5c");
  EXPECT_EQ(FileTitleOfPath("C:\\x\\.wav"), "");
  EXPECT_EQ(FileTitleOfPath("x/a.wav", "\\"), "x/a");
  EXPECT_EQ(FileTitleOfPath(u"D:\\my.dir\\Caf\u00e9 song.wav"), u"Caf\u00e9 song");
  EXPECT_EQ(FileTitleOfPath(u"D:\\my.dir\\notes"), u"notes");
  EXPECT_EQ(ExtensionStart("a.\x83\x5c"), 1);  // ソ's 5C is no separator: the dot is the name's
}

TEST(PathNames, AWavEndingInAnyCaseStartingACharacter) {
  EXPECT_TRUE(EndsWithWav("C:\\a\\Song.wav"));
  EXPECT_TRUE(EndsWithWav("Take.WAV"));
  EXPECT_TRUE(EndsWithWav(".Wav"));
  EXPECT_FALSE(EndsWithWav("take.wav.bak"));
  EXPECT_FALSE(EndsWithWav("C:\\x\\wav"));
  EXPECT_FALSE(EndsWithWav("wav"));
  EXPECT_FALSE(EndsWithWav("\x83.wav"));  // a lead byte takes the '.' along as its second byte
  EXPECT_TRUE(EndsWithWav(u"C:\\x\\\u8868\u30bd.Wav"));
  EXPECT_FALSE(EndsWithWav(u"C:\\x\\wav"));
  EXPECT_FALSE(EndsWithWav(u"a.wab"));
}

TEST(PathNames, APathWithADoubleByteCharacterSplitsLikeTheSameSingleBytePath) {
  // Paths of single bytes are split from their end, others by a walk from the start: a
  // double-byte character put in front of a path must move its name and extension by 2.
  const char alphabet[] = {'a', '.', '\\', '/', ':', '\0'};
  unsigned seed = 7;
  for (int round = 0; round < 2000; ++round) {
    std::string path;
    const size_t size = (seed = seed * 1103515245u + 12345u) >> 28;
    for (size_t i = 0; i < size; ++i) path += alphabet[((seed = seed * 1103515245u + 12345u) >> 16) % sizeof alphabet];
    const std::string wide = "\x82\xa0" + path;  // あ
    const int name = FileNameStart(path);
    EXPECT_EQ(FileNameStart(wide), name == 0 ? 0 : name + 2) << path;
    EXPECT_EQ(ExtensionStart(wide), ExtensionStart(path) + 2) << path;
    EXPECT_EQ(FileTitleOfPath(wide, "\\").size(), FileTitleOfPath(path, "\\").size() + (FileNameStart(path, "\\") == 0 ? 2 : 0)) << path;
  }
}

// Paths from the system in the program's form: exact, else the short path, else refused
// with a message; and what adding such paths does to the track list.
#include "core/ChosenFiles.h"

#include <gtest/gtest.h>

#include "core/Texts.h"
#include "tests/FakePrompter.h"

namespace {

// A short-path lookup that knows a few names, like the system on a volume with short names.
bool KnownShortPaths(const std::u16string& path, std::u16string* shortPath) {
  if (path == u"D:\\Music\\Caf\u00e9 song.wav") *shortPath = u"D:\\Music\\CAF_~HYN.WAV";
  else if (path == u"D:\\Caf\u00e9") *shortPath = u"D:\\CAF_~1";
  else if (path == u"D:\\Music files\\Caf\u00e9\\a.wav") *shortPath = u"D:\\MUSICF~1\\CAF_~1\\a.wav";
  else if (path == u"D:\\\ud55c\uad6d.wav") *shortPath = u"D:\\B0B7~1.WAV";
  else if (path == u"D:\\\U0001F3B5.wav") *shortPath = u"D:\\\U0001F3B5.wav";  // no short name: the long one back
  else return false;
  return true;
}

}  // namespace

TEST(SystemPath, ExactFormElseAnExactShortPathElseNone) {
  const SystemPath exact = ToSystemPath(u"D:\\ソ\\表.wav", KnownShortPaths);
  EXPECT_EQ(exact.path, "D:\\ソ\\表.wav");
  EXPECT_FALSE(exact.viaShortPath);

  const SystemPath cafe = ToSystemPath(u"D:\\Music\\Caf\u00e9 song.wav", KnownShortPaths);
  EXPECT_EQ(cafe.path, "D:\\Music\\CAF_~HYN.WAV");  // never "Cafe song.wav", another file
  EXPECT_TRUE(cafe.viaShortPath);
  EXPECT_TRUE(cafe.Usable());

  // Only the names without an exact form are taken in their short form.
  EXPECT_EQ(ToSystemPath(u"D:\\Music files\\Caf\u00e9\\a.wav", KnownShortPaths).path, "D:\\Music files\\CAF_~1\\a.wav");

  // Where that would pass 259 bytes, the system's whole short path.
  const std::u16string deep = u"D:\\" + std::u16string(250, u'x') + u"\\Caf\u00e9.wav";
  EXPECT_EQ(ToSystemPath(deep, [](const std::u16string&, std::u16string* s) {
              *s = u"D:\\XXXXXX~1\\CAF~1.WAV";
              return true;
            }).path,
            "D:\\XXXXXX~1\\CAF~1.WAV");

  // A short path that still holds such a character is no better than the long one.
  const SystemPath emoji = ToSystemPath(u"D:\\\U0001F3B5.wav", KnownShortPaths);
  EXPECT_FALSE(emoji.Usable());
  EXPECT_EQ(emoji.Shown(), "D:\\?.wav");
  const SystemPath none = ToSystemPath(u"D:\\Caf\u00e9 song.wav", KnownShortPaths);
  EXPECT_FALSE(none.Usable());
  EXPECT_EQ(none.Shown(), "D:\\Caf? song.wav");
  EXPECT_FALSE(ToSystemPath(u"D:\\Caf\u00e9 song.wav", nullptr).Usable());
}

TEST(ChosenFiles, ShortPathRowsTakeTheirTitleFromTheLongNameAndOneMessageNamesTheRest) {
  TrackList tracks;
  tracks.AddTrack("D:\\listed.wav");
  tracks.SetItemText(0, kColumnTitle, "kept");
  const std::vector<SystemPath> chosen = {
      ToSystemPath(u"D:\\Music\\Caf\u00e9 song.wav", KnownShortPaths),
      ToSystemPath(u"D:\\\ud55c\uad6d.wav", KnownShortPaths),
      ToSystemPath(u"D:\\Music\\Cafe song.wav", KnownShortPaths),
      ToSystemPath(u"D:\\x\\Caf\u00e9 \U0001F3B5.wav", KnownShortPaths),
      ToSystemPath(u"D:\\listed.wav", KnownShortPaths),
      ToSystemPath(u"D:\\\u00e9t\u00e9.wav", KnownShortPaths),
  };
  std::string refusal;
  EXPECT_EQ(AddChosenFiles(tracks, chosen, &refusal), 3);
  ASSERT_EQ(tracks.GetTrackCount(), 4);
  EXPECT_EQ(tracks.GetItemText(0, kColumnPath), "D:\\B0B7~1.WAV");
  EXPECT_EQ(tracks.GetItemText(0, kColumnTitle), "??");  // Hangul has no form, not even a best fit
  EXPECT_EQ(tracks.GetItemText(1, kColumnTitle), "kept");
  EXPECT_EQ(tracks.GetItemText(2, kColumnPath), "D:\\Music\\CAF_~HYN.WAV");
  const std::string cafe(tracks.GetItemText(2, kColumnTitle));
  EXPECT_TRUE(cafe == "Cafe song" || cafe == "Caf? song") << cafe;  // best fit where the system has one
  EXPECT_EQ(tracks.GetItemText(2, kColumnQuality), "100");
  EXPECT_EQ(tracks.GetItemText(2, kColumnSavePath), "");
  EXPECT_EQ(tracks.GetItemText(3, kColumnPath), "D:\\Music\\Cafe song.wav");
  EXPECT_EQ(tracks.GetItemText(3, kColumnTitle), "Cafe song");
  EXPECT_EQ(refusal, fixed_texts::kCannotAddFiles + std::string("D:\\x\\Caf? ?.wav\nD:\\?t?.wav"));

  // Nothing refused: no message.
  EXPECT_EQ(AddChosenFiles(tracks, {SystemPathOf("D:\\new.wav")}, &refusal), 1);
  EXPECT_EQ(refusal, "");
}

TEST(ChosenFiles, AFolderWithoutAUsableFormIsRefusedByName) {
  FakePrompter prompter;
  EXPECT_TRUE(AcceptChosenFolder(ToSystemPath(u"D:\\Caf\u00e9", KnownShortPaths), prompter));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_FALSE(AcceptChosenFolder(ToSystemPath(u"D:\\Jos\u00e9", KnownShortPaths), prompter));
  EXPECT_EQ(prompter.messages, std::vector<std::string>{fixed_texts::kCannotChooseFolder + std::string("D:\\Jos?")});
}

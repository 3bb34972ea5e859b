#include "platform/Text.h"

#include <gtest/gtest.h>

// "C:\ソース\表.wav": ソ is 83 5C and 表 is 95 5C, both with a trail byte equal to '\'.
static const std::string kTrailBackslashPath = "C:\\\x83\x5c\x81\x5b\x83\x58\\\x95\x5c.wav";

TEST(Text, ReverseFindStepsOverDoubleByteCharacters) {
  EXPECT_EQ(text::ReverseFind(kTrailBackslashPath, '\\'), 9);
  EXPECT_EQ(text::ReverseFind("\x95\x5c", '\\'), -1);
  EXPECT_EQ(text::ReverseFind("\x83\x7c|", '|'), 2);   // ポ then a real bar
  EXPECT_EQ(text::ReverseFind("a.b.c", '.'), 3);
  EXPECT_EQ(text::ReverseFind("", '.'), -1);
  // A lead byte at the very end stands alone and hides nothing.
  EXPECT_EQ(text::ReverseFind("a\\\x83", '\\'), 1);
  EXPECT_EQ(text::ReverseFindAny("C:\\a/b:c", "\\/:"), 6);
}

TEST(Text, SubstringsClampToTheString) {
  EXPECT_EQ(text::Left("abc", -1), "");
  EXPECT_EQ(text::Left("abc", 5), "abc");
  EXPECT_EQ(text::Mid("abc", 1, 5), "bc");
  EXPECT_EQ(text::Mid("abc", 1, -2), "");
  EXPECT_EQ(text::Mid("abc", 4), "");
  EXPECT_EQ(text::Mid("abc", -3, 2), "ab");
  EXPECT_EQ(text::Right("abc", 2), "bc");
  EXPECT_EQ(text::Right("abc", 9), "abc");
  EXPECT_EQ(text::Right("abc", -1), "");
}

TEST(Text, CaseFoldingTouchesSingleByteLettersOnly) {
  // Ａ (82 60) holds no ASCII letter; "\x82\x41" would be a character whose trail byte is 'A'.
  EXPECT_EQ(text::ToLowerAscii("C:\\Take.WAV"), "c:\\take.wav");
  EXPECT_EQ(text::ToLowerAscii("\x83\x41" "B"), "\x83\x41" "b");  // ア keeps its trail byte 41
  EXPECT_TRUE(text::EqualsIgnoreAsciiCase("C:\\A.WMA", "c:\\a.wma"));
  EXPECT_FALSE(text::EqualsIgnoreAsciiCase("\x83\x41", "\x83\x61"));  // ア vs a different character
  EXPECT_FALSE(text::EqualsIgnoreAsciiCase("ab", "abc"));
  EXPECT_EQ(text::ToLowerAscii(u"C:\\Caf\u00c9 TAKE.Wav"), u"c:\\caf\u00c9 take.wav");  // É is not ASCII
  EXPECT_EQ(text::FoldAscii('@'), '@');
  EXPECT_EQ(text::FoldAscii('['), '[');
}

TEST(Text, APathEndsWithABackslashOnlyWhenItsLastCharacterIsOne) {
  EXPECT_TRUE(text::EndsWithBackslash("D:\\"));
  EXPECT_TRUE(text::EndsWithBackslash("D:\\\x95\x5c\\"));    // D:\表\ (a real one after 表)
  EXPECT_FALSE(text::EndsWithBackslash("D:\\\x8b\x40\x94\x5c"));  // D:\機能 (94 5C)
  EXPECT_FALSE(text::EndsWithBackslash("C:\\\x83\x5c"));        // C:\ソ (83 5C)
  EXPECT_TRUE(text::EndsWithBackslash("\\"));
  EXPECT_FALSE(text::EndsWithBackslash(""));
  EXPECT_FALSE(text::EndsWithBackslash("D:\\a"));
  // A lone lead byte before the final 5C pairs with it: the two are one character.
  EXPECT_FALSE(text::EndsWithBackslash("a\x83\\"));
}

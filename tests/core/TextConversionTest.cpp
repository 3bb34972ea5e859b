// The two conversion modes: exact for paths, display for shown texts.
#include "platform/TextConversion.h"

#include <gtest/gtest.h>

TEST(TextConversion, ExactKeepsWhatCodePage932HoldsAndRefusesTheRest) {
  std::string out = "unchanged";
  ASSERT_TRUE(textconv::ToCp932Exact(u"C:\\ソース\\表 ポ.wav", &out));
  EXPECT_EQ("C:\\ソース\\表 ポ.wav", out);  // the literal is CP932 bytes
  ASSERT_TRUE(textconv::ToCp932Exact(u"", &out));
  EXPECT_EQ("", out);

  // No best fit: é must not become e, or "Café" names the file "Cafe".
  out = "unchanged";
  EXPECT_FALSE(textconv::ToCp932Exact(u"Caf\u00e9 song.wav", &out));
  EXPECT_FALSE(textconv::ToCp932Exact(u"\ud55c\uad6d.wav", &out));
  EXPECT_FALSE(textconv::ToCp932Exact(u"a\U0001F3B5.wav", &out));
  EXPECT_EQ("unchanged", out);
}

TEST(TextConversion, DisplayMarksWhatHasNoFormAndRoundTrips) {
  EXPECT_EQ("表題 A&B", textconv::ToCp932Display(u"表題 A&B"));
  // Hangul has no best fit in code page 932: one "?" per character, a surrogate pair
  // counting as one.
  EXPECT_EQ("??.wav", textconv::ToCp932Display(u"\ud55c\uad6d.wav"));
  EXPECT_EQ("a?b", textconv::ToCp932Display(u"a\U0001F3B5b"));
  const std::string e = textconv::ToCp932Display(u"Caf\u00e9");
  EXPECT_TRUE(e == "Cafe" || e == "Caf?") << e;  // best fit where the system has one

  EXPECT_EQ(u"C:\\ソ\\表.wav", textconv::FromCp932("C:\\ソ\\表.wav"));
  EXPECT_EQ(u"", textconv::FromCp932(""));
}

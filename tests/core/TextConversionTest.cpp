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

TEST(TextConversion, SurrogatePairsAreOneCharacterAndLoneSurrogatesAUnitEach) {
  const std::u16string s = u"a\U0001F3B5\xD800" u"b\xDC00";
  size_t units = 0;
  EXPECT_EQ(U'a', textconv::CodePointAt(s, 0, &units));
  EXPECT_EQ(1u, units);
  EXPECT_EQ(U'\U0001F3B5', textconv::CodePointAt(s, 1, &units));
  EXPECT_EQ(2u, units);
  EXPECT_EQ(0xD800u, textconv::CodePointAt(s, 3, &units));  // a high surrogate before 'b'
  EXPECT_EQ(1u, units);
  EXPECT_EQ(0xDC00u, textconv::CodePointAt(s, 5, &units));  // a low one at the end
  EXPECT_EQ(1u, units);
  EXPECT_EQ(0xD800u, textconv::CodePointAt(u"\xD800", 0, &units));  // a high one at the end
  EXPECT_EQ(1u, units);

  std::u16string out;
  for (char32_t c : {U'a', U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) textconv::AppendCodePoint(c, &out);
  EXPECT_EQ(u"a\uFFFF\U00010000\U0010FFFF", out);
}

TEST(TextConversion, Utf8DecodesValidSequencesAndEachBadByteAsOneReplacement) {
  std::u16string out;
  EXPECT_TRUE(textconv::DecodeUtf8("A\xC3\xA9\xE3\x81\x82\xF0\x9F\x8E\xB5", &out));
  EXPECT_EQ(u"A\u00e9\u3042\U0001F3B5", out);
  out.clear();
  EXPECT_TRUE(textconv::DecodeUtf8("", &out));
  EXPECT_EQ(u"", out);

  // Overlong forms, an encoded surrogate, a code point past U+10FFFF, a stray trail byte
  // and a sequence cut short: every byte of them is one U+FFFD, and what follows decodes.
  const struct {
    const char* bytes;
    std::u16string text;
  } bad[] = {
      {"\xC0\xAF" "x", u"\uFFFD\uFFFDx"},
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\x80" "a", u"\uFFFDa"},
      {"a\xE3\x81", u"a\uFFFD\uFFFD"},
      {"\xE3\x81" "a", u"\uFFFD\uFFFDa"},
  };
  for (const auto& c : bad) {
    out.clear();
    EXPECT_FALSE(textconv::DecodeUtf8(c.bytes, &out)) << c.bytes;
    EXPECT_EQ(c.text, out) << c.bytes;
  }
}

TEST(TextConversion, Utf16InEitherByteOrderAndLatin1) {
  EXPECT_EQ(u"A\u8868\U0001F3B5", textconv::DecodeUtf16(std::string("A\0\x68\x88\x3C\xD8\xB5\xDF", 8), false));
  EXPECT_EQ(u"A\u8868", textconv::DecodeUtf16(std::string("\0A\x88\x68\x30", 5), true));  // the odd byte dropped
  EXPECT_EQ(u"", textconv::DecodeUtf16("x", false));
  EXPECT_EQ(u"a\u00d7\u00ff", textconv::DecodeLatin1("a\xD7\xFF"));
}

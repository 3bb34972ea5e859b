#include "core/WavTags.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/ScratchFolder.h"
#include "tests/WavBytes.h"

namespace {

using namespace wavbytes;

struct Read {
  bool ok;
  WavTags tags;
  uint64_t bytesRead;
};
Read ReadBytes(const std::string& file) {
  MemoryByteSource source(file);
  Read r;
  r.ok = ReadWavTags(source, &r.tags);
  r.bytesRead = source.BytesRead();
  return r;
}

// Literals below are code page 932 at run time; u8"" literals stay UTF-8.
void ExpectTags(const Read& r, const std::string& title, const std::string& author, const std::string& copyright,
                const std::string& description) {
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(title, r.tags.title);
  EXPECT_EQ(author, r.tags.author);
  EXPECT_EQ(copyright, r.tags.copyright);
  EXPECT_EQ(description, r.tags.description);
}

}  // namespace

TEST(WavTags, InfoChunkWithOddSizesAndPaddingBeforeOrAfterTheAudio) {
  const std::string info = Info({{"INAM", std::string("Title", 6)},  // odd, with its NUL
                                 {"ISFT", "Lavf"},
                                 {"IART", std::string("Ann  \0\0", 7)},
                                 {"ICOP", "(C) 2004"},
                                 {"ICMT", "live"}});
  ExpectTags(ReadBytes(Wave(kFmt + info + Data(1001))), "Title", "Ann", "(C) 2004", "live");
  ExpectTags(ReadBytes(Wave(kFmt + Data(1001) + info)), "Title", "Ann", "(C) 2004", "live");

  // A file without tags reads fine and gives none.
  const Read none = ReadBytes(Wave(kFmt + Data(3)));
  EXPECT_TRUE(none.ok);
  EXPECT_TRUE(none.tags.Empty());
}

TEST(WavTags, InfoTextIsUtf8WhenValidWithMultiByteSequencesElseCodePage932ElseLatin1) {
  EXPECT_EQ("タイトル", InfoTextToDisplay(u8"タイトル"));
  EXPECT_EQ("タイトル", InfoTextToDisplay("タイトル"));          // code page 932 bytes as they are
  EXPECT_EQ("Abc", InfoTextToDisplay("Abc"));
  EXPECT_EQ("ｱ2", InfoTextToDisplay("\xB1" "2"));  // valid code page 932 (half-width ｱ), though Latin-1 would be ±2
  EXPECT_EQ("1÷2", InfoTextToDisplay("1\xF7" "2"));  // F7 starts no character before '2': Latin-1
  ExpectTags(ReadBytes(Wave(Info({{"INAM", u8"曲名"}, {"IART", "歌手"}}) + kFmt)), "曲名", "歌手", "", "");
}

TEST(WavTags, TextIsCleanedTrimmedAndCutOnACharacterBoundary) {
  EXPECT_EQ("a b c", InfoTextToDisplay(std::string("a\tb\rc \0 \0", 9)));
  // Characters code page 932 lacks show as "?".
  EXPECT_EQ("K?", InfoTextToDisplay(u8"K\uD55C"));
  // 254 single bytes and a double-byte character: the character would pass 255 bytes.
  const std::string cut = InfoTextToDisplay(std::string(254, 'x') + "表");
  EXPECT_EQ(std::string(254, 'x'), cut);
  EXPECT_EQ(255u, InfoTextToDisplay(std::string(300, 'y')).size());
}

TEST(WavTags, Id3v23InUtf16WithUnsynchronisation) {
  // Ａ is 21 FF in UTF-16LE: the unsynchronised tag holds FF 00 where the frame has FF.
  const std::string frames = Frame(3, "TIT2", Text(1, Utf16Le(u"ＡＢ表"))) +
                             Frame(3, "TPE1", Text(2, Utf16Be(u"歌手"))) +
                             Frame(3, "TCOP", Text(0, "(C) \xD7")) +
                             std::string(20, '\0');  // padding
  std::string tag = Id3(3, Unsynchronise(frames), '\x80');
  ExpectTags(ReadBytes(Wave(kFmt + Chunk("id3 ", tag) + Data(8))), "ＡＢ表", "歌手", "(C) ×", "");

  // An extended header (v2.3: its size counts the bytes after the size field).
  const std::string extended = Be32(6) + std::string(6, '\xFF');
  tag = Id3(3, Unsynchronise(extended + frames), '\xC0');
  ExpectTags(ReadBytes(Wave(kFmt + Data(8) + Chunk("id3 ", tag))), "ＡＢ表", "歌手", "(C) ×", "");
}

TEST(WavTags, Id3v24InUtf8WithSyncsafeSizesAndFrameFlags) {
  const std::string longTitle = std::string(200, 'T');  // its size differs as syncsafe and plain
  const std::string frames = Frame(4, "TIT2", Text(3, longTitle)) +
                             Frame(4, "TPE1", Unsynchronise(Text(1, Utf16Le(u"ＡＢ"))), '\x02') +
                             Frame(4, "TCOP", Syncsafe(9) + Text(3, std::string(u8"著作") + '\0' + "more"), '\x01') +
                             Frame(4, "COMM", Comm(3, "", u8"説明"));
  const std::string extended = Syncsafe(6) + std::string("\x01\x00", 2);
  const std::string tag = Id3(4, extended + frames, '\x40');
  ExpectTags(ReadBytes(Wave(kFmt + Chunk("ID3 ", tag) + Data(8))), std::string(200, 'T'), "ＡＢ", "著作", "説明");
}

TEST(WavTags, EachFieldComesFromId3WhenItHasItElseFromInfo) {
  const std::string id3 = Chunk("id3 ", Id3(3, Frame(3, "TIT2", Text(0, "id3 title")) + Frame(3, "TCOP", Text(0, "")) +
                                                   Frame(3, "TPE1", Text(0, "id3 author"))));
  const std::string info = Info({{"INAM", "info title"}, {"ICOP", "info (C)"}, {"ICMT", "info comment"}});
  ExpectTags(ReadBytes(Wave(kFmt + info + Data(2) + id3)), "id3 title", "id3 author", "info (C)", "info comment");
}

TEST(WavTags, DescriptionFromTheFirstCommentWithoutShortDescriptionElseTheFirst) {
  const std::string loudness = Frame(3, "COMM", Comm(0, "iTunNORM", " 000001A3 00000167"));
  const std::string plain = Frame(3, "COMM", Comm(1, Utf16Le(u""), Utf16Le(u"本文")));
  EXPECT_EQ("本文", ReadBytes(Wave(Chunk("id3 ", Id3(3, loudness + plain)))).tags.description);
  EXPECT_EQ(" 000001A3 00000167", ReadBytes(Wave(Chunk("id3 ", Id3(3, loudness)))).tags.description);
}

TEST(WavTags, CoverArtAndFramesThatCannotBeReadAreSkippedByTheirHeaders) {
  const std::string cover = Frame(4, "APIC", std::string(3 * 1024 * 1024, '\xFF'));
  const std::string frames = cover + Frame(4, "TIT2", Text(3, "compressed"), '\x08') +
                             Frame(4, "TIT2", Text(3, "encrypted"), '\x04') + Frame(4, "TPE1", "") +  // size 0
                             Frame(4, "TIT2", Text(3, "Song"));
  const Read r = ReadBytes(Wave(kFmt + Data(4) + Chunk("id3 ", Id3(4, frames))));
  ExpectTags(r, "Song", "", "", "");
  EXPECT_LT(r.bytesRead, 16u * 1024);  // headers and the one title frame, not the picture

  // A v2.3 frame flagged compressed or encrypted, and an ID3v2.2 tag, give nothing.
  EXPECT_TRUE(ReadBytes(Wave(Chunk("id3 ", Id3(3, Frame(3, "TIT2", Text(0, "x"), '\x80'))))).tags.Empty());
  EXPECT_TRUE(ReadBytes(Wave(Chunk("id3 ", Id3(3, Frame(3, "TIT2", Text(0, "x"), '\x40'))))).tags.Empty());
  EXPECT_TRUE(ReadBytes(Wave(Chunk("id3 ", Id3(2, std::string("TT2\0\0\x02\0x", 8))))).tags.Empty());
}

TEST(WavTags, BadInputNeverOverrunsAndFilesThatAreNoWaveAreUnreadable) {
  const std::string good = Wave(kFmt + Info({{"INAM", "ok"}}));
  EXPECT_FALSE(ReadBytes("").ok);
  EXPECT_FALSE(ReadBytes(good.substr(0, 11)).ok);
  EXPECT_FALSE(ReadBytes("RIFX" + good.substr(4)).ok);
  EXPECT_FALSE(ReadBytes(std::string("RIFF\0\0\0\0AVI ", 12)).ok);

  // The RIFF size bounds the walk; a chunk or sub-chunk size past the end stops it.
  std::string shortRiff = good;
  shortRiff.replace(4, 4, Le32(4 + static_cast<uint32_t>(kFmt.size())));
  ExpectTags(ReadBytes(shortRiff), "", "", "", "");
  ExpectTags(ReadBytes(good.substr(0, good.size() - 1)), "o", "", "", "");  // the text cut by the file's end
  ExpectTags(ReadBytes(Wave(kFmt + "data" + Le32(0xFFFFFFFF) + "audio" + Info({{"INAM", "after"}}))), "", "", "", "");
  ExpectTags(ReadBytes(Wave("LIST" + Le32(0xFFFFFFFF) + "INFO" + "INAM" + Le32(0xFFFFFFF0) + "big")), "big", "", "",
             "");
  ExpectTags(ReadBytes(Wave("LIST" + Le32(2) + "IN")), "", "", "", "");

  // An ID3 size over the chunk, and frame sizes past the tag, read only what is inside.
  std::string id3 = Id3(4, Frame(4, "TIT2", Text(3, "in")) + "TPE1" + Syncsafe(0x0FFFFFFF) + std::string("\0\0x", 3));
  id3.replace(6, 4, Syncsafe(0x0FFFFFFF));
  ExpectTags(ReadBytes(Wave(Chunk("id3 ", id3) + Info({{"IART", "info"}}))), "in", "info", "", "");

  // However large the chunks, at most 1 MiB of tag text is read.
  const std::string huge(3 * 1024 * 1024, 'h');
  const Read big = ReadBytes(Wave(Info({{"INAM", huge}, {"IART", huge}, {"ICOP", huge}, {"ICMT", huge}}) +
                                  Chunk("id3 ", Id3(3, Frame(3, "TIT2", Text(0, huge)), '\x80'))));
  ASSERT_TRUE(big.ok);
  EXPECT_EQ(std::string(255, 'h'), big.tags.description);
  EXPECT_LE(big.bytesRead, kMaxTagContentBytes + kMaxTagHeaderBytes);

  // Thousands of empty chunks: the walk stops at its header budget.
  std::string many;
  for (int i = 0; i < 20000; ++i) many += Chunk("junk", "");
  const Read walked = ReadBytes(Wave(many + Info({{"INAM", "late"}})));
  EXPECT_TRUE(walked.ok);
  EXPECT_LE(walked.bytesRead, kMaxTagHeaderBytes);
}

TEST(WavTags, ASparseFileIsReadWithoutItsAudio) {
  // Tags behind 10 MiB of audio that the disk does not hold.
  ScratchFolder folder;
  const std::string path = folder / "sparse.wav";
  const uint32_t audio = 10 * 1024 * 1024;
  const std::string tags = Info({{"INAM", "Far"}, {"ICMT", std::string(5000, 'c')}}) +
                           Chunk("id3 ", Id3(3, Frame(3, "APIC", std::string(100000, 'p')) +
                                                    Frame(3, "TPE1", Text(0, "Near")), '\0'));
  {
    std::ofstream out(path, std::ios::binary);
    const std::string head = "RIFF" + Le32(4 + static_cast<uint32_t>(kFmt.size()) + 8 + audio +
                                           static_cast<uint32_t>(tags.size())) +
                             "WAVE" + kFmt + "data" + Le32(audio);
    out.write(head.data(), static_cast<std::streamsize>(head.size()));
    out.seekp(static_cast<std::streamoff>(head.size() + audio));
    out.write(tags.data(), static_cast<std::streamsize>(tags.size()));
  }
  std::unique_ptr<ByteSource> source = OpenSharedSource(path);
  ASSERT_TRUE(source);
  EXPECT_EQ(44u + audio + tags.size(), source->Size());
  WavTags read;
  ASSERT_TRUE(ReadWavTags(*source, &read));
  EXPECT_EQ("Far", read.title);
  EXPECT_EQ("Near", read.author);
  // Below 64 KiB plus the tag texts (the INFO texts and the author frame), the picture unread.
  EXPECT_LT(source->BytesRead(), 64u * 1024 + 3 + 5000 + 5);

  EXPECT_FALSE(OpenSharedSource(folder / "missing.wav"));
  EXPECT_FALSE(OpenSharedSource(folder.Path()));
}

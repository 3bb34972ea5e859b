#include "core/TagReading.h"

#include <gtest/gtest.h>

#include <map>

#include "core/WavTags.h"

namespace {

std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string Sub(const std::string& id, const std::string& text) {
  return id + Le32(static_cast<uint32_t>(text.size())) + text + (text.size() % 2 ? std::string(1, '\0') : "");
}
// A WAV file holding only a LIST/INFO chunk with the given sub-chunks.
std::string WaveWithInfo(const std::string& subChunks) {
  const std::string list = "LIST" + Le32(static_cast<uint32_t>(4 + subChunks.size())) + "INFO" + subChunks;
  return "RIFF" + Le32(static_cast<uint32_t>(4 + list.size())) + "WAVE" + list;
}

// Opens files from a map instead of the disk; a path it lacks cannot be opened.
SourceOpener Files(const std::map<std::string, std::string>& files) {
  return [files](const std::string& path) -> std::unique_ptr<ByteSource> {
    const auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::make_unique<MemoryByteSource>(it->second);
  };
}

}  // namespace

TEST(TagReading, FillsTheSelectedRowsCellsThatTheFileHasAndReports) {
  TrackList list;
  for (const char* path : {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"}) list.AddTrack(path);
  for (int row = 0; row < 5; ++row) {
    for (int column = kColumnTitle; column < kTrackColumnCount; ++column) list.SetItemText(row, column, "typed");
  }
  const std::string tagged = WaveWithInfo(Sub("INAM", "Song") + Sub("ICMT", "Note"));
  const auto files = Files({{"a.wav", tagged},
                            {"b.wav", tagged},                           // not selected
                            {"c.wav", WaveWithInfo(Sub("ISFT", "x"))},   // no tag of the four
                            {"d.wav", "not a wave file"}});              // e.wav is missing
  for (int row : {0, 2, 3, 4}) list.SetSelected(row, true);

  const TagReadingResult result = ReadTagsOfSelectedTracks(list, files);
  EXPECT_EQ(4, result.selected);
  EXPECT_EQ(1, result.tagged);
  EXPECT_EQ((std::vector<std::string>{"d.wav", "e.wav"}), result.unreadable);

  const std::vector<std::string> filled = {"a.wav", "100", "Song", "typed", "typed", "Note", "typed"};
  for (int column = 0; column < kTrackColumnCount; ++column) EXPECT_EQ(filled[column], list.GetItemText(0, column));
  for (int row = 1; row < 5; ++row) {
    for (int column = kColumnTitle; column < kTrackColumnCount; ++column) EXPECT_EQ("typed", list.GetItemText(row, column));
  }
  EXPECT_EQ("4曲中 1曲のタグを読み込みました。\n読み込めなかったファイル：\nd.wav\ne.wav", TagReadingMessage(result));
}

TEST(TagReading, MessageListsAtMostTwentyUnreadableFiles) {
  TagReadingResult result;
  result.selected = 30;
  EXPECT_EQ("30曲中 0曲のタグを読み込みました。", TagReadingMessage(result));
  std::string expected = "30曲中 0曲のタグを読み込みました。\n読み込めなかったファイル：";
  for (int i = 0; i < 25; ++i) result.unreadable.push_back("C:\\" + std::to_string(i) + ".wav");
  for (int i = 0; i < 20; ++i) expected += "\nC:\\" + std::to_string(i) + ".wav";
  EXPECT_EQ(expected + "\nほか 5件", TagReadingMessage(result));

  TrackList none;
  none.AddTrack("a.wav");
  EXPECT_EQ(0, ReadTagsOfSelectedTracks(none, Files({})).selected);  // no selection: nothing opened
}

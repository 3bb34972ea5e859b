#include "platform/LineWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Files.h"

namespace {

// Keeps every write apart; refuses the write numbered `failAt` (from 1) and after.
class RecordingFile : public OutputFile {
public:
  std::vector<std::string> writes;
  size_t failAt = 0;
  bool Write(const char* data, size_t size) override {
    if (failAt != 0 && writes.size() + 1 >= failAt) return false;
    writes.emplace_back(data, size);
    return true;
  }
  bool Close() override { return true; }
  const std::string& FullPath() const override { return path_; }

private:
  std::string path_;
};

}  // namespace

TEST(LineWriter, LinesEndInCrLfAndGoOutInChunks) {
  RecordingFile file;
  LineWriter writer(file);
  writer.PutLines("a\nb\n");
  writer.Pending() += std::string("c") + kLineEnd;
  EXPECT_TRUE(file.writes.empty());  // nothing written before a chunk has gathered
  writer.PutLines(std::string(LineWriter::kChunk, 'x'));
  ASSERT_EQ(file.writes.size(), 1u);
  EXPECT_EQ(file.writes[0].substr(0, 9), "a\r\nb\r\nc\r\n");
  writer.Pending() += "tail\r";  // a CR of the text itself stays as it is
  EXPECT_TRUE(writer.Finish());
  EXPECT_EQ(file.writes, (std::vector<std::string>{file.writes[0], "tail\r"}));
}

TEST(LineWriter, NothingIsWrittenAfterAFailedWrite) {
  RecordingFile file;
  file.failAt = 1;
  LineWriter writer(file);
  writer.PutLines(std::string(LineWriter::kChunk, 'x'));
  EXPECT_FALSE(writer.ok());
  file.failAt = 0;  // the file would take more now; the writer no longer tries
  writer.PutLines("more\n");
  EXPECT_FALSE(writer.Finish());
  EXPECT_TRUE(file.writes.empty());
}

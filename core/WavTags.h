// The tags a WAV file carries itself: a RIFF LIST/INFO chunk, an ID3v2.3 or v2.4 tag in
// an "id3 " or "ID3 " chunk, or both. The reader walks the chunk headers of the RIFF
// file and reads only the tag chunks' pieces it needs, never the audio, so a file of any
// size costs a few small reads.
//
// Each field comes from the ID3 tag when it has it, else from the INFO chunk. Every text
// is turned into code page 932 for display (best fit, "?" where nothing fits), control
// bytes become spaces, trailing spaces are trimmed, and it is cut to at most
// kMaxTagTextBytes bytes without splitting a double-byte character.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Files.h"

// The longest text a tag cell takes (the track dialog's limit).
constexpr size_t kMaxTagTextBytes = 255;
// At most this many bytes of tag contents are read from one file, however large its
// chunks; the reads that find the chunk and frame headers have a budget of their own.
constexpr uint64_t kMaxTagContentBytes = 1024 * 1024;
constexpr uint64_t kMaxTagHeaderBytes = 56 * 1024;

// The four tags a track row shows; an empty text means the file has no such tag.
struct WavTags {
  std::string title;
  std::string author;
  std::string copyright;
  std::string description;

  bool Empty() const { return title.empty() && author.empty() && copyright.empty() && description.empty(); }
};

// Reads the tags of the RIFF/WAVE file in `source`. False when it is no RIFF/WAVE file
// (a truncated header included) or a read fails; `*tags` is then empty.
bool ReadWavTags(ByteSource& source, WavTags* tags);

// Bytes held in memory, read like a file (tests, fuzzing, an ID3 tag decoded whole).
class MemoryByteSource : public ByteSource {
public:
  explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }

private:
  bool DoReadAt(uint64_t offset, char* buffer, size_t size, size_t* got) override;
  std::string bytes_;
};

// How INFO text, which declares no encoding, is read: valid UTF-8 holding a multi-byte
// sequence as UTF-8, else valid code page 932, else Latin-1. Returns the display text
// (converted, cleaned and cut as above).
std::string InfoTextToDisplay(const std::string& bytes);

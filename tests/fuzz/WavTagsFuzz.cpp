// libFuzzer target: the WAV tag reader takes any bytes. An odd first byte puts a valid
// RIFF/WAVE header before the rest, so the chunk walk is reached at once. Every text it
// returns must fit a tag cell, and reading stays within its byte budgets.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/WavTags.h"
#include "platform/Text.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// At most 255 bytes, whole double-byte characters, no control byte, no trailing space.
void CheckCell(const std::string& s) {
  Check(s.size() <= kMaxTagTextBytes);
  Check(s.empty() || s.back() != ' ');
  size_t i = 0;
  while (i < s.size()) {
    const size_t length = static_cast<size_t>(text::CharLength(s, i));
    if (length == 1) {
      const unsigned char b = static_cast<unsigned char>(s[i]);
      Check(b >= 0x20 && b != 0x7F);
    }
    i += length;
  }
  Check(i == s.size());
}

std::string Le32(size_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size > 0 && (data[0] & 1)) bytes = "RIFF" + Le32(size + 3) + "WAVE" + bytes.substr(1);

  MemoryByteSource source(bytes);
  WavTags tags;
  const bool ok = ReadWavTags(source, &tags);
  Check(ok || tags.Empty());
  for (const std::string* cell : {&tags.title, &tags.author, &tags.copyright, &tags.description}) CheckCell(*cell);
  Check(source.BytesRead() <= kMaxTagContentBytes + kMaxTagHeaderBytes);

  // The same bytes give the same tags again.
  MemoryByteSource again(bytes);
  WavTags second;
  Check(ReadWavTags(again, &second) == ok && second.title == tags.title && second.author == tags.author &&
        second.copyright == tags.copyright && second.description == tags.description);

  CheckCell(InfoTextToDisplay(std::string(reinterpret_cast<const char*>(data), size)));
  return 0;
}

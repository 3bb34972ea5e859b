// Bytes of WAV files and their tags, built piece by piece: RIFF chunks, the INFO list,
// ID3v2 tags and their frames, UTF-16 text. Shared by the tag reader's tests and its
// benchmark. Header-only so tests and benchmarks can include it.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace wavbytes {

inline std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
inline std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
inline std::string Syncsafe(uint32_t v) {
  return {static_cast<char>((v >> 21) & 0x7F), static_cast<char>((v >> 14) & 0x7F), static_cast<char>((v >> 7) & 0x7F),
          static_cast<char>(v & 0x7F)};
}

// A RIFF chunk with its odd-size pad byte.
inline std::string Chunk(const std::string& id, const std::string& body) {
  return id + Le32(static_cast<uint32_t>(body.size())) + body + (body.size() % 2 ? std::string(1, '\0') : "");
}
inline std::string Wave(const std::string& chunks) {
  return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}
inline const std::string kFmt = Chunk("fmt ", std::string("\x01\x00\x02\x00\x44\xAC\x00\x00\x10\xB1\x02\x00\x04\x00\x10\x00", 16));
inline std::string Data(size_t bytes) { return Chunk("data", std::string(bytes, '\x11')); }

inline std::string Info(const std::vector<std::pair<std::string, std::string>>& items) {
  std::string body = "INFO";
  for (const auto& item : items) body += Chunk(item.first, item.second);
  return Chunk("LIST", body);
}

// ID3v2 frames: text frames carry an encoding byte, COMM a language and a description.
inline std::string Frame(int version, const std::string& id, const std::string& data, char format = 0) {
  const auto size = static_cast<uint32_t>(data.size());
  return id + (version == 4 ? Syncsafe(size) : Be32(size)) + '\0' + format + data;
}
inline std::string Text(char encoding, const std::string& bytes) { return encoding + bytes; }
inline std::string Comm(char encoding, const std::string& description, const std::string& text) {
  const std::string nul = encoding == 1 || encoding == 2 ? std::string(2, '\0') : std::string(1, '\0');
  return encoding + std::string("eng") + description + nul + text;
}
inline std::string Id3(int version, const std::string& frames, char flags = 0) {
  return "ID3" + std::string{static_cast<char>(version), '\0', flags} + Syncsafe(static_cast<uint32_t>(frames.size())) +
         frames;
}
// ID3 unsynchronisation: a zero after every FF.
inline std::string Unsynchronise(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    out += c;
    if (c == '\xFF') out += '\0';
  }
  return out;
}
inline std::string Utf16Le(const std::u16string& s, bool bom = true) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char16_t c : s) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}
inline std::string Utf16Be(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  return out;
}

}  // namespace wavbytes

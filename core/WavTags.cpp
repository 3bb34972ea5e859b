#include "core/WavTags.h"

#include <algorithm>
#include <cstring>

#include "platform/Text.h"
#include "platform/TextConversion.h"

namespace {

// One field's bytes are read up to this size; a longer tag is cut to 255 bytes anyway.
constexpr size_t kMaxFieldBytes = 64 * 1024;

enum Field { kTitle, kAuthor, kCopyright, kDescription, kFieldCount };

// Display texts by field, empty where the source had none.
struct Fields {
  std::string text[kFieldCount];
  // Sets a field the first time a non-empty text arrives for it.
  void Offer(int field, std::string value) {
    if (text[field].empty()) text[field] = std::move(value);
  }
};

uint32_t Le32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24);
}
uint32_t Be32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return (static_cast<uint32_t>(u[0]) << 24) | (u[1] << 16) | (u[2] << 8) | u[3];
}
// Four bytes of seven bits each, most significant first.
uint32_t Syncsafe(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return ((u[0] & 0x7Fu) << 21) | ((u[1] & 0x7Fu) << 14) | ((u[2] & 0x7Fu) << 7) | (u[3] & 0x7Fu);
}

// Undoes ID3 unsynchronisation: every FF 00 is FF.
std::string Resynchronise(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == '\0') ++i;
  }
  return out;
}

// --- Text ---

// Structurally valid code page 932: single bytes 00-7F and A1-DF, lead bytes followed
// by a trail byte.
bool IsValidCp932(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
    if (!text::IsLeadByte(b) || i + 1 >= s.size() || !text::IsTrailByte(static_cast<unsigned char>(s[i + 1])))
      return false;
    ++i;
  }
  return true;
}

// Code page 932 for display, control bytes as spaces, cut to the cell's limit on a
// character boundary, trailing spaces trimmed (a terminating NUL is one of them).
std::string ToDisplay(const std::u16string& wide) {
  // ASCII is the same bytes in code page 932: most tags need no conversion.
  const bool ascii = std::all_of(wide.begin(), wide.end(), [](char16_t c) { return c < 0x80; });
  std::string s = ascii ? std::string(wide.begin(), wide.end()) : textconv::ToCp932Display(wide);
  size_t kept = 0;
  for (size_t i = 0; i < s.size();) {
    const size_t length = static_cast<size_t>(text::CharLength(s, i));
    if (i + length > kMaxTagTextBytes) break;
    if (length == 1) {
      const unsigned char b = static_cast<unsigned char>(s[i]);
      if (b < 0x20 || b == 0x7F) s[i] = ' ';
    }
    i += length;
    kept = i;
  }
  s.resize(kept);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// ID3 text encodings: 0 Latin-1, 1 UTF-16 with byte-order mark, 2 UTF-16BE, 3 UTF-8.
// Splits the first string (up to its terminator) off `*data` and decodes it; false for
// an encoding ID3 does not define.
bool TakeId3String(int encoding, std::string* data, std::u16string* out) {
  const bool wide = encoding == 1 || encoding == 2;
  size_t end = data->size();
  size_t next = end;
  if (wide) {
    for (size_t i = 0; i + 1 < data->size(); i += 2) {
      if ((*data)[i] == '\0' && (*data)[i + 1] == '\0') {
        end = i;
        next = i + 2;
        break;
      }
    }
  } else {
    const size_t nul = data->find('\0');
    if (nul != std::string::npos) end = nul, next = nul + 1;
  }
  std::string bytes = data->substr(0, end);
  data->erase(0, next);
  switch (encoding) {
    case 0: *out = textconv::DecodeLatin1(bytes); break;
    case 1: {
      const bool bigEndian = bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF';
      *out = textconv::DecodeUtf16(bytes, bigEndian);
      break;
    }
    case 2: *out = textconv::DecodeUtf16(bytes, true); break;
    case 3: textconv::DecodeUtf8(bytes, out); break;
    default: return false;
  }
  if (!out->empty() && out->front() == u'\uFEFF') out->erase(0, 1);
  return true;
}

// --- Reading ---

// Reads pieces of the file within the two budgets; a read error ends the whole read.
// Headers of the file come from a window read kWindowBytes at a time, so the headers
// that lie together (the start of the file, the tag chunks) cost one read; each window
// read is charged in full to the header budget.
class Reader {
public:
  explicit Reader(ByteSource& file) : file_(file) {}

  bool Failed() const { return failed_; }
  ByteSource& File() { return file_; }

  // Exactly `size` header bytes at `offset` of `source`; false when they are not all
  // there, the header budget is spent or the read fails.
  bool Header(ByteSource& source, uint64_t offset, char* buffer, size_t size) {
    if (failed_) return false;
    if (&source != &file_) {  // a tag decoded in memory
      if (headerBytes_ + size > kMaxTagHeaderBytes) return false;
      headerBytes_ += size;
      return Read(source, offset, buffer, size) == size;
    }
    if (!InWindow(offset, size)) {
      if (headerBytes_ + kWindowBytes > kMaxTagHeaderBytes) return false;
      headerBytes_ += kWindowBytes;
      window_.resize(kWindowBytes);
      window_.resize(Read(file_, offset, &window_[0], kWindowBytes));
      windowStart_ = offset;
      if (!InWindow(offset, size)) return false;
    }
    std::memcpy(buffer, window_.data() + (offset - windowStart_), size);
    return true;
  }

  // Up to `size` content bytes at `offset`, at most what the content budget has left.
  std::string Content(ByteSource& source, uint64_t offset, uint64_t size) {
    size = std::min(size, kMaxTagContentBytes - contentBytes_);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (&source == &file_ && InWindow(offset, bytes.size())) {
      std::memcpy(&bytes[0], window_.data() + (offset - windowStart_), bytes.size());
    } else if (!bytes.empty()) {
      bytes.resize(Read(source, offset, &bytes[0], bytes.size()));
    }
    contentBytes_ += bytes.size();
    return bytes;
  }

private:
  static constexpr size_t kWindowBytes = 2048;

  bool InWindow(uint64_t offset, size_t size) const {
    return offset >= windowStart_ && offset - windowStart_ + size <= window_.size();
  }
  // The bytes read; 0 after a read error, which ends the whole read.
  size_t Read(ByteSource& source, uint64_t offset, char* buffer, size_t size) {
    size_t got = 0;
    if (failed_ || !source.ReadAt(offset, buffer, size, &got)) failed_ = true;
    return failed_ ? 0 : got;
  }

  ByteSource& file_;
  std::string window_;
  uint64_t windowStart_ = 0;
  uint64_t headerBytes_ = 0;
  uint64_t contentBytes_ = 0;
  bool failed_ = false;
};

// The sub-chunks of a LIST/INFO chunk whose contents lie in [begin, end).
void ReadInfo(Reader& reader, uint64_t begin, uint64_t end, Fields* fields) {
  static const char* const kIds[kFieldCount] = {"INAM", "IART", "ICOP", "ICMT"};
  for (uint64_t pos = begin; pos + 8 <= end;) {
    char header[8];
    if (!reader.Header(reader.File(), pos, header, sizeof header)) return;
    const uint64_t size = Le32(header + 4);
    for (int field = 0; field < kFieldCount; ++field) {
      if (std::memcmp(header, kIds[field], 4) != 0 || !fields->text[field].empty()) continue;
      const uint64_t length = std::min<uint64_t>(std::min<uint64_t>(size, end - (pos + 8)), kMaxFieldBytes);
      fields->Offer(field, InfoTextToDisplay(reader.Content(reader.File(), pos + 8, length)));
    }
    pos += 8 + size + (size & 1);
  }
}

struct Comments {
  bool haveFirst = false, haveUntitled = false;
  std::string first, untitled;  // the first COMM's text; the first with an empty short description
};

// One text frame's or COMM frame's contents.
void ReadId3Frame(const char* id, std::string data, Fields* fields, Comments* comments) {
  if (data.empty()) return;
  const int encoding = static_cast<unsigned char>(data[0]);
  data.erase(0, 1);
  std::u16string value;
  if (std::memcmp(id, "COMM", 4) == 0) {
    if (data.size() < 3) return;
    data.erase(0, 3);  // language
    std::u16string shortDescription;
    if (!TakeId3String(encoding, &data, &shortDescription) || !TakeId3String(encoding, &data, &value)) return;
    if (!comments->haveFirst) comments->first = ToDisplay(value), comments->haveFirst = true;
    if (shortDescription.empty() && !comments->haveUntitled)
      comments->untitled = ToDisplay(value), comments->haveUntitled = true;
    return;
  }
  static const char* const kIds[] = {"TIT2", "TPE1", "TCOP"};
  for (int field = 0; field < 3; ++field) {
    if (std::memcmp(id, kIds[field], 4) == 0 && TakeId3String(encoding, &data, &value))
      fields->Offer(field, ToDisplay(value));
  }
}

// The frames of an ID3v2 tag body that `source` holds in [begin, end), from the first
// byte after the tag header.
void ReadId3Frames(Reader& reader, ByteSource& source, uint64_t begin, uint64_t end, int version, bool hasExtendedHeader,
                   bool unsynchronisedFrames, Fields* fields) {
  uint64_t pos = begin;
  if (hasExtendedHeader) {
    char size[4];
    if (!reader.Header(source, pos, size, sizeof size)) return;
    // v2.3 gives the size after the size field; v2.4 the whole header's, syncsafe.
    pos += version == 3 ? 4 + uint64_t{Be32(size)} : uint64_t{std::max<uint32_t>(Syncsafe(size), 4)};
  }
  Comments comments;
  while (pos + 10 <= end) {
    char header[10];
    if (!reader.Header(source, pos, header, sizeof header)) break;
    if (header[0] == '\0') break;  // padding
    const uint64_t size = version == 4 ? Syncsafe(header + 4) : Be32(header + 4);
    const uint64_t next = pos + 10 + size;
    if (next > end) break;
    const bool wanted = std::memcmp(header, "TIT2", 4) == 0 || std::memcmp(header, "TPE1", 4) == 0 ||
                        std::memcmp(header, "TCOP", 4) == 0 || std::memcmp(header, "COMM", 4) == 0;
    const unsigned char format = static_cast<unsigned char>(header[9]);
    uint64_t skip = 0;  // bytes the format flags add before the contents
    bool readable = true;
    bool unsynchronised = false;
    if (version == 3) {
      readable = (format & 0xC0) == 0;  // compressed or encrypted
      skip = (format & 0x20) ? 1 : 0;   // group id
    } else {
      readable = (format & 0x0C) == 0;
      skip = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);  // group id, data length
      unsynchronised = unsynchronisedFrames || (format & 0x02) != 0;
    }
    if (wanted && readable && size > skip) {
      std::string data = reader.Content(source, pos + 10 + skip, std::min<uint64_t>(size - skip, kMaxFieldBytes));
      if (reader.Failed()) return;
      ReadId3Frame(header, unsynchronised ? Resynchronise(data) : data, fields, &comments);
    }
    pos = next;
  }
  if (comments.haveUntitled)
    fields->Offer(kDescription, comments.untitled);
  else if (comments.haveFirst)
    fields->Offer(kDescription, comments.first);
}

// An ID3v2 tag at the start of a chunk whose contents lie in [begin, end).
void ReadId3(Reader& reader, uint64_t begin, uint64_t end, Fields* fields) {
  char header[10];
  if (!reader.Header(reader.File(), begin, header, sizeof header) || std::memcmp(header, "ID3", 3) != 0) return;
  const int version = header[3];
  if (version != 3 && version != 4) return;  // v2.2 and older have other frame ids
  const unsigned char flags = static_cast<unsigned char>(header[5]);
  const bool unsynchronised = (flags & 0x80) != 0;
  const bool extended = (flags & 0x40) != 0;
  const uint64_t tagEnd = std::min<uint64_t>(begin + 10 + Syncsafe(header + 6), end);
  if (version == 3 && unsynchronised) {
    // The whole tag is unsynchronised, so its frames lie at other places than in the
    // file: decode it whole (within the content budget) and read the frames from that.
    MemoryByteSource tag(Resynchronise(reader.Content(reader.File(), begin + 10, tagEnd - (begin + 10))));
    if (reader.Failed()) return;
    ReadId3Frames(reader, tag, 0, tag.Size(), version, extended, false, fields);
  } else {
    ReadId3Frames(reader, reader.File(), begin + 10, tagEnd, version, extended, unsynchronised, fields);
  }
}

}  // namespace

bool MemoryByteSource::DoReadAt(uint64_t offset, char* buffer, size_t size, size_t* got) {
  if (offset >= bytes_.size()) return true;
  *got = static_cast<size_t>(std::min<uint64_t>(size, bytes_.size() - offset));
  std::memcpy(buffer, bytes_.data() + offset, *got);
  return true;
}

std::string InfoTextToDisplay(const std::string& bytes) {
  // Valid UTF-8 without a multi-byte sequence is ASCII, which all three read alike.
  std::u16string wide;
  if (textconv::DecodeUtf8(bytes, &wide)) return ToDisplay(wide);
  if (IsValidCp932(bytes)) return ToDisplay(textconv::FromCp932(bytes));
  return ToDisplay(textconv::DecodeLatin1(bytes));
}

bool ReadWavTags(ByteSource& source, WavTags* tags) {
  *tags = WavTags();
  Reader reader(source);
  char header[12];
  if (!reader.Header(source, 0, header, sizeof header) || std::memcmp(header, "RIFF", 4) != 0 ||
      std::memcmp(header + 8, "WAVE", 4) != 0) {
    return false;
  }
  const uint64_t end = std::min<uint64_t>(source.Size(), 8 + uint64_t{Le32(header + 4)});
  Fields info, id3;
  for (uint64_t pos = 12; pos + 8 <= end;) {
    char chunk[8];
    if (!reader.Header(source, pos, chunk, sizeof chunk)) break;
    const uint64_t size = Le32(chunk + 4);
    const uint64_t begin = pos + 8;
    const uint64_t chunkEnd = std::min(begin + size, end);
    if (std::memcmp(chunk, "LIST", 4) == 0 && begin + 4 <= chunkEnd) {
      char type[4];
      if (reader.Header(source, begin, type, sizeof type) && std::memcmp(type, "INFO", 4) == 0)
        ReadInfo(reader, begin + 4, chunkEnd, &info);
    } else if (std::memcmp(chunk, "id3 ", 4) == 0 || std::memcmp(chunk, "ID3 ", 4) == 0) {
      ReadId3(reader, begin, chunkEnd, &id3);
    }
    pos = begin + size + (size & 1);
  }
  if (reader.Failed()) return false;
  for (int field = 0; field < kFieldCount; ++field) id3.Offer(field, info.text[field]);
  tags->title = id3.text[kTitle];
  tags->author = id3.text[kAuthor];
  tags->copyright = id3.text[kCopyright];
  tags->description = id3.text[kDescription];
  return true;
}

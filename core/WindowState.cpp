#include "core/WindowState.h"

#include <cstdint>
#include <limits>

#include "core/Texts.h"
#include "platform/Files.h"

namespace {

constexpr int32_t kVersion = 100;
constexpr size_t kFields = 3 + kTrackColumnCount;  // version, width, height, columns
constexpr size_t kFileSize = kFields * 4;

int32_t GetInt32(const unsigned char* p) {
  const uint32_t u = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  return static_cast<int32_t>(u);
}

void PutInt32(int32_t value, unsigned char* p) {
  const uint32_t u = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
}

// Reads until `size` bytes are in or the file ends (or fails); returns the bytes read.
size_t ReadUpTo(InputFile& file, unsigned char* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    size_t got = 0;
    if (!file.Read(reinterpret_cast<char*>(buffer) + total, size - total, &got) || got == 0) break;
    total += got;
  }
  return total;
}

}  // namespace

WindowState::WindowState() : width(600), height(400) {
  for (int i = 0; i < kTrackColumnCount; ++i) columnWidths[i] = fixed_texts::kDefaultColumnWidths[i];
}

WindowState LoadWindowState(FileSystem& files, const std::string& directory) {
  WindowState state;
  const auto file = files.OpenForReading(directory + kWindowStateFileName);
  if (!file) return state;
  unsigned char bytes[kFileSize];
  const size_t got = ReadUpTo(*file, bytes, kFileSize);
  if (got < 4 || GetInt32(bytes) != kVersion) return state;

  // Every field after the version, in file order; one cut short keeps its default.
  int* const fields[kFields - 1] = {&state.width,          &state.height,         &state.columnWidths[0],
                                    &state.columnWidths[1], &state.columnWidths[2], &state.columnWidths[3],
                                    &state.columnWidths[4], &state.columnWidths[5], &state.columnWidths[6]};
  for (size_t i = 0; i + 1 < kFields; ++i) {
    const size_t offset = 4 * (i + 1);
    if (offset + 4 > got) break;
    *fields[i] = GetInt32(bytes + offset);
  }
  return state;
}

void SaveWindowState(FileSystem& files, const std::string& directory, const WindowState& state) {
  unsigned char bytes[kFileSize];
  PutInt32(kVersion, bytes);
  PutInt32(state.width, bytes + 4);
  PutInt32(state.height, bytes + 8);
  for (int i = 0; i < kTrackColumnCount; ++i) PutInt32(state.columnWidths[i], bytes + 12 + 4 * i);

  const auto file = files.CreateForWriting(directory + kWindowStateFileName, FileSystem::Create::kTruncate);
  if (!file) return;  // a read-only program folder, say: nothing is reported
  if (file->Write(reinterpret_cast<const char*>(bytes), kFileSize)) file->Close();
}

int ScaleSize(int value, int numerator, int denominator) {
  if (denominator <= 0) return value;
  // In 64 bits the product of two ints cannot overflow; the quotient is rounded on its
  // magnitude so that halves go away from zero on both sides.
  const int64_t product = int64_t{value} * numerator;
  const uint64_t magnitude = product < 0 ? uint64_t(0) - uint64_t(product) : uint64_t(product);
  const uint64_t d = uint64_t(denominator);
  uint64_t quotient = magnitude / d;
  if (2 * (magnitude % d) >= d) ++quotient;
  const int64_t rounded = product < 0 ? -int64_t(quotient) : int64_t(quotient);
  if (rounded > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (rounded < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(rounded);
}

namespace {

WindowState Scaled(const WindowState& state, int numerator, int denominator) {
  WindowState scaled;
  scaled.width = ScaleSize(state.width, numerator, denominator);
  scaled.height = ScaleSize(state.height, numerator, denominator);
  for (int i = 0; i < kTrackColumnCount; ++i) {
    scaled.columnWidths[i] = ScaleSize(state.columnWidths[i], numerator, denominator);
  }
  return scaled;
}

}  // namespace

WindowState StateInPixels(const WindowState& fileUnits, int dpi) {
  return Scaled(fileUnits, dpi, kWindowStateFileDpi);
}

WindowState StateInFileUnits(const WindowState& pixels, int dpi) {
  return Scaled(pixels, kWindowStateFileDpi, dpi);
}

WindowState LoadWindowState(const std::string& directory) { return LoadWindowState(PlatformFileSystem(), directory); }

void SaveWindowState(const std::string& directory, const WindowState& state) {
  SaveWindowState(PlatformFileSystem(), directory, state);
}

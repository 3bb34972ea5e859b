#include "tests/win32/support/Png.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace wintest {
namespace {

// The CRC-32 that closes each PNG chunk, bit by bit: the pictures are small.
uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace

// The image data is zlib with stored (uncompressed) deflate blocks, so no compressor is
// needed; the files are larger, which does not matter for a test's pictures.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
  std::vector<unsigned char> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), rgb.begin() + static_cast<long>(y) * width * 3,
               rgb.begin() + static_cast<long>(y + 1) * width * 3);
  }
  std::vector<unsigned char> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t pos = 0; pos < raw.size() || pos == 0;) {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    z.push_back(n & 0xFF);
    z.push_back(n >> 8);
    z.push_back(~n & 0xFF);
    z.push_back((~n >> 8) & 0xFF);
    z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
    pos += n;
    if (n == 0) break;
  }
  const uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) z.push_back((adler >> s) & 0xFF);

  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::fwrite(signature, 1, 8, f);
  const auto chunk = [f](const char* type, const std::vector<unsigned char>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    const unsigned char length[4] = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
                                     static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    std::fwrite(length, 1, 4, f);
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    std::fwrite(body.data(), 1, body.size(), f);
    const uint32_t crc = Crc32(body.data(), body.size());
    const unsigned char c[4] = {static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
                                static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
    std::fwrite(c, 1, 4, f);
  };
  std::vector<unsigned char> header(13, 0);
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<unsigned char>(width >> (24 - 8 * i));
    header[4 + i] = static_cast<unsigned char>(height >> (24 - 8 * i));
  }
  header[8] = 8;  // bit depth
  header[9] = 2;  // RGB
  chunk("IHDR", header);
  chunk("IDAT", z);
  chunk("IEND", {});
  return std::fclose(f) == 0;
}

}  // namespace wintest

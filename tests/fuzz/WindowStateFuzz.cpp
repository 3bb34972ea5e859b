// libFuzzer target: the window-state loader takes any file. The input is written as
// Brumlet.cfg in a private folder and loaded; the values must be the defaults or the
// input's own fields, and saving them must give a file that loads to the same values.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/WindowState.h"

namespace {

std::string Folder() {
  static const std::string folder = [] {
    char name[] = "/tmp/brumlet-fuzz-XXXXXX";
    if (mkdtemp(name) == nullptr) std::abort();
    return std::string(name) + "/";
  }();
  return folder;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

int32_t Field(const uint8_t* data, size_t i) {
  const uint8_t* p = data + 4 * i;
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Folder() + kWindowStateFileName;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  const WindowState loaded = LoadWindowState(Folder());
  const WindowState defaults;
  const bool current = size >= 4 && Field(data, 0) == 100;
  const int* got[9] = {&loaded.width, &loaded.height};
  const int* want[9] = {&defaults.width, &defaults.height};
  for (int i = 0; i < 7; ++i) {
    got[2 + i] = &loaded.columnWidths[i];
    want[2 + i] = &defaults.columnWidths[i];
  }
  for (size_t i = 0; i < 9; ++i) {
    const bool whole = current && 4 * (i + 2) <= size;
    Check(*got[i] == (whole ? Field(data, i + 1) : *want[i]));
  }

  SaveWindowState(Folder(), loaded);
  const WindowState again = LoadWindowState(Folder());
  Check(std::memcmp(&again, &loaded, sizeof loaded) == 0);
  return 0;
}

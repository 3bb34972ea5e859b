#include "tests/ScratchFolder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

// Tries random names until one is free, so tests running side by side (and folders a
// crashed run left behind) never share a folder.
ScratchFolder::ScratchFolder() {
  std::random_device seed;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    folder_ = base / ("brumlet-test-" + std::to_string(seed()));
    if (std::filesystem::create_directory(folder_)) break;
  }
  path_ = folder_.string();
  path_ += static_cast<char>(std::filesystem::path::preferred_separator);
}

// Removes the folder with whatever the test made in it, subfolders included. A file
// dialog that was shown a folder in here leaves it the process's current folder, as the
// system's dialogs do, and Windows removes no folder that is a process's current one: the
// current folder moves out first. A failure is ignored: a destructor must not throw, and
// a leftover folder harms no later test.
ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  const std::filesystem::path current = std::filesystem::current_path(ignored);
  const auto inside = std::mismatch(folder_.begin(), folder_.end(), current.begin(), current.end());
  if (!ignored && inside.first == folder_.end()) std::filesystem::current_path(folder_.parent_path(), ignored);
  std::filesystem::remove_all(folder_, ignored);
}

std::string ScratchFolder::Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ScratchFolder::Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool ScratchFolder::Exists(const std::string& path) { return std::filesystem::exists(path); }

size_t ScratchFolder::EntryCount() const {
  size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
    (void)entry;
    ++n;
  }
  return n;
}

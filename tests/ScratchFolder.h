// A fresh, empty folder under the system's temporary folder for one test, removed with
// everything in it when the test ends. Path() ends with the separator of the platform.
#pragma once
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class ScratchFolder {
public:
  ScratchFolder() {
    std::random_device seed;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      folder_ = base / ("brumlet-test-" + std::to_string(seed()));
      if (std::filesystem::create_directory(folder_)) break;
    }
    path_ = folder_.string();
    path_ += static_cast<char>(std::filesystem::path::preferred_separator);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  // Whole-file helpers, in binary.
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
  // Names of the entries in the folder, for tests that check nothing was left behind.
  size_t EntryCount() const {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      (void)entry;
      ++n;
    }
    return n;
  }

private:
  std::filesystem::path folder_;
  std::string path_;
};

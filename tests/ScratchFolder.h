// A fresh, empty folder under the system's temporary folder for one test, removed with
// everything in it when the test ends; for the portable tests and the window tests alike.
#pragma once
#include <cstddef>
#include <filesystem>
#include <string>

class ScratchFolder {
public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's path, ending with the separator of the platform.
  const std::string& Path() const { return path_; }
  // The path of `name` in the folder.
  std::string operator/(const std::string& name) const { return path_ + name; }

  // Whole-file helpers, in binary.
  static std::string Read(const std::string& path);
  static void Write(const std::string& path, const std::string& bytes);
  static bool Exists(const std::string& path);
  // Number of entries in the folder, for tests that check nothing was left behind.
  size_t EntryCount() const;

private:
  std::filesystem::path folder_;
  std::string path_;
};

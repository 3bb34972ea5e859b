// Fakes for writing the encoding script, shared by its tests and its benchmark: a file
// system whose sources exist when listed (or all of them), and an output file kept in
// memory (or only counted). Header-only so tests and benchmarks can include it.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/PathNames.h"

// Sources that "exist" are listed by path; the full path is the path itself unless
// `fullPaths` gives another.
class FakeSources : public FileSystem {
public:
  std::set<std::string> existing;
  std::map<std::string, std::string> fullPaths;
  std::vector<std::string> opened;  // every path ProbeSource was asked for
  // Every source exists and nothing is recorded, so a timing measures the caller alone.
  bool everySourceExists = false;

  bool ProbeSource(const std::string& path, SourceFileInfo* info) override {
    if (!everySourceExists) {
      opened.push_back(path);
      if (!existing.count(path)) return false;
    }
    const auto full = fullPaths.find(path);
    info->fullPath = full != fullPaths.end() ? full->second : path;
    info->fileName = FileNameOfPath(path);
    return true;
  }
  std::unique_ptr<InputFile> OpenForReading(const std::string&) override { return nullptr; }
  std::unique_ptr<OutputFile> CreateForWriting(const std::string&, Create) override { return nullptr; }
  bool Replace(const std::string&, const std::string&) override { return false; }
  bool Remove(const std::string&) override { return false; }
  bool Exists(const std::string& path) override { return everySourceExists || existing.count(path) != 0; }
  // A folder made exists from then on; one in `unmakeable` cannot be made. Existing
  // paths listed in `folders` are folders.
  std::set<std::string> unmakeable, folders;
  std::vector<std::string> madeFolders;
  bool CreateFolder(const std::string& path) override {
    if (unmakeable.count(path) || existing.count(path)) return false;
    madeFolders.push_back(path);
    existing.insert(path);
    return true;
  }
  bool IsFolder(const std::string& path) override { return existing.count(path) && folders.count(path); }
};

// Keeps what is written (or, with `keep` off, only counts it); refuses writes once
// `capacity` bytes would be passed.
class MemoryFile : public OutputFile {
public:
  explicit MemoryFile(std::string path = "C:\\TEMP\\te4w45iti4r2mp.bat") : path_(std::move(path)) {}

  std::string data;
  size_t bytes = 0;  // bytes written, kept or not
  size_t capacity = static_cast<size_t>(-1);
  bool keep = true;

  bool Write(const char* p, size_t n) override {
    if (bytes + n > capacity) return false;
    bytes += n;
    if (keep) data.append(p, n);
    return true;
  }
  bool Close() override { return true; }
  const std::string& FullPath() const override { return path_; }

private:
  std::string path_;
};

// A made-up tree of folders for the walk of dropped folders, with the attributes a real
// file system may not keep (hidden, system, reparse points) and short paths where a test
// gives them. Header-only, shared by the tests and the benchmark.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/Folders.h"

class FakeFolders : public Folders {
public:
  // Short paths the "system" knows, by long path.
  std::map<std::u16string, std::u16string> shortPaths;
  // Every folder read, in order.
  std::vector<std::u16string> listed;
  bool record = true;

  // Adds a file, or a folder when `kind.folder`, with the attributes of `kind` (its name
  // is taken from `path`); the folders above it are made as plain folders.
  void Add(const std::u16string& path, FolderEntry kind = {}) {
    const size_t slash = path.rfind(u'\\');
    if (slash == std::u16string::npos) {  // a drive ("D:")
      folders_[path];
      return;
    }
    const std::u16string parent = path.substr(0, slash);
    if (!folders_.count(parent)) Add(parent, Folder());
    kind.name = path.substr(slash + 1);
    if (kind.folder) folders_[path];
    std::vector<FolderEntry>& items = folders_[parent];
    for (FolderEntry& item : items) {
      if (item.name == kind.name) {  // made before as a plain folder: now with its attributes
        item = std::move(kind);
        return;
      }
    }
    items.push_back(std::move(kind));
  }
  static FolderEntry Folder() {
    FolderEntry e;
    e.folder = true;
    return e;
  }

  bool IsFolder(const std::u16string& path) override { return folders_.count(Trimmed(path)) != 0; }
  bool List(const std::u16string& path, std::vector<FolderEntry>* entries) override {
    if (record) listed.push_back(Trimmed(path));
    const auto found = folders_.find(Trimmed(path));
    if (found == folders_.end()) return false;
    *entries = found->second;
    return true;
  }
  bool ShortPath(const std::u16string& path, std::u16string* shortPath) override {
    const auto found = shortPaths.find(path);
    if (found == shortPaths.end()) return false;
    *shortPath = found->second;
    return true;
  }

private:
  static std::u16string Trimmed(std::u16string path) {
    if (!path.empty() && path.back() == u'\\') path.pop_back();
    return path;
  }
  std::map<std::u16string, std::vector<FolderEntry>> folders_;  // each folder's items, by its path
};

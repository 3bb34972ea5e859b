// Reading folders: what the walk of a dropped or chosen folder asks of the system, behind
// one interface so that its rules run in the native tests over a made-up tree, with
// attributes that a real file system may not keep (hidden, system, links).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One item of a folder as the system lists it.
struct FolderEntry {
  std::u16string name;
  bool folder = false;
  bool hidden = false;
  bool system = false;
  bool reparsePoint = false;
  uint32_t reparseTag = 0;  // the kind of reparse point; 0 when the system did not say
};

// The bit of a reparse tag that marks a point naming another place: symbolic links,
// junctions and mount points.
constexpr uint32_t kNameSurrogateTag = 0x20000000u;

class Folders {
public:
  virtual ~Folders() = default;
  // Whether `path` names an existing folder; false for a file, or an item that does not
  // exist or cannot be asked about.
  virtual bool IsFolder(const std::u16string& path) = 0;
  // The items of folder `path` (with or without its closing backslash), "." and ".."
  // left out, in any order; false when the folder cannot be read.
  virtual bool List(const std::u16string& path, std::vector<FolderEntry>* entries) = 0;
  // The short (8.3) path of an existing item; false when it has none.
  virtual bool ShortPath(const std::u16string& path, std::u16string* shortPath) = 0;
};

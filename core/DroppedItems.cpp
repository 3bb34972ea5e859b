#include "core/DroppedItems.h"

#include <algorithm>
#include <functional>

#include "core/ChosenFiles.h"
#include "core/Texts.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/PathNames.h"
#include "platform/Text.h"
#include "platform/TextConversion.h"

namespace {

// Paths in the order a user reads them: letters without case, ties by the plain units.
bool PathBefore(const std::u16string& a, const std::u16string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = text::FoldAscii(a[i]), y = text::FoldAscii(b[i]);
    if (x != y) return x < y;
  }
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::u16string Join(const std::u16string& folder, const std::u16string& name) {
  const bool closed = !folder.empty() && (folder.back() == u'\\' || folder.back() == u'/');
  return closed ? folder + name : folder + u'\\' + name;
}

// A folder that is a link, a junction or a mount point names another place, maybe one
// above it. A reparse point of unknown kind is taken as one; other kinds (files kept in
// the cloud, deduplicated folders) hold their own items and are entered.
bool NamesAnotherPlace(const FolderEntry& entry) {
  return entry.reparsePoint && (entry.reparseTag == 0 || (entry.reparseTag & kNameSurrogateTag) != 0);
}

class Walk {
public:
  Walk(Folders& folders, DroppedItems* out)
      : folders_(folders), out_(out), shortPath_([&folders](const std::u16string& path, std::u16string* shortPath) {
          return folders.ShortPath(path, shortPath);
        }) {}

  // A file dropped or found: kept when it is a WAV file whose path fits.
  void File(const std::u16string& path) {
    if (!EndsWithWav(path)) return;
    SystemPath file = ToSystemPath(path, shortPath_);
    if (file.Usable() && file.path.size() > kMaxPathBytes) return;  // skipped, never cut short
    out_->wavFiles.push_back(std::move(file));
  }

  // Every folder under `top`, depth first, each folder's items in the order of their
  // names: the order the refused names are listed in does not depend on the disk.
  void Folder(const std::u16string& top) {
    std::vector<std::u16string> pending{top};
    std::vector<FolderEntry> entries;
    while (!pending.empty()) {
      const std::u16string folder = std::move(pending.back());
      pending.pop_back();
      folders_.List(folder, &entries);  // a folder that cannot be read adds what it gave
      std::sort(entries.begin(), entries.end(),
                [](const FolderEntry& a, const FolderEntry& b) { return PathBefore(a.name, b.name); });
      const size_t firstSubfolder = pending.size();
      for (const FolderEntry& entry : entries) {
        if (entry.hidden || entry.system) continue;
        if (entry.folder) {
          if (!NamesAnotherPlace(entry)) pending.push_back(Join(folder, entry.name));
        } else if (EndsWithWav(entry.name)) {
          File(Join(folder, entry.name));
        }
      }
      std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(firstSubfolder), pending.end());
    }
  }

private:
  Folders& folders_;
  DroppedItems* out_;
  ShortPathLookup shortPath_;
};

}  // namespace

DroppedItems FindDroppedItems(const std::vector<std::u16string>& items, Folders& folders) {
  DroppedItems found;
  Walk walk(folders, &found);
  for (const std::u16string& item : items) {
    if (folders.IsFolder(item)) {
      found.folders.push_back(item);
      walk.Folder(item);
    } else if (EndsWithCsv(item)) {
      found.listFiles.push_back(item);
    } else {
      walk.File(item);
    }
  }
  std::stable_sort(found.listFiles.begin(), found.listFiles.end(), PathBefore);
  return found;
}

int AddDroppedFiles(TrackList& tracks, const DroppedItems& dropped, std::string* message) {
  const int added = AddChosenFiles(tracks, dropped.wavFiles, message);
  if (dropped.wavFiles.empty() && !dropped.folders.empty()) {
    *message = fixed_texts::kNoWavInFolders;
    for (const std::u16string& folder : dropped.folders) *message += "\n" + textconv::ToCp932Marked(folder);
  }
  return added;
}

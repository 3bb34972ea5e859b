// The track list: every row to be encoded, its seven text cells, the order of the
// rows, the selection and the PathSet that keeps a file from being listed twice.
// It is the model behind the main window's list view, which only draws it.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

// Column indices of a track's cells.
enum TrackColumn {
  kColumnPath = 0,         // full path of the source WAV file; the row's key
  kColumnQuality = 1,      // "100" for every added track; never used for encoding
  kColumnTitle = 2,
  kColumnAuthor = 3,
  kColumnCopyright = 4,
  kColumnDescription = 5,
  kColumnSavePath = 6,     // output path; empty means derived from the source path
  kTrackColumnCount = 7
};

struct Track {
  std::array<std::string, kTrackColumnCount> cells;
  bool selected = false;
};

// Set of listed paths: exact, case-sensitive keys.
using PathSet = std::unordered_set<std::string>;

// Orders rows by their path: single-byte letters compared without case, double-byte
// characters compared as whole characters, ties broken by the plain bytes.
// Returns <0, 0 or >0 like strcmp.
int CompareTrackPaths(const std::string& a, const std::string& b);

// The title a new row gets from its path: the file name without its extension,
// where the extension starts at the last "." of the file name (not of the folder).
std::string DefaultTitle(const std::string& path);

class TrackList {
public:
  TrackList();
  ~TrackList();
  TrackList(const TrackList&) = delete;
  TrackList& operator=(const TrackList&) = delete;

  // Adds a row for `path` in path order with quality "100" and the default title;
  // returns its index, or -1 (changing nothing) when the path is already listed.
  int AddTrack(const std::string& path);
  // Removes every selected row and its path from the PathSet.
  void RemoveSelectedTracks();

  // The cell's text; the empty text for a row or column that does not exist.
  // The reference stays valid until the list is next changed.
  const std::string& GetItemText(int row, int column) const;
  // Sets a cell; a row or column that does not exist changes nothing. Setting the
  // path cell is refused too: the path is the row's key and decides its place.
  void SetItemText(int row, int column, const std::string& text);

  int GetTrackCount() const { return count_; }
  int GetSelectedTrackCount() const { return selectedCount_; }
  // The selected row with the lowest index, or -1.
  int GetFirstSelectedTrack() const;
  // The selected row with the lowest index above `row`, or -1.
  int GetNextSelectedTrack(int row) const;
  bool IsListed(const std::string& path) const { return paths_.count(path) != 0; }

  // Selection, as the view mirrors the user's choice into the model.
  bool IsSelected(int row) const;
  void SetSelected(int row, bool selected);
  void SetAllSelected(bool selected);
  // Selects rows first..last (inclusive, clamped) and leaves the others as they are.
  void SetRangeSelected(int first, int last, bool selected);

private:
  // Rows are kept in blocks of at most kBlockSize, each block sorted and every row of
  // a block ordered before the rows of the next. Inserting moves at most one block's
  // pointers, so adding stays fast however long the list grows.
  struct Block {
    std::vector<std::unique_ptr<Track>> rows;
    int selected = 0;  // selected rows in this block
  };
  static constexpr size_t kBlockSize = 512;

  Track* RowAt(int row) const;
  // Block holding `row` and the row's offset in it.
  size_t BlockOf(int row, int* offset) const;
  void RebuildStarts() const;

  std::vector<Block> blocks_;
  mutable std::vector<int> starts_;  // index of each block's first row
  mutable bool startsValid_ = true;
  int count_ = 0;
  int selectedCount_ = 0;
  PathSet paths_;
};

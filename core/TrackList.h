// The track list: every row to be encoded, its seven text cells, the order of the
// rows, the selection, the focused row and the Shift-selection anchor, and whether it
// holds changes not saved. It is the model behind the main window's list view, which
// only draws it.
//
// The rows are kept sorted by CompareTrackPaths, which orders two paths as equal only
// when their bytes are equal; the set of listed paths (the PathSet: exact,
// case-sensitive membership) is therefore answered by a search of the sorted rows.
//
// Every change is all or nothing: when it throws (std::bad_alloc), the rows, cells,
// selection, focus and anchor are exactly as they were before the call.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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

// The quality cell every added row gets.
inline constexpr char kAddedQuality[] = "100";

// The cells a new row may be made with beside its path and title, in this order: the
// quality, author, copyright, description and save path.
inline constexpr int kRowTagCount = 5;

struct Track;  // one row: its cells and whether it is selected

// One row for AddTracks: its path and the cells the action gives it, each set after the
// row is added, in order, as SetItemText would (an import line's cells 1..6 as far as
// the line has them; a title alone for a file added by its short path).
struct NewTrack {
  std::string path;
  std::vector<std::pair<int, std::string>> cells;  // (column, text)
};

// The most bytes of text one row is made with: its path, a title of its own and, in a row
// made with tags, each tag cell counted with 4 bytes more. A row past it is refused as
// memory running out would refuse it; a row within it stays far inside the 32-bit
// offsets the list keeps its cells at and the int lengths the list view works in.
inline constexpr size_t kMaxRowTextBytes = UINT32_MAX / 4;

// Sums the bytes of text a row is made with (see kMaxRowTextBytes) into `*bytes`:
// `ownTitleSize` is 0 for the title the path gives, `tagSizes` null for a row without
// tags or the kRowTagCount sizes. Returns false when the sum would pass `limit`. Each
// term is checked against what is left of the limit before it is added, so the sum never
// wraps: with 32-bit sizes, seven texts each within the limit could.
bool SumRowTextBytes(size_t pathSize, size_t ownTitleSize, const size_t* tagSizes, size_t limit, size_t* bytes);

// The rows of one AddTracks call, in the order the action gives them, each made in its
// final form as it arrives, so that adding the batch only sorts and moves them.
class TrackBatch {
public:
  // `rowTextLimit`: the most bytes of text one row may be made with (tests lower it).
  explicit TrackBatch(size_t rowTextLimit = kMaxRowTextBytes);
  ~TrackBatch();
  TrackBatch(TrackBatch&&) noexcept;
  TrackBatch& operator=(TrackBatch&&) = delete;
  // A new row as AddTrack makes it, with `title` and the kRowTagCount `tags` (quality,
  // author, copyright, description, save path) set where they are not null, as
  // SetItemText would set them once the row is listed. Throws std::bad_alloc, adding
  // nothing, when the row's texts pass the batch's limit or memory runs out.
  void Add(std::string_view path, const std::string_view* title = nullptr, const std::string_view* tags = nullptr);
  size_t size() const;

private:
  friend class TrackList;
  // The kTrackColumnCount cells of a new row for `path` before any is set; returns the
  // title the path gives (finding it walks the path, so it is done once a row).
  static std::string_view NewRowCells(std::string_view path, std::string_view* cells);
  // Adds a row with these kTrackColumnCount cells, checked against the limit first.
  void AddCells(const std::string_view* cells, std::string_view pathTitle);
  size_t rowTextLimit_;
  std::vector<Track> rows_;
};

// One cell to set through SetItemTexts.
struct CellEdit {
  int row;
  int column;
  std::string text;
};

// Orders rows by their path: single-byte letters compared without case, double-byte
// characters compared as whole characters, ties broken by the plain bytes.
// Returns <0, 0 or >0 like strcmp.
int CompareTrackPaths(std::string_view a, std::string_view b);

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
  // Adds a whole batch, with the result of adding its rows one by one in the given
  // order (AddTrack, then the given cells when the add succeeded): the first of equal
  // paths wins and a listed path changes nothing. The batch is sorted once and merged
  // with the list in one pass. Its texts are moved out, whether it succeeds or not.
  // Returns the number of rows added.
  int AddTracks(std::vector<NewTrack>&& batch);
  int AddTracks(TrackBatch&& batch);
  // Removes every selected row; it allocates nothing, so it cannot fail.
  void RemoveSelectedTracks();

  // The cell's text; the empty text for a row or column that does not exist.
  // The text stays valid until the list is next changed.
  std::string_view GetItemText(int row, int column) const;
  // Sets a cell; a row or column that does not exist changes nothing. Setting the
  // path cell is refused too: the path is the row's key and decides its place.
  void SetItemText(int row, int column, const std::string& text);
  // Sets several cells at once, all or nothing, with the rules of SetItemText.
  void SetItemTexts(const std::vector<CellEdit>& edits);

  int GetTrackCount() const;
  int GetSelectedTrackCount() const { return selectedCount_; }
  // The selected row with the lowest index, or -1.
  int GetFirstSelectedTrack() const;
  // The selected row with the lowest index above `row`, or -1.
  int GetNextSelectedTrack(int row) const;
  // Whether a row holds exactly this path.
  bool IsListed(std::string_view path) const;

  // Whether the list holds changes that were not saved: a row was added or removed, or
  // a cell's text became another, since the list was made or last marked saved.
  // Selecting, focusing and setting a cell to the text it has change nothing. An empty
  // list holds none, as there is nothing in it to lose.
  bool HasUnsavedChanges() const { return changed_ && GetTrackCount() > 0; }
  // The rows are now what a file holds (the list was saved, or loaded into an empty list).
  void MarkSaved() { changed_ = false; }

  // Selection, as the view mirrors the user's choice into the model.
  void SetSelected(int row, bool selected);
  void SetAllSelected(bool selected);
  // Selects rows first..last (inclusive, clamped) and leaves the others as they are.
  void SetRangeSelected(int first, int last, bool selected);

  // The focused row and the anchor of a Shift selection, -1 for none; setting a row
  // that does not exist sets none. Both stay on their track whatever is added, edited
  // or removed; when their track is removed they move to the row that takes its place,
  // to the last row when it was the last, or to none when the list becomes empty.
  int GetFocusedTrack() const { return focus_; }
  void SetFocusedTrack(int row);
  int GetAnchorTrack() const { return anchor_; }
  void SetAnchorTrack(int row);

  // Test seam: the n-th allocation step from now on (1 = the next) throws
  // std::bad_alloc instead of allocating; 0 turns it off, and it turns itself off once
  // it has fired. The steps are each new row (AddTrack; AddTracks takes one for every
  // row of its batch, in the batch's order, before it changes anything) and each cell
  // text copied in (SetItemText, SetItemTexts). Adding n files through AddTracks with
  // step n/2 armed fails half way.
  void FailAllocationStep(int n) { failStep_ = n; }

private:
  Track* RowAt(int row);
  const Track* RowAt(int row) const;
  // The index of the first row whose path does not sort before `path`.
  size_t LowerBound(std::string_view path) const;
  // Counts an allocation step and throws when it is the one the seam names.
  void AllocationStep();

  std::vector<Track> rows_;  // in CompareTrackPaths order
  int selectedCount_ = 0;
  int focus_ = -1;
  int anchor_ = -1;
  int failStep_ = 0;
  bool changed_ = false;  // rows or cells changed since the list was made or marked saved
};

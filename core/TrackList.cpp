#include "core/TrackList.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "platform/PathNames.h"
#include "platform/Text.h"

// One row: its seven cells end to end in one string, in TrackColumn order, each ending
// where `ends` says; and whether it is selected. One string a row, not one a cell: a row
// is then one allocation, which keeps importing a long list within a small multiple of
// sorting its paths (seven strings a row made it three to four times slower).
struct Track {
  std::string text;
  uint32_t ends[kTrackColumnCount] = {};  // a row's text stays within kMaxRowTextBytes
  bool selected = false;

  std::string_view Cell(int column) const {
    const uint32_t start = column == 0 ? 0 : ends[column - 1];
    return std::string_view(text).substr(start, ends[column] - start);
  }
  std::string_view Path() const { return Cell(kColumnPath); }
};

namespace {

const char kEmpty[] = "";

// What a new row holds in the cells after its title until they are set, in the order
// TrackBatch::Add takes them: the quality, author, copyright, description and save path.
constexpr std::string_view kNoTags[kRowTagCount] = {kAddedQuality, "", "", "", ""};

// The column of each of those cells.
constexpr int kTagColumns[kRowTagCount] = {kColumnQuality, kColumnAuthor, kColumnCopyright, kColumnDescription,
                                           kColumnSavePath};

bool IsSettable(int column) { return column > kColumnPath && column < kTrackColumnCount; }

// The part of `path` DefaultTitle gives. Split at '\' only, as the track list always has:
// "D:a.wav" and "x/a.wav" keep what stands before the name.
std::string_view DefaultTitlePart(std::string_view path) { return FileTitlePart(path, "\\"); }

// Where a row moves when the rows before it change: `kept` rows stay before it, and
// when it is gone itself the row now in its place, or the last, takes over.
int FollowRow(int kept, int count) { return kept < count ? kept : count - 1; }

// A row holding the kTrackColumnCount `cells`, not selected. Throws std::bad_alloc when
// memory runs out or the cells pass kMaxRowTextBytes together, which the offsets could not
// hold.
Track MakeTrack(const std::string_view* cells) {
  size_t total = 0;
  for (int column = 0; column < kTrackColumnCount; ++column) {
    if (cells[column].size() > kMaxRowTextBytes - total) throw std::bad_alloc();
    total += cells[column].size();
  }
  Track row;
  row.text.reserve(total);
  for (int column = 0; column < kTrackColumnCount; ++column) {
    row.text.append(cells[column]);
    row.ends[column] = static_cast<uint32_t>(row.text.size());
  }
  return row;
}

// CompareTrackPaths on the bytes of two paths.
int ComparePathBytes(const char* a, size_t aSize, const char* b, size_t bSize) {
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  const size_t n = std::min(aSize, bSize);
  size_t i = 0;
  for (;;) {
    // Equal bytes are equal characters: skip them eight at a time.
    for (; i + 8 <= n; i += 8) {
      uint64_t u;
      uint64_t v;
      std::memcpy(&u, x + i, 8);
      std::memcpy(&v, y + i, 8);
      if (u != v) break;
    }
    while (i < n && x[i] == y[i]) ++i;
    if (i == n) break;
    // The first differing byte. The bytes before it agree, so it starts a character in
    // both strings or in neither: it is a trail byte when an odd run of lead-byte values
    // ends just before it (the run starts a character, as the byte before it ends one).
    size_t leads = 0;
    while (leads < i && text::IsLeadByte(x[i - 1 - leads])) ++leads;
    if (leads % 2 == 1) return x[i] < y[i] ? -1 : 1;  // same lead byte, different trail byte
    // A single-byte letter in another case is the same character; anything else decides,
    // and a byte from 0x80 up orders the same with letters folded or not.
    const unsigned char fx = text::FoldAscii(x[i]);
    const unsigned char fy = text::FoldAscii(y[i]);
    if (fx != fy) return fx < fy ? -1 : 1;
    ++i;
  }
  // One is the other's start, without case: the shorter first (a lone lead byte at the
  // end included); equal without case, the plain bytes decide, so distinct paths never tie.
  if (aSize != bSize) return aSize < bSize ? -1 : 1;
  const int plain = std::memcmp(a, b, aSize);
  return plain < 0 ? -1 : (plain > 0 ? 1 : 0);
}

}  // namespace

bool SumRowTextBytes(size_t pathSize, size_t ownTitleSize, const size_t* tagSizes, size_t limit, size_t* bytes) {
  size_t left = limit;
  const auto take = [&left](size_t term) {
    if (term > left) return false;
    left -= term;
    return true;
  };
  if (!take(pathSize) || !take(ownTitleSize)) return false;
  for (int k = 0; tagSizes != nullptr && k < kRowTagCount; ++k) {
    if (!take(sizeof(uint32_t)) || !take(tagSizes[k])) return false;
  }
  *bytes = limit - left;
  return true;
}

TrackBatch::TrackBatch(size_t rowTextLimit) : rowTextLimit_(rowTextLimit) {}

TrackBatch::TrackBatch(TrackBatch&&) noexcept = default;

TrackBatch::~TrackBatch() = default;

size_t TrackBatch::size() const { return rows_.size(); }

void TrackBatch::Add(std::string_view path, const std::string_view* title, const std::string_view* tags) {
  std::string_view cells[kTrackColumnCount];
  const std::string_view pathTitle = NewRowCells(path, cells);
  if (title) cells[kColumnTitle] = *title;
  for (int k = 0; tags && k < kRowTagCount; ++k) cells[kTagColumns[k]] = tags[k];
  AddCells(cells, pathTitle);
}

std::string_view TrackBatch::NewRowCells(std::string_view path, std::string_view* cells) {
  cells[kColumnPath] = path;
  cells[kColumnTitle] = DefaultTitlePart(path);
  for (int k = 0; k < kRowTagCount; ++k) cells[kTagColumns[k]] = kNoTags[k];
  return cells[kColumnTitle];
}

void TrackBatch::AddCells(const std::string_view* cells, std::string_view pathTitle) {
  // The texts are counted as the limit has always counted them: a title only when it is
  // not the one the path gives, the tags only when one of them is not what a new row holds.
  const std::string_view path = cells[kColumnPath];
  size_t tagSizes[kRowTagCount] = {};
  bool tagged = false;
  for (int k = 0; k < kRowTagCount; ++k) {
    tagSizes[k] = cells[kTagColumns[k]].size();
    tagged = tagged || cells[kTagColumns[k]] != kNoTags[k];
  }
  const std::string_view title = cells[kColumnTitle];
  const size_t ownTitle = title == pathTitle ? 0 : title.size();
  size_t bytes = 0;
  if (!SumRowTextBytes(path.size(), ownTitle, tagged ? tagSizes : nullptr, std::min(rowTextLimit_, kMaxRowTextBytes),
                       &bytes)) {
    throw std::bad_alloc();
  }
  rows_.push_back(MakeTrack(cells));
}

int CompareTrackPaths(std::string_view a, std::string_view b) {
  return ComparePathBytes(a.data(), a.size(), b.data(), b.size());
}

std::string DefaultTitle(const std::string& path) { return std::string(DefaultTitlePart(path)); }

TrackList::TrackList() = default;

TrackList::~TrackList() = default;

int TrackList::GetTrackCount() const { return static_cast<int>(rows_.size()); }

void TrackList::AllocationStep() {
  if (failStep_ <= 0) return;
  if (--failStep_ == 0) throw std::bad_alloc();
}

Track* TrackList::RowAt(int row) { return row >= 0 && row < GetTrackCount() ? &rows_[static_cast<size_t>(row)] : nullptr; }

const Track* TrackList::RowAt(int row) const {
  return row >= 0 && row < GetTrackCount() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

size_t TrackList::LowerBound(std::string_view path) const {
  const auto it = std::lower_bound(rows_.begin(), rows_.end(), path, [](const Track& t, std::string_view p) {
    return CompareTrackPaths(t.Path(), p) < 0;
  });
  return static_cast<size_t>(it - rows_.begin());
}

bool TrackList::IsListed(std::string_view path) const {
  const size_t at = LowerBound(path);
  return at < rows_.size() && rows_[at].Path() == path;
}

int TrackList::AddTrack(const std::string& path) {
  if (IsListed(path)) return -1;
  TrackBatch batch;
  batch.Add(path);
  AddTracks(std::move(batch));
  return static_cast<int>(LowerBound(path));
}

int TrackList::AddTracks(std::vector<NewTrack>&& batch) {
  TrackBatch rows;
  for (NewTrack& row : batch) {
    // The row is made with its cells, as setting them in their order would leave them.
    std::string_view cells[kTrackColumnCount];
    const std::string_view pathTitle = TrackBatch::NewRowCells(row.path, cells);
    for (const auto& cell : row.cells) {
      if (IsSettable(cell.first)) cells[cell.first] = cell.second;
    }
    rows.AddCells(cells, pathTitle);
    row = NewTrack();  // the batch's memory goes as it is taken over
  }
  std::vector<NewTrack>().swap(batch);
  return AddTracks(std::move(rows));
}

int TrackList::AddTracks(TrackBatch&& batch) {
  // Until the merged rows are swapped in, the list is not touched, so a failure changes
  // nothing; the batch's rows go with `taken` whether they join or not.
  TrackBatch taken(std::move(batch));
  std::vector<Track>& made = taken.rows_;
  for (size_t i = 0; i < made.size(); ++i) AllocationStep();

  // The new rows in path order, the first given of equal paths first. A batch already in
  // order, as an exported list is, is recognised in one pass and not sorted.
  struct Key {
    std::string_view path;
    uint32_t row;
  };
  std::vector<Key> order(made.size());
  for (size_t i = 0; i < made.size(); ++i) order[i] = {made[i].Path(), static_cast<uint32_t>(i)};
  const auto before = [](const Key& a, const Key& b) {
    const int byPath = CompareTrackPaths(a.path, b.path);
    return byPath != 0 ? byPath < 0 : a.row < b.row;
  };
  if (!std::is_sorted(order.begin(), order.end(), before)) std::sort(order.begin(), order.end(), before);

  // Where each joining row goes: before the old row at `at`. A row whose path an earlier
  // row of the batch or a listed row holds does not join.
  struct Join {
    size_t at;
    uint32_t row;
  };
  std::vector<Join> joins;
  for (size_t k = 0; k < order.size(); ++k) {
    const std::string_view path = order[k].path;
    if (k > 0 && order[k - 1].path == path) continue;  // equal paths sort next to each other
    const size_t at = LowerBound(path);
    if (at < rows_.size() && rows_[at].Path() == path) continue;
    joins.push_back({at, order[k].row});
  }
  if (joins.empty()) return 0;

  // One pass lays out the old and the joining rows together. Once the room is made,
  // nothing can fail: moving a row moves its string.
  std::vector<Track> merged;
  merged.reserve(rows_.size() + joins.size());
  int focus = -1;
  int anchor = -1;
  size_t old = 0;
  const auto takeOld = [&](size_t end) {
    for (; old < end; ++old) {
      if (static_cast<int>(old) == focus_) focus = static_cast<int>(merged.size());
      if (static_cast<int>(old) == anchor_) anchor = static_cast<int>(merged.size());
      merged.push_back(std::move(rows_[old]));
    }
  };
  for (const Join& join : joins) {
    takeOld(join.at);
    merged.push_back(std::move(made[join.row]));  // a new row is not selected
  }
  takeOld(rows_.size());
  rows_.swap(merged);
  focus_ = focus;
  anchor_ = anchor;
  changed_ = true;
  return static_cast<int>(joins.size());
}

void TrackList::RemoveSelectedTracks() {
  // The rows live in this model, not in a control, so a deletion cannot be refused
  // and the message for a refused deletion never arises here.
  if (selectedCount_ == 0) return;
  // The rows kept before the focus and the anchor decide where they go.
  int keptBeforeFocus = 0;
  int keptBeforeAnchor = 0;
  for (int index = 0; index < GetTrackCount(); ++index) {
    if (rows_[static_cast<size_t>(index)].selected) continue;
    keptBeforeFocus += index < focus_ ? 1 : 0;
    keptBeforeAnchor += index < anchor_ ? 1 : 0;
  }
  rows_.erase(std::remove_if(rows_.begin(), rows_.end(), [](const Track& t) { return t.selected; }), rows_.end());
  selectedCount_ = 0;
  if (focus_ >= 0) focus_ = FollowRow(keptBeforeFocus, GetTrackCount());
  if (anchor_ >= 0) anchor_ = FollowRow(keptBeforeAnchor, GetTrackCount());
  changed_ = true;
}

std::string_view TrackList::GetItemText(int row, int column) const {
  if (column < 0 || column >= kTrackColumnCount) return kEmpty;
  const Track* track = RowAt(row);
  return track ? track->Cell(column) : kEmpty;
}

void TrackList::SetItemText(int row, int column, const std::string& text) {
  SetItemTexts({CellEdit{row, column, text}});
}

void TrackList::SetItemTexts(const std::vector<CellEdit>& edits) {
  // Each row that changes is made anew with all its edits, in their order; the new rows
  // are swapped in once all are made, which cannot fail.
  std::vector<size_t> byRow;  // the edits that apply, grouped by row in their order
  for (size_t k = 0; k < edits.size(); ++k) {
    if (!IsSettable(edits[k].column) || !RowAt(edits[k].row)) continue;
    AllocationStep();
    byRow.push_back(k);
  }
  std::stable_sort(byRow.begin(), byRow.end(), [&edits](size_t a, size_t b) { return edits[a].row < edits[b].row; });
  std::vector<std::pair<int, Track>> changed;
  for (size_t first = 0; first < byRow.size();) {
    const int row = edits[byRow[first]].row;
    const Track& track = rows_[static_cast<size_t>(row)];
    std::string_view cells[kTrackColumnCount];
    for (int column = 0; column < kTrackColumnCount; ++column) cells[column] = track.Cell(column);
    bool differs = false;  // setting a cell to the text it has is no change
    size_t next = first;
    for (; next < byRow.size() && edits[byRow[next]].row == row; ++next) {
      const CellEdit& edit = edits[byRow[next]];
      differs = differs || cells[edit.column] != edit.text;
      cells[edit.column] = edit.text;
    }
    if (differs) {
      changed.emplace_back(row, MakeTrack(cells));
      changed.back().second.selected = track.selected;
    }
    first = next;
  }
  for (auto& row : changed) rows_[static_cast<size_t>(row.first)] = std::move(row.second);
  if (!changed.empty()) changed_ = true;
}

void TrackList::SetFocusedTrack(int row) { focus_ = RowAt(row) ? row : -1; }

void TrackList::SetAnchorTrack(int row) { anchor_ = RowAt(row) ? row : -1; }

void TrackList::SetSelected(int row, bool selected) {
  Track* track = RowAt(row);
  if (!track || track->selected == selected) return;
  track->selected = selected;
  selectedCount_ += selected ? 1 : -1;
}

void TrackList::SetAllSelected(bool selected) {
  for (Track& track : rows_) track.selected = selected;
  selectedCount_ = selected ? GetTrackCount() : 0;
}

void TrackList::SetRangeSelected(int first, int last, bool selected) {
  first = std::max(first, 0);
  last = std::min(last, GetTrackCount() - 1);
  for (int row = first; row <= last; ++row) SetSelected(row, selected);
}

int TrackList::GetFirstSelectedTrack() const { return GetNextSelectedTrack(-1); }

int TrackList::GetNextSelectedTrack(int row) const {
  if (selectedCount_ == 0) return -1;
  for (int next = std::max(row + 1, 0); next < GetTrackCount(); ++next) {
    if (rows_[static_cast<size_t>(next)].selected) return next;
  }
  return -1;
}

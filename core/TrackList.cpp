#include "core/TrackList.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/Text.h"

namespace {
const std::string kEmpty;
const char kDefaultQuality[] = "100";

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; }
}  // namespace

int CompareTrackPaths(const std::string& a, const std::string& b) {
  // Both strings advance by whole characters; as long as they agree, their characters
  // have the same lengths, so one index serves both.
  size_t i = 0;
  while (i < a.size() && i < b.size()) {
    unsigned char x0 = static_cast<unsigned char>(a[i]);
    unsigned char y0 = static_cast<unsigned char>(b[i]);
    if (x0 < 0x80 && y0 < 0x80) {  // the common case: two single-byte characters
      if (x0 != y0 && FoldAscii(x0) != FoldAscii(y0)) return FoldAscii(x0) < FoldAscii(y0) ? -1 : 1;
      ++i;
      continue;
    }
    const int la = text::CharLength(a, i);
    const int lb = text::CharLength(b, i);
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (la == 1 && lb == 1) {
      x = FoldAscii(x);
      y = FoldAscii(y);
    }
    if (x != y) return x < y ? -1 : 1;
    if (la != lb) return la < lb ? -1 : 1;  // a lone lead byte at the end before a full character
    if (la == 2) {
      const unsigned char tx = static_cast<unsigned char>(a[i + 1]);
      const unsigned char ty = static_cast<unsigned char>(b[i + 1]);
      if (tx != ty) return tx < ty ? -1 : 1;
    }
    i += la;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  // Equal without case: the plain bytes decide, so distinct paths never tie.
  const int plain = std::memcmp(a.data(), b.data(), a.size());
  return plain < 0 ? -1 : (plain > 0 ? 1 : 0);
}

std::string DefaultTitle(const std::string& path) {
  const int start = text::FileNameStart(path);
  const std::string name = text::Mid(path, start);
  const int dot = text::ReverseFind(name, '.');
  return dot < 0 ? name : text::Left(name, dot);
}

TrackList::TrackList() = default;

TrackList::~TrackList() {
  for (Block& block : blocks_) {
    for (Track* track : block.rows) delete track;
  }
}

namespace {

// Index of each block's first row, into `starts`, whose capacity already holds them.
template <typename Blocks>
void CountStarts(const Blocks& blocks, std::vector<int>* starts) {
  starts->resize(blocks.size());
  int start = 0;
  for (size_t b = 0; b < blocks.size(); ++b) {
    (*starts)[b] = start;
    start += static_cast<int>(blocks[b].rows.size());
  }
}

// The first of rows[from..] whose path is not before `path`; the block's last row is not
// before it. Searches outward from `from` first, as the next new row of a sorted batch
// usually lands close to the previous one.
size_t FirstNotBefore(const std::vector<Track*>& rows, size_t from, const std::string& path) {
  const auto before = [](const Track* t, const std::string& p) { return CompareTrackPaths(t->cells[kColumnPath], p) < 0; };
  const size_t last = rows.size() - 1;
  size_t lo = from;
  size_t step = 1;
  for (;;) {
    const size_t probe = lo + step - 1;
    if (probe >= last) break;
    if (!before(rows[probe], path)) return static_cast<size_t>(std::lower_bound(rows.begin() + static_cast<long>(lo), rows.begin() + static_cast<long>(probe), path, before) - rows.begin());
    lo = probe + 1;
    step *= 2;
  }
  return static_cast<size_t>(std::lower_bound(rows.begin() + static_cast<long>(lo), rows.begin() + static_cast<long>(last), path, before) - rows.begin());
}

// Where a row moves when the rows before it change: `kept` rows stay before it, and
// when it is gone itself the row now in its place, or the last, takes over.
int FollowRow(int kept, int count) { return kept < count ? kept : count - 1; }

}  // namespace

void TrackList::AllocationStep() {
  if (failStep_ <= 0) return;
  if (--failStep_ == 0) throw std::bad_alloc();
}

std::unique_ptr<Track> TrackList::NewRow(std::string path, bool defaultTitle) {
  AllocationStep();
  auto track = std::make_unique<Track>();
  if (defaultTitle) track->cells[kColumnTitle] = DefaultTitle(path);
  track->cells[kColumnQuality] = kDefaultQuality;
  track->cells[kColumnPath] = std::move(path);
  return track;
}

size_t TrackList::BlockOf(int row, int* offset) const {
  // The last block whose first row is at or before `row`.
  const auto it = std::upper_bound(starts_.begin(), starts_.end(), row);
  const size_t b = static_cast<size_t>(it - starts_.begin()) - 1;
  *offset = row - starts_[b];
  return b;
}

Track* TrackList::RowAt(int row) const {
  if (row < 0 || row >= count_) return nullptr;
  int offset = 0;
  const size_t b = BlockOf(row, &offset);
  return blocks_[b].rows[static_cast<size_t>(offset)];
}

bool TrackList::Locate(const std::string& path, size_t* block, size_t* offset) const {
  *block = 0;
  *offset = 0;
  if (blocks_.empty()) return false;
  // The first block whose last row sorts after the path takes it; a path after every
  // row goes to the end of the last block.
  const auto lessThanLast = [](const std::string& p, const Block& b) {
    return CompareTrackPaths(p, b.rows.back()->cells[kColumnPath]) < 0;
  };
  const auto it = std::upper_bound(blocks_.begin(), blocks_.end(), path, lessThanLast);
  const size_t b = it == blocks_.end() ? blocks_.size() - 1 : static_cast<size_t>(it - blocks_.begin());
  const auto& rows = blocks_[b].rows;
  const auto pos = std::upper_bound(rows.begin(), rows.end(), path, [](const std::string& p, const Track* t) {
    return CompareTrackPaths(p, t->cells[kColumnPath]) < 0;
  });
  *block = b;
  *offset = static_cast<size_t>(pos - rows.begin());
  // Equal paths sort next to each other: only the row just before can hold this one.
  const Track* previous = nullptr;
  if (*offset > 0) {
    previous = rows[*offset - 1];
  } else if (b > 0) {
    previous = blocks_[b - 1].rows.back();
  }
  return previous && previous->cells[kColumnPath] == path;
}

bool TrackList::IsListed(const std::string& path) const {
  size_t block = 0;
  size_t offset = 0;
  return Locate(path, &block, &offset);
}

int TrackList::AddTrack(const std::string& path) {
  size_t b = 0;
  size_t offset = 0;
  if (Locate(path, &b, &offset)) return -1;

  // Everything that can fail comes first, so a failure leaves the list untouched.
  std::unique_ptr<Track> track = NewRow(path, true);
  const bool split = blocks_.empty() || blocks_[b].rows.size() >= kBlockSize;
  Block fresh;
  if (split) {
    fresh.rows.reserve(kBlockSize);
    blocks_.reserve(blocks_.size() + 1);
    starts_.reserve(blocks_.size() + 1);
  }

  if (blocks_.empty()) {
    blocks_.push_back(std::move(fresh));
  } else if (split) {
    // The full block gives its upper half to the new block after it.
    auto& rows = blocks_[b].rows;
    const size_t half = rows.size() / 2;
    fresh.rows.assign(rows.begin() + static_cast<long>(half), rows.end());
    rows.resize(half);
    for (const Track* t : fresh.rows) fresh.selected += t->selected ? 1 : 0;
    blocks_[b].selected -= fresh.selected;
    blocks_.insert(blocks_.begin() + static_cast<long>(b) + 1, std::move(fresh));
    if (offset > half) {
      ++b;
      offset -= half;
    }
  }
  auto& rows = blocks_[b].rows;
  rows.insert(rows.begin() + static_cast<long>(offset), track.release());
  ++count_;
  if (split) {
    CountStarts(blocks_, &starts_);
  } else {
    for (size_t k = b + 1; k < starts_.size(); ++k) ++starts_[k];
  }

  const int index = starts_[b] + static_cast<int>(offset);
  if (focus_ >= index) ++focus_;
  if (anchor_ >= index) ++anchor_;
  return index;
}

int TrackList::AddTracks(std::vector<NewTrack>&& batch) {
  if (batch.empty()) return 0;
  // The batch in path order, the first given of equal paths first. A batch already in
  // order, as an exported list is, is recognised in one pass and not sorted.
  std::vector<NewTrack*> order(batch.size());
  for (size_t i = 0; i < batch.size(); ++i) order[i] = &batch[i];
  const auto before = [](const NewTrack* a, const NewTrack* b) { return CompareTrackPaths(a->path, b->path) < 0; };
  for (size_t i = 1; i < order.size(); ++i) {
    if (before(order[i], order[i - 1])) {
      std::stable_sort(order.begin(), order.end(), before);
      break;
    }
  }

  // One pass over the list and the sorted batch gives the rows' new order and makes the
  // new rows; until it is complete the list is not touched, so a failure changes nothing.
  std::vector<Track*> merged;
  merged.reserve(static_cast<size_t>(count_) + batch.size());
  std::vector<std::unique_ptr<Track>> added;
  added.reserve(batch.size());
  int focus = -1;
  int anchor = -1;
  int oldIndex = 0;
  size_t ob = 0;  // the next old row: block and offset
  size_t oo = 0;
  const auto takeOld = [&](size_t end) {
    for (const auto& rows = blocks_[ob].rows; oo < end; ++oo, ++oldIndex) {
      if (oldIndex == focus_) focus = static_cast<int>(merged.size());
      if (oldIndex == anchor_) anchor = static_cast<int>(merged.size());
      merged.push_back(rows[oo]);
    }
  };
  const std::string* previous = nullptr;  // the path of the batch row before
  for (NewTrack* row : order) {
    if (previous && *previous == row->path) continue;  // an earlier row of the batch has it
    previous = &row->path;
    // The old rows before the path, whole blocks at a time.
    while (ob < blocks_.size()) {
      const auto& rows = blocks_[ob].rows;
      if (CompareTrackPaths(rows.back()->cells[kColumnPath], row->path) < 0) {
        takeOld(rows.size());
        ++ob;
        oo = 0;
        continue;
      }
      takeOld(FirstNotBefore(rows, oo, row->path));
      break;
    }
    if (ob < blocks_.size() && blocks_[ob].rows[oo]->cells[kColumnPath] == row->path) continue;  // listed

    bool defaultTitle = true;
    for (const auto& cell : row->cells) defaultTitle = defaultTitle && cell.first != kColumnTitle;
    added.push_back(NewRow(std::move(row->path), defaultTitle));
    Track& track = *added.back();
    previous = &track.cells[kColumnPath];
    for (auto& cell : row->cells) {
      if (cell.first > kColumnPath && cell.first < kTrackColumnCount) {
        track.cells[static_cast<size_t>(cell.first)] = std::move(cell.second);
      }
    }
    decltype(row->cells)().swap(row->cells);  // the batch's share of the memory goes at once
    merged.push_back(&track);
  }
  for (; ob < blocks_.size(); ++ob, oo = 0) takeOld(blocks_[ob].rows.size());
  if (added.empty()) return 0;

  // The new blocks, three quarters full so that single adds can follow without splitting.
  constexpr size_t kFill = kBlockSize * 3 / 4;
  std::vector<Block> blocks((merged.size() + kFill - 1) / kFill);
  for (Block& block : blocks) block.rows.reserve(kBlockSize);
  std::vector<int> starts;
  starts.reserve(blocks.size());

  // From here on nothing can fail.
  for (size_t i = 0; i < merged.size(); ++i) {
    Block& block = blocks[i / kFill];
    block.rows.push_back(merged[i]);
    block.selected += merged[i]->selected ? 1 : 0;
  }
  for (auto& track : added) track.release();
  CountStarts(blocks, &starts);
  blocks_.swap(blocks);
  starts_.swap(starts);
  count_ = static_cast<int>(merged.size());
  focus_ = focus;
  anchor_ = anchor;
  return static_cast<int>(added.size());
}

void TrackList::RemoveSelectedTracks() {
  // The rows live in this model, not in a control, so a deletion cannot be refused
  // and the message for a refused deletion never arises here.
  if (selectedCount_ == 0) return;
  // The rows kept before the focus and the anchor decide where they go.
  int keptBeforeFocus = 0;
  int keptBeforeAnchor = 0;
  int index = 0;
  for (const Block& block : blocks_) {
    for (const Track* t : block.rows) {
      if (!t->selected) {
        keptBeforeFocus += index < focus_ ? 1 : 0;
        keptBeforeAnchor += index < anchor_ ? 1 : 0;
      }
      ++index;
    }
  }
  for (Block& block : blocks_) {
    if (block.selected == 0) continue;
    auto& rows = block.rows;
    const auto end = std::remove_if(rows.begin(), rows.end(), [](Track* t) {
      if (!t->selected) return false;
      delete t;
      return true;
    });
    count_ -= static_cast<int>(rows.end() - end);
    rows.erase(end, rows.end());
    block.selected = 0;
  }
  blocks_.erase(std::remove_if(blocks_.begin(), blocks_.end(), [](const Block& b) { return b.rows.empty(); }),
                blocks_.end());
  CountStarts(blocks_, &starts_);
  selectedCount_ = 0;
  if (focus_ >= 0) focus_ = FollowRow(keptBeforeFocus, count_);
  if (anchor_ >= 0) anchor_ = FollowRow(keptBeforeAnchor, count_);
}

const std::string& TrackList::GetItemText(int row, int column) const {
  if (column < 0 || column >= kTrackColumnCount) return kEmpty;
  const Track* track = RowAt(row);
  return track ? track->cells[static_cast<size_t>(column)] : kEmpty;
}

void TrackList::SetItemText(int row, int column, const std::string& text) {
  if (column <= kColumnPath || column >= kTrackColumnCount) return;
  Track* track = RowAt(row);
  if (!track) return;
  AllocationStep();
  track->cells[static_cast<size_t>(column)] = text;  // unchanged when the copy fails
}

void TrackList::SetItemTexts(const std::vector<CellEdit>& edits) {
  const auto cellOf = [this](const CellEdit& edit) -> std::string* {
    if (edit.column <= kColumnPath || edit.column >= kTrackColumnCount) return nullptr;
    Track* track = RowAt(edit.row);
    return track ? &track->cells[static_cast<size_t>(edit.column)] : nullptr;
  };
  // Copies first, then swapped in, which cannot fail.
  std::vector<std::string> texts;
  texts.reserve(edits.size());
  for (const CellEdit& edit : edits) {
    if (!cellOf(edit)) continue;
    AllocationStep();
    texts.push_back(edit.text);
  }
  size_t next = 0;
  for (const CellEdit& edit : edits) {
    if (std::string* cell = cellOf(edit)) cell->swap(texts[next++]);
  }
}

void TrackList::SetFocusedTrack(int row) { focus_ = row >= 0 && row < count_ ? row : -1; }

void TrackList::SetAnchorTrack(int row) { anchor_ = row >= 0 && row < count_ ? row : -1; }

bool TrackList::IsSelected(int row) const {
  const Track* track = RowAt(row);
  return track && track->selected;
}

void TrackList::SetSelected(int row, bool selected) {
  if (row < 0 || row >= count_) return;
  int offset = 0;
  const size_t b = BlockOf(row, &offset);
  Track& track = *blocks_[b].rows[static_cast<size_t>(offset)];
  if (track.selected == selected) return;
  track.selected = selected;
  const int delta = selected ? 1 : -1;
  blocks_[b].selected += delta;
  selectedCount_ += delta;
}

void TrackList::SetAllSelected(bool selected) {
  for (Block& block : blocks_) {
    for (Track* t : block.rows) t->selected = selected;
    block.selected = selected ? static_cast<int>(block.rows.size()) : 0;
  }
  selectedCount_ = selected ? count_ : 0;
}

void TrackList::SetRangeSelected(int first, int last, bool selected) {
  first = std::max(first, 0);
  last = std::min(last, count_ - 1);
  for (int row = first; row <= last; ++row) SetSelected(row, selected);
}

int TrackList::GetFirstSelectedTrack() const { return GetNextSelectedTrack(-1); }

int TrackList::GetNextSelectedTrack(int row) const {
  int next = std::max(row + 1, 0);
  if (next >= count_ || selectedCount_ == 0) return -1;
  int offset = 0;
  size_t b = BlockOf(next, &offset);
  for (; b < blocks_.size(); ++b, offset = 0) {
    const Block& block = blocks_[b];
    if (block.selected == 0) continue;
    for (size_t k = static_cast<size_t>(offset); k < block.rows.size(); ++k) {
      if (block.rows[k]->selected) return starts_[b] + static_cast<int>(k);
    }
  }
  return -1;
}

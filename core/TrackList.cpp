#include "core/TrackList.h"

#include <algorithm>
#include <cstring>

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
TrackList::~TrackList() = default;

void TrackList::RebuildStarts() const {
  starts_.resize(blocks_.size());
  int start = 0;
  for (size_t b = 0; b < blocks_.size(); ++b) {
    starts_[b] = start;
    start += static_cast<int>(blocks_[b].rows.size());
  }
  startsValid_ = true;
}

size_t TrackList::BlockOf(int row, int* offset) const {
  if (!startsValid_) RebuildStarts();
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
  return blocks_[b].rows[static_cast<size_t>(offset)].get();
}

int TrackList::AddTrack(const std::string& path) {
  if (paths_.count(path) != 0) return -1;

  auto track = std::make_unique<Track>();
  track->cells[kColumnPath] = path;
  track->cells[kColumnQuality] = kDefaultQuality;
  track->cells[kColumnTitle] = DefaultTitle(path);

  if (blocks_.empty()) {
    blocks_.emplace_back();
    startsValid_ = false;
  }
  if (!startsValid_) RebuildStarts();
  // The first block whose last row sorts after the path takes it; a path after every
  // row goes to the end of the last block.
  const auto lessThanLast = [](const std::string& p, const Block& block) {
    return CompareTrackPaths(p, block.rows.back()->cells[kColumnPath]) < 0;
  };
  size_t b = blocks_.size() - 1;
  if (!blocks_[b].rows.empty()) {
    const auto it = std::upper_bound(blocks_.begin(), blocks_.end(), path, lessThanLast);
    if (it != blocks_.end()) b = static_cast<size_t>(it - blocks_.begin());
  }
  auto& rows = blocks_[b].rows;
  const auto pos = std::upper_bound(rows.begin(), rows.end(), path,
                                    [](const std::string& p, const std::unique_ptr<Track>& t) {
                                      return CompareTrackPaths(p, t->cells[kColumnPath]) < 0;
                                    });
  size_t offset = static_cast<size_t>(pos - rows.begin());
  rows.insert(pos, std::move(track));
  paths_.insert(path);
  ++count_;

  const int index = starts_[b] + static_cast<int>(offset);

  if (rows.size() > kBlockSize) {
    // Split the full block in two halves.
    Block tail;
    const size_t half = rows.size() / 2;
    tail.rows.assign(std::make_move_iterator(rows.begin() + static_cast<long>(half)),
                     std::make_move_iterator(rows.end()));
    rows.resize(half);
    for (const auto& t : tail.rows) tail.selected += t->selected ? 1 : 0;
    blocks_[b].selected -= tail.selected;
    blocks_.insert(blocks_.begin() + static_cast<long>(b) + 1, std::move(tail));
    startsValid_ = false;
  } else {
    for (size_t k = b + 1; k < starts_.size(); ++k) ++starts_[k];
  }
  return index;
}

void TrackList::RemoveSelectedTracks() {
  // The rows live in this model, not in a control, so a deletion cannot be refused
  // and the message for a refused deletion never arises here.
  if (selectedCount_ == 0) return;
  for (Block& block : blocks_) {
    if (block.selected == 0) continue;
    auto& rows = block.rows;
    const auto end = std::remove_if(rows.begin(), rows.end(), [this](std::unique_ptr<Track>& t) {
      if (!t->selected) return false;
      paths_.erase(t->cells[kColumnPath]);
      return true;
    });
    count_ -= static_cast<int>(rows.end() - end);
    rows.erase(end, rows.end());
    block.selected = 0;
  }
  blocks_.erase(std::remove_if(blocks_.begin(), blocks_.end(), [](const Block& b) { return b.rows.empty(); }),
                blocks_.end());
  selectedCount_ = 0;
  startsValid_ = false;
}

const std::string& TrackList::GetItemText(int row, int column) const {
  if (column < 0 || column >= kTrackColumnCount) return kEmpty;
  const Track* track = RowAt(row);
  return track ? track->cells[static_cast<size_t>(column)] : kEmpty;
}

void TrackList::SetItemText(int row, int column, const std::string& text) {
  if (column <= kColumnPath || column >= kTrackColumnCount) return;
  if (Track* track = RowAt(row)) track->cells[static_cast<size_t>(column)] = text;
}

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
    for (auto& t : block.rows) t->selected = selected;
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

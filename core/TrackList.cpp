#include "core/TrackList.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "platform/PathNames.h"
#include "platform/Text.h"

// One row, at the start of its record in the pool. The record's text follows it: the
// path's bytes; the title's unless the title is the part of the path DefaultTitle gives
// (as it is for most rows); and, only in a row made with tags, the quality and the four
// cells after the title, each as a 4-byte size and its bytes. The cells from the quality
// on move to `more` once one of them is set, so a row holds one block until it is edited.
struct Track {
  std::unique_ptr<std::array<std::string, 6>> more;  // cells 1..6, once one was set
  uint32_t pathSize = 0;
  uint32_t titleStart = 0;  // in the record's text
  uint32_t titleSize = 0;
  uint8_t sizeClass = 0;  // the record's class in the pool, or kOwnRecord
  bool hasTags = false;   // the record holds the tag cells; without them they are "100" and empty
  bool selected = false;

  const char* Text() const { return reinterpret_cast<const char*>(this + 1); }
  char* Text() { return reinterpret_cast<char*>(this + 1); }
  std::string_view Path() const { return {Text(), pathSize}; }
  std::string_view Title() const { return {Text() + titleStart, titleSize}; }
  // Where the tag cells start: after the path, or after a title of its own.
  size_t TagsStart() const { return std::max<size_t>(pathSize, size_t{titleStart} + titleSize); }
};

namespace {

const char kEmpty[] = "";

// Class of a record allocated on its own, too long for the pool's classes.
constexpr uint8_t kOwnRecord = 0xFF;
constexpr size_t kClassBytes = 8;  // the classes' steps, a multiple of Track's alignment
constexpr size_t kMaxChunkSlots = 1024;
static_assert(kClassBytes % alignof(Track) == 0, "every slot starts aligned for a row");

// What a row without tag cells shows in them, in the order a record holds them: the
// quality, author, copyright, description and save path.
constexpr std::string_view kNoTags[kRowTagCount] = {kAddedQuality, "", "", "", ""};

size_t MoreIndex(int column) { return static_cast<size_t>(column - 1); }

int TagIndex(int column) { return column == kColumnQuality ? 0 : column - kColumnTitle; }

std::string_view TagOf(const Track& track, int tag) {
  if (!track.hasTags) return kNoTags[tag];
  const char* p = track.Text() + track.TagsStart();
  for (int k = 0;; ++k) {
    uint32_t size = 0;
    std::memcpy(&size, p, sizeof size);
    if (k == tag) return {p + sizeof size, size};
    p += sizeof size + size;
  }
}

std::string_view CellOf(const Track& track, int column) {
  if (column == kColumnPath) return track.Path();
  if (track.more) return (*track.more)[MoreIndex(column)];
  if (column == kColumnTitle) return track.Title();
  return TagOf(track, TagIndex(column));
}

// The cell to set, a column from the quality on. The first time, cells 1..6 are copied to
// `more`, where they stay; a failure to make them changes nothing.
std::string& CellToSet(Track& track, int column) {
  if (!track.more) {
    auto more = std::make_unique<std::array<std::string, 6>>();
    for (int c = kColumnQuality; c < kTrackColumnCount; ++c) (*more)[MoreIndex(c)] = CellOf(track, c);
    track.more = std::move(more);
  }
  return (*track.more)[MoreIndex(column)];
}

bool IsSettable(int column) { return column > kColumnPath && column < kTrackColumnCount; }

// The part of `path` DefaultTitle gives. Split at '\' only, as the track list always has:
// "D:a.wav" and "x/a.wav" keep what stands before the name.
std::string_view DefaultTitlePart(std::string_view path) { return FileTitlePart(path, "\\"); }

}  // namespace

// Storage for rows, each a record of its own size (see Track). Records are cut from chunks
// taken from the system many at a time, one chunk list per size class of 8 bytes, so a
// long list costs one allocation per chunk instead of several per row, and no heap header
// per row; a freed record's slot is used again by a record of its class. A record too
// long for the classes is allocated on its own. Its owner destroys the rows it holds
// before the pool goes.
class TrackPool {
public:
  TrackPool() = default;
  TrackPool(const TrackPool&) = delete;
  TrackPool& operator=(const TrackPool&) = delete;
  // A new row holding `path`, `title` unless it is null (then the title is the part of
  // the path DefaultTitle gives) and the kRowTagCount `tags` unless they are null (then
  // "100" and empty). Throws std::bad_alloc, also when the texts pass `limit` bytes
  // (see SumRowTextBytes).
  Track* New(std::string_view path, const std::string_view* title, const std::string_view* tags, size_t limit);
  void Delete(Track* row);
  // Takes over another pool's chunks and free slots; it cannot fail once ReserveFor(other)
  // has made room.
  void ReserveFor(const TrackPool& other);
  void Adopt(TrackPool&& other) noexcept;

private:
  static constexpr size_t kClasses = 64;  // records of up to 512 bytes
  struct Free {
    Free* next;
  };
  std::vector<std::unique_ptr<unsigned char[]>> chunks_;
  Free* free_[kClasses] = {};
  unsigned char grown_[kClasses] = {};  // chunks taken per class: each holds more slots
};

Track* TrackPool::New(std::string_view path, const std::string_view* title, const std::string_view* tags,
                      size_t limit) {
  const std::string_view pathTitle = DefaultTitlePart(path);
  const bool ownTitle = title != nullptr && *title != pathTitle;
  const size_t titleSize = ownTitle ? title->size() : pathTitle.size();
  const bool hasTags = tags != nullptr && !std::equal(tags, tags + kRowTagCount, kNoTags);
  size_t tagSizes[kRowTagCount] = {};
  for (int k = 0; hasTags && k < kRowTagCount; ++k) tagSizes[k] = tags[k].size();
  size_t textBytes = 0;
  if (!SumRowTextBytes(path.size(), ownTitle ? titleSize : 0, hasTags ? tagSizes : nullptr,
                       std::min(limit, kMaxRowTextBytes), &textBytes)) {
    throw std::bad_alloc();
  }
  const size_t bytes = sizeof(Track) + textBytes;

  void* memory = nullptr;
  uint8_t sizeClass = kOwnRecord;
  if (bytes <= kClasses * kClassBytes) {
    sizeClass = static_cast<uint8_t>((bytes + kClassBytes - 1) / kClassBytes - 1);
    if (free_[sizeClass] == nullptr) {
      // A new chunk for the class, larger with each one up to kMaxChunkSlots, so a short
      // list takes little and a long one few chunks.
      const size_t slot = (sizeClass + 1u) * kClassBytes;
      const size_t slots = std::min(kMaxChunkSlots, size_t{8} << grown_[sizeClass]);
      chunks_.reserve(chunks_.size() + 1);
      chunks_.push_back(std::unique_ptr<unsigned char[]>(new unsigned char[slot * slots]));
      if ((size_t{8} << grown_[sizeClass]) < kMaxChunkSlots) ++grown_[sizeClass];
      unsigned char* chunk = chunks_.back().get();
      for (size_t i = slots; i-- > 0;) free_[sizeClass] = new (chunk + i * slot) Free{free_[sizeClass]};
    }
    memory = std::exchange(free_[sizeClass], free_[sizeClass]->next);
  } else {
    memory = ::operator new(bytes);
  }

  Track* row = new (memory) Track();
  row->sizeClass = sizeClass;
  row->pathSize = static_cast<uint32_t>(path.size());
  row->titleSize = static_cast<uint32_t>(titleSize);
  char* text = row->Text();
  // An empty view may have no data to copy from.
  const auto put = [&text](std::string_view bytes) {
    if (!bytes.empty()) std::memcpy(text, bytes.data(), bytes.size());
    text += bytes.size();
  };
  put(path);
  if (ownTitle) {
    row->titleStart = row->pathSize;
    put(*title);
  } else {
    row->titleStart = static_cast<uint32_t>(pathTitle.data() - path.data());
  }
  row->hasTags = hasTags;
  for (int k = 0; hasTags && k < kRowTagCount; ++k) {
    const auto size = static_cast<uint32_t>(tags[k].size());
    std::memcpy(text, &size, sizeof size);
    text += sizeof size;
    put(tags[k]);
  }
  return row;
}

void TrackPool::Delete(Track* row) {
  const uint8_t sizeClass = row->sizeClass;
  row->~Track();
  if (sizeClass == kOwnRecord) {
    ::operator delete(row);
    return;
  }
  free_[sizeClass] = new (row) Free{free_[sizeClass]};
}

void TrackPool::ReserveFor(const TrackPool& other) { chunks_.reserve(chunks_.size() + other.chunks_.size()); }

void TrackPool::Adopt(TrackPool&& other) noexcept {
  for (auto& chunk : other.chunks_) chunks_.push_back(std::move(chunk));  // room was made
  other.chunks_.clear();
  for (size_t c = 0; c < kClasses; ++c) {
    Free* taken = std::exchange(other.free_[c], nullptr);
    if (taken == nullptr) continue;
    Free* last = taken;
    while (last->next != nullptr) last = last->next;
    last->next = free_[c];
    free_[c] = taken;
  }
}

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

TrackBatch::~TrackBatch() {
  for (Track* row : rows_) pool_->Delete(row);
}

void TrackBatch::Add(std::string_view path, const std::string_view* title, const std::string_view* tags) {
  if (!pool_) pool_ = std::make_unique<TrackPool>();
  Track* row = pool_->New(path, title, tags, rowTextLimit_);
  try {
    rows_.push_back(row);
  } catch (...) {
    pool_->Delete(row);
    throw;
  }
}

namespace {

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

int CompareTrackPaths(std::string_view a, std::string_view b) {
  return ComparePathBytes(a.data(), a.size(), b.data(), b.size());
}

std::string DefaultTitle(const std::string& path) { return std::string(DefaultTitlePart(path)); }

TrackList::TrackList() : pool_(std::make_unique<TrackPool>()) {}

TrackList::~TrackList() {
  for (Block& block : blocks_) {
    for (Track* track : block.rows) pool_->Delete(track);
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
size_t FirstNotBefore(const std::vector<Track*>& rows, size_t from, std::string_view path) {
  const auto before = [](const Track* t, std::string_view p) { return CompareTrackPaths(t->Path(), p) < 0; };
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

bool TrackList::Locate(std::string_view path, size_t* block, size_t* offset) const {
  *block = 0;
  *offset = 0;
  if (blocks_.empty()) return false;
  // The first block whose last row sorts after the path takes it; a path after every
  // row goes to the end of the last block.
  const auto lessThanLast = [](std::string_view p, const Block& b) {
    return CompareTrackPaths(p, b.rows.back()->Path()) < 0;
  };
  const auto it = std::upper_bound(blocks_.begin(), blocks_.end(), path, lessThanLast);
  const size_t b = it == blocks_.end() ? blocks_.size() - 1 : static_cast<size_t>(it - blocks_.begin());
  const auto& rows = blocks_[b].rows;
  const auto pos = std::upper_bound(rows.begin(), rows.end(), path, [](std::string_view p, const Track* t) {
    return CompareTrackPaths(p, t->Path()) < 0;
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
  return previous && previous->Path() == path;
}

bool TrackList::IsListed(std::string_view path) const {
  size_t block = 0;
  size_t offset = 0;
  return Locate(path, &block, &offset);
}

int TrackList::AddTrack(const std::string& path) {
  size_t b = 0;
  size_t offset = 0;
  if (Locate(path, &b, &offset)) return -1;

  // Everything that can fail comes first, so a failure leaves the list untouched.
  AllocationStep();
  Track* track = pool_->New(path, nullptr, nullptr, kMaxRowTextBytes);
  // Back to the pool unless it is linked in below.
  struct Unlinked {
    TrackPool& pool;
    Track* row;
    ~Unlinked() {
      if (row) pool.Delete(row);
    }
  } unlinked{*pool_, track};
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
  rows.insert(rows.begin() + static_cast<long>(offset), track);  // within its capacity: cannot fail
  unlinked.row = nullptr;
  ++count_;
  if (split) {
    CountStarts(blocks_, &starts_);
  } else {
    for (size_t k = b + 1; k < starts_.size(); ++k) ++starts_[k];
  }

  const int index = starts_[b] + static_cast<int>(offset);
  if (focus_ >= index) ++focus_;
  if (anchor_ >= index) ++anchor_;
  changed_ = true;
  return index;
}

namespace {

// A new row as its place in the batch with 12 bytes of its path in a form that orders
// like the path itself: what sorting the batch moves and compares. Most comparisons are
// settled by those bytes without reading the paths, scattered as they are over the memory.
struct BatchKey {
  uint64_t high;
  uint32_t low;
  uint32_t index;
};

// Up to 16 bytes of `path` from `start`, a character boundary, as two big-endian words
// padded with zeros: single-byte characters folded, double-byte ones as they are. Paths
// that agree before `start` order as these bytes do wherever the bytes differ, because
// the comparison walks the same characters and decides on the same bytes.
void OrderBytes(std::string_view path, size_t start, uint64_t* high, uint64_t* low) {
  unsigned char bytes[16] = {};
  size_t k = 0;
  for (size_t i = start; i < path.size() && k < sizeof bytes;) {
    const auto c = static_cast<unsigned char>(path[i]);
    if (text::IsLeadByte(c) && i + 1 < path.size()) {
      bytes[k++] = c;
      if (k < sizeof bytes) bytes[k++] = static_cast<unsigned char>(path[i + 1]);
      i += 2;
    } else {
      bytes[k++] = text::FoldAscii(c);
      ++i;
    }
  }
  *high = 0;
  *low = 0;
  for (size_t j = 0; j < 8; ++j) *high = (*high << 8) | bytes[j];
  for (size_t j = 8; j < 16; ++j) *low = (*low << 8) | bytes[j];
}

// The length of the start every path shares, cut back to a character boundary.
size_t SharedStart(const std::deque<Track*>& rows) {
  const std::string_view first = rows.front()->Path();
  size_t shared = first.size();
  for (const auto& row : rows) {
    const std::string_view path = row->Path();
    const size_t n = std::min(shared, path.size());
    size_t i = 0;
    while (i < n && path[i] == first[i]) ++i;
    shared = i;
  }
  size_t boundary = 0;
  for (size_t i = 0; i <= shared && i < first.size(); i += static_cast<size_t>(text::CharLength(first, i))) boundary = i;
  return std::min(boundary, shared);
}

}  // namespace

int TrackList::AddTracks(std::vector<NewTrack>&& batch) {
  TrackBatch rows;
  for (NewTrack& row : batch) {
    // The row is made with its cells, as setting them in their order would leave them.
    const std::string_view* title = nullptr;
    std::string_view givenTitle;
    std::string_view tags[kRowTagCount];
    std::copy(std::begin(kNoTags), std::end(kNoTags), tags);
    bool tagged = false;
    for (const auto& cell : row.cells) {
      if (cell.first == kColumnTitle) {
        title = &(givenTitle = cell.second);
      } else if (IsSettable(cell.first)) {
        tags[TagIndex(cell.first)] = cell.second;
        tagged = true;
      }
    }
    rows.Add(row.path, title, tagged ? tags : nullptr);
    row = NewTrack();  // the batch's memory goes as it is taken over
  }
  std::vector<NewTrack>().swap(batch);
  return AddTracks(std::move(rows));
}

int TrackList::AddTracks(TrackBatch&& batch) {
  // The batch's rows are taken over; a row whose path turns out to be listed already is
  // dropped at the end. Until the new rows are linked in, the list is not touched, so a
  // failure changes nothing.
  TrackBatch taken(std::move(batch));  // its rows go back to its pool unless linked in
  std::deque<Track*>& made = taken.rows_;
  if (made.empty()) return 0;
  for (size_t i = 0; i < made.size(); ++i) AllocationStep();

  // The new rows in path order, the first given of equal paths first. A batch already in
  // order, as an exported list is, is recognised in one pass and not sorted.
  bool inOrder = true;
  for (size_t i = 1; i < made.size() && inOrder; ++i) inOrder = CompareTrackPaths(made[i - 1]->Path(), made[i]->Path()) <= 0;
  std::vector<BatchKey> order;
  if (!inOrder) {
    order.resize(made.size());
    const size_t shared = SharedStart(made);
    for (size_t i = 0; i < made.size(); ++i) {
      uint64_t low = 0;
      OrderBytes(made[i]->Path(), shared, &order[i].high, &low);
      order[i].low = static_cast<uint32_t>(low >> 32);
      order[i].index = static_cast<uint32_t>(i);
    }
    // Path order, and the batch's own order between equal paths.
    std::sort(order.begin(), order.end(), [&made](const BatchKey& a, const BatchKey& b) {
      if (a.high != b.high) return a.high < b.high;
      if (a.low != b.low) return a.low < b.low;
      const int byPath = CompareTrackPaths(made[a.index]->Path(), made[b.index]->Path());
      return byPath != 0 ? byPath < 0 : a.index < b.index;
    });
  }
  const auto batchIndex = [&](size_t k) { return inOrder ? static_cast<uint32_t>(k) : order[k].index; };

  // One pass over the list and the sorted rows lays all rows out in new blocks, three
  // quarters full so that single adds can follow without splitting.
  constexpr size_t kFill = kBlockSize * 3 / 4;
  std::vector<Block> blocks;
  blocks.reserve((static_cast<size_t>(count_) + made.size()) / kFill + 1);
  std::vector<bool> joins(made.size());  // by batch index: the row joins the list
  int added = 0;
  int placed = 0;
  const auto placeNew = [&](Track* track) {
    if (blocks.empty() || blocks.back().rows.size() == kFill) {
      blocks.emplace_back();
      blocks.back().rows.reserve(kBlockSize);
    }
    blocks.back().rows.push_back(track);
    ++placed;
  };
  const auto place = [&](Track* track) {
    placeNew(track);
    blocks.back().selected += track->selected ? 1 : 0;
  };
  int focus = -1;
  int anchor = -1;
  int oldIndex = 0;
  size_t ob = 0;  // the next old row: block and offset
  size_t oo = 0;
  const auto takeOld = [&](size_t end) {
    for (const auto& rows = blocks_[ob].rows; oo < end; ++oo, ++oldIndex) {
      if (oldIndex == focus_) focus = placed;
      if (oldIndex == anchor_) anchor = placed;
      place(rows[oo]);
    }
  };
  // The new rows are read in path order, which is not the order they lie in memory: they
  // are read only where that is needed, for a path whose key equals the one before and
  // to compare with the old rows.
  const Track* previous = nullptr;  // the new row before that was kept
  for (size_t k = 0; k < made.size(); ++k) {
    const uint32_t index = batchIndex(k);
    Track* track = made[index];
    // Equal paths sort next to each other, and paths with different keys differ.
    const bool sameKey =
        k > 0 && (inOrder || (order[k].high == order[k - 1].high && order[k].low == order[k - 1].low));
    if (sameKey && previous->Path() == track->Path()) continue;  // an earlier row of the batch has it
    previous = track;
    const std::string_view path = ob < blocks_.size() ? track->Path() : std::string_view();
    // The old rows before the path, whole blocks at a time.
    while (ob < blocks_.size()) {
      const auto& rows = blocks_[ob].rows;
      if (CompareTrackPaths(rows.back()->Path(), path) < 0) {
        takeOld(rows.size());
        ++ob;
        oo = 0;
        continue;
      }
      takeOld(FirstNotBefore(rows, oo, path));
      break;
    }
    if (ob < blocks_.size() && blocks_[ob].rows[oo]->Path() == path) continue;  // listed
    joins[index] = true;
    ++added;
    placeNew(track);  // a new row is not selected
  }
  if (added == 0) return 0;
  for (; ob < blocks_.size(); ++ob, oo = 0) takeOld(blocks_[ob].rows.size());
  std::vector<int> starts;
  starts.reserve(blocks.size());
  pool_->ReserveFor(*taken.pool_);

  // From here on nothing can fail. The batch's rows that do not join were listed already
  // and go; the list's pool takes over the batch's, their slots free again.
  for (size_t i = 0; i < made.size(); ++i) {
    if (!joins[i]) taken.pool_->Delete(made[i]);
  }
  made.clear();
  pool_->Adopt(std::move(*taken.pool_));
  CountStarts(blocks, &starts);
  blocks_.swap(blocks);
  starts_.swap(starts);
  count_ = placed;
  focus_ = focus;
  anchor_ = anchor;
  if (added > 0) changed_ = true;
  return added;
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
    const auto end = std::remove_if(rows.begin(), rows.end(), [this](Track* t) {
      if (!t->selected) return false;
      pool_->Delete(t);
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
  changed_ = true;
}

std::string_view TrackList::GetItemText(int row, int column) const {
  if (column < 0 || column >= kTrackColumnCount) return kEmpty;
  const Track* track = RowAt(row);
  return track ? CellOf(*track, column) : kEmpty;
}

void TrackList::SetItemText(int row, int column, const std::string& text) {
  if (!IsSettable(column)) return;
  Track* track = RowAt(row);
  if (!track) return;
  AllocationStep();
  if (CellOf(*track, column) == text) return;  // the same text is no change
  CellToSet(*track, column) = text;  // unchanged when the copy fails (tags made empty show nothing)
  changed_ = true;
}

void TrackList::SetItemTexts(const std::vector<CellEdit>& edits) {
  const auto rowOf = [this](const CellEdit& edit) { return IsSettable(edit.column) ? RowAt(edit.row) : nullptr; };
  // Copies first, and the tags made where they are needed; then swapped in, which cannot fail.
  std::vector<std::string> texts;
  texts.reserve(edits.size());
  bool changes = false;  // some cell gets another text
  for (const CellEdit& edit : edits) {
    Track* track = rowOf(edit);
    if (!track) continue;
    AllocationStep();
    texts.push_back(edit.text);
    if (CellOf(*track, edit.column) != edit.text) changes = true;
    CellToSet(*track, edit.column);
  }
  size_t next = 0;
  for (const CellEdit& edit : edits) {
    if (Track* track = rowOf(edit)) CellToSet(*track, edit.column).swap(texts[next++]);
  }
  if (changes) changed_ = true;
}

void TrackList::SetFocusedTrack(int row) { focus_ = row >= 0 && row < count_ ? row : -1; }

void TrackList::SetAnchorTrack(int row) { anchor_ = row >= 0 && row < count_ ? row : -1; }

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

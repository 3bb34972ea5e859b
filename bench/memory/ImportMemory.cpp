// Heap use of importing a list file of 100,000 rows: the peak while the import runs and
// what the list holds after it, per row, beside the bytes of the rows' text. Every
// allocation of the program is counted by its usable size through operator new, so it is
// a program of its own.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "bench/UserRows.h"
#include "core/EncodingInfoFile.h"
#include "core/TrackList.h"

namespace {
size_t g_inUse = 0;
size_t g_peak = 0;
}  // namespace

void* operator new(size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  g_inUse += malloc_usable_size(p);
  g_peak = std::max(g_peak, g_inUse);
  return p;
}
// Every form of delete ends here; calling operator delete from operator delete[] would
// be taken by GCC for a mismatched pair.
static void Release(void* p) noexcept {
  if (p) g_inUse -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

constexpr int kRows = 100000;

void Measure(const char* name, const std::string& file, double textPerRow) {
  const size_t before = g_inUse;
  g_peak = g_inUse;
  auto* list = new TrackList;
  ReadEncodingInfo(*list, file);
  const size_t held = g_inUse - before;
  const size_t peak = g_peak - before;
  std::printf("%-22s rows %d  peak %6.1f MB (%5.0f B/row)  held %6.1f MB (%5.0f B/row)  text %3.0f B/row\n", name,
              list->GetTrackCount(), peak / 1e6, double(peak) / kRows, held / 1e6, double(held) / kRows, textPerRow);
  delete list;
}

}  // namespace

int main() {
  std::string inOrder;
  double textPerRow = 0;
  {
    TrackList source;
    source.AddTracks(UserRows(kRows));  // the same rows as the timing benchmarks
    inOrder = EncodingInfoText(source);
    size_t text = 0;
    for (int row = 0; row < source.GetTrackCount(); ++row)
      for (int column = 0; column < kTrackColumnCount; ++column) text += source.GetItemText(row, column).size();
    textPerRow = double(text) / kRows;
  }
  // The same file with its rows shuffled, the header first.
  std::vector<std::string> lines;
  size_t start = inOrder.find("\r\n") + 2;
  const std::string header = inOrder.substr(0, start);
  while (start < inOrder.size()) {
    const size_t end = inOrder.find("\r\n", start) + 2;
    lines.push_back(inOrder.substr(start, end - start));
    start = end;
  }
  std::shuffle(lines.begin(), lines.end(), std::mt19937(7));
  std::string shuffled = header;
  for (const std::string& line : lines) shuffled += line;
  lines.clear();
  lines.shrink_to_fit();

  std::printf("file %.1f MB\n", inOrder.size() / 1e6);
  Measure("import in list order", inOrder, textPerRow);
  Measure("import shuffled", shuffled, textPerRow);
  return 0;
}

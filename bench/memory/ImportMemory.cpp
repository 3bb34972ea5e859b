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
void operator delete(void* p) noexcept {
  if (p) g_inUse -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void* operator new[](size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace {

constexpr int kRows = 100000;

// The same rows as the timing benchmarks: a music folder, Japanese title and author, a
// copyright line, a short description, a save path on every third row.
void Fill(TrackList& list) {
  for (int i = 0; i < kRows; ++i) {
    const std::string n = std::to_string(i);
    const int row = list.AddTrack("C:\\Users\\someone\\Music\\アルバム " + std::to_string(i % 997) + "\\Track " + n +
                                  ".wav");
    list.SetItemText(row, kColumnTitle, (i % 10 == 0 ? "曲名, その" : "曲名 その") + n);
    list.SetItemText(row, kColumnAuthor, "山田 太郎 & The Players");
    list.SetItemText(row, kColumnCopyright, "(C) 2004 Example Records");
    list.SetItemText(row, kColumnDescription, "ライブ録音 第" + n + "回");
    if (i % 3 == 0) list.SetItemText(row, kColumnSavePath, "D:\\Encoded\\Track " + n + ".wma");
  }
}

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
    Fill(source);
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

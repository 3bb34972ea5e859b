// Adding many rows at once, at 100,000 rows: the list file imported in list order and
// shuffled, and a batch of random paths added to a list that holds 100,000 already. Each
// runs beside its baseline: std::sort of the same paths as std::strings with the list's
// comparison, from the same starting order. Adding one row to a long list is
// BM_AddOneRowTo100k in TrackListBench.cpp.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/UserRows.h"
#include "core/EncodingInfoFile.h"
#include "core/TrackList.h"

namespace {

constexpr int kRows = 100000;

bool PathBefore(const std::string& a, const std::string& b) { return CompareTrackPaths(a, b) < 0; }

// The rows as a list, kept for the whole run as the program keeps its list.
const TrackList& Source() {
  static TrackList* list = [] {
    auto* l = new TrackList;
    l->AddTracks(UserRows(kRows));
    return l;
  }();
  return *list;
}

// The list file as export writes it (in list order), or with its rows shuffled as a
// spreadsheet re-sorting the list by another column leaves them, on disk; and its paths
// in the file's order.
struct ListFile {
  explicit ListFile(bool shuffled);
  ~ListFile() { std::remove(name.c_str()); }
  ListFile(const ListFile&) = delete;
  ListFile& operator=(const ListFile&) = delete;

  std::string name;
  std::vector<std::string> paths;
};

ListFile::ListFile(bool shuffled) {
  const TrackList& list = Source();
  std::vector<int> order(static_cast<size_t>(list.GetTrackCount()));
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(7));
  std::string text;
  AppendEncodingInfoHeader(&text);
  for (int row : order) {
    AppendEncodingInfoRow(list, row, &text);
    paths.emplace_back(list.GetItemText(row, kColumnPath));
  }
  name = "/tmp/brumlet-batch-bench-" + std::to_string(::getpid()) + (shuffled ? "-shuffled" : "") + ".csv";
  std::FILE* out = std::fopen(name.c_str(), "wb");
  if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fclose(out) != 0) std::abort();
}

const ListFile& InListOrder() {
  static const ListFile file(false);
  return file;
}

const ListFile& Shuffled() {
  static const ListFile file(true);
  return file;
}

// The import as the main window runs it, without the dialog: the file read in 64 KB
// pieces into the reader, whose rows join the list in one batch.
void Import(benchmark::State& state, const ListFile& file) {
  std::vector<char> buffer(64 * 1024);
  for (auto _ : state) {
    auto* list = new TrackList;
    std::FILE* in = std::fopen(file.name.c_str(), "rb");
    if (!in) state.SkipWithError("cannot open the list file");
    EncodingInfoReader reader(*list);
    for (size_t got; in && (got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) reader.Feed(buffer.data(), got);
    reader.Finish();
    if (in) std::fclose(in);
    if (list->GetTrackCount() != kRows) state.SkipWithError("the import lost rows");
    state.PauseTiming();  // freeing the list is not part of importing
    delete list;
    state.ResumeTiming();
  }
}

void SortBaseline(benchmark::State& state, const std::vector<std::string>& paths) {
  for (auto _ : state) {
    state.PauseTiming();
    auto* copy = new std::vector<std::string>(paths);
    state.ResumeTiming();
    std::sort(copy->begin(), copy->end(), PathBefore);
    benchmark::DoNotOptimize(copy->data());
    state.PauseTiming();
    delete copy;
    state.ResumeTiming();
  }
}

void BM_ImportInListOrder(benchmark::State& state) { Import(state, InListOrder()); }
void BM_ImportInListOrder_Baseline(benchmark::State& state) { SortBaseline(state, InListOrder().paths); }
void BM_ImportShuffled(benchmark::State& state) { Import(state, Shuffled()); }
void BM_ImportShuffled_Baseline(benchmark::State& state) { SortBaseline(state, Shuffled().paths); }
BENCHMARK(BM_ImportInListOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportInListOrder_Baseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportShuffled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportShuffled_Baseline)->Unit(benchmark::kMillisecond);

// 100,000 paths in random order, spread over the same folders as the listed ones.
const std::vector<std::string>& RandomPaths() {
  static const std::vector<std::string> paths = [] {
    std::mt19937 rng(11);
    std::vector<std::string> out;
    for (int i = 0; i < kRows; ++i) {
      out.push_back("C:\\Users\\someone\\Music\\アルバム " + std::to_string(rng() % 997) + "\\Take " +
                    std::to_string(rng() % 1000000000) + ".wav");
    }
    return out;
  }();
  return paths;
}

void BM_BatchInto100k(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto* list = new TrackList;
    list->AddTracks(UserRows(kRows));
    std::vector<NewTrack> batch;
    for (const std::string& path : RandomPaths()) batch.push_back({path, {}});
    state.ResumeTiming();
    list->AddTracks(std::move(batch));
    benchmark::DoNotOptimize(list->GetTrackCount());
    state.PauseTiming();
    delete list;
    state.ResumeTiming();
  }
}

// The listed paths in list order, then the batch in its own order.
void BM_BatchInto100k_Baseline200k(benchmark::State& state) {
  std::vector<std::string> paths = InListOrder().paths;
  paths.insert(paths.end(), RandomPaths().begin(), RandomPaths().end());
  SortBaseline(state, paths);
}
BENCHMARK(BM_BatchInto100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BatchInto100k_Baseline200k)->Unit(benchmark::kMillisecond);

}  // namespace

// Track list timings at 100,000 rows: random-order adds, walks over the cells, and
// removing every other row.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "core/TrackList.h"

namespace {

constexpr int kRows = 100000;

std::vector<std::string> RandomPaths() {
  std::vector<std::string> paths;
  for (int i = 0; i < kRows; ++i) {
    paths.push_back("C:\\Users\\someone\\Music\\Album " + std::to_string(i % 977) + "\\Track " + std::to_string(i) +
                    ".wav");
  }
  std::shuffle(paths.begin(), paths.end(), std::mt19937(42));
  return paths;
}

void Fill(TrackList& list, const std::vector<std::string>& paths) {
  for (const auto& p : paths) list.AddTrack(p);
}

void BM_AddTrack100k(benchmark::State& state) {
  const auto paths = RandomPaths();
  for (auto _ : state) {
    TrackList list;
    Fill(list, paths);
    benchmark::DoNotOptimize(list.GetTrackCount());
    state.PauseTiming();  // the destruction is not part of adding
    { TrackList gone; }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddTrack100k)->Unit(benchmark::kMillisecond);

void BM_WalkColumn0(benchmark::State& state) {
  TrackList list;
  Fill(list, RandomPaths());
  for (auto _ : state) {
    size_t total = 0;
    for (int r = 0; r < list.GetTrackCount(); ++r) total += list.GetItemText(r, 0).size();
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_WalkColumn0)->Unit(benchmark::kMillisecond);

void BM_WalkAllCells(benchmark::State& state) {
  TrackList list;
  Fill(list, RandomPaths());
  for (auto _ : state) {
    size_t total = 0;
    for (int r = 0; r < list.GetTrackCount(); ++r)
      for (int c = 0; c < kTrackColumnCount; ++c) total += list.GetItemText(r, c).size();
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_WalkAllCells)->Unit(benchmark::kMillisecond);

void BM_RemoveEveryOtherRow(benchmark::State& state) {
  const auto paths = RandomPaths();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<TrackList>();
    Fill(*list, paths);
    for (int r = 0; r < kRows; r += 2) list->SetSelected(r, true);
    state.ResumeTiming();
    list->RemoveSelectedTracks();
    benchmark::DoNotOptimize(list->GetTrackCount());
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RemoveEveryOtherRow)->Unit(benchmark::kMillisecond);

}  // namespace

// Track list timings at 100,000 rows: adding one row, walks over the cells, and removing
// every other row. Adding many rows at once is in BatchAddBench.cpp.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

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
  std::vector<NewTrack> batch;
  for (const auto& p : paths) batch.push_back({p, {}});
  list.AddTracks(std::move(batch));
}

// One file dropped on a list of 100,000 rows, in the middle of it: the whole list moves
// to make room, which is what a batch of one costs.
void BM_AddOneRowTo100k(benchmark::State& state) {
  TrackList list;
  Fill(list, RandomPaths());
  const std::string path = "C:\\Users\\someone\\Music\\Album 500\\Dropped.wav";
  for (auto _ : state) {
    const int row = list.AddTrack(path);
    benchmark::DoNotOptimize(row);
    state.PauseTiming();  // taking it out again is not part of adding
    list.SetSelected(row, true);
    list.RemoveSelectedTracks();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddOneRowTo100k)->Unit(benchmark::kMillisecond);

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

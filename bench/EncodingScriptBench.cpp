// Writing the encoding script for 10,000 and 100,000 rows: once with every source
// really opened (files that exist on disk) and once with the opens served by a fake,
// which measures the builder alone. Reported as rows per second.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/EncodingScript.h"
#include "core/TrackList.h"
#include "platform/Files.h"
#include "tests/FakePrompter.h"
#include "tests/FakeSources.h"

namespace {

// Rows with typical tags; `folder` is where the sources are.
void Fill(TrackList& tracks, const std::string& folder, int rows, char separator) {
  std::vector<NewTrack> batch;
  for (int i = 0; i < rows; ++i) {
    batch.push_back({folder + separator + "Track " + std::to_string(i) + ".wav",
                     {{kColumnAuthor, "Some Artist"},
                      {kColumnCopyright, "(c) 2024 Label & Co. 100%"},
                      {kColumnDescription, "Live recording \"take 2\""}}});
  }
  tracks.AddTracks(std::move(batch));
}

void Report(benchmark::State& state, int rows, const FakePrompter& prompter) {
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
  if (!prompter.messages.empty()) state.SkipWithError("rows were left out");
}

void BM_WriteScriptFakeOpens(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TrackList tracks;
  Fill(tracks, "C:\\Users\\someone\\Music\\Album", rows, '\\');
  FakeSources files;
  files.everySourceExists = true;
  FakePrompter prompter;
  for (auto _ : state) {
    MemoryFile file;
    file.keep = false;  // counted and dropped: the disk is not what is measured
    WriteEncodingScript(tracks, files, prompter, file, "C:\\Program Files\\Windows Media Components\\Encoder",
                        file.FullPath());
    benchmark::DoNotOptimize(file.bytes);
  }
  Report(state, rows, prompter);
}
BENCHMARK(BM_WriteScriptFakeOpens)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WriteScriptRealOpens(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("brumlet-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  for (int i = 0; i < rows; ++i) std::ofstream(folder / ("Track " + std::to_string(i) + ".wav")) << "RIFF";
  TrackList tracks;
  Fill(tracks, folder.string(), rows, '/');
  FakePrompter prompter;
  for (auto _ : state) {
    MemoryFile file;
    file.keep = false;  // counted and dropped: the disk is not what is measured
    WriteEncodingScript(tracks, PlatformFileSystem(), prompter, file, "/encoder", file.FullPath());
    benchmark::DoNotOptimize(file.bytes);
  }
  Report(state, rows, prompter);
  fs::remove_all(folder);
}
BENCHMARK(BM_WriteScriptRealOpens)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

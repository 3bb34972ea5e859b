// Encoding-information file timings at 100,000 rows of realistic length: export (the
// whole road: write beside the target, close, move over it) and import of the file as
// export writes it, beside the raw write and read speed of the same bytes.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "bench/UserRows.h"
#include "core/EncodingInfoFile.h"
#include "platform/Files.h"
#include "platform/Prompter.h"

namespace {

constexpr int kRows = 100000;

// Answers every file dialog with one path; any message is a failed run.
class FixedPrompter : public Prompter {
public:
  explicit FixedPrompter(std::string path) : path_(std::move(path)) {}
  void ShowMessage(const std::string&) override { failed = true; }
  bool AskYesNo(const std::string&) override { return false; }
  Answer AskYesNoCancel(const std::string&) override { return Answer::kCancel; }
  bool AskYesNoDefaultNo(const std::string&) override { return false; }
  bool ChooseFiles(const FileDialogRequest&, std::vector<SystemPath>* paths) override {
    *paths = {SystemPathOf(path_)};
    return true;
  }
  bool BrowseForFolder(const std::string&, SystemPath*) override { return false; }
  bool failed = false;

private:
  std::string path_;
};

std::string BenchFile() { return "/tmp/brumlet-bench-" + std::to_string(::getpid()) + ".csv"; }

TrackList& Source() {
  static TrackList* list = [] {
    auto* l = new TrackList;
    l->AddTracks(UserRows(kRows));
    return l;
  }();
  return *list;
}

void BM_Export100k(benchmark::State& state) {
  const std::string path = BenchFile();
  FixedPrompter prompter(path);
  for (auto _ : state) ExportEncodingInfo(Source(), prompter);
  if (prompter.failed) state.SkipWithError("export reported a failure");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(EncodingInfoText(Source()).size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_Export100k)->Unit(benchmark::kMillisecond);

void BM_Import100k(benchmark::State& state) {
  const std::string path = BenchFile();
  FixedPrompter prompter(path);
  ExportEncodingInfo(Source(), prompter);
  for (auto _ : state) {
    auto* list = new TrackList;
    ImportEncodingInfo(*list, prompter);
    if (list->GetTrackCount() != kRows) state.SkipWithError("import lost rows");
    state.PauseTiming();  // freeing the list is not part of importing
    delete list;
    state.ResumeTiming();
  }
  if (prompter.failed) state.SkipWithError("import reported a failure");
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(EncodingInfoText(Source()).size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_Import100k)->Unit(benchmark::kMillisecond);

// The same bytes written in one piece and read in 64 KB pieces: what the disk and the
// file services give, the floor for the two above.
void BM_RawWriteSameFile(benchmark::State& state) {
  const std::string path = BenchFile();
  const std::string bytes = EncodingInfoText(Source());
  for (auto _ : state) {
    auto file = PlatformFileSystem().CreateForWriting(path, FileSystem::Create::kTruncate);
    if (!file || !file->Write(bytes.data(), bytes.size()) || !file->Close()) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  std::remove(path.c_str());
}
BENCHMARK(BM_RawWriteSameFile)->Unit(benchmark::kMillisecond);

void BM_RawReadSameFile(benchmark::State& state) {
  const std::string path = BenchFile();
  FixedPrompter prompter(path);
  ExportEncodingInfo(Source(), prompter);
  std::string buffer(64 * 1024, '\0');
  size_t total = 0;
  for (auto _ : state) {
    auto file = PlatformFileSystem().OpenForReading(path);
    size_t got = 0;
    total = 0;
    while (file && file->Read(&buffer[0], buffer.size(), &got) && got > 0) total += got;
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(total));
  std::remove(path.c_str());
}
BENCHMARK(BM_RawReadSameFile)->Unit(benchmark::kMillisecond);

}  // namespace

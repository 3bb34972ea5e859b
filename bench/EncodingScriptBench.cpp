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
#include "platform/Prompter.h"

namespace {

class NullPrompter : public Prompter {
public:
  int messages = 0;
  void ShowMessage(const std::string&) override { ++messages; }
  bool AskYesNo(const std::string&) override { return true; }
  bool ChooseFiles(const FileDialogRequest&, std::vector<SystemPath>*) override { return false; }
  bool BrowseForFolder(const std::string&, SystemPath*) override { return false; }
};

// Counts the bytes and drops them, so the disk is not what is measured.
class CountingFile : public OutputFile {
public:
  size_t bytes = 0;
  bool Write(const char*, size_t size) override {
    bytes += size;
    return true;
  }
  bool Close() override { return true; }
  const std::string& FullPath() const override { return path_; }

private:
  std::string path_ = "C:\\TEMP\\te4w45iti4r2mp.bat";
};

// Every source exists; the full path is the path itself.
class FakeSources : public FileSystem {
public:
  bool OpenSource(const std::string& path, SourceFileInfo* info) override {
    info->fullPath = path;
    info->fileName = FileNameOfPath(path);
    return true;
  }
  std::unique_ptr<InputFile> OpenForReading(const std::string&) override { return nullptr; }
  std::unique_ptr<OutputFile> CreateForWriting(const std::string&, Create) override { return nullptr; }
  bool Replace(const std::string&, const std::string&) override { return false; }
  bool Remove(const std::string&) override { return false; }
  bool Exists(const std::string&) override { return true; }
};

// Rows with typical tags; `folder` is where the sources are.
void Fill(TrackList& tracks, const std::string& folder, int rows, char separator) {
  for (int i = 0; i < rows; ++i) {
    const int row = tracks.AddTrack(folder + separator + "Track " + std::to_string(i) + ".wav");
    tracks.SetItemText(row, kColumnAuthor, "Some Artist");
    tracks.SetItemText(row, kColumnCopyright, "(c) 2024 Label & Co. 100%");
    tracks.SetItemText(row, kColumnDescription, "Live recording \"take 2\"");
  }
}

void Report(benchmark::State& state, int rows, const NullPrompter& prompter) {
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
  if (prompter.messages != 0) state.SkipWithError("rows were left out");
}

void BM_WriteScriptFakeOpens(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  TrackList tracks;
  Fill(tracks, "C:\\Users\\someone\\Music\\Album", rows, '\\');
  FakeSources files;
  NullPrompter prompter;
  for (auto _ : state) {
    CountingFile file;
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
  NullPrompter prompter;
  for (auto _ : state) {
    CountingFile file;
    WriteEncodingScript(tracks, PlatformFileSystem(), prompter, file, "/encoder", file.FullPath());
    benchmark::DoNotOptimize(file.bytes);
  }
  Report(state, rows, prompter);
  fs::remove_all(folder);
}
BENCHMARK(BM_WriteScriptRealOpens)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

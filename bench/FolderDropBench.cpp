// A dropped tree of 10,000 WAV files in 100 folders (an album each, with its cover and
// a text file beside the tracks), walked over a made-up file system and added to an
// empty list as the drop adds it: one batch. Target: at most 1 s.
#include <benchmark/benchmark.h>

#include <string>

#include "core/DroppedItems.h"
#include "core/TrackList.h"
#include "platform/TextConversion.h"
#include "tests/FakeFolders.h"

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
const std::u16string kTop = u"C:\\Users\\someone\\Music";

FakeFolders& Tree() {
  static FakeFolders* tree = [] {
    auto* t = new FakeFolders;
    t->record = false;
    for (int f = 0; f < kFolders; ++f) {
      const std::u16string album = kTop + u"\\" + textconv::FromCp932("アルバム " + std::to_string(f));
      t->Add(album + u"\\cover.jpg");
      t->Add(album + u"\\notes.txt");
      for (int i = 0; i < kFilesPerFolder; ++i) {
        t->Add(album + u"\\" + textconv::FromCp932("トラック " + std::to_string(i) + ".wav"));
      }
    }
    return t;
  }();
  return *tree;
}

void BM_DropTreeOf10000(benchmark::State& state) {
  FakeFolders& tree = Tree();
  for (auto _ : state) {
    auto* list = new TrackList;
    std::string message;
    AddDroppedFiles(*list, FindDroppedItems({kTop}, tree), &message);
    if (list->GetTrackCount() != kFolders * kFilesPerFolder || !message.empty()) state.SkipWithError("rows lost");
    state.PauseTiming();  // freeing the list is not part of the drop
    delete list;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DropTreeOf10000)->Unit(benchmark::kMillisecond);

}  // namespace

// The command that fills the selected rows' tag cells from the tags their WAV files
// carry, and the one message that reports it.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/TrackList.h"
#include "platform/Files.h"

struct TagReadingResult {
  int selected = 0;                     // rows read
  int tagged = 0;                       // rows whose file had at least one of the four tags
  std::vector<std::string> unreadable;  // paths that could not be opened or are no WAV file
};

using SourceOpener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

// For each selected row in ascending order: opens its source through `open` and puts
// every non-empty tag into its cell (title, author, copyright, description). A cell for
// which the file has no tag keeps its text; the path, quality and save path never change.
TagReadingResult ReadTagsOfSelectedTracks(TrackList& list, const SourceOpener& open = OpenSharedSource);

// "<selected>曲中 <tagged>曲のタグを読み込みました。", then the unreadable paths one per
// line (at most kMaxListedUnreadable, then how many more).
constexpr size_t kMaxListedUnreadable = 20;
std::string TagReadingMessage(const TagReadingResult& result);

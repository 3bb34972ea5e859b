#include "core/TagReading.h"

#include <cstdio>

#include "core/Texts.h"
#include "core/WavTags.h"

TagReadingResult ReadTagsOfSelectedTracks(TrackList& list, const SourceOpener& open) {
  TagReadingResult result;
  for (int row = list.GetFirstSelectedTrack(); row != -1; row = list.GetNextSelectedTrack(row)) {
    ++result.selected;
    const std::string path(list.GetItemText(row, kColumnPath));
    std::unique_ptr<ByteSource> source = open(path);
    WavTags tags;
    if (!source || !ReadWavTags(*source, &tags)) {
      result.unreadable.push_back(path);
      continue;
    }
    if (tags.Empty()) continue;
    ++result.tagged;
    const std::pair<int, const std::string*> cells[] = {{kColumnTitle, &tags.title},
                                                        {kColumnAuthor, &tags.author},
                                                        {kColumnCopyright, &tags.copyright},
                                                        {kColumnDescription, &tags.description}};
    for (const auto& cell : cells) {
      if (!cell.second->empty()) list.SetItemText(row, cell.first, *cell.second);
    }
  }
  return result;
}

std::string TagReadingMessage(const TagReadingResult& result) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, fixed_texts::kTagsRead, result.selected, result.tagged);
  std::string message = buffer;
  if (result.unreadable.empty()) return message;
  message += fixed_texts::kTagsUnreadable;
  for (size_t i = 0; i < result.unreadable.size() && i < kMaxListedUnreadable; ++i) {
    if (i > 0) message += '\n';
    message += result.unreadable[i];
  }
  if (result.unreadable.size() > kMaxListedUnreadable) {
    std::snprintf(buffer, sizeof buffer, fixed_texts::kTagsUnreadableMore,
                  static_cast<int>(result.unreadable.size() - kMaxListedUnreadable));
    message += '\n';
    message += buffer;
  }
  return message;
}

#include "core/ChosenFiles.h"

#include "core/Texts.h"
#include "platform/PathNames.h"
#include "platform/Prompter.h"
#include "platform/TextConversion.h"

std::string TitleFromLongName(const std::u16string& wide) {
  return textconv::ToCp932Display(FileTitleOfPath(wide));
}

int AddChosenFiles(TrackList& tracks, const std::vector<SystemPath>& files, std::string* refusal) {
  std::vector<NewTrack> batch;
  batch.reserve(files.size());
  std::string refused;
  for (const SystemPath& file : files) {
    if (!file.Usable()) {
      refused += (refused.empty() ? "" : "\n") + file.Shown();
      continue;
    }
    NewTrack row;
    row.path = file.path;
    if (file.viaShortPath) row.cells.emplace_back(kColumnTitle, TitleFromLongName(file.wide));
    batch.push_back(std::move(row));
  }
  *refusal = refused.empty() ? std::string() : fixed_texts::kCannotAddFiles + refused;
  return tracks.AddTracks(std::move(batch));
}

bool AcceptChosenFolder(const SystemPath& folder, Prompter& prompter) {
  if (folder.Usable()) return true;
  prompter.ShowMessage(fixed_texts::kCannotChooseFolder + folder.Shown());
  return false;
}

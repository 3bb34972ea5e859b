#include "core/TrackEditing.h"

#include <vector>

#include "platform/PathNames.h"

namespace {

// The tag fields of the form beside the column each belongs to, in merge order.
struct TagField {
  std::string TrackInfoForm::*text;
  int TrackInfoForm::*mode;
  int column;
};
const TagField kTagFields[] = {
    {&TrackInfoForm::author, &TrackInfoForm::authorMode, kColumnAuthor},
    {&TrackInfoForm::copyright, &TrackInfoForm::copyrightMode, kColumnCopyright},
    {&TrackInfoForm::description, &TrackInfoForm::descriptionMode, kColumnDescription},
    {&TrackInfoForm::title, &TrackInfoForm::titleMode, kColumnTitle},
};

}  // namespace

std::string SaveNameOf(std::string_view path) {
  // The name as the path spells it: never as the shell would show it, which may hide
  // the extension, and never refused for '[', ']' or '*' in a folder's name.
  std::string name(path.substr(static_cast<size_t>(FileNameStart(path))));
  // Any case: a source named Take.WAV must not give an output named like itself.
  if (EndsWithWav(name)) name.replace(name.size() - 4, 4, ".wma");
  return name;
}

bool MergeSelectedTracks(const TrackList& tracks, TrackInfoForm* form) {
  const int first = tracks.GetFirstSelectedTrack();
  if (first < 0) return false;
  TrackInfoForm merged;
  for (const TagField& field : kTagFields) merged.*field.text = tracks.GetItemText(first, field.column);
  merged.fileName = SaveNameOf(tracks.GetItemText(first, kColumnPath));
  merged.savePath = tracks.GetItemText(first, kColumnSavePath);
  // A tag is shown only when every selected row has the same one; the save path is
  // always the first row's.
  for (int row = tracks.GetNextSelectedTrack(first); row >= 0; row = tracks.GetNextSelectedTrack(row)) {
    merged.fileName.clear();
    for (const TagField& field : kTagFields) {
      if (merged.*field.text != tracks.GetItemText(row, field.column)) (merged.*field.text).clear();
    }
  }
  *form = merged;
  return true;
}

void ApplyToSelectedTracks(TrackList& tracks, const TrackInfoForm& form) {
  const bool several = tracks.GetSelectedTrackCount() >= 2;
  // Every new text is worked out first and set in one step, so a failure part way
  // leaves every row as it was.
  std::vector<CellEdit> edits;
  for (int row = tracks.GetFirstSelectedTrack(); row >= 0; row = tracks.GetNextSelectedTrack(row)) {
    for (const TagField& field : kTagFields) {
      if (form.*field.mode == kChangeField) edits.push_back({row, field.column, form.*field.text});
    }
    if (form.savePathMode == kChangeField) {
      std::string savePath =
          several ? form.savePath + SaveNameOf(tracks.GetItemText(row, kColumnPath)) : form.savePath;
      edits.push_back({row, kColumnSavePath, std::move(savePath)});
    }
  }
  tracks.SetItemTexts(edits);
}

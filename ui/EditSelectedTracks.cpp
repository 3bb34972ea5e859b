#include "ui/EditSelectedTracks.h"

#include "core/TrackEditing.h"
#include "ui/TrackInfoDialog.h"

bool EditSelectedTracks(TrackList& tracks, HWND owner, Prompter& prompter) {
  TrackInfoForm form;
  if (!MergeSelectedTracks(tracks, &form)) return false;
  CTrackInfoDialog dialog(form, prompter, owner);
  if (dialog.DoModal() != IDOK) return false;
  ApplyToSelectedTracks(tracks, dialog.form);
  return true;
}

#include "ui/EditSelectedTracks.h"

#include "core/TrackEditing.h"
#include "platform/win32/Win32Prompter.h"
#include "ui/TrackInfoDialog.h"

bool EditSelectedTracks(TrackList& tracks, HWND owner, Prompter& prompter) {
  TrackInfoForm form;
  if (!MergeSelectedTracks(tracks, &form)) return false;
  CTrackInfoDialog dialog(form, prompter, owner);
  if (dialog.DoModal() != IDOK) return false;
  ApplyToSelectedTracks(tracks, dialog.form);
  return true;
}

bool EditSelectedTracks(TrackList& tracks, HWND owner) {
  Win32Prompter prompter(owner);
  return EditSelectedTracks(tracks, owner, prompter);
}

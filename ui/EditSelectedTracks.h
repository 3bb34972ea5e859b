// Editing the selected rows of the track list in the track information dialog.
#pragma once
#include <windows.h>

#include "core/TrackList.h"
#include "platform/Prompter.h"

// Merges the selected rows into the dialog, shows it owned by `owner` and, when the
// user confirms, writes the fields marked "change" into every selected row. Does
// nothing without a selection. True when rows were written (the view should redraw).
bool EditSelectedTracks(TrackList& tracks, HWND owner, Prompter& prompter);

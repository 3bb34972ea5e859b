// Editing the selected tracks through one TrackInfoForm: merging the selected rows
// into the form before the dialog shows it, and applying the fields the user chose to
// change afterwards. Only the tag and save-path cells are ever written.
#pragma once
#include <string>
#include <string_view>

#include "core/TrackInfoForm.h"
#include "core/TrackList.h"

// The name an encoded file gets when only a folder is given: the part of `path` after
// its last '\', '/' or ':' (double-byte aware), with a final ".wav" in any letter case
// replaced by ".wma". Empty for an empty path.
std::string SaveNameOf(std::string_view path);

// Fills `form` from the selected rows: the first row's tags, save path and save-name;
// with further rows no save-name, and every tag that differs between the rows emptied.
// False, leaving `form` alone, when no row is selected.
bool MergeSelectedTracks(const TrackList& tracks, TrackInfoForm* form);

// Writes the fields marked to be changed into every selected row. With several rows
// the save path is taken as a folder and each row's save-name is appended to it.
void ApplyToSelectedTracks(TrackList& tracks, const TrackInfoForm& form);

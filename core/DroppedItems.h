// What the user drops on the window, or the folder chosen by the add-folder command:
// the WAV files of the dropped files and of every folder under a dropped folder, and
// the dropped list files.
//
// A dropped item is a folder when the system says so, whatever its name (a folder named
// "x.wav" is walked, never listed). Files are kept when their names end in ".wav" in any
// letter case, converted like every path from the system (exact, else the short path,
// else refused by name), and skipped when that form passes kMaxPathBytes. Inside a
// walked folder, hidden and system items are left out, as Explorer shows a folder to
// most users, and folders that name another place (links, junctions, mount points) are
// not entered, so a loop cannot run forever; what the user dropped is walked whatever
// its attributes.
#pragma once
#include <string>
#include <vector>

#include "core/TrackList.h"
#include "platform/SystemPath.h"

class Folders;

struct DroppedItems {
  std::vector<SystemPath> wavFiles;       // in the order found, usable or not
  std::vector<std::u16string> listFiles;  // dropped ".csv" files, in the order of their paths
  std::vector<std::u16string> folders;    // the folders dropped or chosen
};

// Sorts the dropped items and walks the dropped folders.
DroppedItems FindDroppedItems(const std::vector<std::u16string>& items, Folders& folders);

// Adds the WAV files found as one batch (all or nothing, sorted once; a listed path
// changes nothing). `*message` becomes the one message the window shows once the list
// shows the new rows: the names that cannot be added, or, when folders were dropped and
// no WAV file was found at all, that message with the folders' names; else empty.
// Returns the number of rows added.
int AddDroppedFiles(TrackList& tracks, const DroppedItems& dropped, std::string* message);

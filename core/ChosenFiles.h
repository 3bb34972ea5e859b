// Paths the user hands the program through the system (files chosen in the open dialog
// or dropped on the window, a folder chosen in the browser), taken in the program's
// code page 932 form. A name that form cannot hold is used by its short path when it has
// one and refused with a message naming it otherwise.
#pragma once
#include <string>
#include <vector>

#include "core/TrackList.h"
#include "platform/SystemPath.h"

class Prompter;

// The default title of a track added by its short path: the long file name without its
// extension, in display form ("Cafe song" for Café song.wav), not the short name's.
std::string TitleFromLongName(const std::u16string& wide);

// Adds a row for every usable path in the order given (a listed one changes nothing);
// a row added by its short path gets its title from its long name, its other cells as
// for any row. `*refusal` becomes the message that names every path without a usable
// form, one per line, or stays empty; the window shows it once the list shows the new
// rows. Returns the number of rows added.
int AddChosenFiles(TrackList& tracks, const std::vector<SystemPath>& files, std::string* refusal);

// True when the folder chosen in the browser is usable; otherwise a message names it
// and the caller leaves the save path as it was.
bool AcceptChosenFolder(const SystemPath& folder, Prompter& prompter);

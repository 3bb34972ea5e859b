// The window-state file "Brumlet.cfg": the main window's outer size and the widths of
// the seven list columns, kept in the program's folder between runs. 40 bytes, ten
// little-endian 32-bit signed integers: version 100, width, height, column widths 0-6.
#pragma once
#include <string>

#include "core/TrackList.h"

class FileSystem;

inline const char kWindowStateFileName[] = "Brumlet.cfg";

struct WindowState {
  WindowState();  // 600 x 400 and the default column widths

  int width;   // outer frame, caption included
  int height;
  int columnWidths[kTrackColumnCount];
};

// Reads "Brumlet.cfg" in `directory` (which ends with a backslash). No file, a file
// shorter than four bytes or another version gives the defaults; a file cut short keeps
// the default of every field it does not hold whole; bytes after the 40th are ignored.
// Values are taken as they are, without any check.
WindowState LoadWindowState(FileSystem& files, const std::string& directory);
// Writes the file afresh. A file that cannot be written is silently left alone.
void SaveWindowState(FileSystem& files, const std::string& directory, const WindowState& state);

// The same over the machine's file system, for the main window.
WindowState LoadWindowState(const std::string& directory);
void SaveWindowState(const std::string& directory, const WindowState& state);

// The window-state file "Brumlet.cfg": the main window's outer size and the widths of
// the seven list columns, kept in the program's folder between runs. 40 bytes, ten
// little-endian 32-bit signed integers: version 100, width, height, column widths 0-6.
// Sizes are kept in the units of a 96-DPI screen, whatever the screen's scale, so that a
// file written at one scale opens in proportion at another; the window converts them to
// and from its pixels with StateInPixels and StateInFileUnits.
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

// The screen DPI that the file's sizes are measured at.
inline constexpr int kWindowStateFileDpi = 96;

// value * numerator / denominator, rounded to the nearest integer with halves away from
// zero (as MulDiv rounds), computed without overflow and held within the range of int
// (where MulDiv would give -1). A denominator that is not positive leaves `value` as it is.
int ScaleSize(int value, int numerator, int denominator);

// Every size of the state converted from the file's units to pixels at `dpi`, and back.
// At 96 DPI both leave the values as they are. File -> pixels -> file gives the same
// values at any DPI of 96 or more; pixels -> file -> pixels may move a size by 1.
WindowState StateInPixels(const WindowState& fileUnits, int dpi);
WindowState StateInFileUnits(const WindowState& pixels, int dpi);

// The same over the machine's file system, for the main window.
WindowState LoadWindowState(const std::string& directory);
void SaveWindowState(const std::string& directory, const WindowState& state);

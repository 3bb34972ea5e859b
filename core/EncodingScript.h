// The encoding script: the batch file that changes into the encoder's folder and runs
// `cscript.exe wmcmd.vbs` once per track, echoing progress between the calls, and
// deletes itself after a final pause.
#pragma once
#include <string>

#include "platform/Files.h"

class FileSystem;
class OutputFile;
class Prompter;
class TrackList;

// The longest command line the command interpreter accepts.
constexpr size_t kMaxCommandLineBytes = 8191;

// Writes the header, one block per row of `tracks` and the footer to `file`, each line
// ending in CR LF. `encoderFolder` is the folder the script changes into, `scriptPath`
// the script's own full path (its last line deletes it).
//
// Each row's source is probed through `files` (opened for reading with all sharing
// allowed), which gives its full path and file name. A row is reported through
// `prompter` and left out, keeping its number, when its source cannot be opened or its
// path or full path is over kMaxPathBytes or its full path ends in '\' (a folder); when
// its paths hold a '"', a control byte or a broken double-byte sequence, its output ends
// in '\', or its encoder command would pass kMaxCommandLineBytes; when its
// output would overwrite its own source or the source of another listed row; and when
// its output is the output of an earlier row of the script.
//
// Every inserted value has '%' doubled; the two echo lines escape ^ & | < > with '^';
// tags have '"' turned into the full-width quote, the backslashes that end them into the
// full-width "＼", and control bytes and broken double-byte sequences into spaces: no
// quoted value ends in a backslash, which the script host could read as an escaped quote.
//
// Returns false when a write to `file` failed; writing stops there.
bool WriteEncodingScript(const TrackList& tracks, FileSystem& files, Prompter& prompter, OutputFile& file,
                         const std::string& encoderFolder, const std::string& scriptPath);

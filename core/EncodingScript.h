// The encoding script: the batch file that changes into the encoder's folder and runs
// `cscript.exe wmcmd.vbs` once per track, echoing progress between the calls, and
// deletes itself after a final pause.
#pragma once
#include <string>
#include <vector>

#include "platform/Files.h"

class FileSystem;
class OutputFile;
class Prompter;
class TrackList;

// The longest command line the command interpreter accepts.
constexpr size_t kMaxCommandLineBytes = 8191;

// One row the script encodes: what its block shows and the encoder's command line.
struct ScriptTrack {
  int row = 0;           // its index in the list; numbers its block
  std::string path;      // its column-0 text, which the run's messages name
  std::string fileName;  // of the source, as opening it gave it
  std::string fullPath;  // of the source
  std::string output;
  std::string command;
};

// The rows a run encodes, in list order, out of `rowCount` rows.
struct EncodingPlan {
  int rowCount = 0;
  std::vector<ScriptTrack> tracks;
};

// Probes each row's source and composes its command; reports through `prompter`, in
// the order of the rows, each row left out (the rules are those of WriteEncodingScript
// below). When two rows would write one output, a row whose output is derived from its
// source keeps it over a row whose save path names it; otherwise the earlier row does.
EncodingPlan PlanEncoding(const TrackList& tracks, FileSystem& files, Prompter& prompter);

// Asks once, when outputs of the plan exist already as files, whether to replace them: Yes keeps
// the plan, No leaves those rows out, Cancel returns false (nothing is to run).
bool LeaveOutExistingOutputs(EncodingPlan& plan, FileSystem& files, Prompter& prompter);

// Makes each output's folder that does not exist, with its parents; a row whose folder
// cannot be made is reported and left out.
void CreateOutputFolders(EncodingPlan& plan, FileSystem& files, Prompter& prompter);

// Whether the script switches its console to code page 932 before anything else. The
// console reads the script in its own code page, which is the system's OEM code page
// unless the user's console settings name another; only a console that reads 932 already
// may run it without the switch.
enum class ConsoleSwitch {
  kNone,   // the script exactly as a console in code page 932 reads it
  kTo932,  // second line (after "@echo off"): "chcp 932", and a stop when that fails
};

// Writes the plan as the script: header, one block per planned row, footer.
bool WriteEncodingScript(const EncodingPlan& plan, OutputFile& file, const std::string& encoderFolder,
                         const std::string& scriptPath, ConsoleSwitch console = ConsoleSwitch::kNone);

// Plans and writes in one: the header, one block per row of `tracks` and the footer to
// `file`, each line ending in CR LF. `encoderFolder` is the folder the script changes
// into, `scriptPath` the script's own full path (its last line deletes it).
//
// Each row's source is probed through `files` (opened for reading with all sharing
// allowed), which gives its full path and file name. A row is reported through
// `prompter` and left out, keeping its number, when its source cannot be opened, its
// path or full path is over kMaxPathBytes or its full path ends in '\' (a folder); when
// its paths hold a '"', a control byte or a broken double-byte sequence, its output ends
// in '\' or is not absolute (a drive and its root, or a UNC share), or its encoder
// command would pass kMaxCommandLineBytes; when its output would overwrite its own source
// or the source of another listed row; and when another row keeps its output.
//
// Every inserted value has '%' doubled; the two echo lines escape ^ & | < > with '^';
// tags have '"' turned into the full-width quote, the backslashes that end them into the
// full-width "＼", and control bytes and broken double-byte sequences into spaces: no
// quoted value ends in a backslash, which the script host could read as an escaped quote.
//
// Returns false when a write to `file` failed; writing stops there.
bool WriteEncodingScript(const TrackList& tracks, FileSystem& files, Prompter& prompter, OutputFile& file,
                         const std::string& encoderFolder, const std::string& scriptPath,
                         ConsoleSwitch console = ConsoleSwitch::kNone);

// The encoding-information file: the whole track list as comma-separated text, one
// line per row in list order after a header line, every line ending in CR LF.
//
// Writing: a cell holding ',' or '"' is put in double quotes with its quotes doubled;
// every other cell is written as it is, so a list without such cells gives the bytes of
// the plain unquoted form. Reading: the first line is skipped whatever it holds; each
// further line gives up to seven fields (fewer leave the AddTrack values, text after a
// seventh comma is ignored). The rows are added as one batch once the file is read,
// with the result of adding each line through AddTrack in turn: a listed path, or one
// an earlier line gave, changes nothing. A field is taken as quoted only when it starts
// with '"' and its closing quote is followed by ',' or the line end; any other field,
// an unclosed quote included, is read as plain text up to the next comma. Lines are
// never joined.
//
// ',' and '"' are never the trail byte of a double-byte character, so both are searched
// for byte by byte; a lone lead byte at the end of a cell then cannot hide the comma
// that follows it, and such a cell reads back as it was written.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "core/TrackList.h"

#include "platform/Prompter.h"

class FileSystem;

// Appends the header line, or one row's line, with its CR LF.
void AppendEncodingInfoHeader(std::string* out);
void AppendEncodingInfoRow(const TrackList& list, int row, std::string* out);
// The whole file as export writes it.
std::string EncodingInfoText(const TrackList& list);

// Splits one line (without its line end) into at most seven fields.
void SplitEncodingInfoLine(const char* line, size_t size, std::vector<std::string>* fields);

// Reads the file's bytes as they arrive, in pieces of any size, and adds the rows to
// the list in one batch at the end; the list is unchanged when that batch fails.
class EncodingInfoReader {
public:
  explicit EncodingInfoReader(TrackList& list) : list_(list) {}
  void Feed(const char* data, size_t size);
  // The end of the file: a last line without a line end is read like the others.
  void Finish();
  // The reading broke off: the rows of the whole lines read so far are added, the line
  // cut short is dropped.
  void FinishCut();

private:
  void Line(const char* line, size_t size);

  TrackList& list_;
  std::string pending_;  // the start of a line whose end has not arrived yet
  bool headerSeen_ = false;
  std::vector<std::string> fields_;
  TrackBatch rows_;  // the rows read, in file order
};

// Reads a whole file's bytes into the list.
void ReadEncodingInfo(TrackList& list, const std::string& bytes);

// What the save (`save`) or open dialog for the file is asked: the CSV filter, the
// extension "csv", resizable, the read-only box shown (its state is ignored), no question
// before replacing a file (the old file is only replaced once the new one is whole).
FileDialogRequest EncodingInfoDialogRequest(bool save);

// The save dialog, then the file written beside the target under the first free
// temporary name (created exclusively) and moved over it when it is complete; any
// failure leaves the old file as it was and is reported. The list file is written and
// read through its path as the system gave it, wide characters and all. Once the file
// is in place the list holds no changes not saved; otherwise it keeps those it held.
void ExportEncodingInfo(TrackList& list, Prompter& prompter, FileSystem& files);
// The open dialog, then the file's rows added to the list; a failure is reported, and the
// rows read before a read error stay. A whole file read into an empty list leaves it
// holding no changes not saved: it holds what the file does. Rows added to rows already
// there are changes, and so are the rows of a file that could not be read to its end.
void ImportEncodingInfo(TrackList& list, Prompter& prompter, FileSystem& files);
// The same for a file the user did not choose in the dialog (one dropped on the window).
void ImportEncodingInfoFile(TrackList& list, Prompter& prompter, FileSystem& files, const std::u16string& path);

// The same over the machine's file system, for the main window.
void ExportEncodingInfo(TrackList& list, Prompter& prompter);
void ImportEncodingInfo(TrackList& list, Prompter& prompter);
void ImportEncodingInfoFile(TrackList& list, Prompter& prompter, const std::u16string& path);

// The names the export may write the new file under before moving it over `target`, in
// the order it tries them: the target's name with a suffix, then "~brumlet.tmp", "~1" to
// "~99" and "~" in the target's folder; only those within kMaxPathChars and never the
// target itself (letters compared without case).
std::vector<std::u16string> EncodingInfoTempPaths(const std::u16string& target);
constexpr int kLastShortTempName = 99;

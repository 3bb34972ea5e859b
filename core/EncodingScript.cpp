#include "core/EncodingScript.h"

#include <cstdio>
#include <unordered_set>

#include "core/Texts.h"
#include "core/TrackList.h"
#include "platform/Files.h"
#include "platform/LineWriter.h"
#include "platform/PathNames.h"
#include "platform/Prompter.h"
#include "platform/Text.h"

namespace {

const char kSeparator[] = "echo ------------------------------------------------------\n";  // 54 hyphens
const char kCommandHead[] = "cscript.exe wmcmd.vbs -audioonly -input \"";
const char kCommandTail[] = "-a_mode 2 -a_codec WMA9LSL -a_setting Q100_44_2_16 -v_performance 100 -silent";

// Tag options in the order the encoder is given them, whatever the column order.
const struct {
  int column;
  const char* option;
} kTagOptions[] = {
    {kColumnAuthor, "-author \""},
    {kColumnCopyright, "-copyright \""},
    {kColumnDescription, "-description \""},
    {kColumnTitle, "-title \""},
};

bool IsControlByte(unsigned char c) { return c < 0x20 || c == 0x7F; }

// True when `s` can stand between double quotes on a command line as it is: no '"',
// no control byte, and every lead byte followed by a valid trail byte (a broken pair
// could swallow the closing quote when the interpreter decodes the line).
bool IsSafeInQuotes(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (text::IsLeadByte(c)) {
      if (i + 1 >= s.size() || !text::IsTrailByte(static_cast<unsigned char>(s[i + 1]))) return false;
      ++i;
    } else if (c == '"' || IsControlByte(c)) {
      return false;
    }
  }
  return true;
}

// '%' doubled, so the interpreter expands no variable or argument inside the value.
// No trail byte is 0x25, so a plain byte walk is exact.
void AppendPercentDoubled(std::string& out, const std::string& s) {
  for (char c : s) {
    if (c == '%') out += '%';
    out += c;
  }
}

// For the echo lines: '%' doubled and each single-byte ^ & | < > preceded by '^'.
// Double-byte characters are copied whole (ポ 83 7C, タ 83 5E keep their trail bytes).
// `s` has passed IsSafeInQuotes, so every lead byte has its trail byte.
void AppendEchoEscaped(std::string& out, const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (text::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < s.size()) {
      out += c;
      out += s[++i];
      continue;
    }
    if (c == '%') {
      out += '%';
    } else if (c == '^' || c == '&' || c == '|' || c == '<' || c == '>') {
      out += '^';
    }
    out += c;
  }
}

// A tag value made safe inside double quotes: '"' becomes the full-width quote "＂",
// control bytes and lead bytes without a valid trail byte become spaces, '%' is doubled.
// Backslashes that end the value become the full-width "＼": the script host parses
// its command line with the C rules (Wine's does; Windows' takes backslashes as they
// are), where `"` is a quote inside the argument, so a value ending in '' would take
// its closing quote and every option after it. Other backslashes are kept: they mean
// nothing to either parser unless a quote follows them.
void AppendTag(std::string& out, std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (text::IsLeadByte(c)) {
      if (i + 1 < s.size() && text::IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
        out += s[i];
        out += s[++i];
      } else {
        out += ' ';
      }
    } else if (c == '\\' && s.find_first_not_of('\\', i) == std::string_view::npos) {
      out += "＼";
    } else if (c == '"') {
      out += "＂";
    } else if (IsControlByte(c)) {
      out += ' ';
    } else {
      if (c == '%') out += '%';
      out += static_cast<char>(c);
    }
  }
}

// The output path derived from the source: the full path without the extension of its
// file name, plus ".wma". A "." in a folder name is not an extension.
std::string DerivedOutputPath(const std::string& fullPath) { return WithoutExtension(fullPath) + ".wma"; }

// True for a path the encoder takes as it is: a drive and its root ("D:\") or a UNC
// share ("\\server\share"). Any other is resolved against the encoder's own folder,
// which the script changes into.
bool IsAbsolutePath(std::string_view path) {
  const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 3 && path[1] == ':' && isSeparator(path[2])) {
    const char drive = text::FoldAscii(path[0]);
    return drive >= 'a' && drive <= 'z';
  }
  return path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
}

// Makes `folder` (absolute, without a separator at its end) and the folders above it
// that do not exist yet. True when it exists afterwards.
bool CreateFolderWithParents(FileSystem& files, const std::string& folder) {
  if (files.Exists(folder)) return true;
  // The first folder that may be made: after "D:\", or after "\\server\share\".
  size_t first = 3;
  if (folder[1] != ':') {
    int separators = 0;
    for (first = 2; first < folder.size() && separators < 2; first += text::CharLength(folder, first))
      if (folder[first] == '\\' || folder[first] == '/') ++separators;
  }
  for (size_t i = first; i < folder.size(); i += text::CharLength(folder, i)) {
    if (folder[i] != '\\' && folder[i] != '/') continue;
    const std::string parent = folder.substr(0, i);
    if (!files.Exists(parent) && !files.CreateFolder(parent)) return false;
  }
  return files.CreateFolder(folder);
}

// A row's source, output and command, or why it is left out. `report` is empty for a
// row that is written, unless its output collides with another row's.
struct Candidate {
  ScriptTrack track;
  bool outputSet = false;  // the output is the row's save path, not derived from its source
  std::string report;      // the message that leaves the row out
};

Candidate MakeCandidate(const TrackList& tracks, FileSystem& files, int row,
                        const std::unordered_set<std::string>& sources) {
  Candidate c;
  c.track.row = row;
  c.track.path = tracks.GetItemText(row, kColumnPath);
  const std::string& path = c.track.path;
  SourceFileInfo source;
  // A longer path would have to be cut to be opened, and then names another file. A
  // full path that does not fit is refused too: the row's own text may be relative,
  // and the script changes into the encoder's folder before it runs the encoder.
  // A full path ending in '\' names a folder, never a file to encode, and would take
  // the closing quote of -input with it (see AppendTag).
  if (path.size() > kMaxPathBytes || !files.ProbeSource(path, &source) || source.fullPath.size() > kMaxPathBytes ||
      text::EndsWithBackslash(source.fullPath)) {
    c.report = fixed_texts::kFileMissing + ("\n" + path);
    return c;
  }

  const std::string_view savePath = tracks.GetItemText(row, kColumnSavePath);
  c.outputSet = !savePath.empty();
  const std::string output = c.outputSet ? std::string(savePath) : DerivedOutputPath(source.fullPath);
  // A save path ending in '\' names a folder, not a file, and would take the closing
  // quote of -output with it; one that is not absolute would land in the encoder's folder.
  bool safe = IsSafeInQuotes(source.fullPath) && IsSafeInQuotes(output) && !text::EndsWithBackslash(output) &&
              (!c.outputSet || IsAbsolutePath(output));
  std::string& command = c.track.command;
  if (safe) {
    command.assign(kCommandHead);
    AppendPercentDoubled(command, source.fullPath);
    command += "\" -output \"";
    AppendPercentDoubled(command, output);
    command += "\" ";
    for (const auto& tag : kTagOptions) {
      const std::string_view value = tracks.GetItemText(row, tag.column);
      if (value.empty()) continue;
      command += tag.option;
      AppendTag(command, value);
      command += "\" ";
    }
    command += kCommandTail;
    safe = command.size() <= kMaxCommandLineBytes;
  }
  if (!safe) {
    c.report = fixed_texts::kUnsafeSavePathOrTag + path;
  } else if (text::EqualsIgnoreAsciiCase(output, source.fullPath)) {
    c.report = fixed_texts::kOutputIsSource + source.fullPath;
  } else if (sources.count(text::ToLowerAscii(output)) != 0) {  // another listed source would be overwritten
    c.report = fixed_texts::kOutputIsOtherSource + path + "\n" + fixed_texts::kOutputLine + output;
  }
  c.track.fileName = std::move(source.fileName);
  c.track.fullPath = std::move(source.fullPath);
  c.track.output = output;
  return c;
}

}  // namespace

EncodingPlan PlanEncoding(const TrackList& tracks, FileSystem& files, Prompter& prompter) {
  EncodingPlan plan;
  const int count = tracks.GetTrackCount();
  plan.rowCount = count;
  // Folded paths of every listed source: no row may write its output over one of them.
  std::unordered_set<std::string> sources;
  sources.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) sources.insert(text::ToLowerAscii(tracks.GetItemText(row, kColumnPath)));

  std::vector<Candidate> candidates;
  candidates.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) candidates.push_back(MakeCandidate(tracks, files, row, sources));

  // Two rows may not write one output. A row whose output comes from its own source
  // keeps it: the row that chose the same name by its save path is the one left out.
  // Among rows of the same kind, the earlier in the list keeps it.
  std::unordered_set<std::string> derived;  // folded outputs kept by rows without a save path
  for (Candidate& c : candidates) {
    if (!c.report.empty() || c.outputSet) continue;
    if (!derived.insert(text::ToLowerAscii(c.track.output)).second) c.report = "duplicate";
  }
  std::unordered_set<std::string> chosen;  // folded outputs kept by rows with a save path
  for (Candidate& c : candidates) {
    if (!c.report.empty() || !c.outputSet) continue;
    const std::string folded = text::ToLowerAscii(c.track.output);
    if (derived.count(folded) != 0 || !chosen.insert(folded).second) c.report = "duplicate";
  }

  // Reports in the order of the rows; both duplicate messages name the row left out
  // (its column-0 text) and then its output.
  for (Candidate& c : candidates) {
    if (c.report == "duplicate") {
      c.report = fixed_texts::kOutputDuplicated + c.track.path + "\n" + fixed_texts::kOutputLine + c.track.output;
    }
    if (c.report.empty()) {
      plan.tracks.push_back(std::move(c.track));
    } else {
      prompter.ShowMessage(c.report);
    }
  }
  return plan;
}

bool WriteEncodingScript(const EncodingPlan& plan, OutputFile& file, const std::string& encoderFolder,
                         const std::string& scriptPath, ConsoleSwitch console) {
  // The script is composed with '\n' line ends; the writer makes them CR LF.
  LineWriter writer(file);
  std::string lines = "@echo off\n";
  if (console == ConsoleSwitch::kTo932) lines += fixed_texts::kScriptSwitchConsole;
  lines += "\nC:\nCD \"";
  AppendPercentDoubled(lines, encoderFolder);
  lines += "\"\n";
  writer.PutLines(lines);

  for (const ScriptTrack& track : plan.tracks) {
    if (!writer.ok()) break;
    lines.clear();
    // The separator follows the row's index: a block after a left-out first row has one.
    if (track.row != 0) lines += kSeparator;
    char numbers[sizeof fixed_texts::kScriptBlockNumbers + 32];
    std::snprintf(numbers, sizeof numbers, fixed_texts::kScriptBlockNumbers, plan.rowCount, track.row + 1);
    lines += numbers;
    AppendEchoEscaped(lines, track.fileName);
    lines += fixed_texts::kScriptEncodingFile;
    lines += fixed_texts::kScriptFullPath;
    AppendEchoEscaped(lines, track.fullPath);
    lines += '\n';
    lines += track.command;
    lines += '\n';
    writer.PutLines(lines);
  }

  lines = fixed_texts::kScriptFinished;
  lines += "pause\ndel \"";
  AppendPercentDoubled(lines, scriptPath);
  lines += "\"\n";
  writer.PutLines(lines);
  return writer.Finish();
}

bool WriteEncodingScript(const TrackList& tracks, FileSystem& files, Prompter& prompter, OutputFile& file,
                         const std::string& encoderFolder, const std::string& scriptPath, ConsoleSwitch console) {
  return WriteEncodingScript(PlanEncoding(tracks, files, prompter), file, encoderFolder, scriptPath, console);
}

bool LeaveOutExistingOutputs(EncodingPlan& plan, FileSystem& files, Prompter& prompter) {
  std::vector<bool> exists;
  exists.reserve(plan.tracks.size());
  int count = 0;
  for (const ScriptTrack& track : plan.tracks) {
    // A folder is no file to replace: the encoder refuses to write over it.
    exists.push_back(files.Exists(track.output) && !files.IsFolder(track.output));
    count += exists.back() ? 1 : 0;
  }
  if (count == 0) return true;
  char question[sizeof fixed_texts::kConfirmOverwrite + 16];
  std::snprintf(question, sizeof question, fixed_texts::kConfirmOverwrite, count);
  switch (prompter.AskYesNoCancel(question)) {
    case Prompter::Answer::kYes:
      return true;
    case Prompter::Answer::kCancel:
      return false;
    case Prompter::Answer::kNo:
      break;
  }
  std::vector<ScriptTrack> kept;
  for (size_t i = 0; i < plan.tracks.size(); ++i)
    if (!exists[i]) kept.push_back(std::move(plan.tracks[i]));
  plan.tracks.swap(kept);
  return true;
}

void CreateOutputFolders(EncodingPlan& plan, FileSystem& files, Prompter& prompter) {
  std::unordered_set<std::string> made, failed;  // folded folders, each tried once
  std::vector<ScriptTrack> kept;
  for (ScriptTrack& track : plan.tracks) {
    // The output is absolute, so its folder is all before its last separator.
    const std::string folder = text::Left(track.output, FileNameStart(track.output, "\\/") - 1);
    const std::string folded = text::ToLowerAscii(folder);
    bool ok = made.count(folded) != 0;
    if (!ok && failed.count(folded) == 0) {
      ok = CreateFolderWithParents(files, folder);
      (ok ? made : failed).insert(folded);
    }
    if (ok) {
      kept.push_back(std::move(track));
    } else {
      prompter.ShowMessage(fixed_texts::kCannotCreateFolder + track.path + "\n" + fixed_texts::kOutputLine +
                           track.output);
    }
  }
  plan.tracks.swap(kept);
}

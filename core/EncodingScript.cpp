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


}  // namespace

bool WriteEncodingScript(const TrackList& tracks, FileSystem& files, Prompter& prompter, OutputFile& file,
                         const std::string& encoderFolder, const std::string& scriptPath) {
  // The script is composed with '\n' line ends; the writer makes them CR LF.
  LineWriter writer(file);
  std::string lines = "@echo off\n\nC:\nCD \"";
  AppendPercentDoubled(lines, encoderFolder);
  lines += "\"\n";
  writer.PutLines(lines);

  const int count = tracks.GetTrackCount();
  std::unordered_set<std::string> outputs;  // folded output paths of the rows written so far
  // Folded paths of every listed source: no row may write its output over one of them.
  std::unordered_set<std::string> sources;
  sources.reserve(static_cast<size_t>(count));
  for (int row = 0; row < count; ++row) sources.insert(text::ToLowerAscii(tracks.GetItemText(row, kColumnPath)));
  std::string command;
  for (int row = 0; row < count && writer.ok(); ++row) {
    const std::string path(tracks.GetItemText(row, kColumnPath));
    SourceFileInfo source;
    // A longer path would have to be cut to be opened, and then names another file. A
    // full path that does not fit is refused too: the row's own text may be relative,
    // and the script changes into the encoder's folder before it runs the encoder.
    // A full path ending in '\' names a folder, never a file to encode, and would take
    // the closing quote of -input with it (see AppendTag).
    if (path.size() > kMaxPathBytes || !files.ProbeSource(path, &source) || source.fullPath.size() > kMaxPathBytes ||
        text::EndsWithBackslash(source.fullPath)) {
      prompter.ShowMessage(fixed_texts::kFileMissing);
      continue;
    }

    const std::string_view savePath = tracks.GetItemText(row, kColumnSavePath);
    const std::string output = savePath.empty() ? DerivedOutputPath(source.fullPath) : std::string(savePath);
    // A save path ending in '\' names a folder, not a file, and would take the closing
    // quote of -output with it.
    bool safe = IsSafeInQuotes(source.fullPath) && IsSafeInQuotes(output) && !text::EndsWithBackslash(output);
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
      prompter.ShowMessage(fixed_texts::kUnsafeSavePathOrTag + path);
      continue;
    }
    if (text::EqualsIgnoreAsciiCase(output, source.fullPath)) {
      prompter.ShowMessage(fixed_texts::kOutputIsSource + source.fullPath);
      continue;
    }
    // Both messages name the row left out (its column-0 text) and then its output.
    const std::string folded = text::ToLowerAscii(output);
    if (sources.count(folded) != 0) {  // another listed source would be overwritten
      prompter.ShowMessage(fixed_texts::kOutputIsOtherSource + path + "\n" + fixed_texts::kOutputLine + output);
      continue;
    }
    if (!outputs.insert(folded).second) {
      prompter.ShowMessage(fixed_texts::kOutputDuplicated + path + "\n" + fixed_texts::kOutputLine + output);
      continue;
    }

    lines.clear();
    if (row != 0) lines += kSeparator;
    char numbers[sizeof fixed_texts::kScriptBlockNumbers + 32];
    std::snprintf(numbers, sizeof numbers, fixed_texts::kScriptBlockNumbers, count, row + 1);
    lines += numbers;
    AppendEchoEscaped(lines, source.fileName);
    lines += fixed_texts::kScriptEncodingFile;
    lines += fixed_texts::kScriptFullPath;
    AppendEchoEscaped(lines, source.fullPath);
    lines += '\n';
    lines += command;
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

#include "core/EncodingInfoFile.h"

#include <cstring>

#include "core/Texts.h"
#include "platform/Files.h"
#include "platform/LineWriter.h"
#include "platform/PathNames.h"
#include "platform/Text.h"
#include "platform/Prompter.h"

namespace {

constexpr size_t kReadSize = 64 * 1024;  // bytes asked for per read

void AppendCell(std::string_view cell, std::string* out) {
  if (cell.find_first_of(",\"") == std::string_view::npos) {
    out->append(cell);
    return;
  }
  out->push_back('"');
  for (const char c : cell) {
    if (c == '"') out->push_back('"');
    out->push_back(c);
  }
  out->push_back('"');
}

// Reads a quoted field starting at `start`. True when the field opens with '"' and its
// closing quote is followed by ',' or the line end; then `*field` is the text between
// the quotes with doubled quotes made single, and `*comma` the position of the comma
// after it (npos at the line end).
bool ReadQuotedField(const char* line, size_t size, size_t start, std::string* field, size_t* comma) {
  if (start >= size || line[start] != '"') return false;
  field->clear();
  size_t p = start + 1;
  while (p < size) {
    const char* quote = static_cast<const char*>(std::memchr(line + p, '"', size - p));
    if (quote == nullptr) return false;  // never closed: the caller reads it as plain text
    const size_t q = static_cast<size_t>(quote - line);
    field->append(line + p, q - p);
    if (q + 1 < size && line[q + 1] == '"') {  // a doubled quote stands for one
      field->push_back('"');
      p = q + 2;
      continue;
    }
    if (q + 1 == size) {
      *comma = std::string::npos;
      return true;
    }
    if (line[q + 1] != ',') return false;  // text after the closing quote: "Live" mix
    *comma = q + 1;
    return true;
  }
  return false;
}

// Writes the whole file to `file` in chunks; false when a write failed (none follows it).
bool WriteEncodingInfo(const TrackList& list, OutputFile& file) {
  LineWriter writer(file);
  AppendEncodingInfoHeader(&writer.Pending());
  for (int row = 0; row < list.GetTrackCount() && writer.ok(); ++row) {
    AppendEncodingInfoRow(list, row, &writer.Pending());
    writer.WriteIfFull();
  }
  return writer.Finish();
}

// Writes the file under the first temporary name that can be created, then moves it
// over `target`. Each name is created exclusively: a file that exists under it belongs
// to someone else and is never opened, truncated or removed; it only sends the export on
// to the next name. On any failure the new file is removed and `target` stays as it was.
bool ReplaceWithEncodingInfo(const TrackList& list, FileSystem& files, const std::u16string& target) {
  if (target.empty() || target.size() > kMaxPathChars) return false;
  for (const std::u16string& temp : EncodingInfoTempPaths(target)) {
    auto file = files.CreateForWriting(temp, FileSystem::Create::kExclusive);
    if (!file) {
      // Failing for any other reason than an existing file will not change with the name.
      if (files.Exists(temp)) continue;
      return false;
    }
    const bool written = WriteEncodingInfo(list, *file) && file->Close();
    file.reset();
    if (written && files.Replace(temp, target)) return true;
    files.Remove(temp);
    return false;
  }
  return false;
}

}  // namespace

void AppendEncodingInfoHeader(std::string* out) {
  out->append(fixed_texts::kEncodingInfoHeader);
  out->append(kLineEnd);
}

void AppendEncodingInfoRow(const TrackList& list, int row, std::string* out) {
  for (int column = 0; column < kTrackColumnCount; ++column) {
    if (column > 0) out->push_back(',');
    AppendCell(list.GetItemText(row, column), out);
  }
  out->append(kLineEnd);
}

std::string EncodingInfoText(const TrackList& list) {
  std::string out;
  AppendEncodingInfoHeader(&out);
  for (int row = 0; row < list.GetTrackCount(); ++row) AppendEncodingInfoRow(list, row, &out);
  return out;
}

void SplitEncodingInfoLine(const char* line, size_t size, std::vector<std::string>* fields) {
  // The strings of the last line are filled again, so reading a file allocates little.
  size_t count = 0;
  size_t start = 0;
  while (count < kTrackColumnCount) {
    if (fields->size() == count) fields->emplace_back();
    std::string& field = (*fields)[count++];
    size_t comma = std::string::npos;
    if (!ReadQuotedField(line, size, start, &field, &comma)) {
      const void* found = start < size ? std::memchr(line + start, ',', size - start) : nullptr;
      comma = found ? static_cast<size_t>(static_cast<const char*>(found) - line) : std::string::npos;
      field.assign(line + start, (comma == std::string::npos ? size : comma) - start);
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  fields->resize(count);
}

void EncodingInfoReader::Feed(const char* data, size_t size) {
  while (size > 0) {
    const char* lf = static_cast<const char*>(std::memchr(data, '\n', size));
    if (lf == nullptr) {
      pending_.append(data, size);
      return;
    }
    const size_t length = static_cast<size_t>(lf - data);
    const char* line = data;
    size_t lineSize = length;
    if (!pending_.empty()) {
      pending_.append(data, length);
      line = pending_.data();
      lineSize = pending_.size();
    }
    if (lineSize > 0 && line[lineSize - 1] == '\r') --lineSize;  // CR LF, as a text-mode read gives it
    Line(line, lineSize);
    pending_.clear();
    data += length + 1;
    size -= length + 1;
  }
}

void EncodingInfoReader::Finish() {
  // Without a line end nothing is stripped: a CR at the very end stays in the field.
  if (!pending_.empty()) Line(pending_.data(), pending_.size());
  FinishCut();
}

void EncodingInfoReader::FinishCut() {
  pending_.clear();
  list_.AddTracks(std::move(rows_));  // leaves rows_ empty
}

void EncodingInfoReader::Line(const char* line, size_t size) {
  if (!headerSeen_) {
    headerSeen_ = true;  // the first line is never data, whatever it holds
    return;
  }
  SplitEncodingInfoLine(line, size, &fields_);
  // The row is made whole from the line: the title is the path's own when the line has
  // none, and fields the line lacks keep what AddTrack gives ("100" and empty). The
  // fields are copied, so their strings serve the next line without allocating.
  const auto field = [this](int column, std::string_view absent) {
    return static_cast<size_t>(column) < fields_.size() ? std::string_view(fields_[static_cast<size_t>(column)]) : absent;
  };
  const std::string_view title = field(kColumnTitle, {});
  const std::string_view tags[kRowTagCount] = {field(kColumnQuality, kAddedQuality), field(kColumnAuthor, {}),
                                               field(kColumnCopyright, {}), field(kColumnDescription, {}),
                                               field(kColumnSavePath, {})};
  rows_.Add(fields_[kColumnPath], fields_.size() > kColumnTitle ? &title : nullptr, tags);
}

void ReadEncodingInfo(TrackList& list, const std::string& bytes) {
  EncodingInfoReader reader(list);
  reader.Feed(bytes.data(), bytes.size());
  reader.Finish();
}

std::vector<std::u16string> EncodingInfoTempPaths(const std::u16string& target) {
  std::vector<std::u16string> names;
  const std::u16string folder = target.substr(0, FileNameStart(target));
  // Letters folded tell two names apart as file names here (every temporary name is plain ASCII).
  const std::u16string foldedTarget = text::ToLowerAscii(target);
  // Only names in the target's folder, so the move over the target stays in one folder
  // and can replace it in one step.
  auto offer = [&](const std::u16string& path) {
    if (path.size() <= kMaxPathChars && text::ToLowerAscii(path) != foldedTarget) names.push_back(path);
  };
  offer(target + u".~brumlet-tmp");
  offer(folder + u"~brumlet.tmp");
  // A deep folder leaves room for a few characters only: the shortest names there are.
  for (int n = 1; n <= kLastShortTempName; ++n) {
    const std::string digits = std::to_string(n);
    offer(folder + u"~" + std::u16string(digits.begin(), digits.end()));
  }
  offer(folder + u"~");
  return names;
}

void ExportEncodingInfo(TrackList& list, Prompter& prompter, FileSystem& files) {
  std::vector<SystemPath> paths;
  if (!prompter.ChooseFiles(EncodingInfoDialogRequest(true), &paths) || paths.empty()) return;
  // The file is written through the name as the system gave it, never through a short
  // path: moving the new file over "CAF_~1.CSV" would rename the user's Café.csv.
  if (!ReplaceWithEncodingInfo(list, files, paths[0].wide)) {
    prompter.ShowMessage(fixed_texts::kCannotWriteFile);
    return;
  }
  list.MarkSaved();
}

void ImportEncodingInfo(TrackList& list, Prompter& prompter, FileSystem& files) {
  std::vector<SystemPath> paths;
  if (!prompter.ChooseFiles(EncodingInfoDialogRequest(false), &paths) || paths.empty()) return;
  ImportEncodingInfoFile(list, prompter, files, paths[0].wide);
}

void ImportEncodingInfoFile(TrackList& list, Prompter& prompter, FileSystem& files, const std::u16string& path) {
  const bool intoEmptyList = list.GetTrackCount() == 0;
  auto file = files.OpenForReading(path);  // the name as given, whatever it holds
  if (!file) {
    prompter.ShowMessage(fixed_texts::kCannotReadFile);
    return;
  }
  EncodingInfoReader reader(list);
  std::string buffer(kReadSize, '\0');
  for (;;) {
    size_t got = 0;
    if (!file->Read(&buffer[0], buffer.size(), &got)) {
      // The rows read so far stay; the line cut by the failure is dropped.
      file.reset();
      reader.FinishCut();
      prompter.ShowMessage(fixed_texts::kCannotReadFile);
      return;
    }
    if (got == 0) break;
    reader.Feed(buffer.data(), got);
  }
  reader.Finish();
  if (intoEmptyList) list.MarkSaved();
}

void ExportEncodingInfo(TrackList& list, Prompter& prompter) {
  ExportEncodingInfo(list, prompter, PlatformFileSystem());
}

void ImportEncodingInfo(TrackList& list, Prompter& prompter) {
  ImportEncodingInfo(list, prompter, PlatformFileSystem());
}

void ImportEncodingInfoFile(TrackList& list, Prompter& prompter, const std::u16string& path) {
  ImportEncodingInfoFile(list, prompter, PlatformFileSystem(), path);
}

FileDialogRequest EncodingInfoDialogRequest(bool save) {
  FileDialogRequest request;
  request.save = save;
  request.defaultExtension = "csv";
  request.filter = fixed_texts::kCsvFilter;
  request.flags = save ? kPathMustExist : (kFileMustExist | kPathMustExist);
  return request;
}

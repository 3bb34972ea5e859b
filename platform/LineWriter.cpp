#include "platform/LineWriter.h"

#include "platform/Files.h"

LineWriter::LineWriter(OutputFile& file) : file_(file) { pending_.reserve(kChunk + 4096); }

void LineWriter::PutLines(const std::string& lines) {
  for (const char c : lines) {
    if (c == '\n') pending_ += '\r';
    pending_ += c;
  }
  WriteIfFull();
}

void LineWriter::WriteIfFull() {
  if (pending_.size() >= kChunk) Write();
}

bool LineWriter::Finish() {
  Write();
  return ok_;
}

void LineWriter::Write() {
  if (ok_ && !pending_.empty()) ok_ = file_.Write(pending_.data(), pending_.size());
  pending_.clear();
}

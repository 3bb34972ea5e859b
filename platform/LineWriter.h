// Text files as the program writes them: every line ends in CR LF, and the text is
// gathered and handed to the file in large pieces rather than line by line.
#pragma once
#include <cstddef>
#include <string>

class OutputFile;

// The end of every line the program writes.
constexpr char kLineEnd[] = "\r\n";

// Collects text for `file` and writes it once a chunk has gathered. Once a write fails
// it writes no more, and ok() stays false.
class LineWriter {
public:
  static constexpr size_t kChunk = 64 * 1024;

  explicit LineWriter(OutputFile& file);

  // Where text is appended as it is; each line appended here ends in kLineEnd.
  std::string& Pending() { return pending_; }
  // Appends `lines`, every '\n' written as CR LF, as a text-mode write would.
  void PutLines(const std::string& lines);
  // Writes what has gathered once it reaches a chunk.
  void WriteIfFull();
  // Writes what is left; false when any write failed.
  bool Finish();
  bool ok() const { return ok_; }

private:
  void Write();

  OutputFile& file_;
  std::string pending_;
  bool ok_ = true;
};

// File services: the few ways the program opens files, behind one interface so that
// the logic runs on Windows and in the native tests alike, and so that tests can make
// any step fail (a full disk, a file that cannot be replaced).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The longest path the program hands to the system (MAX_PATH less the terminator).
// Longer paths are refused, never cut short: a cut path names another file.
constexpr size_t kMaxPathBytes = 259;
// The same limit for a path in wide characters, in UTF-16 code units.
constexpr size_t kMaxPathChars = 259;

// A file open for reading; closed by the destructor.
class InputFile {
public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes; `*got` is 0 at the end of the file. False on a read error.
  virtual bool Read(char* buffer, size_t size, size_t* got) = 0;
};

// A file open for writing; closed by the destructor if Close was not called.
class OutputFile {
public:
  virtual ~OutputFile() = default;
  // Writes all of `data`; false when not everything could be written.
  virtual bool Write(const char* data, size_t size) = 0;
  // Closes the file; false when the system reports that the data could not be kept.
  virtual bool Close() = 0;
  // The absolute path of the file as the system resolved it when creating it.
  virtual const std::string& FullPath() const = 0;
};

// A file read at any offset, for readers that pick a few pieces out of a large file.
// It counts the bytes it delivers, so a test can show what a reader touched.
class ByteSource {
public:
  virtual ~ByteSource() = default;
  // The size of the file when it was opened.
  virtual uint64_t Size() const = 0;
  // Reads up to `size` bytes at `offset`; fewer only at the end of the file (`*got` is
  // 0 at or past it). False on a read error.
  bool ReadAt(uint64_t offset, char* buffer, size_t size, size_t* got) {
    *got = 0;
    if (!DoReadAt(offset, buffer, size, got)) return false;
    bytesRead_ += *got;
    return true;
  }
  uint64_t BytesRead() const { return bytesRead_; }

private:
  virtual bool DoReadAt(uint64_t offset, char* buffer, size_t size, size_t* got) = 0;
  uint64_t bytesRead_ = 0;
};

// What opening a source file tells about it.
struct SourceFileInfo {
  std::string fullPath;  // absolute, as the system resolved the given path
  std::string fileName;  // the part after the last '\', '/' or ':' of fullPath
};

class FileSystem {
public:
  enum class Create {
    kTruncate,   // create or truncate
    kExclusive,  // create only when no file of that name exists
  };

  virtual ~FileSystem() = default;

  // Opens `path` for reading with all sharing allowed and closes it again: the test
  // that a source file exists and can be read. A folder cannot be opened this way.
  virtual bool ProbeSource(const std::string& path, SourceFileInfo* info) = 0;
  // Opens `path` for reading, denying other writers; null when it cannot be opened.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
  // Creates `path` for writing with no sharing; null when it cannot be created.
  virtual std::unique_ptr<OutputFile> CreateForWriting(const std::string& path, Create mode) = 0;
  // Moves `from` over `to`, replacing `to` when it exists.
  virtual bool Replace(const std::string& from, const std::string& to) = 0;
  virtual bool Remove(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // Makes one folder, whose parent exists. The default makes none.
  virtual bool CreateFolder(const std::string& path);
  // True when `path` names an existing folder. The default knows of none.
  virtual bool IsFolder(const std::string& path);

  // The same for a path in wide characters as the system gave it: the list file is
  // read and written through the name the user chose, which code page 932 may not hold
  // (that path is never stored, so it is never converted). At most kMaxPathChars code
  // units. The defaults use the code page 932 form when the path has an exact one, and
  // fail otherwise; the machine's file systems override them.
  virtual std::unique_ptr<InputFile> OpenForReading(const std::u16string& path);
  virtual std::unique_ptr<OutputFile> CreateForWriting(const std::u16string& path, Create mode);
  virtual bool Replace(const std::u16string& from, const std::u16string& to);
  virtual bool Remove(const std::u16string& path);
  virtual bool Exists(const std::u16string& path);
};

// The file system of the machine the program runs on (stateless, lives for the process).
FileSystem& PlatformFileSystem();

// Opens a source file for reading at any offset with all sharing allowed (another
// program may be writing or renaming it); null when it cannot be opened or is a folder,
// and on Windows when its path passes kMaxPathBytes.
std::unique_ptr<ByteSource> OpenSharedSource(const std::string& path);

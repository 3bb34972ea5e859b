// File services over POSIX for the native build (tests and benchmarks). Sharing modes
// have no POSIX counterpart and are not enforced here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/Files.h"
#include "platform/PathNames.h"
#include "platform/TextConversion.h"

namespace {

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  std::string full(cwd);
  if (full.empty() || full.back() != '/') full += '/';
  return full + path;
}

class PosixInputFile : public InputFile {
public:
  explicit PosixInputFile(int fd) : fd_(fd) {}
  ~PosixInputFile() override { ::close(fd_); }
  bool Read(char* buffer, size_t size, size_t* got) override {
    for (;;) {
      const ssize_t n = ::read(fd_, buffer, size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      *got = static_cast<size_t>(n);
      return true;
    }
  }

private:
  int fd_;
};

class PosixOutputFile : public OutputFile {
public:
  PosixOutputFile(int fd, std::string fullPath) : fd_(fd), fullPath_(std::move(fullPath)) {}
  ~PosixOutputFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Write(const char* data, size_t size) override {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }
  bool Close() override {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) == 0;
  }
  const std::string& FullPath() const override { return fullPath_; }

private:
  int fd_;
  std::string fullPath_;
};

// A wide path as the native file system spells names: UTF-8. False for a lone surrogate.
bool Utf8Path(const std::u16string& wide, std::string* out) {
  out->clear();
  for (size_t i = 0; i < wide.size();) {
    size_t units = 1;
    const char32_t c = textconv::CodePointAt(wide, i, &units);
    if (textconv::IsSurrogate(c)) return false;
    i += units;
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out->push_back(static_cast<char>(0xC0 | (c >> 6)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | (c >> 12)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | (c >> 18)));
      out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

bool IsRegularFile(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
}

class PosixFileSystem : public FileSystem {
public:
  bool ProbeSource(const std::string& path, SourceFileInfo* info) override {
    if (path.empty()) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = IsRegularFile(fd);
    ::close(fd);
    if (!ok) return false;
    info->fullPath = AbsolutePath(path);
    info->fileName = FileNameOfPath(info->fullPath);
    return true;
  }
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    if (path.empty()) return nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    if (!IsRegularFile(fd)) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<PosixInputFile>(fd);
  }
  std::unique_ptr<OutputFile> CreateForWriting(const std::string& path, Create mode) override {
    if (path.empty()) return nullptr;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Create::kExclusive ? O_EXCL : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixOutputFile>(fd, AbsolutePath(path));
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }
  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
  bool Exists(const std::string& path) override {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
  }
  bool IsFolder(const std::string& path) override {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool CreateFolder(const std::string& path) override { return !path.empty() && ::mkdir(path.c_str(), 0755) == 0; }

  // Wide paths: the same calls on the UTF-8 form, within the same length limit.
  std::unique_ptr<InputFile> OpenForReading(const std::u16string& path) override {
    std::string p;
    return path.size() <= kMaxPathChars && Utf8Path(path, &p) ? OpenForReading(p) : nullptr;
  }
  std::unique_ptr<OutputFile> CreateForWriting(const std::u16string& path, Create mode) override {
    std::string p;
    return path.size() <= kMaxPathChars && Utf8Path(path, &p) ? CreateForWriting(p, mode) : nullptr;
  }
  bool Replace(const std::u16string& from, const std::u16string& to) override {
    std::string a, b;
    return from.size() <= kMaxPathChars && to.size() <= kMaxPathChars && Utf8Path(from, &a) && Utf8Path(to, &b) &&
           Replace(a, b);
  }
  bool Remove(const std::u16string& path) override {
    std::string p;
    return Utf8Path(path, &p) && Remove(p);
  }
  bool Exists(const std::u16string& path) override {
    std::string p;
    return path.size() <= kMaxPathChars && Utf8Path(path, &p) && Exists(p);
  }
};

class PosixByteSource : public ByteSource {
public:
  PosixByteSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~PosixByteSource() override { ::close(fd_); }
  uint64_t Size() const override { return size_; }

private:
  bool DoReadAt(uint64_t offset, char* buffer, size_t size, size_t* got) override {
    while (*got < size) {
      const uint64_t at = offset + *got;
      if (at > static_cast<uint64_t>(INT64_MAX)) return true;  // past any end
      const ssize_t n = ::pread(fd_, buffer + *got, size - *got, static_cast<off_t>(at));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return false;
      if (n == 0) return true;
      *got += static_cast<size_t>(n);
    }
    return true;
  }

  int fd_;
  uint64_t size_;
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

std::unique_ptr<ByteSource> OpenSharedSource(const std::string& path) {
  if (path.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixByteSource>(fd, static_cast<uint64_t>(st.st_size));
}

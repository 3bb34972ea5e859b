// File services over POSIX for the native build (tests and benchmarks). Sharing modes
// have no POSIX counterpart and are not enforced here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "platform/Files.h"

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

bool IsRegularFile(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
}

class PosixFileSystem : public FileSystem {
public:
  bool OpenSource(const std::string& path, SourceFileInfo* info) override {
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

// File services over the Win32 file API with the sharing modes the program relies on:
// sources are probed with all sharing allowed, files are read denying other writers,
// and written with no sharing at all.
#include <windows.h>

#include "platform/Files.h"
#include "platform/PathNames.h"
#include "platform/TextConversion.h"
#include "platform/win32/Handles.h"

namespace {

// Paths are limited to MAX_PATH - 1 bytes; longer ones are refused, never cut.
bool PathFits(const std::string& path) { return !path.empty() && path.size() <= kMaxPathBytes; }

bool PathFits(const std::u16string& path) { return !path.empty() && path.size() <= kMaxPathChars; }

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

// The absolute form of `path`; false when the system gives none that fits in MAX_PATH
// (a relative path joined to a deep working folder): such a path is never used cut.
bool FullPathOf(const std::string& path, std::string* full) {
  char buffer[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) return false;
  full->assign(buffer, n);
  return true;
}

class Win32InputFile : public InputFile {
public:
  explicit Win32InputFile(ScopedHandle h) : h_(std::move(h)) {}
  bool Read(char* buffer, size_t size, size_t* got) override {
    DWORD read = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(h_.Get(), buffer, want, &read, nullptr)) return false;
    *got = read;
    return true;
  }

private:
  ScopedHandle h_;
};

class Win32OutputFile : public OutputFile {
public:
  Win32OutputFile(ScopedHandle h, std::string fullPath) : h_(std::move(h)), fullPath_(std::move(fullPath)) {}
  bool Write(const char* data, size_t size) override {
    while (size > 0) {
      const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(h_.Get(), data, want, &written, nullptr) || written == 0) return false;
      data += written;
      size -= written;
    }
    return true;
  }
  bool Close() override { return h_.IsValid() && h_.Reset(); }
  const std::string& FullPath() const override { return fullPath_; }

private:
  ScopedHandle h_;
  std::string fullPath_;
};

class Win32FileSystem : public FileSystem {
public:
  bool ProbeSource(const std::string& path, SourceFileInfo* info) override {
    if (!PathFits(path)) return false;
    ScopedHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.IsValid() || !FullPathOf(path, &info->fullPath)) return false;
    info->fileName = FileNameOfPath(info->fullPath);
    return true;
  }

  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override {
    if (!PathFits(path)) return nullptr;
    ScopedHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.IsValid()) return nullptr;
    return std::make_unique<Win32InputFile>(std::move(h));
  }

  std::unique_ptr<OutputFile> CreateForWriting(const std::string& path, Create mode) override {
    if (!PathFits(path)) return nullptr;
    ScopedHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                               mode == Create::kExclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!h.IsValid()) return nullptr;
    std::string full;
    return std::make_unique<Win32OutputFile>(std::move(h), FullPathOf(path, &full) ? full : path);
  }

  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  bool Remove(const std::string& path) override { return DeleteFileA(path.c_str()) != FALSE; }
  bool Exists(const std::string& path) override {
    return PathFits(path) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  bool IsFolder(const std::string& path) override {
    if (!PathFits(path)) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  bool CreateFolder(const std::string& path) override {
    return PathFits(path) && CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  }

  // Wide paths: the same calls in their wide form. The full path of an output file is
  // only reported (no caller stores it), so it is given in display form.
  std::unique_ptr<InputFile> OpenForReading(const std::u16string& path) override {
    if (!PathFits(path)) return nullptr;
    ScopedHandle h(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.IsValid()) return nullptr;
    return std::make_unique<Win32InputFile>(std::move(h));
  }

  std::unique_ptr<OutputFile> CreateForWriting(const std::u16string& path, Create mode) override {
    if (!PathFits(path)) return nullptr;
    ScopedHandle h(CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr,
                               mode == Create::kExclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!h.IsValid()) return nullptr;
    return std::make_unique<Win32OutputFile>(std::move(h), textconv::ToCp932Display(path));
  }

  bool Replace(const std::u16string& from, const std::u16string& to) override {
    return PathFits(from) && PathFits(to) &&
           MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  bool Remove(const std::u16string& path) override { return PathFits(path) && DeleteFileW(Wide(path)) != FALSE; }
  bool Exists(const std::u16string& path) override {
    return PathFits(path) && GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
  }
};

class Win32ByteSource : public ByteSource {
public:
  Win32ByteSource(ScopedHandle h, uint64_t size) : h_(std::move(h)), size_(size) {}
  uint64_t Size() const override { return size_; }

private:
  bool DoReadAt(uint64_t offset, char* buffer, size_t size, size_t* got) override {
    while (*got < size) {
      // A synchronous handle reads at the offset the OVERLAPPED structure gives.
      const uint64_t at = offset + *got;
      OVERLAPPED where = {};
      where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
      where.OffsetHigh = static_cast<DWORD>(at >> 32);
      const size_t left = size - *got;
      const DWORD want = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
      DWORD read = 0;
      if (!ReadFile(h_.Get(), buffer + *got, want, &read, &where)) return GetLastError() == ERROR_HANDLE_EOF;
      if (read == 0) return true;
      *got += read;
    }
    return true;
  }

  ScopedHandle h_;
  uint64_t size_;
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

std::unique_ptr<ByteSource> OpenSharedSource(const std::string& path) {
  if (!PathFits(path)) return nullptr;
  ScopedHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.IsValid()) return nullptr;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(h.Get(), &size) || size.QuadPart < 0) return nullptr;
  return std::make_unique<Win32ByteSource>(std::move(h), static_cast<uint64_t>(size.QuadPart));
}

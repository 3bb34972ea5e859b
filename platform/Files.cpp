#include "platform/Files.h"

#include "platform/TextConversion.h"

namespace {

bool Narrow(const std::u16string& wide, std::string* path) { return textconv::ToCp932Exact(wide, path); }

}  // namespace

std::unique_ptr<InputFile> FileSystem::OpenForReading(const std::u16string& path) {
  std::string narrow;
  return Narrow(path, &narrow) ? OpenForReading(narrow) : nullptr;
}

std::unique_ptr<OutputFile> FileSystem::CreateForWriting(const std::u16string& path, Create mode) {
  std::string narrow;
  return Narrow(path, &narrow) ? CreateForWriting(narrow, mode) : nullptr;
}

bool FileSystem::Replace(const std::u16string& from, const std::u16string& to) {
  std::string a, b;
  return Narrow(from, &a) && Narrow(to, &b) && Replace(a, b);
}

bool FileSystem::Remove(const std::u16string& path) {
  std::string narrow;
  return Narrow(path, &narrow) && Remove(narrow);
}

bool FileSystem::CreateFolder(const std::string&) { return false; }
bool FileSystem::IsFolder(const std::string&) { return false; }

bool FileSystem::Exists(const std::u16string& path) {
  std::string narrow;
  return Narrow(path, &narrow) && Exists(narrow);
}

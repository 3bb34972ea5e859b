#include "platform/Files.h"

#include "platform/Text.h"

int FileNameOffset(const std::string& path) { return text::ReverseFindAny(path, "\\/:") + 1; }

std::string FileNameOfPath(const std::string& path) { return text::Mid(path, FileNameOffset(path)); }

std::string DirectoryOfPath(const std::string& path) { return text::Left(path, FileNameOffset(path)); }

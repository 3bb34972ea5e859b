#include "platform/Files.h"

#include "platform/Text.h"

std::string FileNameOfPath(const std::string& path) {
  return text::Mid(path, text::ReverseFindAny(path, "\\/:") + 1);
}

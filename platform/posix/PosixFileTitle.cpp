#include "platform/FileTitle.h"

#include "platform/Text.h"

// Without a shell setting that hides extensions, the title is the whole name after
// the last backslash or slash.
std::string FileTitleOf(const std::string& path) {
  return text::Mid(path, text::ReverseFindAny(path, "\\/") + 1);
}

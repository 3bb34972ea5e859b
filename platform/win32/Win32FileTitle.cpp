#include "platform/FileTitle.h"

#include <windows.h>
#include <commdlg.h>

std::string FileTitleOf(const std::string& path) {
  if (path.empty()) return std::string();
  // The title of a path the system accepts fits its 260-byte limit; a result that
  // would not fit, or any error, gives no title rather than a cut one.
  char title[MAX_PATH] = "";
  if (GetFileTitleA(path.c_str(), title, MAX_PATH) != 0) return std::string();
  return title;
}

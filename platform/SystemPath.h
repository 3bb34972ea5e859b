// Paths the system gives in wide characters (the file dialogs, dropped files, the folder
// browser, the program's folder and the temporary folder), with the code page 932 form
// the program works with. That form is exact, never the best-fit look-alike: "Café
// song.wav" must not become "Cafe song.wav", the name of another file. Where no exact
// form exists, the file's short (8.3) path is used when it converts exactly.
#pragma once
#include <functional>
#include <string>

// The short (8.3) path of an existing file or folder as the system gives it; false when
// it gives none. On volumes that keep no short names the system hands back the long
// path, which then fails the exact conversion like the original did.
using ShortPathLookup = std::function<bool(const std::u16string& path, std::u16string* shortPath)>;

struct SystemPath {
  std::u16string wide;        // as the system gave it
  std::string path;           // exact code page 932 form, or else the path with the short name of each
                              // name that has no exact form; empty when neither exists
  bool viaShortPath = false;  // `path` is the short path

  bool Usable() const { return !path.empty(); }
  // The path for a message: each character that code page 932 cannot hold shown as "?".
  std::string Shown() const;
};

// `wide` in the program's form: exact, or else through `shortPath` (which may be null).
SystemPath ToSystemPath(const std::u16string& wide, const ShortPathLookup& shortPath);

// A path the program already holds in code page 932, with its wide form beside it.
SystemPath SystemPathOf(const std::string& path);

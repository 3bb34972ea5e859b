// Conversion between UTF-16 text and the program's code page 932, in two modes.
//
// Exact, for paths: a character that code page 932 cannot hold is a loss, never mapped
// to a look-alike (best fit would turn "Café" into "Cafe", the name of another file).
// Display, for texts that are only shown or written as tags: the system's best-fit
// mapping, with "?" for a character that has no mapping at all.
//
// On Windows this is WideCharToMultiByte/MultiByteToWideChar with code page 932; the
// native build has an equivalent over iconv so that the logic's tests run there too.
#pragma once
#include <string>

namespace textconv {

// Converts `wide` to code page 932 without best fit. False when any character has no
// exact form (then `*out` is left alone).
bool ToCp932Exact(const std::u16string& wide, std::string* out);

// Converts `wide` to code page 932 for display: best fit, "?" where nothing fits.
std::string ToCp932Display(const std::u16string& wide);

// Converts `wide` to code page 932 for a message that names a path: no best fit, each
// character without an exact form shown as one "?" (a surrogate pair counts as one).
std::string ToCp932Marked(const std::u16string& wide);

// Converts code page 932 bytes to UTF-16; an invalid byte sequence becomes U+30FB or
// the system's replacement character, never an error.
std::u16string FromCp932(const std::string& bytes);

}  // namespace textconv

// Conversion between UTF-16 text and the program's code page 932, in two modes.
//
// Exact, for paths: a character that code page 932 cannot hold is a loss, never mapped
// to a look-alike (best fit would turn "Café" into "Cafe", the name of another file).
// Display, for texts that are only shown or written as tags: the system's best-fit
// mapping, with "?" for a character that has no mapping at all.
//
// On Windows this is WideCharToMultiByte/MultiByteToWideChar with code page 932; the
// native build has an equivalent over iconv so that the logic's tests run there too.
//
// Beside them, the Unicode rules every conversion shares: how UTF-16 holds a character
// above U+FFFF, and the decoding of UTF-8, UTF-16 and Latin-1 bytes (tags in files) into
// UTF-16. These are the same on every system.
#pragma once
#include <cstddef>
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

// A character above U+FFFF is a surrogate pair in UTF-16: a high surrogate D800-DBFF,
// then a low one DC00-DFFF. A surrogate outside a pair is a code unit of its own.
bool IsSurrogate(char32_t c);
// The character at wide[i], i < wide.size(): its code point, and its length in code
// units (2 for a pair, else 1) in `*units`.
char32_t CodePointAt(const std::u16string& wide, size_t i, size_t* units);
// Appends the code point `c` (at most U+10FFFF, no surrogate): one unit, or a pair.
void AppendCodePoint(char32_t c, std::u16string* out);

// Decodes UTF-8. A byte that starts no valid sequence (an overlong form, a surrogate or a
// code point past U+10FFFF included) becomes U+FFFD and decoding goes on with the next
// byte. Returns whether all of it was valid.
bool DecodeUtf8(const std::string& bytes, std::u16string* out);
// Decodes UTF-16 in the given byte order; a last odd byte is dropped.
std::u16string DecodeUtf16(const std::string& bytes, bool bigEndian);
// Decodes Latin-1: each byte is the code point of its value.
std::u16string DecodeLatin1(const std::string& bytes);

}  // namespace textconv

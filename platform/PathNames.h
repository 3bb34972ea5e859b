// The parts of a path, each rule written once: where its file name starts, where the
// file name's extension starts, and the ".wav" ending files are added by. The narrow
// forms take code page 932 bytes and step over double-byte characters, so the trail
// byte of ソ (83 5C) is never taken for a '\'; the UTF-16 forms take paths as the
// system hands them over and use the same separators.
#pragma once
#include <string>
#include <string_view>

// What ends a folder name: '\', '/' and the ':' after a drive ("C:a.wav").
constexpr char kPathSeparators[] = "\\/:";

// Where the file name of `path` starts: just after its last character of `separators`,
// 0 when it has none.
int FileNameStart(std::string_view path, const char* separators = kPathSeparators);
size_t FileNameStart(const std::u16string& path);

// Where the extension of the file name starts: its last '.', or the path's size when
// the file name has none. A '.' in a folder name is not an extension.
int ExtensionStart(std::string_view path, const char* separators = kPathSeparators);
size_t ExtensionStart(const std::u16string& path);

// The file name part of a path ("b.wav" for C:\a\b.wav).
std::string FileNameOfPath(const std::string& path);
// The file name without its extension ("b" for C:\a\b.wav).
std::string FileTitleOfPath(const std::string& path, const char* separators = kPathSeparators);
// The same, as the part of `path` it is.
std::string_view FileTitlePart(std::string_view path, const char* separators = kPathSeparators);
std::u16string FileTitleOfPath(const std::u16string& path);
// The whole path without the extension of its file name (C:\a\b for C:\a\b.wav).
std::string WithoutExtension(const std::string& path);

// True when the path ends in ".wav" in any letter case, the '.' starting a character
// (not the trail byte of a double-byte one).
bool EndsWithWav(const std::string& path);
bool EndsWithWav(const std::u16string& path);
// True when the path ends in ".csv", the list file's ending, in any letter case.
bool EndsWithCsv(const std::u16string& path);

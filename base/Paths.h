// Paths as the program holds them: UTF-8 strings on every platform (see
// "File names and paths" in docs/architecture.md). Every byte of a multi-byte UTF-8
// character is above 0x7F, so ASCII separators and dots are found byte by
// byte. Each function keeps the contract its callers were written against;
// where two callers need different answers for the same idea (the folder of
// a file with or without its separator), there are two functions.
#pragma once

#include <string>
#include <string_view>

namespace pim {

// The platform's separator. On Windows a name also ends at '/' and ':'
// (IsPathDelimiter); on POSIX only at '/'.
#ifdef _WIN32
constexpr char kPathDelim = '\\';
constexpr bool IsPathDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }
#else
constexpr char kPathDelim = '/';
constexpr bool IsPathDelimiter(char c) { return c == '/'; }
#endif
// kPathDelim, for callers that want a call.
inline char PathDelimiter() { return kPathDelim; }

// The name part of a path: everything after its last delimiter.
std::string_view ExtractFileName(std::string_view path);
// The extension of the name part with its dot (".gz" of "a.tar.gz"); empty
// when the name has no dot.
std::string_view ExtractFileExt(std::string_view path);
// The folder part of a path with its final delimiter ("" for a bare name).
std::string_view ExtractFilePath(std::string_view path);
// The path with its extension replaced by ext (which carries its dot).
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// The folder of an existing file, as a target for listing: the path up to
// its name without the separator, unless that leaves a root ("/", "C:\");
// "." for a bare name.
std::string FolderOfExistingFile(std::string_view path);

// The folder that holds path (a trailing separator ignored), without a
// final separator but "C:\" for a drive's top folder; empty for a root or a
// bare name. Both '\' and '/' separate here, on every platform.
std::string ParentFolderOf(std::string path);

// The last component of a folder path: everything after its last platform
// separator, the whole path when it has none, empty for a root such as "C:\".
// Only kPathDelim counts ("a/b" on Windows is one component).
std::string FolderNameOf(std::string_view folderPath);

// The folder with one platform separator after it, for its entries' names
// to follow; an empty folder stays empty.
std::string FolderPrefix(std::string folder);
// folder + separator + name, the separator added unless folder ends in one;
// an empty folder gives the name below the root ("/name").
std::string JoinPath(std::string folder, std::string_view name);

}  // namespace pim

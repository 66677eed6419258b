// What the thumbnail loader asks the file system beyond reading and writing
// (which go through TFileStream): whether a path exists, a file's size and
// modification time, removing and replacing files, and the folders the
// thumbnail cache may live in. Implemented per platform (platform/posix,
// platform/win32); paths are in the platform's file-name encoding. No call
// throws.
#pragma once

#include <cstdint>
#include <string>

#include "base/DateUtils.h"
#include "base/FileSystem.h"  // RemoveFile

namespace pim {

struct TFileFacts {
    bool IsDirectory = false;
    std::uint64_t Size = 0;
    TDateTime Modified = 0;  // last write, local time
};

// False when nothing exists at path.
bool GetFileFacts(const std::string& path, TFileFacts& facts);
bool FileExists(const std::string& path);       // an existing file (not a folder)
bool DirectoryExists(const std::string& path);  // an existing folder
// Renames source to target, replacing an existing target.
bool MoveFileOver(const std::string& source, const std::string& target);

// The running program's full path.
std::string ProgramFileName();
// The Windows folder (the root folder on POSIX).
std::string SystemDirectory();
// The TEMP environment variable, at most 255 bytes (on POSIX, TMPDIR or /tmp
// when TEMP is unset).
std::string TempDirectory();

}  // namespace pim

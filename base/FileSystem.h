// Files by name, for every part of the program that opens, checks or removes
// one. Names are in the program's file-name encoding, UTF-8 on every
// platform: POSIX takes the bytes as they are, Windows converts them to
// UTF-16 at each call, so a name that no ANSI code page can hold still names
// its own file. Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace pim {

// std::fopen by a file-name-encoded name; nullptr on failure.
std::FILE* OpenFile(const std::string& fileName, const char* mode);

// What says that a file is still the one it was: its size and its last write
// time, in the finest unit the system keeps (nanoseconds on POSIX, 100 ns on
// Windows; only compared, never shown).
struct TFileStamp {
    std::int64_t Size = -1;
    std::int64_t WriteTime = 0;
    friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

// The stamp of an existing file (links followed); false when there is none.
bool FileStampOf(const std::string& fileName, TFileStamp& stamp);

// Removes a file; false when it could not be removed.
bool RemoveFile(const std::string& fileName);

}  // namespace pim

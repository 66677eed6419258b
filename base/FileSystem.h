// Files by name, for every part of the program that opens, checks or removes
// one. Names are in the program's file-name encoding, UTF-8 on every
// platform: POSIX takes the bytes as they are, Windows converts them to
// UTF-16 at each call, so a name that no ANSI code page can hold still names
// its own file. Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/SysUtils.h"

namespace pim {

// std::fopen by a file-name-encoded name; nullptr on failure. For reading
// ("r" modes) only a regular file on a disk is opened: a FIFO, a device or
// a pipe (whose read may wait for ever) is refused, and LastFileErrorText
// says kNotAFile. Opening never waits for a writer.
std::FILE* OpenFile(const std::string& fileName, const char* mode);
inline constexpr const char* kNotAFile = "not a regular file (a device, a FIFO or a pipe), which is not read";

// Creates a new file for reading and writing, only if nothing of that name
// exists: no file, no folder, no symbolic link (which is never followed).
// POSIX: O_CREAT|O_EXCL|O_NOFOLLOW with mode 0600 (the file's final mode is
// applied when it is committed); Windows: CREATE_NEW. nullptr on failure,
// with `exists` true when the name was taken (another name may do).
std::FILE* CreateNewFile(const std::string& fileName, bool& exists);

// The system's own words for the last failed file call of this thread
// (strerror on POSIX, FormatMessageW on Windows, as UTF-8, without a final
// line break); empty when the system recorded no error.
std::string LastFileErrorText();
// Forgets the recorded error, before a call whose failure is to be explained.
void ClearFileError();
// The system's words for an error number of its own (errno on POSIX, a
// GetLastError code on Windows).
std::string SystemErrorText(int code);
// What kind of trouble the system's error number, or the last failed file
// call's, is: no permission, a full disk, no memory; fUnknown otherwise.
TFault SystemErrorFault(int code);
TFault LastFileErrorFault();

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

// POSIX: names are the file system's own bytes.
#include "base/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pim {

namespace {

// Why the last OpenFile of this thread refused what it opened; null otherwise.
thread_local const char* refusedFile = nullptr;

}  // namespace

std::FILE* OpenFile(const std::string& fileName, const char* mode) {
    refusedFile = nullptr;
    if (mode[0] != 'r') return std::fopen(fileName.c_str(), mode);
    // Only a regular file is read: a FIFO or a device named like a picture
    // would wait for ever, in the open (a FIFO without a writer) or in the
    // read. The open does not wait; the file is checked before it is read.
    const int fd = ::open(fileName.c_str(), (std::strchr(mode, '+') ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
        ::close(fd);
        if (error == 0) refusedFile = kNotAFile;
        errno = error;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, mode);
    if (!file) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

std::FILE* CreateNewFile(const std::string& fileName, bool& exists) {
    exists = false;
    // Never an existing file, never through a link: another user's link at
    // this name cannot redirect the write. Only the owner can read the file
    // until it is committed with its final mode.
    const int fd = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        exists = errno == EEXIST || errno == ELOOP;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(fileName.c_str());
        errno = error;
    }
    return file;
}

namespace {

// Both forms of strerror_r: the GNU one returns the text, the XSI one fills the buffer.
[[maybe_unused]] const char* ErrorTextOf(const char* text, const char*) { return text; }
[[maybe_unused]] const char* ErrorTextOf(int rc, const char* buffer) { return rc == 0 ? buffer : "Unknown error"; }

}  // namespace

std::string SystemErrorText(int code) {
    char buffer[256] = {};
    return ErrorTextOf(::strerror_r(code, buffer, sizeof buffer), buffer);
}

std::string LastFileErrorText() {
    if (refusedFile) return refusedFile;
    return errno == 0 ? std::string() : SystemErrorText(errno);
}

TFault SystemErrorFault(int code) {
    switch (code) {
        case EACCES:
        case EPERM:
        case EROFS: return TFault::fNoPermission;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return TFault::fDiskFull;
        case ENOMEM: return TFault::fOutOfMemory;
        default: return TFault::fUnknown;
    }
}

TFault LastFileErrorFault() { return refusedFile || errno == 0 ? TFault::fUnknown : SystemErrorFault(errno); }

void ClearFileError() {
    refusedFile = nullptr;
    errno = 0;
}

bool FileStampOf(const std::string& fileName, TFileStamp& stamp) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    stamp.Size = static_cast<std::int64_t>(st.st_size);
    // Only ever compared for equality: past 2262 the nanoseconds wrap, in
    // unsigned arithmetic, where wrapping is defined.
    stamp.WriteTime = static_cast<std::int64_t>(static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                                                static_cast<std::uint64_t>(st.st_mtim.tv_nsec));
    return true;
}

bool RemoveFile(const std::string& fileName) { return ::unlink(fileName.c_str()) == 0; }

}  // namespace pim

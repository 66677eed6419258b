// POSIX: fsync, then rename(2), which replaces the target atomically; the
// folder is synced too so the new name survives a crash. The new file takes
// the old one's permission bits, and a link is followed to the file it names.
#include "report/FileCommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>

#include "base/FileSystem.h"
#include "base/SysUtils.h"

namespace pim {

namespace {

void SyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The mode a file created with fopen(3) would get: 0666 less the umask,
// read from /proc (umask(2) would change it for every thread meanwhile).
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 0644;
}

}  // namespace

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void CheckCommitTarget(const std::string& target) {
    const auto fail = [&](int error) {
        throw EStreamError("Cannot create file \"" + target + "\"", SystemErrorText(error));
    };
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) fail(EISDIR);
        if (IsReadOnlyFile(target)) fail(EACCES);
        return;
    }
    if (errno != ENOENT) fail(errno);
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) fail(errno);
    ::close(fd);
    ::unlink(target.c_str());
}

std::string CommitTargetOf(const std::string& path) {
    std::string at = path;
    // As many steps as the system follows itself before it gives up (ELOOP).
    for (int step = 0; step < 40; ++step) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n <= 0) return at;
        link.resize(static_cast<std::size_t>(n));
        // A relative link is relative to the folder holding it.
        at = link.front() == '/' ? link : FolderOf(at) + "/" + link;
    }
    return at;
}

void CommitFileOver(const std::string& source, const std::string& target) {
    const auto fail = [&](int error) {
        throw EStreamError("Cannot create file \"" + target + "\"", SystemErrorText(error));
    };
    // Permission bits rather than access(2): the owner's (and root's) right
    // to write does not matter, the file's read-only mark does, as on Windows.
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    if (replacing && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) fail(EACCES);
    const int fd = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) fail(errno);
    // The new file was made readable by its owner only; now it takes the
    // mode of the file it replaces, or the mode a new file gets.
    const mode_t mode = replacing ? st.st_mode & 07777 : NewFileMode();
    int error = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (error == 0 && std::rename(source.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) fail(error);
    SyncPath(FolderOf(target), O_RDONLY | O_DIRECTORY);
}

}  // namespace pim

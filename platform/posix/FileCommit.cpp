// POSIX: fsync, then rename(2), which replaces the target atomically; the
// folder is synced too so the new name survives a crash. The new file takes
// the old one's permission bits, and a link is followed to the file it names.
#include "report/FileCommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

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

}  // namespace

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
    const auto fail = [&] { throw EStreamError("Cannot create file \"" + target + "\""); };
    // Permission bits rather than access(2): the owner's (and root's) right
    // to write does not matter, the file's read-only mark does, as on Windows.
    struct stat st {};
    const bool replacing = ::stat(target.c_str(), &st) == 0;
    if (replacing && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) fail();
    const int fd = ::open(source.c_str(), O_RDONLY);
    if (fd < 0) fail();
    const bool synced = (!replacing || ::fchmod(fd, st.st_mode & 07777) == 0) && ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || std::rename(source.c_str(), target.c_str()) != 0) fail();
    SyncPath(FolderOf(target), O_RDONLY | O_DIRECTORY);
}

}  // namespace pim

// POSIX: fsync, then rename(2), which replaces the target atomically; the
// folder is synced too so the new name survives a crash.
#include "report/FileCommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

void CommitFileOver(const std::string& source, const std::string& target) {
    const auto fail = [&] { throw EStreamError("Cannot create file \"" + target + "\""); };
    // Permission bits rather than access(2): the owner's (and root's) right
    // to write does not matter, the file's read-only mark does, as on Windows.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) fail();
    const int fd = ::open(source.c_str(), O_RDONLY);
    if (fd < 0) fail();
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || std::rename(source.c_str(), target.c_str()) != 0) fail();
    SyncPath(FolderOf(target), O_RDONLY | O_DIRECTORY);
}

}  // namespace pim

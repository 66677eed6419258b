// POSIX: the folder is opened once and everything after is relative to
// its descriptor (openat, renameat, unlinkat), so the save goes on in the
// folder it began in wherever that folder is moved. fsync, then renameat,
// which replaces the target atomically; the folder is synced too so the new
// name survives a crash. The new file takes the old one's permission bits.
#include "report/FileCommit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>

#include "base/FileSystem.h"

namespace pim {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
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

// Permission bits rather than access(2): the owner's (and root's) right
// to write does not matter, the file's read-only mark does, as on Windows.
bool ReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

}  // namespace

void CheckCommitTarget(const std::string& target) {
    const auto fail = [&](int error) {
        throw EStreamError("Cannot create file \"" + target + "\"", SystemErrorText(error), SystemErrorFault(error));
    };
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) fail(EISDIR);
        // A link still here is another user's: it is replaced, whatever it leads to.
        if (S_ISREG(st.st_mode) && ReadOnlyMode(st.st_mode)) fail(EACCES);
        // In a folder with the sticky bit (/tmp, a shared drop folder) only
        // the owner of an entry, of the folder, or root may replace it.
        struct stat folder {};
        const uid_t self = ::geteuid();
        if (st.st_uid != self && self != 0 && ::stat(FolderOf(target).c_str(), &folder) == 0 &&
            (folder.st_mode & S_ISVTX) && folder.st_uid != self)
            fail(EPERM);
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
        // Only the user's own links lead the PDF elsewhere: whoever can
        // write into the folder could plant one at the PDF's name.
        if (st.st_uid != ::geteuid()) return at;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n <= 0) return at;
        link.resize(static_cast<std::size_t>(n));
        // A relative link is relative to the folder holding it.
        at = link.front() == '/' ? link : FolderOf(at) + "/" + link;
    }
    return at;
}

struct TFileCommit::TFolder {
    int fd = -1;
    ~TFolder() {
        if (fd >= 0) ::close(fd);
    }
};

TFileCommit::TFileCommit(const std::string& target, std::string_view prefix, std::string_view suffix)
    : target_(target), folder_(std::make_unique<TFolder>()) {
    const std::string folder = FolderOf(target);
    folder_->fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_->fd < 0) Fail(errno);
    const int at = folder_->fd;
    try {
        file_ = CreateUniqueFile(folder, prefix, suffix, [at](const std::string& name, bool& exists) -> std::FILE* {
            // Never an existing file, never through a link: another user's
            // link at this name cannot redirect the write.
            exists = false;
            const int fd = ::openat(at, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0) {
                exists = errno == EEXIST || errno == ELOOP;
                return nullptr;
            }
            std::FILE* file = ::fdopen(fd, "w+b");
            if (!file) {
                const int error = errno;
                ::close(fd);
                ::unlinkat(at, name.c_str(), 0);
                errno = error;
            }
            return file;
        });
    } catch (const EStreamError& e) {
        throw EStreamError("Cannot create file \"" + target_ + "\"", e.SystemReason(), e.Fault());
    }
    name_ = NameOf(file_->FileName());
}

TFileCommit::~TFileCommit() { Discard(); }

void TFileCommit::Fail(int error) const {
    throw EStreamError("Cannot create file \"" + target_ + "\"", SystemErrorText(error), SystemErrorFault(error));
}

void TFileCommit::Discard() noexcept {
    if (committed_ || !file_) return;
    file_.reset();  // closed unflushed: nothing of it is kept
    ::unlinkat(folder_->fd, name_.c_str(), 0);
}

void TFileCommit::Commit(const std::function<bool()>& abandoned) {
    try {
        file_->Flush();
        const std::string leaf = NameOf(target_);
        struct stat st {};
        const bool replacing = ::fstatat(folder_->fd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        // A link here is another user's (the user's own were followed): the
        // link is replaced, and the new file gets the mode of a new file.
        const bool replacingFile = replacing && !S_ISLNK(st.st_mode);
        if (replacingFile && S_ISREG(st.st_mode) && ReadOnlyMode(st.st_mode)) Fail(EACCES);
        const int fd = ::fileno(file_->Handle());
        // The new file was made readable by its owner only; now it takes the
        // mode of the file it replaces, or the mode a new file gets.
        const mode_t mode = replacingFile ? st.st_mode & 07777 : NewFileMode();
        if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) Fail(errno);
        file_->Close();
        if (abandoned && abandoned()) throw EStreamError("Save abandoned");
        if (::renameat(folder_->fd, name_.c_str(), folder_->fd, leaf.c_str()) != 0) Fail(errno);
    } catch (...) {
        Discard();
        throw;
    }
    committed_ = true;
    file_.reset();
    ::fsync(folder_->fd);
}

}  // namespace pim

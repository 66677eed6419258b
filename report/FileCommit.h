// Puts a finished file in the place of another one in a single step, so a
// reader sees either the old file or the complete new one, never a part.
// Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/Classes.h"
#include "base/SysUtils.h"

namespace pim {

// The file that a commit over `path` replaces. A symbolic link is followed
// to the file it leads to (so the link stays a link) only when the link is
// the user's own: another user's link at that name, planted in a shared
// folder, is itself replaced by the new file, as Windows replaces any link.
// Else `path` itself. The new file is written beside what this returns.
std::string CommitTargetOf(const std::string& path);

// The file to be replaced is held open by another program that keeps it
// from being replaced (Windows: opened without sharing deletion).
class EFileInUse : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Raises EStreamError ("Cannot create file", with the system's reason)
// when a commit over `target` cannot succeed as things stand: the file
// system refuses the name (too long, a character it does not take, a
// missing folder), a folder has that name, or the file there is read-only;
// EFileInUse when another program holds the file so that it cannot be
// replaced. When no file has the name yet, the name is tried by creating a
// file of it exclusively and removing it at once; nothing is left behind.
void CheckCommitTarget(const std::string& target);

// One save over `target` in the folder that holds it, opened once (a
// directory descriptor on POSIX, a directory handle on Windows): the
// temporary file is created, written and renamed over the target relative
// to that folder, so a folder renamed or moved meanwhile takes the new file
// along and nothing is left behind under the old path. Until Commit has put
// the file in place, ending this object removes the temporary file.
class TFileCommit {
public:
    // Opens the folder and creates the temporary file in it exclusively:
    // `prefix` + 8 random hexadecimal digits + `suffix` (CreateUniqueFile's
    // names), readable by its owner only (POSIX mode 0600) until committed.
    // Raises EStreamError ("Cannot create file" naming the target).
    TFileCommit(const std::string& target, std::string_view prefix, std::string_view suffix);
    ~TFileCommit();
    TFileCommit(const TFileCommit&) = delete;
    TFileCommit& operator=(const TFileCommit&) = delete;

    // The temporary file, to be written.
    TFileStream& File() { return *file_; }

    // Pushes the file's bytes to the disk and renames it over the target,
    // replacing any file of that name; the new file takes the permission
    // bits of the one it replaces (a new one: 0666 less the umask). A target
    // marked read-only is not replaced. `abandoned` is asked last, just
    // before the rename: true gives the save up ("Save abandoned"). On
    // failure raises EStreamError naming the target, with the system's
    // reason (EFileInUse when another program holds the target); the old
    // file is left as it was and the temporary file is removed.
    void Commit(const std::function<bool()>& abandoned);

private:
    struct TFolder;  // the platform's open folder
    std::string target_;
    std::string name_;  // the temporary file's name in the folder
    std::unique_ptr<TFolder> folder_;
    std::unique_ptr<TFileStream> file_;
    bool committed_ = false;

    void Fail(int error) const;
    void Discard() noexcept;
};

}  // namespace pim

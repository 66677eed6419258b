// Puts a finished file in the place of another one in a single step, so a
// reader sees either the old file or the complete new one, never a part.
// Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <string>

namespace pim {

// The file that a commit over `path` replaces: when `path` is a symbolic
// link, the file it leads to (so the link stays a link), else `path` itself.
// The new file is written beside what this returns.
std::string CommitTargetOf(const std::string& path);

// Raises EStreamError ("Cannot create file", with the system's reason)
// when a commit over `target` cannot succeed as things stand: the file
// system refuses the name (too long, a character it does not take, a
// missing folder), a folder has that name, or the file there is read-only.
// When no file has the name yet, the name is tried by creating a file of
// it exclusively and removing it at once; nothing is left behind.
void CheckCommitTarget(const std::string& target);

// True when `path` is a file marked read-only, which a commit refuses to replace.
bool IsReadOnlyFile(const std::string& path);

// Pushes the bytes of `source` to the disk and renames it to `target`,
// replacing any file of that name; the new file takes the permission bits of
// the one it replaces. A target marked read-only is not replaced.
// On failure raises EStreamError naming the target, with the system's
// reason; both files are then left as they were (removing `source` is the
// caller's business). A new file (nothing to replace) takes the mode a newly
// created file gets (POSIX: 0666 less the umask).
void CommitFileOver(const std::string& source, const std::string& target);

}  // namespace pim

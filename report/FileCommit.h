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

// Pushes the bytes of `source` to the disk and renames it to `target`,
// replacing any file of that name; the new file takes the permission bits of
// the one it replaces. A target marked read-only is not replaced.
// On failure raises EStreamError naming the target; both files are then left
// as they were (removing `source` is the caller's business).
void CommitFileOver(const std::string& source, const std::string& target);

}  // namespace pim

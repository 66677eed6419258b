// Puts a finished file in the place of another one in a single step, so a
// reader sees either the old file or the complete new one, never a part.
// Implemented per platform (platform/posix, platform/win32).
#pragma once

#include <string>

namespace pim {

// Pushes the bytes of `source` to the disk and renames it to `target`,
// replacing any file of that name. A target marked read-only is not replaced.
// On failure raises EStreamError naming the target; both files are then left
// as they were (removing `source` is the caller's business).
void CommitFileOver(const std::string& source, const std::string& target);

}  // namespace pim

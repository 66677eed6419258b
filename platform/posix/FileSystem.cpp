// POSIX: names are the file system's own bytes.
#include "base/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

namespace pim {

std::FILE* OpenFile(const std::string& fileName, const char* mode) { return std::fopen(fileName.c_str(), mode); }

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

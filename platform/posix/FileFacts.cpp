// POSIX: stat(2), unlink(2), rename(2) and /proc/self/exe.
#include "imagelist/FileFacts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace pim {

bool GetFileFacts(const std::string& path, TFileFacts& facts) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    facts.IsDirectory = S_ISDIR(st.st_mode);
    facts.Size = static_cast<std::uint64_t>(st.st_size);
    facts.Modified = UnixToLocalDateTime(st.st_mtim.tv_sec) + st.st_mtim.tv_nsec / 86400e9;
    return true;
}

bool MoveFileOver(const std::string& source, const std::string& target) {
    return std::rename(source.c_str(), target.c_str()) == 0;
}

std::string ProgramFileName() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    return n > 0 ? buffer.substr(0, static_cast<std::size_t>(n)) : std::string();
}

std::string SystemDirectory() { return "/"; }

std::string TempDirectory() {
    for (const char* name : {"TEMP", "TMPDIR"})
        if (const char* value = std::getenv(name); value && *value) return std::string(value).substr(0, 255);
    return "/tmp";
}

}  // namespace pim

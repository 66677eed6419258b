// Windows: every name goes to the wide API as UTF-16.
#include "base/FileSystem.h"

#include <windows.h>

#include "platform/win32/WideNames.h"

namespace pim {

std::FILE* OpenFile(const std::string& fileName, const char* mode) {
    return _wfopen(WidePath(fileName).c_str(), WideName(mode).c_str());
}

bool FileStampOf(const std::string& fileName, TFileStamp& stamp) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(WidePath(fileName).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    stamp.Size = static_cast<std::int64_t>(static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow);
    stamp.WriteTime = static_cast<std::int64_t>(static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                                                data.ftLastWriteTime.dwLowDateTime);
    return true;
}

bool RemoveFile(const std::string& fileName) { return DeleteFileW(WidePath(fileName).c_str()) != FALSE; }

}  // namespace pim

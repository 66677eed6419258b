// Windows: file attributes and times, DeleteFileA, MoveFileExA; names in the
// ANSI code page, as TFileStream opens them.
#include "imagelist/FileFacts.h"

#include <windows.h>

namespace pim {

bool GetFileFacts(const std::string& path, TFileFacts& facts) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    facts.IsDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.Size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    FILETIME local{};
    SYSTEMTIME st{};
    facts.Modified = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToSystemTime(&local, &st)) {
        TDateTimeParts parts{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
        facts.Modified = EncodeDateTime(parts);
    }
    return true;
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool MoveFileOver(const std::string& source, const std::string& target) {
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string ProgramFileName() {
    char buffer[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

std::string SystemDirectory() {
    char buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, n < MAX_PATH ? n : 0);
}

std::string TempDirectory() {
    char buffer[256] = {};
    const DWORD n = GetEnvironmentVariableA("TEMP", buffer, sizeof buffer);
    return std::string(buffer, n < sizeof buffer ? n : 0);
}

}  // namespace pim

// Windows: file attributes and times, MoveFileExW, the program's path, the
// Windows folder and TEMP; every name through the wide API.
#include "imagelist/FileFacts.h"

#include <windows.h>

#include "base/win32/WideNames.h"

namespace pim {

bool GetFileFacts(const std::string& path, TFileFacts& facts) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data)) return false;
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

bool MoveFileOver(const std::string& source, const std::string& target) {
    return MoveFileExW(WidePath(source).c_str(), WidePath(target).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string ProgramFileName() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) return Utf8Name(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string SystemDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return n < MAX_PATH ? Utf8Name(std::wstring_view(buffer, n)) : std::string();
}

std::string TempDirectory() {
    wchar_t buffer[256] = {};
    const DWORD n = GetEnvironmentVariableW(L"TEMP", buffer, 256);
    return n < 256 ? Utf8Name(std::wstring_view(buffer, n)) : std::string();
}

}  // namespace pim

// Windows: every name goes to the wide API as UTF-16.
#include "base/FileSystem.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/win32/Handles.h"
#include "base/win32/WideNames.h"

namespace pim {

namespace {

// Why the last OpenFile of this thread refused what it opened; null otherwise.
thread_local const char* refusedFile = nullptr;

}  // namespace

std::FILE* OpenFile(const std::string& fileName, const char* mode) {
    refusedFile = nullptr;
    std::FILE* file = _wfopen(WidePath(fileName).c_str(), WideName(mode).c_str());
    // The C library keeps the system's own code in _doserrno.
    if (!file && _doserrno == 0) _doserrno = GetLastError();
    // Only a file on a disk is read: a read from a device, a console or a
    // pipe may wait for ever.
    if (file && mode[0] == 'r' &&
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
        std::fclose(file);
        refusedFile = kNotAFile;
        return nullptr;
    }
    return file;
}

std::FILE* CreateNewFile(const std::string& fileName, bool& exists) {
    exists = false;
    // CREATE_NEW: fails on any existing name, and a reparse point there is
    // not followed for the creation.
    TKernelHandle h = OwnFileHandle(CreateFileW(WidePath(fileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
        const DWORD error = GetLastError();
        exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        _doserrno = error;
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h.get()), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        h.reset();
        DeleteFileW(WidePath(fileName).c_str());
        _doserrno = ERROR_TOO_MANY_OPEN_FILES;
        return nullptr;
    }
    h.release();  // the descriptor owns it now
    std::FILE* file = _fdopen(fd, "w+b");
    if (!file) {
        _close(fd);
        DeleteFileW(WidePath(fileName).c_str());
        _doserrno = ERROR_TOO_MANY_OPEN_FILES;
    }
    return file;
}

std::string SystemErrorText(int code) {
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words = n > 0 && text ? std::wstring(text, n) : std::wstring();
    if (text) LocalFree(text);
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ')) words.pop_back();
    if (words.empty()) return "Error " + std::to_string(static_cast<unsigned long>(code));
    return Utf8Name(words);
}

std::string LastFileErrorText() {
    if (refusedFile) return refusedFile;
    // The system's code behind a C library failure, else the library's own.
    if (_doserrno != 0) return SystemErrorText(static_cast<int>(_doserrno));
    if (errno != 0) return std::strerror(errno);
    return {};
}

// Newer than the mingw-w64 headers of the cross build.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

TFault SystemErrorFault(int code) {
    switch (static_cast<DWORD>(code)) {
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD: return TFault::fNoPermission;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_QUOTA_EXCEEDED: return TFault::fDiskFull;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return TFault::fOutOfMemory;
        default: return TFault::fUnknown;
    }
}

TFault LastFileErrorFault() {
    if (refusedFile) return TFault::fUnknown;
    if (_doserrno != 0) return SystemErrorFault(static_cast<int>(_doserrno));
    switch (errno) {
        case EACCES: return TFault::fNoPermission;
        case ENOSPC: return TFault::fDiskFull;
        case ENOMEM: return TFault::fOutOfMemory;
        default: return TFault::fUnknown;
    }
}

void ClearFileError() {
    refusedFile = nullptr;
    _doserrno = 0;
    errno = 0;
    SetLastError(0);
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

// Windows: FlushFileBuffers, then MoveFileExW with MOVEFILE_REPLACE_EXISTING,
// which replaces the target in one step; names go to the wide API as UTF-16.
// A read-only target is refused up front: Windows' MoveFileEx refuses it too,
// but not every implementation of the API does.
#include "report/FileCommit.h"

#include <windows.h>

#include "base/FileSystem.h"
#include "base/SysUtils.h"
#include "base/win32/WideNames.h"

namespace pim {

// Links are rare on Windows and need rights to make: the name is replaced as it is.
std::string CommitTargetOf(const std::string& path) { return path; }

void CheckCommitTarget(const std::string& target) {
    const auto fail = [&](DWORD error) {
        throw EStreamError("Cannot create file \"" + target + "\"", SystemErrorText(static_cast<int>(error)));
    };
    const std::wstring name = WidePath(target);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_READONLY)) fail(ERROR_ACCESS_DENIED);
        return;
    }
    // A new file of that name, gone again when it is closed.
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail(GetLastError());
    CloseHandle(h);
    DeleteFileW(name.c_str());  // in case the system kept it
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CommitFileOver(const std::string& source, const std::string& target) {
    const auto fail = [&](DWORD error) {
        throw EStreamError("Cannot create file \"" + target + "\"", SystemErrorText(static_cast<int>(error)));
    };
    const std::wstring from = WidePath(source), to = WidePath(target);
    if (IsReadOnlyFile(target)) fail(ERROR_ACCESS_DENIED);
    HANDLE h = CreateFileW(from.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail(GetLastError());
    const BOOL flushed = FlushFileBuffers(h);
    const DWORD flushError = flushed ? 0 : GetLastError();
    CloseHandle(h);
    if (!flushed) fail(flushError);
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) fail(GetLastError());
}

}  // namespace pim

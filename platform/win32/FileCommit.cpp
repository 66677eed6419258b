// Windows: FlushFileBuffers, then MoveFileExW with MOVEFILE_REPLACE_EXISTING,
// which replaces the target in one step; names go to the wide API as UTF-16.
// A read-only target is refused up front: Windows' MoveFileEx refuses it too,
// but not every implementation of the API does.
#include "report/FileCommit.h"

#include <windows.h>

#include "base/SysUtils.h"
#include "platform/win32/WideNames.h"

namespace pim {

// Links are rare on Windows and need rights to make: the name is replaced as it is.
std::string CommitTargetOf(const std::string& path) { return path; }

void CommitFileOver(const std::string& source, const std::string& target) {
    const auto fail = [&] { throw EStreamError("Cannot create file \"" + target + "\""); };
    const std::wstring from = WidePath(source), to = WidePath(target);
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) fail();
    HANDLE h = CreateFileW(from.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) fail();
    const BOOL flushed = FlushFileBuffers(h);
    CloseHandle(h);
    if (!flushed) fail();
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) fail();
}

}  // namespace pim

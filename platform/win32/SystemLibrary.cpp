#include "platform/win32/SystemLibrary.h"

#include <string>

namespace pim {

void RestrictLibrarySearch() {
    // SetDefaultDllDirectories came with Windows 8 (and an update of
    // Windows 7); where it is missing, LoadSystemLibrary's full path still
    // keeps the program's folder out.
    using SetDefaultDirectories = BOOL(WINAPI*)(DWORD);
    if (auto set = SystemFunction<SetDefaultDirectories>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories"))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    // Systems without the search flags refuse it as an invalid parameter:
    // name the file by its full path in the system folder instead.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace pim

// A library that an attacker leaves beside the program: loading it by name
// must not find it there. Copied under the names of the libraries the
// programs load; when the system loads it after all, it leaves
// "<its own path>.loaded" beside itself.
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) int PlantedMarker() { return 42; }

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) return TRUE;
    const std::wstring marker = std::wstring(path, n) + L".loaded";
    HANDLE h = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return TRUE;
}

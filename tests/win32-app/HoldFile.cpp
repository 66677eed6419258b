// Holds a file open as a PDF viewer does (reading, sharing reading only, so
// nobody can delete or replace it), for the scripts that drive Pim.exe from
// outside. Prints "holding" once the file is open and lets it go when the
// release file appears (or after a minute); exits 1 when it cannot open it.
//
//   hold_file.exe <file> <release file>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot open: %lu\n", GetLastError());
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    for (int i = 0; i < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    CloseHandle(file);
    return 0;
}

#include "cli/Console.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/SystemLibrary.h"
#include "base/win32/WideNames.h"

namespace pim {

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<bool> endRequested{false};
// Set when the run has cleaned up; a closing console waits for it.
HANDLE runEnded = CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI OnControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            stopRequested.store(true);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The process ends when this returns: give the run the few
            // seconds Windows allows to give up its save and remove its
            // temporary file.
            endRequested.store(true);
            stopRequested.store(true);
            WaitForSingleObject(runEnded, 4500);
            return TRUE;
        default:
            return FALSE;
    }
}

HANDLE Handle(TConsoleStream stream) {
    return GetStdHandle(stream == TConsoleStream::csOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

std::FILE* File(TConsoleStream stream) { return stream == TConsoleStream::csOut ? stdout : stderr; }

}  // namespace

// Before anything else: libraries only from the system folder.
void InitConsole() { RestrictLibrarySearch(); }

bool IsTerminal(TConsoleStream stream) {
    DWORD mode;
    return GetConsoleMode(Handle(stream), &mode) != 0;
}

// Text of the code page, shown through UTF-16: a console shows it whatever
// its code page; a file or pipe gets the console's output code page (the
// ANSI one without a console).
static void WriteInCodePage(TConsoleStream stream, std::string_view text, UINT textCodePage) {
    const int wide = MultiByteToWideChar(textCodePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(textCodePage, 0, text.data(), static_cast<int>(text.size()), utf16.data(), wide);
    std::fflush(File(stream));
    DWORD written;
    if (IsTerminal(stream)) {
        WriteConsoleW(Handle(stream), utf16.data(), static_cast<DWORD>(utf16.size()), &written, nullptr);
        return;
    }
    UINT codePage = GetConsoleOutputCP();
    if (codePage == 0) codePage = CP_ACP;
    const int n = WideCharToMultiByte(codePage, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, utf16.data(), wide, bytes.data(), n, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), File(stream));
    std::fflush(File(stream));
}

// The program's texts are code page 932 (the ANSI code page of a Japanese
// Windows); paths and arguments are UTF-8.
void WriteAnsi(TConsoleStream stream, std::string_view text) { WriteInCodePage(stream, text, CP_ACP); }
void WriteNative(TConsoleStream stream, std::string_view text) { WriteInCodePage(stream, text, CP_UTF8); }
void WriteUtf8(TConsoleStream stream, std::string_view text) { WriteInCodePage(stream, text, CP_UTF8); }

void InstallStopHandler() { SetConsoleCtrlHandler(OnControl, TRUE); }

bool StopRequested() { return stopRequested.load(); }
bool EndRequested() { return endRequested.load(); }
int StoppedExitCode() { return endRequested.load() ? 143 : 130; }
void RunEnded() {
    if (runEnded) SetEvent(runEnded);
}

std::vector<std::string> NativeArguments(int argc, char** argv) {
    // The wide command line, not argv: the C runtime made argv in the ANSI
    // code page, which loses any character it cannot hold.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(Utf8Name(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void OpenWithViewer(const std::string& path) {
    // As the progress dialog's "PDFを起動": the quoted path, verb "OPEN".
    const std::wstring quoted = WideName("\"" + path + "\"");
    ShellExecuteW(nullptr, L"OPEN", quoted.c_str(), L"", L"", SW_SHOW);
}

}  // namespace pim

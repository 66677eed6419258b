// Reads a window of a running program through the Win32 API, for the
// scripts that drive Pim.exe from outside: waits for a visible top-level
// window whose caption is the given one (a message box, the progress
// dialog), prints the text of each of its controls (the message box's text
// and its button, the dialog's label and buttons) as UTF-8, one per line,
// and exits 0; exits 1 when no such window came within the time given.
//
//   read_error_box.exe <caption> [seconds]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    GetWindowTextW(window, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

struct TSearch {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK Look(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<TSearch*>(data);
    if (IsWindowVisible(window) && TextOf(window) == search.caption) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK Print(HWND child, LPARAM) {
    const std::wstring text = TextOf(child);
    if (!text.empty()) std::printf("%s\n", Utf8(text).c_str());
    return TRUE;
}

}  // namespace

int main() {
    // The caption as UTF-16, whatever the ANSI code page made of argv.
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return 2;
    TSearch search{argv[1]};
    const int seconds = argc > 2 ? _wtoi(argv[2]) : 30;
    for (int i = 0; i < seconds * 4 && !search.found; ++i) {
        EnumWindows(Look, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(250);
    }
    if (!search.found) return 1;
    EnumChildWindows(search.found, Print, 0);
    std::fflush(stdout);
    return 0;
}

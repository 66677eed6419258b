// Where the program's libraries come from, under Wine: once the search is
// restricted as each program does first, a library left beside the
// executable is found neither by name nor through LoadSystemLibrary, while
// the system's own (AVIFIL32, for video thumbnails) still loads. And the
// programs themselves, copied into a folder where a library of every name
// they load lies beside them, load none of those.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/win32/WideNames.h"
#include "platform/win32/SystemLibrary.h"
#include "tests/app/TestPictures.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

TEST(LibrarySearch, APlantedLibraryIsIgnoredAndTheSystemsLoads) {
    // Built beside this test; found there before the search is restricted.
    HMODULE planted = LoadLibraryW(L"pim_planted.dll");
    ASSERT_NE(planted, nullptr) << "the planted library was not built beside the test";
    FreeLibrary(planted);

    RestrictLibrarySearch();
    EXPECT_EQ(LoadLibraryW(L"pim_planted.dll"), nullptr);
    EXPECT_EQ(LoadSystemLibrary(L"pim_planted.dll"), nullptr);

    HMODULE avifil = LoadSystemLibrary(L"avifil32.dll");
    ASSERT_NE(avifil, nullptr);
    EXPECT_NE(SystemFunction<void(WINAPI*)()>(avifil, "AVIFileInit"), nullptr);
    EXPECT_EQ(SystemFunction<void(WINAPI*)()>(avifil, "NoSuchFunction"), nullptr);
    EXPECT_EQ(SystemFunction<void(WINAPI*)()>(nullptr, "AVIFileInit"), nullptr);
}

// Every library the two programs load, at start-up or later, as Wine shows
// them (WINEDEBUG=+loaddll on a run of each over a folder of every kind),
// and the ones the code loads itself (LoadSystemLibrary; SHELL32, delayed).
const wchar_t* const kLoadedLibraries[] = {
    L"advapi32.dll", L"avifil32.dll", L"bcrypt.dll",  L"combase.dll",   L"comctl32.dll", L"crypt32.dll",
    L"gdi32.dll",    L"imm32.dll",    L"msacm32.dll", L"msvfw32.dll",   L"ole32.dll",    L"oleaut32.dll",
    L"propsys.dll",  L"rpcrt4.dll",   L"rsaenh.dll",  L"sechost.dll",   L"shcore.dll",   L"shell32.dll",
    L"shlwapi.dll",  L"ucrtbase.dll", L"user32.dll",  L"uxtheme.dll",   L"version.dll",  L"win32u.dll",
    L"windowscodecs.dll", L"winmm.dll", L"zlib1.dll",
};

std::wstring Wide(const std::string& path) { return WideName(path); }

// Runs the command line; its exit code, or -1 when it did not start or did
// not end within a minute (it is then ended). With `closeWindow`, the
// program's main window is closed once it shows and has had time to load
// its thumbnails.
int RunProgram(std::wstring command, bool closeWindow) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    const DWORD id = process.dwProcessId;
    if (closeWindow) {
        HWND window = nullptr;
        for (int tries = 0; !window && tries < 600; ++tries) {
            if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
            struct TFind {
                DWORD id;
                HWND found;
            } find{id, nullptr};
            EnumWindows(
                [](HWND w, LPARAM p) -> BOOL {
                    auto& f = *reinterpret_cast<TFind*>(p);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(w, &owner);
                    if (owner != f.id || !IsWindowVisible(w) || GetWindow(w, GW_OWNER)) return TRUE;
                    f.found = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&find));
            window = find.found;
        }
        if (window) {
            Sleep(3000);  // the list's thumbnails, and what they load
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }
    int code = -1;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD exit = 0;
        GetExitCodeProcess(process.hProcess, &exit);
        code = static_cast<int>(exit);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return code;
}

std::string OwnFolder() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::string own = Utf8Name(std::wstring(path, n));
    return own.substr(0, own.find_last_of('\\'));
}

TEST(LibrarySearch, ProgramsLoadNoLibraryPlantedBesideThem) {
    const std::string folder = test::ShellPath(test::FreshFolder("planted-libraries"));
    const std::string pictures = test::ShellPath(test::FreshFolder("planted-libraries-pictures"));
    test::WriteJpegFile(pictures + "\\a.jpg", test::GradientBitmap(16, 12));
    test::WriteBmpFile(pictures + "\\b.bmp", test::GradientBitmap(9, 7));
    test::WriteFileBytes(pictures + "\\c.txt", "text\r\n");
    test::WriteFileBytes(pictures + "\\d.avi", "RIFF");  // a video's thumbnail: AVIFIL32

    const std::string gui = folder + "\\Pim.exe", cli = folder + "\\pim.exe";
    ASSERT_TRUE(CopyFileW(Wide(test::ShellPath(PIM_GUI_PATH)).c_str(), Wide(gui).c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Wide(test::ShellPath(PIM_CLI_PATH)).c_str(), Wide(cli).c_str(), FALSE));
    const std::wstring planted = Wide(OwnFolder() + "\\pim_planted.dll");
    for (const wchar_t* name : kLoadedLibraries)
        ASSERT_TRUE(CopyFileW(planted.c_str(), (Wide(folder) + L"\\" + name).c_str(), FALSE)) << Utf8Name(name);

    // The settings go to a folder of the test's own.
    SetEnvironmentVariableW(L"PIM_SETTINGS_DIR", Wide(folder).c_str());
    EXPECT_EQ(RunProgram(L"\"" + Wide(cli) + L"\" --quiet \"" + Wide(pictures) + L"\"", false), 0);
    EXPECT_EQ(GetFileAttributesW(Wide(pictures + "\\default.pdf").c_str()) != INVALID_FILE_ATTRIBUTES, true);
    EXPECT_EQ(RunProgram(L"\"" + Wide(gui) + L"\" \"" + Wide(pictures) + L"\"", true), 0);
    SetEnvironmentVariableW(L"PIM_SETTINGS_DIR", nullptr);

    for (const wchar_t* name : kLoadedLibraries)
        EXPECT_EQ(GetFileAttributesW((Wide(folder) + L"\\" + name + L".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << Utf8Name(name) << " was loaded from beside the program";
}

}  // namespace
}  // namespace pim

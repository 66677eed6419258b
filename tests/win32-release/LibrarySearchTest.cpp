// Where the program's libraries come from, under Wine: once the search is
// restricted as each program does first, a library left beside the
// executable is found neither by name nor through LoadSystemLibrary, while
// the system's own (AVIFIL32, for video thumbnails) still loads. And the
// programs themselves, copied into a folder where a library of every name
// they load lies beside them, load none of those.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

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

// The pointers the calls of these two shell functions go through.
extern "C" void* volatile ilFreePointer asm("__imp__ILFree@4");
extern "C" void* volatile commandLineToArgvPointer asm("__imp__CommandLineToArgvW@8");

// A shell function is reached through the program's own stub until its first
// call, which binds it to SHELL32's function; the call's arguments, result
// and the caller's last error pass through the binding.
TEST(LibrarySearch, AFunctionIsBoundToTheSystemLibraryOnItsFirstCall) {
    const auto inProgram = [](void* address) {
        MEMORY_BASIC_INFORMATION info{};
        return VirtualQuery(address, &info, sizeof info) && info.AllocationBase == GetModuleHandleW(nullptr);
    };
    EXPECT_TRUE(inProgram(ilFreePointer));
    EXPECT_TRUE(inProgram(commandLineToArgvPointer));
    SetLastError(12345);
    ILFree(nullptr);
    EXPECT_EQ(GetLastError(), 12345u);
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(ilFreePointer, reinterpret_cast<void*>(GetProcAddress(shell, "ILFree")));

    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(L"one \"two three\"", &count);
    ASSERT_NE(arguments, nullptr);
    EXPECT_EQ(count, 2);
    EXPECT_STREQ(arguments[1], L"two three");
    LocalFree(arguments);
    EXPECT_EQ(commandLineToArgvPointer, reinterpret_cast<void*>(GetProcAddress(shell, "CommandLineToArgvW")));
}

// Every library the two programs load, at start-up or later, as Wine shows
// them (WINEDEBUG=+pid,+loaddll on a run of each over a folder of every
// kind): the ones they import, the ones bound on first call
// (SystemImports.def), those loaded through LoadSystemLibrary, and what all
// of those load in turn.
const wchar_t* const kLoadedLibraries[] = {
    L"advapi32.dll", L"avifil32.dll", L"bcrypt.dll",   L"combase.dll",  L"comctl32.dll",      L"crypt32.dll",
    L"gdi32.dll",    L"imm32.dll",    L"kernelbase.dll", L"msacm32.dll", L"msimg32.dll",     L"msvfw32.dll",
    L"ole32.dll",    L"oleaut32.dll", L"propsys.dll",  L"rpcrt4.dll",   L"rsaenh.dll",        L"sechost.dll",
    L"shcore.dll",   L"shell32.dll",  L"shlwapi.dll",  L"ucrtbase.dll", L"user32.dll",        L"uxtheme.dll",
    L"version.dll",  L"win32u.dll",   L"windowscodecs.dll", L"winmm.dll", L"zlib1.dll",
};

std::wstring Wide(const std::string& path) { return WideName(path); }

struct WindowOf {
    DWORD process;
    HWND found;
};

// The visible unowned window of a process: its main window.
BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
    auto& find = *reinterpret_cast<WindowOf*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != find.process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER)) return TRUE;
    find.found = window;
    return FALSE;
}

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
            WindowOf find{id, nullptr};
            EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&find));
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

// A fresh folder named `name` holding a copy of `program` and, under the
// name of every library it may load, a planted library; the copy's path.
std::string PlantedFolder(const char* name, const std::string& program, const std::string& as) {
    const std::string folder = test::ShellPath(test::FreshFolder(name));
    const std::string copy = folder + "\\" + as;
    EXPECT_TRUE(CopyFileW(Wide(test::ShellPath(program)).c_str(), Wide(copy).c_str(), FALSE));
    const std::wstring planted = Wide(OwnFolder() + "\\pim_planted.dll");
    for (const wchar_t* library : kLoadedLibraries)
        EXPECT_TRUE(CopyFileW(planted.c_str(), (Wide(folder) + L"\\" + library).c_str(), FALSE)) << Utf8Name(library);
    return copy;
}

// The planted libraries of PlantedFolder that were loaded, by name.
std::vector<std::string> LoadedBeside(const std::string& program) {
    const std::wstring folder = Wide(program.substr(0, program.find_last_of('\\')));
    std::vector<std::string> loaded;
    for (const wchar_t* library : kLoadedLibraries)
        if (GetFileAttributesW((folder + L"\\" + library + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES)
            loaded.push_back(Utf8Name(library));
    return loaded;
}

TEST(LibrarySearch, ProgramsLoadNoLibraryPlantedBesideThem) {
    const std::string pictures = test::ShellPath(test::FreshFolder("planted-libraries-pictures"));
    test::WriteJpegFile(pictures + "\\a.jpg", test::GradientBitmap(16, 12));
    test::WriteBmpFile(pictures + "\\b.bmp", test::GradientBitmap(9, 7));
    test::WriteFileBytes(pictures + "\\c.txt", "text\r\n");
    test::WriteFileBytes(pictures + "\\d.avi", "RIFF");  // a video's thumbnail: AVIFIL32

    // Each program in a folder of its own: Pim.exe and pim.exe are one name
    // to Windows.
    const std::string cli = PlantedFolder("planted-libraries-cli", PIM_CLI_PATH, "pim.exe");
    const std::string gui = PlantedFolder("planted-libraries-gui", PIM_GUI_PATH, "Pim.exe");
    ASSERT_FALSE(HasFailure());

    // The settings go to a folder of the test's own.
    SetEnvironmentVariableW(L"PIM_SETTINGS_DIR", Wide(test::ShellPath(test::FreshFolder("planted-libraries-settings"))).c_str());
    EXPECT_EQ(RunProgram(L"\"" + Wide(cli) + L"\" --quiet \"" + Wide(pictures) + L"\"", false), 0);
    EXPECT_NE(GetFileAttributesW(Wide(pictures + "\\default.pdf").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(RunProgram(L"\"" + Wide(gui) + L"\" \"" + Wide(pictures) + L"\"", true), 0);
    SetEnvironmentVariableW(L"PIM_SETTINGS_DIR", nullptr);

    EXPECT_EQ(LoadedBeside(cli), std::vector<std::string>{}) << "loaded from beside pim.exe";
    EXPECT_EQ(LoadedBeside(gui), std::vector<std::string>{}) << "loaded from beside Pim.exe";

    // The marks are made: a planted library that is loaded leaves one.
    const std::string control = PlantedFolder("planted-libraries-control", PIM_CLI_PATH, "pim.exe");
    HMODULE loaded = LoadLibraryExW(Wide(control.substr(0, control.find_last_of('\\')) + "\\shcore.dll").c_str(),
                                    nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(loaded, nullptr);
    FreeLibrary(loaded);
    EXPECT_EQ(LoadedBeside(control), std::vector<std::string>{"shcore.dll"});
}

}  // namespace
}  // namespace pim

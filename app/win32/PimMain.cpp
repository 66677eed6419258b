// Pim.exe: the application title, the main window, the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <exception>

#include "app/MainModel.h"
#include "app/win32/Unit1.h"
#include "base/CodePage.h"
#include "platform/win32/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace pim;
    RestrictLibrarySearch();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(nullptr);
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        for (int i = 1; i < argc; ++i)
            ui::Application().Args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
        LocalFree(argv);
    }
    ui::Application().SetTitle(std::string(kAppTitle));
    int exitCode = 0;
    try {
        TForm1 form;
        ui::Application().Run(form);
    } catch (const std::exception& e) {
        // The window could not be made (the system out of window resources):
        // said in the error box, never an unhandled exception.
        ui::Application().ShowError(e.what());
        exitCode = 1;
    }
    OleUninitialize();
    return exitCode;
}

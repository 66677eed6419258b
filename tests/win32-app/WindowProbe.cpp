// Reads another program's window back through the Win32 API, for the
// scripts that drive Pim.exe from outside: run in the same Wine prefix, it
// prints what a person would see, one line per answer, in UTF-8.
//
//   probe focus CAPTION         the control holding the keyboard focus
//   probe controls CAPTION      every visible control
//   probe client CAPTION        the client area's size
//   probe tab CAPTION           the chosen tab of the first tab control
//   probe resize CAPTION W H    sizes the window as a border drag would
//   probe checked CAPTION       the text of every ticked box and pressed button
//   probe rows CAPTION          the first list view's rows, "*" before a selected one
//   probe menu CAPTION          "open" while a popup menu of the window's thread is shown
//   probe dropped CAPTION       "open" while a combo box's list of the window's thread is shown
//   probe capture CAPTION       the class of the window holding the mouse (a drag), or "none"
//   probe place CAPTION         "x y w h X Y W H": the client area and the whole window on the
//                               screen; exits 1 at once while no such window is shown
//   probe captions CAPTION      every visible check box: "text|needed|client width", what
//                               it needs to show its caption whole, as the control says
//
// A control reads "class|text|x,y,w,h" with its place in the top window's
// client area; a combo box's edit answers as its combo box.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT crosses processes; GetWindowTextW would not ask a control.
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

std::string Describe(HWND top, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    char place[64];
    std::snprintf(place, sizeof place, "%ld,%ld,%ld,%ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return Utf8(ClassOf(control)) + "|" + Utf8(TextOf(control)) + "|" + place;
}

HWND FindTop(const wchar_t* caption) {
    for (int i = 0; i < 100; ++i, Sleep(50))
        if (HWND top = FindWindowW(nullptr, caption)) return top;
    return nullptr;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM top) {
    if (IsWindowVisible(control)) std::printf("%s\n", Describe(reinterpret_cast<HWND>(top), control).c_str());
    return TRUE;
}

BOOL CALLBACK PrintChecked(HWND control, LPARAM) {
    if (ClassOf(control) == L"Button" && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
        std::printf("%s\n", Utf8(TextOf(control)).c_str());
    return TRUE;
}

// The first control of a class.
struct TFound {
    const wchar_t* ClassName;
    HWND Window;
};

BOOL CALLBACK FindClass(HWND control, LPARAM out) {
    auto& found = *reinterpret_cast<TFound*>(out);
    if (ClassOf(control) != found.ClassName) return TRUE;
    found.Window = control;
    return FALSE;
}

HWND FirstOf(HWND top, const wchar_t* className) {
    TFound found{className, nullptr};
    EnumChildWindows(top, &FindClass, reinterpret_cast<LPARAM>(&found));
    return found.Window;
}

// A shown popup menu (class #32768) or a combo box's dropped list (class
// ComboLBox) is a top window of its own on its owner's thread.
struct TPopup {
    const wchar_t* ClassName;
    DWORD Thread;
};

BOOL CALLBACK FindPopup(HWND window, LPARAM data) {
    const auto& popup = *reinterpret_cast<const TPopup*>(data);
    return !(IsWindowVisible(window) && ClassOf(window) == popup.ClassName &&
             GetWindowThreadProcessId(window, nullptr) == popup.Thread);
}

const char* PopupState(HWND top, const wchar_t* className) {
    TPopup popup{className, GetWindowThreadProcessId(top, nullptr)};
    return EnumWindows(&FindPopup, reinterpret_cast<LPARAM>(&popup)) ? "none" : "open";
}

// The shown top window with this caption; a hidden one of the same caption
// (made but not yet shown, or on its way out) does not count.
struct TShown {
    std::wstring Caption;
    HWND Window;
};

BOOL CALLBACK FindShown(HWND window, LPARAM data) {
    auto& shown = *reinterpret_cast<TShown*>(data);
    wchar_t text[256] = {};
    if (!IsWindowVisible(window) || !GetWindowTextW(window, text, 256) || shown.Caption != text) return TRUE;
    shown.Window = window;
    return FALSE;
}

// A list view answers with its own memory: the item and its text go through
// a buffer made in the list's process.
void PrintRows(HWND list) {
    DWORD id = 0;
    GetWindowThreadProcessId(list, &id);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (!process) return;
    struct TRemote {
        LVITEMW Item;
        wchar_t Text[MAX_PATH];
    };
    auto* remote = static_cast<TRemote*>(VirtualAllocEx(process, nullptr, sizeof(TRemote), MEM_COMMIT, PAGE_READWRITE));
    const int count = remote ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        TRemote local{};
        local.Item.pszText = remote->Text;
        local.Item.cchTextMax = MAX_PATH;
        WriteProcessMemory(process, remote, &local, sizeof local, nullptr);
        SendMessageW(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&remote->Item));
        ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
        local.Text[MAX_PATH - 1] = L'\0';
        const bool selected = SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) != 0;
        std::printf("%s%s\n", selected ? "*" : "", Utf8(local.Text).c_str());
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

// Each row's place, "x,y,w,h" in the top window's client area (a row
// scrolled out of sight lies outside the list).
void PrintItemPlaces(HWND top, HWND list) {
    DWORD id = 0;
    GetWindowThreadProcessId(list, &id);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (!process) return;
    auto* remote = static_cast<RECT*>(VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE));
    const int count = remote ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        RECT r{.left = LVIR_BOUNDS};
        WriteProcessMemory(process, remote, &r, sizeof r, nullptr);
        SendMessageW(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
        MapWindowPoints(list, top, reinterpret_cast<POINT*>(&r), 2);
        std::printf("%ld,%ld,%ld,%ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}

// A check box tells the width its box and caption need (BCM_GETIDEALSIZE),
// into a buffer made in its own process.
BOOL CALLBACK PrintCaptionNeed(HWND control, LPARAM) {
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    if (!IsWindowVisible(control) || ClassOf(control) != L"Button" || (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX))
        return TRUE;
    DWORD id = 0;
    GetWindowThreadProcessId(control, &id);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (!process) return TRUE;
    SIZE need{};
    if (auto* remote = static_cast<SIZE*>(VirtualAllocEx(process, nullptr, sizeof(SIZE), MEM_COMMIT, PAGE_READWRITE))) {
        WriteProcessMemory(process, remote, &need, sizeof need, nullptr);
        if (SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(remote)))
            ReadProcessMemory(process, remote, &need, sizeof need, nullptr);
        else
            need.cx = -1;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    RECT client;
    GetClientRect(control, &client);
    std::printf("%s|%ld|%ld\n", Utf8(TextOf(control)).c_str(), need.cx, client.right);
    return TRUE;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: probe focus|controls|checked|client|tab|rows|items|menu|dropped|capture|place|captions|"
                     "resize CAPTION [W H]\n");
        return 2;
    }
    const std::wstring command = argv[1];
    if (command == L"place") {
        // Asked again and again by a script that waits for the window: no
        // waiting here.
        TShown shown{argv[2], nullptr};
        EnumWindows(&FindShown, reinterpret_cast<LPARAM>(&shown));
        if (!shown.Window) return 1;
        RECT client, outer;
        GetClientRect(shown.Window, &client);
        MapWindowPoints(shown.Window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
        GetWindowRect(shown.Window, &outer);
        std::printf("%ld %ld %ld %ld %ld %ld %ld %ld\n", client.left, client.top, client.right - client.left,
                    client.bottom - client.top, outer.left, outer.top, outer.right - outer.left,
                    outer.bottom - outer.top);
        return 0;
    }
    const HWND top = FindTop(argv[2]);
    if (!top) {
        std::fprintf(stderr, "probe: no window with that caption\n");
        return 1;
    }
    if (command == L"focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) {
            std::printf("none\n");
            return 0;
        }
        HWND focus = info.hwndFocus;
        if (HWND parent = GetParent(focus); parent && ClassOf(parent) == L"ComboBox") focus = parent;
        std::printf("%s\n", Describe(top, focus).c_str());
    } else if (command == L"controls") {
        EnumChildWindows(top, &PrintControl, reinterpret_cast<LPARAM>(top));
    } else if (command == L"checked") {
        EnumChildWindows(top, &PrintChecked, 0);
    } else if (command == L"client") {
        RECT r;
        GetClientRect(top, &r);
        std::printf("%ld %ld\n", r.right, r.bottom);
    } else if (command == L"tab") {
        const HWND tabs = FirstOf(top, WC_TABCONTROLW);
        std::printf("%ld\n", tabs ? static_cast<long>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)) : -1L);
    } else if (command == L"rows") {
        if (const HWND list = FirstOf(top, WC_LISTVIEWW)) PrintRows(list);
    } else if (command == L"items") {
        if (const HWND list = FirstOf(top, WC_LISTVIEWW)) PrintItemPlaces(top, list);
    } else if (command == L"menu") {
        std::printf("%s\n", PopupState(top, L"#32768"));
    } else if (command == L"dropped") {
        std::printf("%s\n", PopupState(top, L"ComboLBox"));
    } else if (command == L"capture") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const bool held = GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) && info.hwndCapture;
        std::printf("%s\n", held ? Utf8(ClassOf(info.hwndCapture)).c_str() : "none");
    } else if (command == L"captions") {
        EnumChildWindows(top, &PrintCaptionNeed, 0);
    } else if (command == L"resize" && argc >= 5) {
        SetWindowPos(top, nullptr, 0, 0, _wtoi(argv[3]), _wtoi(argv[4]), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        std::fprintf(stderr, "probe: unknown command\n");
        return 2;
    }
    LocalFree(argv);
    return 0;
}

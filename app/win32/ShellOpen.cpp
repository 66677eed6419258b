#include "app/win32/ShellOpen.h"

#include <shellapi.h>
#include <shlobj.h>

#include "base/CodePage.h"
#include "base/FileSystem.h"
#include "base/SysUtils.h"
#include "imagelist/ImgShare.h"
#include "ui/Window.h"

namespace pim {

std::function<void(HWND, const std::u16string&)> ShellOpenHook;
std::function<void(HWND, const std::u16string&)> ShellShowInFolderHook;

void ShellOpen(HWND owner, const std::string& path) {
    // In quotes, so a path with blanks opens as one file.
    std::u16string quoted(1, u'"');
    quoted.append(Utf8ToUtf16(path)).push_back(u'"');
    if (ShellOpenHook) return ShellOpenHook(owner, quoted);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The shell's own error boxes stay away: the failure is reported once,
    // as every other error of the program is.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = ui::W(quoted);
    info.nShow = SW_SHOW;
    if (ShellExecuteExW(&info)) return;
    // The shell tells why in the thread's last error (ERROR_NO_ASSOCIATION
    // when nothing opens PDFs), which Windows words in the user's language.
    const DWORD error = GetLastError();
    throw Exception(Ansi("開けませんでした: ") + Utf8ToAnsi(path) + Ansi("\r\n原因: ") +
                    Utf8ToAnsi(SystemErrorText(static_cast<int>(error ? error : ERROR_NO_ASSOCIATION))));
}

void ShellShowInFolder(HWND owner, const std::string& path) {
    const std::u16string file = Utf8ToUtf16(path);
    if (ShellShowInFolderHook) return ShellShowInFolderHook(owner, file);
    if (LPITEMIDLIST item = ILCreateFromPathW(ui::W(file))) {
        const HRESULT shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
        if (SUCCEEDED(shown)) return;
    }
    ShellOpen(owner, std::string(ExtractFilePath(path)));
}

}  // namespace pim

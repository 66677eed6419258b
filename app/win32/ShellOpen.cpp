#include "app/win32/ShellOpen.h"

#include <shellapi.h>

#include "base/CodePage.h"

namespace pim {

std::function<void(HWND, const std::u16string&)> ShellOpenHook;

void ShellOpen(HWND owner, const std::string& path) {
    // In quotes, so a path with blanks opens as one file. The answer is not
    // examined: a file without a viewer simply stays closed.
    std::u16string quoted(1, u'"');
    quoted.append(Utf8ToUtf16(path)).push_back(u'"');
    if (ShellOpenHook) return ShellOpenHook(owner, quoted);
    ShellExecuteW(owner, L"OPEN", reinterpret_cast<const wchar_t*>(quoted.c_str()), L"", L"", SW_SHOW);
}

}  // namespace pim

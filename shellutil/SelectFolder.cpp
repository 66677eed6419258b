#include "shellutil/SelectFolder.h"

#include <shlobj.h>

#include "app/AppPlatform.h"

namespace pim {

bool TSelectFolderDialog::Execute(HWND owner) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    if (!chosen) return false;
    wchar_t path[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!ok) return false;
    selectedPath_ = Utf16ToNative(reinterpret_cast<const char16_t*>(path));
    return true;
}

}  // namespace pim

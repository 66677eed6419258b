#include "imagelist/win32/ShellObjects.h"

namespace pim {

namespace {

std::vector<LPCITEMIDLIST> Pointers(const std::vector<TIdList>& items) {
    std::vector<LPCITEMIDLIST> pointers;
    for (const TIdList& item : items) pointers.push_back(reinterpret_cast<LPCITEMIDLIST>(item.Data()));
    return pointers;
}

}  // namespace

TComPtr<IShellFolder> DesktopFolder() {
    TComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(desktop.Put());
    return desktop;
}

TComPtr<IShellFolder> BindFolder(const TIdList& absolute) {
    if (absolute.Absent()) return {};
    TComPtr<IShellFolder> desktop = DesktopFolder();
    if (!desktop || absolute.IsDesktop()) return desktop;
    TComPtr<IShellFolder> folder;
    if (FAILED(desktop->BindToObject(reinterpret_cast<LPCITEMIDLIST>(absolute.Data()), nullptr, IID_IShellFolder,
                                     folder.PutVoid())))
        folder.Reset();
    return folder;
}

TIdList DesktopDirectory() {
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &pidl)) || !pidl) return {};
    TIdList list = TIdList::FromChain(pidl);
    CoTaskMemFree(pidl);
    return list;
}

SFGAOF TShellItemsOf::Attributes(SFGAOF query) const {
    if (Empty()) return 0;
    std::vector<LPCITEMIDLIST> pointers = Pointers(Items);
    SFGAOF attributes = query;
    if (FAILED(Folder->GetAttributesOf(static_cast<UINT>(pointers.size()), pointers.data(), &attributes))) return 0;
    return attributes & query;
}

void TShellItemsOf::GetUiObject(HWND owner, REFIID iid, void** object) const {
    std::vector<LPCITEMIDLIST> pointers = Pointers(Items);
    if (FAILED(Folder->GetUIObjectOf(owner, static_cast<UINT>(pointers.size()), pointers.data(), iid, nullptr, object)))
        *object = nullptr;
}

}  // namespace pim

// The shell's own objects for items of the list: folder interfaces bound
// from absolute ID lists, and the UI objects (context menu, data object,
// drop target) a folder hands out for some of its items.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "imagelist/IdList.h"
#include "base/win32/ComPtr.h"

namespace pim {

TComPtr<IShellFolder> DesktopFolder();
// The folder an absolute ID list names (the desktop for the empty list);
// empty when it is no folder.
TComPtr<IShellFolder> BindFolder(const TIdList& absolute);
// The desktop's own directory, which stands in for the desktop where a
// file-system folder is needed.
TIdList DesktopDirectory();

// Items of one folder for a shell operation: relative ID lists of Folder
// (absolute ones when Folder is the desktop).
struct TShellItemsOf {
    TComPtr<IShellFolder> Folder;
    std::vector<TIdList> Items;
    bool OnDesktop = false;  // Folder is the desktop
    bool Empty() const { return !Folder || Items.empty(); }
    // The items' common sfgao* bits among query.
    SFGAOF Attributes(SFGAOF query) const;
    // A UI object of the items (IID_IContextMenu, IID_IDataObject, IID_IDropTarget).
    template <typename T>
    TComPtr<T> UiObject(HWND owner, REFIID iid) const {
        TComPtr<T> object;
        if (!Empty()) GetUiObject(owner, iid, object.PutVoid());
        return object;
    }

private:
    void GetUiObject(HWND owner, REFIID iid, void** object) const;
};

}  // namespace pim

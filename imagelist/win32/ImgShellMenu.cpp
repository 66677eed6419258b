#include "imagelist/win32/ImgShellMenu.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "base/win32/Handles.h"
#include "imagelist/win32/FileDataObject.h"
#include "imagelist/win32/ImgListView.h"

namespace pim {

namespace {

constexpr UINT kLastShellCommand = 0x7FFF;

// Clears the open-menu state however the menu ends.
template <typename F>
struct TOnExit {
    F run;
    ~TOnExit() { run(); }
};
template <typename F>
TOnExit(F) -> TOnExit<F>;

// The shell's rename entry, by its verb name (Windows puts it at offset 18,
// Wine elsewhere); by the offset when the menu names no verbs.
bool IsRenameVerb(IContextMenu* menu, UINT offset) {
    char verb[64] = {};
    if (SUCCEEDED(menu->GetCommandString(offset, GCS_VERBA, nullptr, verb, sizeof verb)))
        return _stricmp(verb, "rename") == 0;
    return offset == 18;
}

void Invoke(IContextMenu* menu, HWND owner, UINT offset) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    menu->InvokeCommand(&info);
}

// The classic verb offsets of the shell's item menu and what the items must
// allow for each command.
struct TCommandInfo {
    int offset;
    SFGAOF needs;
};
constexpr TCommandInfo kCommands[] = {
    {25, SFGAO_CANCOPY},       // copy
    {26, SFGAO_FILESYSTEM},    // paste: on the folder's own entry
    {24, SFGAO_CANMOVE},       // cut
    {17, SFGAO_CANDELETE},     // delete
    {19, SFGAO_HASPROPSHEET},  // properties
    {16, SFGAO_CANLINK},       // create shortcut
};

}  // namespace

// ---- The merged menu ------------------------------------------------------------

void TCustomImgPopupMenu::SetPopupMenu(ui::TPopupMenu* menu) {
    popupMenu_ = menu;
    popupAlive_ = menu ? menu->Lifetime() : std::weak_ptr<void>();
}

void TCustomImgPopupMenu::Popup(HWND owner, const TShellItemsOf& items, POINT screen, const ui::TNotifyEvent& rename) {
    if (open_ || (!enabled_ && !PopupMenu())) return;
    TComPtr<IContextMenu> menu = items.UiObject<IContextMenu>(owner, IID_IContextMenu);
    if (!menu) return;
    const TMenuHandle native(CreatePopupMenu());
    const ui::TPopupMenu* own = PopupMenu();
    const ui::TMenuCommands commands = own ? own->AppendTo(native.get()) : ui::TMenuCommands{};
    const int highest = commands.Highest();
    if (enabled_) {
        const UINT pos = static_cast<UINT>(std::clamp(shellMenuPos_, 0, highest));
        if (FAILED(menu->QueryContextMenu(native.get(), pos, static_cast<UINT>(highest) + 1, kLastShellCommand, type_)))
            return;
        SetMenuDefaultItem(native.get(), pos, TRUE);
    }
    if (GetMenuItemCount(native.get()) <= 0) return;

    // The third version of the interface, else the second, draws the shell's
    // owner-drawn entries and fills its sub-menus.
    menu3_ = menu.As<IContextMenu3>(IID_IContextMenu3);
    if (!menu3_) menu2_ = menu.As<IContextMenu2>(IID_IContextMenu2);
    own_ = &commands;
    open_ = true;
    int chosen = 0;
    {
        TOnExit closed{[this] {
            open_ = false;
            own_ = nullptr;
            menu2_.Reset();
            menu3_.Reset();
        }};
        SetForegroundWindow(GetAncestor(owner, GA_ROOT));
        chosen = static_cast<int>(TrackPopupMenuEx(native.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                   screen.x, screen.y, owner, nullptr));
    }
    if (chosen <= 0) return;
    if (const ui::TMenuItem* item = commands.Find(chosen)) {
        ui::TPopupMenu::Click(*item);
        return;
    }
    const UINT offset = static_cast<UINT>(chosen - highest - 1);
    if (IsRenameVerb(menu.Get(), offset)) {
        if (rename) rename();
        return;
    }
    Invoke(menu.Get(), owner, offset);
}

bool TCustomImgPopupMenu::MenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!open_ || (!menu2_ && !menu3_)) return false;
    const auto ours = [this](UINT id) { return id >= 1 && static_cast<int>(id) <= own_->Highest(); };
    switch (message) {
        case WM_DRAWITEM: {
            const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlType != ODT_MENU || ours(draw->itemID)) return false;
            break;
        }
        case WM_MEASUREITEM: {
            const auto* measure = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
            if (measure->CtlType != ODT_MENU || ours(measure->itemID)) return false;
            break;
        }
        case WM_INITMENUPOPUP: {
            const auto sub = reinterpret_cast<HMENU>(wParam);
            if (std::find(own_->SubMenus.begin(), own_->SubMenus.end(), sub) != own_->SubMenus.end()) return false;
            break;
        }
        case WM_MENUSELECT:
            if (!(HIWORD(wParam) & MF_POPUP) && ours(LOWORD(wParam))) return false;
            break;
        case WM_MENUCHAR:
            if (!menu3_) return false;
            break;
        default: return false;
    }
    LRESULT answer = 0;
    if (menu3_)
        menu3_->HandleMenuMsg2(message, wParam, lParam, &answer);
    else
        menu2_->HandleMenuMsg(message, wParam, lParam);
    result = message == WM_DRAWITEM || message == WM_MEASUREITEM ? TRUE : answer;
    return true;
}

bool InvokeShellVerb(HWND owner, const TShellItemsOf& items, int offset) {
    TComPtr<IContextMenu> menu = items.UiObject<IContextMenu>(owner, IID_IContextMenu);
    if (!menu) return false;
    const TMenuHandle native(CreatePopupMenu());
    if (FAILED(menu->QueryContextMenu(native.get(), 0, 1, kLastShellCommand, CMF_DEFAULTONLY))) return false;
    Invoke(menu.Get(), owner, static_cast<UINT>(offset));
    return true;
}

// ---- The view's side ------------------------------------------------------------

std::vector<int> TImgListView::SelectedRows() {
    std::vector<int> selected;
    std::vector<TShellItem*> items;
    for (int row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(Handle(), row, LVNI_SELECTED)) {
        if (row >= ImgItems().Count()) break;
        selected.push_back(row);
        items.push_back(ImgItems()[row]);
    }
    ImgItems().MakeIdLists(items);
    std::vector<int> rows;
    for (int row : selected)
        if (!ImgItems()[row]->IdList().Absent()) rows.push_back(row);
    return rows;
}

TShellItemsOf TImgListView::ShellSelection() {
    const std::vector<int> rows = SelectedRows();
    TImgListItems& all = ImgItems();
    all.BuildSelIdLists(rows);
    TShellItemsOf items;
    if (rows.empty()) return items;
    if (!all.SelAbsolute) {
        items.Folder = BindFolder(model_.FolderIdList());
        items.OnDesktop = model_.FolderIdList().IsDesktop();
    } else if (std::all_of(rows.begin(), rows.end(),
                           [&](int row) { return all[row]->ParentIdList() == all[rows[0]]->ParentIdList(); })) {
        // File mode, one folder: its own items. Only Windows' desktop folder
        // understands absolute lists; Wine's reads their first item alone.
        items.Folder = BindFolder(all[rows[0]]->ParentIdList());
        items.OnDesktop = all[rows[0]]->ParentIdList().IsDesktop();
        all.SelIdLists.clear();
        for (int row : rows) all.SelIdLists.push_back(all[row]->IdList());
        all.SelAbsolute = false;
    } else {
        items.Folder = DesktopFolder();
        items.OnDesktop = true;
    }
    items.Items = all.SelIdLists;
    return items;
}

POINT TImgListView::KeyboardPopupPoint() {
    int row = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
    if (row < 0 || row >= RowCount()) row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED);
    POINT point{0, 0};
    RECT bounds{};
    if (row >= 0 && row < RowCount()) {
        ListView_EnsureVisible(Handle(), row, FALSE);
        if (ListView_GetItemRect(Handle(), row, &bounds, LVIR_BOUNDS))
            point = {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
    }
    ClientToScreen(Handle(), &point);
    return point;
}

void TImgListView::ContextPopup(LPARAM position) {
    const int first = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED);
    if (first < 0 || first >= ImgItems().Count()) return;
    const POINT mouse{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    const POINT screen = position == -1 ? KeyboardPopupPoint() : mouse;
    TShellItemsOf items;
    if (model_.IsFileMode()) {
        // Items may come from several folders: the first one alone, on its own folder.
        TImgListItem& item = *ImgItems()[first];
        if (item.IdList().Absent()) return;
        items.Folder = BindFolder(item.ParentIdList());
        items.Items = {item.IdList()};
    } else {
        items = ShellSelection();
    }
    if (items.Empty()) return;
    popupMenu_.Popup(Handle(), items, screen, [this] {
        const int row = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
        if (row >= 0 && row < ImgItems().Count() && ImgItems()[row]->HasAttributes(sfgaoCanRename))
            ListView_EditLabel(Handle(), row);
    });
}

bool TImgListView::ShellCommand(TShellCommand command) {
    const TCommandInfo& info = kCommands[static_cast<int>(command)];
    TShellItemsOf items;
    if (command == TShellCommand::scPaste) {
        if (model_.IsFileMode()) return PasteFiles();
        // Paste goes to the folder's own entry, asked of its parent.
        TIdList folder = model_.FolderIdList();
        if (folder.IsDesktop()) folder = DesktopDirectory();
        if (folder.Absent() || folder.IsDesktop()) return false;
        items.Folder = BindFolder(folder.Parent());
        items.Items = {folder.Last()};
        ImgItems().SelIdLists = items.Items;
        ImgItems().SelAbsolute = false;
        if (items.Empty()) return false;
        // Every command passes the attribute test on the desktop.
        if (!model_.FolderIdList().IsDesktop()) {
            TComPtr<IDataObject> clipboard;
            if (items.Attributes(info.needs) != info.needs || FAILED(OleGetClipboard(clipboard.Put())) ||
                !OffersFiles(clipboard.Get()))
                return false;
        }
    } else {
        items = ShellSelection();
        if (items.Empty()) return false;
        if (!items.OnDesktop && items.Attributes(info.needs) != info.needs) return false;
    }
    return InvokeShellVerb(Handle(), items, info.offset);
}

bool TImgListView::PasteFiles() {
    TComPtr<IDataObject> clipboard;
    if (FAILED(OleGetClipboard(clipboard.Put())) || !OffersFiles(clipboard.Get())) return false;
    TFileDataObject files(clipboard.Get());
    AddFiles(files);
    return true;
}

void TImgListView::ShellKey(WPARAM key) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool other = GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0;
    if (key == VK_DELETE && !ctrl && !other) {
        // The shell deletes the files (asking first); blank items have none
        // and only leave the list.
        ShellCommand(TShellCommand::scDelete);
        RemoveSelectedBlanks();
    } else if (ctrl && key == 'C') {
        ShellCommand(TShellCommand::scCopy);
    } else if (ctrl && key == 'X') {
        ShellCommand(TShellCommand::scCut);
    } else if (ctrl && key == 'V') {
        ShellCommand(TShellCommand::scPaste);
    }
}

}  // namespace pim

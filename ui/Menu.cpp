#include "ui/Menu.h"

#include "base/win32/Handles.h"

namespace pim::ui {

namespace {

void AppendItem(HMENU menu, TMenuItem& item, TMenuCommands& commands) {
    if (!item.Visible) return;
    commands.Items.push_back(&item);
    std::u16string text = Widen(item.Caption());
    if (!item.ShortCut.empty() && item.Count() == 0) text += u'\t' + Widen(item.ShortCut);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.fType = (item.IsSeparator() ? MFT_SEPARATOR : MFT_STRING) | (item.RadioItem ? MFT_RADIOCHECK : 0) |
                 (item.Break ? MFT_MENUBREAK : 0);
    info.fState = (item.Enabled() ? MFS_ENABLED : MFS_GRAYED) | (item.Checked ? MFS_CHECKED : 0) |
                  (item.Default ? MFS_DEFAULT : 0);
    info.wID = static_cast<UINT>(commands.Items.size());
    info.dwTypeData = const_cast<wchar_t*>(W(text));
    if (item.Count() > 0) {
        // Sub-items are numbered after their parent, in order.
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = CreatePopupMenu();
        commands.SubMenus.push_back(info.hSubMenu);
        for (int i = 0; i < item.Count(); ++i) AppendItem(info.hSubMenu, *item.Items(i), commands);
    }
    InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

}  // namespace

TMenuItem* TMenuItem::Add(std::string caption, bool enabled) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption), enabled));
    return items_.back().get();
}

TMenuItem* TMenuCommands::Find(int command) const {
    if (command < 1 || command > Highest()) return nullptr;
    return Items[static_cast<std::size_t>(command - 1)];
}

TMenuItem* TPopupMenu::Add(std::string caption, bool enabled) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption), enabled));
    return items_.back().get();
}

TMenuCommands TPopupMenu::AppendTo(HMENU menu) const {
    TMenuCommands commands;
    for (const auto& item : items_) AppendItem(menu, *item, commands);
    return commands;
}

void TPopupMenu::Click(const TMenuItem& item) {
    if (item.Enabled() && item.OnClick) item.OnClick();
}

void TPopupMenu::Popup(int x, int y) {
    const TMenuHandle menu(CreatePopupMenu());
    const TMenuCommands commands = AppendTo(menu.get());
    SetForegroundWindow(owner_.Handle());
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                         x, y, owner_.Handle(), nullptr));
    if (const TMenuItem* item = commands.Find(chosen)) Click(*item);
}

}  // namespace pim::ui

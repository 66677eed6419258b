#include "ui/Menu.h"

namespace pim::ui {

namespace {

// Owns the HMENU of one opening.
struct TMenuHandle {
    HMENU handle = CreatePopupMenu();
    ~TMenuHandle() { DestroyMenu(handle); }
};

}  // namespace

TMenuItem* TPopupMenu::Add(std::string caption, bool enabled) {
    items_.push_back(std::make_unique<TMenuItem>(std::move(caption), enabled));
    return items_.back().get();
}

void TPopupMenu::Popup(int x, int y) {
    TMenuHandle menu;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const TMenuItem& item = *items_[i];
        if (item.IsSeparator()) {
            AppendMenuW(menu.handle, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::u16string text = Widen(item.Caption());
        AppendMenuW(menu.handle, MF_STRING | (item.Enabled() ? MF_ENABLED : MF_GRAYED), i + 1, W(text));
    }
    SetForegroundWindow(owner_.Handle());
    const int chosen = static_cast<int>(TrackPopupMenuEx(menu.handle, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                         x, y, owner_.Handle(), nullptr));
    if (chosen <= 0) return;
    TMenuItem& item = *items_[static_cast<std::size_t>(chosen - 1)];
    if (item.Enabled() && item.OnClick) item.OnClick();
}

}  // namespace pim::ui

// A popup menu with its items. Items keep their captions as given (no
// accelerator is added) and run OnClick when chosen. An item may hold
// sub-items; the thumbnail list merges a menu's entries with the shell's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Window.h"

namespace pim::ui {

class TMenuItem {
public:
    TMenuItem(std::string caption, bool enabled) : caption_(std::move(caption)), enabled_(enabled) {}
    const std::string& Caption() const { return caption_; }
    bool IsSeparator() const { return caption_ == "-"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible = true;
    bool Checked = false;
    bool RadioItem = false;  // a checked radio item shows a dot
    bool Break = false;      // starts a new column
    bool Default = false;    // shown in bold
    std::string ShortCut;    // shown after a tab when the item has no sub-items ("Ctrl+C")
    TNotifyEvent OnClick;

    TMenuItem* Add(std::string caption, bool enabled = true);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }

private:
    std::string caption_;
    bool enabled_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

// What a menu's native form was made of: entry n (from 1) is Items[n - 1];
// SubMenus are the native sub-menus made for items with sub-items.
struct TMenuCommands {
    std::vector<TMenuItem*> Items;
    std::vector<HMENU> SubMenus;
    int Highest() const { return static_cast<int>(Items.size()); }
    // The entry with this command number, nullptr when it is none of ours.
    TMenuItem* Find(int command) const;
};

class TPopupMenu {
public:
    // owner receives the menu's messages while it is open.
    explicit TPopupMenu(TWindow& owner) : owner_(owner) {}
    TMenuItem* Add(std::string caption, bool enabled = true);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    // Opens at (x, y) on the screen and runs the chosen item's OnClick.
    void Popup(int x, int y);

    // Appends the visible entries (with their states, shortcuts and
    // sub-menus) to menu, numbered from 1 in order.
    TMenuCommands AppendTo(HMENU menu) const;
    // Runs the item's OnClick when it is enabled.
    static void Click(const TMenuItem& item);
    // Expires when the menu is destroyed (a borrower checks before use).
    std::weak_ptr<void> Lifetime() const { return alive_; }

private:
    TWindow& owner_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace pim::ui

// A popup menu with its items. Items keep their captions as given (no
// accelerator is added) and run OnClick when chosen.
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
    TNotifyEvent OnClick;

private:
    std::string caption_;
    bool enabled_;
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

private:
    TWindow& owner_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace pim::ui

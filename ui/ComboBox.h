// A drop-down combo box. OnClick fires when the user picks an item.
#pragma once

#include <string>
#include <vector>

#include "ui/Window.h"

namespace pim::ui {

class TComboBox : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;  // the height is the field's; the list drops below it
        std::vector<std::string> Items;
        int ItemIndex = -1;
        std::string Text;  // shown when no item is chosen
    };
    explicit TComboBox(const Params& params);
    int ItemIndex() const;
    void SetItemIndex(int index);
    int Count() const;
    std::string Item(int index) const;
    TNotifyEvent OnClick;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace pim::ui

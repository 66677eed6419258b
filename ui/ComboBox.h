// A drop-down list: the user picks one of its items and cannot type
// another text. OnClick fires when the user picks an item.
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
    };
    explicit TComboBox(const Params& params);
    int ItemIndex() const;
    void SetItemIndex(int index);
    int Count() const;
    std::string Item(int index) const;
    TNotifyEvent OnClick;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace pim::ui

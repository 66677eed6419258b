#include "ui/SpeedButton.h"

namespace pim::ui {

TSpeedButton::TSpeedButton(const Params& p) : groupIndex_(p.GroupIndex) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"BUTTON", .Bounds = p.Bounds, .Text = p.Caption,
                  .Style = BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP});
    SetDown(p.Down);
}

bool TSpeedButton::Down() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TSpeedButton::SetDown(bool down) {
    SendMessageW(Handle(), BM_SETCHECK, down ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!down || groupIndex_ == 0 || !Parent()) return;
    for (HWND h = GetWindow(Parent()->Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        auto* other = dynamic_cast<TSpeedButton*>(FromHandle(h));
        if (other && other != this && other->groupIndex_ == groupIndex_)
            SendMessageW(h, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void TSpeedButton::Click() { SendMessageW(Handle(), BM_CLICK, 0, 0); }

bool TSpeedButton::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    // In a group a press always leaves the button down; alone it toggles.
    SetDown(groupIndex_ != 0 ? true : !Down());
    if (OnClick) OnClick();
    result = 0;
    return true;
}

}  // namespace pim::ui

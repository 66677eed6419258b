#include "ui/Button.h"

namespace pim::ui {

TButton::TButton(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"BUTTON", .Bounds = p.Bounds, .Text = p.Caption,
                  .Style = BS_PUSHBUTTON | WS_TABSTOP, .Visible = p.Visible});
}

void TButton::Click() { SendMessageW(Handle(), BM_CLICK, 0, 0); }

bool TButton::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    if (OnClick) OnClick();
    result = 0;
    return true;
}

}  // namespace pim::ui

#include "ui/CheckBox.h"

namespace pim::ui {

TCheckBox::TCheckBox(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"BUTTON", .Bounds = p.Bounds, .Text = p.Caption,
                  .Style = BS_AUTOCHECKBOX | WS_TABSTOP});
    if (p.Checked) SendMessageW(Handle(), BM_SETCHECK, BST_CHECKED, 0);
}

bool TCheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (OnClick) OnClick();
}

TPersistentProperties TCheckBox::PublishedProperties() {
    return TWindow::PublishedProperties()
        .String("Caption", [this] { return Text(); }, [this](const std::string& v) { SetText(v); })
        .Boolean("Checked", [this] { return Checked(); }, [this](bool v) { SetChecked(v); });
}

bool TCheckBox::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    if (OnClick) OnClick();
    result = 0;
    return true;
}

}  // namespace pim::ui

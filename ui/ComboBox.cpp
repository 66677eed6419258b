#include "ui/ComboBox.h"

namespace pim::ui {

namespace {
constexpr int kDropDownHeight = 200;
}

TComboBox::TComboBox(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"COMBOBOX",
                  .Bounds = {p.Bounds.Left, p.Bounds.Top, p.Bounds.Width, kDropDownHeight},
                  .Style = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP});
    for (const std::string& item : p.Items) {
        const std::u16string wide = Widen(item);
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(wide)));
    }
    if (p.ItemIndex >= 0) SetItemIndex(p.ItemIndex);
}

int TComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int TComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int index) const {
    const LRESULT n = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR) return {};
    std::u16string text(static_cast<std::size_t>(n) + 1, u'\0');
    SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return Narrow(text);
}

bool TComboBox::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != CBN_SELCHANGE) return false;
    if (OnClick) OnClick();
    result = 0;
    return true;
}

// Alt with a key other than Up or Down (which open the list) is the
// window's, as Windows has it: Alt+F4 closes the form. Wine's combo box
// swallows every such key.
LRESULT TComboBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSKEYDOWN && wParam != VK_UP && wParam != VK_DOWN)
        return DefWindowProcW(Handle(), message, wParam, lParam);
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

#include "ui/PageControl.h"

#include <commctrl.h>

namespace pim::ui {

TTabSheet::TTabSheet(TWindow& pageControl, std::string_view caption, const TBounds& bounds) : caption_(caption) {
    CreateHandle({.Parent = &pageControl, .ClassName = OwnClass(L"PimTabSheet"), .Bounds = bounds,
                  .Style = WS_CLIPCHILDREN, .ExStyle = WS_EX_CONTROLPARENT, .Visible = false});
}

TPageControl::TPageControl(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = WC_TABCONTROLW, .Bounds = p.Bounds,
                  .Style = static_cast<DWORD>(WS_CLIPCHILDREN | WS_TABSTOP | (p.ButtonTabs ? TCS_BUTTONS : 0)),
                  .ExStyle = WS_EX_CONTROLPARENT});
}

TTabSheet* TPageControl::AddSheet(std::string_view caption) {
    const std::u16string text = Widen(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(W(text));
    SendMessageW(Handle(), TCM_INSERTITEMW, sheets_.size(), reinterpret_cast<LPARAM>(&item));
    sheets_.push_back(std::make_unique<TTabSheet>(*this, caption, SheetBounds()));
    ShowActive();
    return sheets_.back().get();
}

TBounds TPageControl::SheetBounds() const {
    RECT r;
    GetClientRect(Handle(), &r);
    SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TPageControl::SetBounds(const TBounds& bounds) {
    TWindow::SetBounds(bounds);
    FitSheets();
}

void TPageControl::FitSheets() {
    const TBounds area = SheetBounds();
    for (const auto& sheet : sheets_) sheet->SetBounds(area);
}

int TPageControl::ActivePageIndex() const { return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0)); }

void TPageControl::SetActivePageIndex(int index) {
    SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowActive();
}

void TPageControl::SelectNextPage(bool forward) {
    const int n = PageCount();
    if (n < 2) return;
    const int next = ((ActivePageIndex() + (forward ? 1 : -1)) % n + n) % n;
    SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
    ShowActive();
    const HWND focus = GetFocus();
    if (!focus || !IsWindowVisible(focus)) SetFocus(Handle());
    if (OnChange) OnChange();
}

void TPageControl::ShowActive() {
    const int active = ActivePageIndex();
    for (int i = 0; i < PageCount(); ++i)
        if (i != active) sheets_[static_cast<std::size_t>(i)]->Hide();
    if (active >= 0 && active < PageCount()) sheets_[static_cast<std::size_t>(active)]->Show();
}

bool TPageControl::Notified(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY || reinterpret_cast<const NMHDR*>(lParam)->code != static_cast<UINT>(TCN_SELCHANGE))
        return false;
    ShowActive();
    if (OnChange) OnChange();
    result = 0;
    return true;
}

}  // namespace pim::ui

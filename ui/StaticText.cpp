#include "ui/StaticText.h"

#include "base/win32/Handles.h"

namespace pim::ui {

namespace {

DWORD AlignmentStyle(TAlignment a) {
    switch (a) {
        case TAlignment::taRightJustify: return SS_RIGHT;
        case TAlignment::taCenter: return SS_CENTER;
        default: return SS_LEFT;
    }
}

}  // namespace

TStaticText::TStaticText(const Params& p) : autoSize_(p.Bounds.Width == 0 && p.Bounds.Height == 0) {
    ShowHint = p.ShowHint;
    CreateHandle({.Parent = p.Parent, .ClassName = L"STATIC", .Bounds = p.Bounds, .Text = p.Caption,
                  .Style = SS_NOTIFY | SS_NOPREFIX | AlignmentStyle(p.Alignment) | (p.Sunken ? SS_SUNKEN : 0)});
    AdjustSize();
}

void TStaticText::SetTextW(std::u16string_view text) {
    TWindow::SetTextW(text);
    AdjustSize();
    Invalidate();
}

void TStaticText::AdjustSize() {
    if (!autoSize_) return;
    const std::u16string text = TextW();
    SIZE size{};
    TEXTMETRICW metrics{};
    {
        const TWindowDC dc(Handle());
        const TSelection font(dc.get(), Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsW(dc.get(), &metrics);
        GetTextExtentPoint32W(dc.get(), W(text), static_cast<int>(text.size()), &size);
    }
    const bool sunken = (GetWindowLongW(Handle(), GWL_STYLE) & SS_SUNKEN) != 0;
    const int edge = sunken ? 2 : 0;
    const TBounds b = Bounds();
    SetBounds({b.Left, b.Top, size.cx + edge, static_cast<int>(metrics.tmHeight) + edge});
}

void TStaticText::Arrange(int dpi, int dx, int dy) {
    TWindow::Arrange(dpi, dx, dy);
    AdjustSize();
}

bool TStaticText::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != STN_DBLCLK) return false;
    if (OnDblClick) OnDblClick();
    result = 0;
    return true;
}

}  // namespace pim::ui

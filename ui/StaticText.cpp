#include "ui/StaticText.h"

#include <algorithm>

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

// The text's font selected into a device context of the control.
struct TMeasuring {
    explicit TMeasuring(const TStaticText& text)
        : dc(text.Handle()), font(dc.get(), text.Font() ? text.Font() : GetStockObject(DEFAULT_GUI_FONT)) {}
    TWindowDC dc;
    TSelection font;
};

// What a sunken edge takes from the text's room, across and down.
int EdgeOf(const TStaticText& text) { return (GetWindowLongW(text.Handle(), GWL_STYLE) & SS_SUNKEN) ? 2 : 0; }

}  // namespace

TStaticText::TStaticText(const Params& p) : autoSize_(p.Bounds.Width == 0 && p.Bounds.Height == 0) {
    ShowHint = p.ShowHint;
    CreateHandle({.Parent = p.Parent,
                  .ClassName = L"STATIC",
                  .Bounds = p.Bounds,
                  .Text = p.Caption,
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
        const TMeasuring m(*this);
        GetTextMetricsW(m.dc.get(), &metrics);
        GetTextExtentPoint32W(m.dc.get(), W(text), static_cast<int>(text.size()), &size);
    }
    const int edge = EdgeOf(*this);
    const TBounds b = Bounds();
    SetBounds({b.Left, b.Top, size.cx + edge, static_cast<int>(metrics.tmHeight) + edge});
}

int TStaticText::ColumnsIn(int width) const {
    const TMeasuring m(*this);
    SIZE one{};
    GetTextExtentPoint32W(m.dc.get(), L"0", 1, &one);  // a single-byte character's width
    return std::max(1, static_cast<int>((width - EdgeOf(*this)) / std::max<LONG>(1, one.cx)));
}

int TStaticText::TextHeight(int width) const {
    const TMeasuring m(*this);
    const std::u16string text = TextW();
    const int edge = EdgeOf(*this);
    RECT r{0, 0, width - edge, 0};
    DrawTextW(m.dc.get(), W(text), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return static_cast<int>(r.bottom) + edge;
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

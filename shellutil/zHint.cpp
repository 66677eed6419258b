#include "shellutil/zHint.h"

#include "base/win32/Handles.h"

namespace pim {

namespace {

// Space the strip and the text margins take beside the text.
constexpr int kExtraWidth = 22;
constexpr int kExtraHeight = 6;
constexpr int kStrip = 15;

// The arrow, as offsets from its point, for a cursor to the lower right.
constexpr POINT kArrow[18] = {{0, 0}, {0, 6}, {1, 6}, {1, 0}, {6, 0}, {6, 1}, {2, 1}, {2, 4}, {5, 7},
                              {6, 7}, {3, 4}, {3, 3}, {6, 6}, {7, 6}, {3, 2}, {4, 2}, {7, 5}, {7, 6}};

bool CursorOnTheLeft(int quadrant) { return quadrant == 1 || quadrant == 3; }

}  // namespace

TzHint::TzHint() : font_(ui::MakeFont(ui::kPGothic, 12)) {
    ui::TApplication& app = ui::Application();
    app.HintWindowClass = [this] { return std::make_unique<TzHintWindow>(*this); };
    app.SetShowHint(false);  // the next hint makes a window of the new class
    app.SetShowHint(true);
    app.OnShowHint = [this](ui::THintInfo& info) {
        hintControl_ = info.HintControl;
        if (OnShowHint) OnShowHint(info);
    };
    app.HintPause = 500;
    app.HintShortPause = 25;
    app.HintHidePause = 5000;
}

TzHint::~TzHint() {
    ui::TApplication& app = ui::Application();
    app.HintWindowClass = [] { return std::make_unique<ui::THintWindow>(); };
    app.OnShowHint = nullptr;
    app.SetShowHint(false);
    app.SetShowHint(true);
}

void TzHint::SetFont(std::string_view face, int height, BYTE charset) {
    font_ = ui::MakeFont(face, height, charset);
}

TzHintWindow::TzHintWindow(TzHint& hint) : THintWindow(0), hint_(hint) { SetFont(hint.Font()); }

SIZE TzHintWindow::MeasureHint(const std::u16string& text) const {
    const int extraWidth = ui::ScaleDpi(kExtraWidth, hint_.Dpi);
    RECT r{0, 0, hint_.MaxHintWidth - extraWidth, 0};
    const TWindowDC dc(Handle());
    const TSelection font(dc.get(), hint_.Font());
    DrawTextW(dc.get(), ui::W(text), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return {r.right - r.left + extraWidth, r.bottom - r.top + ui::ScaleDpi(kExtraHeight, hint_.Dpi)};
}

RECT TzHintWindow::Placement(POINT c, SIZE screen, int w, int h, int& quadrant, int dpi) {
    const bool left = c.x < screen.cx / 2;
    const bool top = c.y < screen.cy / 2;
    quadrant = top ? (left ? 1 : 0) : (left ? 3 : 2);
    const int d = ui::ScaleDpi(quadrant == 1 ? 12 : 5, dpi);
    switch (quadrant) {
        case 0: return {c.x - w - d, c.y + d, c.x - d, c.y + d + h};
        case 1: return {c.x + d, c.y + d, c.x + d + w, c.y + d + h};
        case 2: return {c.x - w - d, c.y - h - d, c.x - d, c.y - d};
        default: return {c.x + d, c.y - h - d, c.x + d + w, c.y - d};
    }
}

void TzHintWindow::ActivateHint(RECT, const std::u16string& text) {
    caption_ = text;
    SetFont(hint_.Font());
    const SIZE size = MeasureHint(text);
    POINT cursor;
    GetCursorPos(&cursor);
    const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const RECT r = Placement(cursor, screen, size.cx, size.cy, quadrant_, hint_.Dpi);
    SetWindowPos(Handle(), HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void TzHintWindow::Paint(HDC dc, const RECT& c) {
    const bool left = CursorOnTheLeft(quadrant_);
    const auto scaled = [this](int value) { return ui::ScaleDpi(value, hint_.Dpi); };
    const int stripWidth = scaled(kStrip);
    const RECT strip = left ? RECT{c.left + 1, c.top + 1, c.left + stripWidth, c.bottom - 1}
                            : RECT{c.right - stripWidth, c.top + 1, c.right - 1, c.bottom - 1};
    const RECT text = left ? RECT{c.left + stripWidth, c.top + 1, c.right - 1, c.bottom - 1}
                           : RECT{c.left + 1, c.top + 1, c.right - stripWidth, c.bottom - 1};
    auto fill = [dc](const RECT& r, COLORREF color) {
        const TBrushHandle brush(CreateSolidBrush(color));
        FillRect(dc, &r, brush.get());
    };
    fill(strip, hint_.ColorArrowBackground());
    fill(text, hint_.ColorBackground());
    const TBrushHandle border(CreateSolidBrush(hint_.ColorBorder()));
    FrameRect(dc, &c, border.get());

    // The arrow's point, in the strip's corner nearest the cursor.
    const bool top = quadrant_ == 0 || quadrant_ == 1;
    const POINT anchor{left ? strip.left + scaled(2) : strip.right - scaled(3),
                       top ? strip.top + scaled(2) : strip.bottom - scaled(3)};
    const int sx = left ? 1 : -1;
    const int sy = top ? 1 : -1;
    POINT points[18];
    for (int i = 0; i < 18; ++i)
        points[i] = {anchor.x + sx * scaled(kArrow[i].x), anchor.y + sy * scaled(kArrow[i].y)};
    {
        const TPenHandle pen(CreatePen(PS_SOLID, scaled(1), hint_.ColorArrow()));
        const TSelection selected(dc, pen.get());
        Polyline(dc, points, 18);
    }

    const TSelection font(dc, hint_.Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT area{text.left + scaled(3), text.top + scaled(1), text.right - scaled(3), text.bottom - scaled(1)};
    DrawTextW(dc, ui::W(caption_), -1, &area, DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace pim

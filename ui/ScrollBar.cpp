#include "ui/ScrollBar.h"

#include <algorithm>

namespace pim::ui {

TScrollBar::TScrollBar(const Params& p) : min_(p.Min), max_(p.Max), position_(std::clamp(p.Position, p.Min, p.Max)) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"SCROLLBAR", .Bounds = p.Bounds, .Style = SBS_HORZ | WS_TABSTOP});
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS, min_, max_, 0, position_, 0};
    SetScrollInfo(Handle(), SB_CTL, &si, TRUE);
}

void TScrollBar::SetPosition(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, position_, 0};
    SetScrollInfo(Handle(), SB_CTL, &si, TRUE);
    if (OnChange) OnChange();
}

bool TScrollBar::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_HSCROLL) return false;
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), SB_CTL, &si);
    switch (LOWORD(wParam)) {
        case SB_LINELEFT: SetPosition(position_ - SmallChange); break;
        case SB_LINERIGHT: SetPosition(position_ + SmallChange); break;
        case SB_PAGELEFT: SetPosition(position_ - LargeChange); break;
        case SB_PAGERIGHT: SetPosition(position_ + LargeChange); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: SetPosition(si.nTrackPos); break;
        case SB_LEFT: SetPosition(min_); break;
        case SB_RIGHT: SetPosition(max_); break;
        default: break;
    }
    result = 0;
    return true;
}

}  // namespace pim::ui

#include "ui/ScrollBox.h"

#include <windowsx.h>

#include <algorithm>

namespace pim::ui {

namespace {
int Index(int bar) { return bar == SB_HORZ ? 0 : 1; }
}  // namespace

TScrollBox::TScrollBox(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = OwnClass(L"PimScrollBox"), .Bounds = p.Bounds,
                  .Style = WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, .ExStyle = WS_EX_CLIENTEDGE});
    Realign();
}

void TScrollBox::Realign() {
    // The extent of the children at scroll position 0.
    int extent[2] = {0, 0};
    for (HWND h = GetWindow(Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (!(GetWindowLongW(h, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, Handle(), reinterpret_cast<POINT*>(&r), 2);
        extent[0] = std::max<int>(extent[0], r.right + pos_[0]);
        extent[1] = std::max<int>(extent[1], r.bottom + pos_[1]);
    }
    // Showing one bar narrows the other side: settle both in two rounds.
    for (int round = 0; round < 2; ++round)
        for (int bar : {SB_HORZ, SB_VERT}) {
            const SIZE client = ClientSize();
            const int page = bar == SB_HORZ ? client.cx : client.cy;
            range_[Index(bar)] = extent[Index(bar)];
            SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0,
                          std::max(0, range_[Index(bar)] - 1), static_cast<UINT>(std::max(0, page)), 0, 0};
            SetScrollInfo(Handle(), bar, &si, TRUE);
        }
    ScrollTo(SB_HORZ, pos_[0]);
    ScrollTo(SB_VERT, pos_[1]);
}

void TScrollBox::ScrollTo(int bar, int position) {
    const SIZE client = ClientSize();
    const int page = bar == SB_HORZ ? client.cx : client.cy;
    const int i = Index(bar);
    position = std::clamp(position, 0, std::max(0, range_[i] - page));
    const int delta = pos_[i] - position;
    if (delta == 0) {
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, position, 0};
        SetScrollInfo(Handle(), bar, &si, TRUE);
        return;
    }
    pos_[i] = position;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, position, 0};
    SetScrollInfo(Handle(), bar, &si, TRUE);
    ScrollWindowEx(Handle(), bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0, nullptr, nullptr, nullptr,
                   nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void TScrollBox::Scroll(int bar, WPARAM code) {
    const int i = Index(bar);
    const SIZE client = ClientSize();
    const int page = bar == SB_HORZ ? client.cx : client.cy;
    SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &si);
    switch (LOWORD(code)) {
        case SB_LINEUP: ScrollTo(bar, pos_[i] - 8); break;
        case SB_LINEDOWN: ScrollTo(bar, pos_[i] + 8); break;
        case SB_PAGEUP: ScrollTo(bar, pos_[i] - page); break;
        case SB_PAGEDOWN: ScrollTo(bar, pos_[i] + page); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(bar, si.nTrackPos); break;
        case SB_TOP: ScrollTo(bar, 0); break;
        case SB_BOTTOM: ScrollTo(bar, range_[i]); break;
        default: break;
    }
}

LRESULT TScrollBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_HSCROLL:
            if (lParam == 0) {
                Scroll(SB_HORZ, wParam);
                return 0;
            }
            break;
        case WM_VSCROLL:
            if (lParam == 0) {
                Scroll(SB_VERT, wParam);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL: {
            const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ScreenToClient(Handle(), &p);
            if (OnMouseWheel && OnMouseWheel(notches, p.x, p.y)) return 0;
            if (notches < 0 && OnMouseWheelDown && OnMouseWheelDown(p.x, p.y)) return 0;
            ScrollTo(SB_VERT, pos_[1] - notches * WheelStep);
            return 0;
        }
        case WM_SIZE:
            Realign();
            if (OnResize) OnResize();
            break;
        default:
            break;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

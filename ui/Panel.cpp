#include "ui/Panel.h"

namespace pim::ui {

namespace {

// One pixel of bevel: raised is light at the top-left, lowered the reverse.
void DrawBevel(HDC dc, RECT& r, TBevel bevel) {
    if (bevel == TBevel::bvNone) return;
    DrawEdge(dc, &r, bevel == TBevel::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    InflateRect(&r, -1, -1);
}

}  // namespace

TPanel::TPanel(const Params& p) : outer_(p.BevelOuter), inner_(p.BevelInner) {
    CreateHandle({.Parent = p.Parent, .ClassName = OwnClass(L"PimPanel"), .Bounds = p.Bounds,
                  .Style = WS_CLIPCHILDREN, .ExStyle = WS_EX_CONTROLPARENT});
}

LRESULT TPanel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT r;
        GetClientRect(Handle(), &r);
        DrawBevel(dc, r, outer_);
        DrawBevel(dc, r, inner_);
        EndPaint(Handle(), &ps);
        return 0;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

#include "ui/GroupBox.h"

namespace pim::ui {

TGroupBox::TGroupBox(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"BUTTON", .Bounds = p.Bounds, .Text = p.Caption,
                  .Style = BS_GROUPBOX | WS_CLIPCHILDREN, .ExStyle = WS_EX_CONTROLPARENT});
}

LRESULT TGroupBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The frame is a container here: the mouse goes to it, not through it.
    if (message == WM_NCHITTEST) return HTCLIENT;
    // A group box paints only its frame; the inside is ours to fill.
    if (message == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

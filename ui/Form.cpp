#include "ui/Form.h"

namespace pim::ui {

namespace {

constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

TForm::TForm(const Params& p) : font_(MakeFont(kPGothic, 12)) {
    SetFont(font_.get());
    const DWORD style = kFormStyle | (p.MinimizeBox ? WS_MINIMIZEBOX : 0);
    const DWORD exStyle = WS_EX_CONTROLPARENT | (p.StayOnTop ? WS_EX_TOPMOST : 0);
    RECT outer{0, 0, p.ClientWidth, p.ClientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    CreateHandle({.ClassName = OwnClass(L"PimForm"),
                  .Bounds = {0, 0, outer.right - outer.left, outer.bottom - outer.top},
                  .Text = p.Caption,
                  .Style = style,
                  .ExStyle = exStyle,
                  .Visible = false,
                  .Owner = p.Owner ? p.Owner->Handle() : nullptr});
}

TForm::~TForm() { DestroyHandle(); }

void TForm::DestroyHandle() {
    if (Handle()) DestroyWindow(Handle());
}

void TForm::ShowForm() {
    if (OnShow) OnShow();
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
}

void TForm::Close() {
    TCloseAction action = this == Application().MainForm() ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(action);
    if (action == TCloseAction::caNone) return;
    if (this == Application().MainForm()) {
        Hide();
        PostQuitMessage(0);
        return;
    }
    switch (action) {
        case TCloseAction::caHide: Hide(); break;
        case TCloseAction::caMinimize: ShowWindow(Handle(), SW_MINIMIZE); break;
        case TCloseAction::caFree:
            DestroyHandle();
            if (OnFreed) OnFreed(*this);
            break;
        case TCloseAction::caNone: break;
    }
}

void TForm::SetClientSize(int width, int height) {
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, GetWindowLongW(Handle(), GWL_STYLE), FALSE, GetWindowLongW(Handle(), GWL_EXSTYLE));
    SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetPosition(int left, int top) {
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN:
        case WM_NCMBUTTONDBLCLK:
            if (OnNcMessage && OnNcMessage(message, wParam, lParam)) return 0;
            break;
        default:
            break;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

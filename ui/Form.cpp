#include "ui/Form.h"

#include <algorithm>

namespace pim::ui {

namespace {

constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// The forms' font, "ＭＳ Ｐゴシック" 12 pixels high at 96 dpi.
constexpr int kFontHeight = 12;

// A control that can take the focus now: shown (with every window around
// it) and enabled.
bool Usable(HWND control) { return control && IsWindowVisible(control) && IsWindowEnabled(control); }

}  // namespace

TForm::TForm(const Params& p) : font_(MakeFont(kPGothic, kFontHeight)), designClient_{p.ClientWidth, p.ClientHeight} {
    SetFont(font_.get());
    const DWORD style = kFormStyle | (p.MinimizeBox ? WS_MINIMIZEBOX : 0) | (p.MaximizeBox ? WS_MAXIMIZEBOX : 0) |
                        (p.Sizable ? WS_THICKFRAME : 0);
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
    ShowWindow(Handle(), ShowMaximized ? SW_SHOWMAXIMIZED : SW_SHOW);
    // The focus frame stays visible whether the form is used by mouse or by
    // keyboard.
    SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
    UpdateWindow(Handle());
}

void TForm::SetDefaultButton(TButton* button) {
    if (defaultButton_ && defaultButton_->Handle())
        SendMessageW(defaultButton_->Handle(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    defaultButton_ = button;
    if (button) SendMessageW(button->Handle(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void TForm::FocusControl(TWindow& control) { SetFocus(control.Handle()); }

HWND TForm::FirstFocus() const {
    if (defaultButton_ && Usable(defaultButton_->Handle())) return defaultButton_->Handle();
    for (TWindow* control : TabOrder)
        if (Usable(control->Handle())) return control->Handle();
    return nullptr;
}

bool TForm::SelectNext(bool forward) {
    const int n = static_cast<int>(TabOrder.size());
    if (n == 0) return false;
    // The focus may sit inside a control of the list (a combo box's edit).
    int at = -1;
    for (HWND h = GetFocus(); h && h != Handle() && at < 0; h = GetParent(h))
        for (int i = 0; i < n; ++i)
            if (TabOrder[static_cast<std::size_t>(i)]->Handle() == h) at = i;
    for (int step = 1; step <= n; ++step) {
        const int i = at < 0 ? (forward ? step - 1 : n - step) : ((at + (forward ? step : -step)) % n + n) % n;
        const HWND control = TabOrder[static_cast<std::size_t>(i)]->Handle();
        if (!Usable(control)) continue;
        SetFocus(control);
        // An edit reached by Tab has its text selected, as in a dialog.
        if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
        break;
    }
    return true;
}

bool TForm::DialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (OnShortCut && OnShortCut(msg)) return true;
    if (msg.message != WM_KEYDOWN || GetKeyState(VK_MENU) < 0) return false;
    const HWND focus = GetFocus();
    // A control that wants the key itself (a label being edited, an open
    // drop-down list) keeps it.
    const LRESULT code = focus ? SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
    if (code & DLGC_WANTMESSAGE) return false;
    switch (msg.wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB) return false;
            return SelectNext(GetKeyState(VK_SHIFT) >= 0);
        case VK_RETURN:
            if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
                SendMessageW(focus, BM_CLICK, 0, 0);
                return true;
            }
            if (defaultButton_ && Usable(defaultButton_->Handle())) {
                defaultButton_->Click();
                return true;
            }
            return false;
        case VK_ESCAPE:
            if (CancelButton && Usable(CancelButton->Handle())) {
                CancelButton->Click();
                return true;
            }
            return false;
        default: return false;
    }
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

void TForm::ScaleToMonitor() {
    const int dpi = DpiOf(Handle());
    if (dpi == dpi_) return;
    ChangeScale(dpi);
    SetClientSize(ScaleDpi(designClient_.cx, dpi), ScaleDpi(designClient_.cy, dpi));
    Realign();
}

namespace {

struct TFontSwap {
    HFONT from;
    HFONT to;
};

BOOL CALLBACK SwapFont(HWND child, LPARAM data) {
    const auto& swap = *reinterpret_cast<const TFontSwap*>(data);
    if (TWindow* window = TWindow::FromHandle(child); window && window->Font() == swap.from) window->SetFont(swap.to);
    return TRUE;
}

}  // namespace

void TForm::ChangeScale(int dpi) {
    dpi_ = dpi;
    // Every window that shows the form's font takes the new one before the
    // old one is deleted.
    TFontHandle font = MakeFont(kPGothic, ScaleDpi(kFontHeight, dpi));
    TFontSwap swap{font_.get(), font.get()};
    SetFont(swap.to);
    EnumChildWindows(Handle(), &SwapFont, reinterpret_cast<LPARAM>(&swap));
    font_ = std::move(font);
    Realign();
}

void TForm::Realign() {
    // Below the design size (a window rolled up to its caption) the controls
    // keep their smallest layout.
    const SIZE client = ClientSize();
    const int dx = std::max(0, static_cast<int>(client.cx) - ScaleDpi(designClient_.cx, dpi_));
    const int dy = std::max(0, static_cast<int>(client.cy) - ScaleDpi(designClient_.cy, dpi_));
    for (const auto& control : components_) control->Arrange(dpi_, dx, dy);
}

void TForm::SetPosition(int left, int top) {
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::KeepOnMonitor() {
    RECT r;
    GetWindowRect(Handle(), &r);
    MONITORINFO info{sizeof info};
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    const LONG left = std::max(work.left, std::min(r.left, work.right - (r.right - r.left)));
    const LONG top = std::max(work.top, std::min(r.top, work.bottom - (r.bottom - r.top)));
    if (left != r.left || top != r.top) SetPosition(left, top);
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE: Close(); return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) Realign();
            break;
        case WM_GETMINMAXINFO:
            if (GetWindowLongW(Handle(), GWL_STYLE) & WS_THICKFRAME) {
                RECT outer{0, 0, ScaleDpi(designClient_.cx, dpi_), ScaleDpi(designClient_.cy, dpi_)};
                AdjustWindowRectEx(&outer, GetWindowLongW(Handle(), GWL_STYLE), FALSE,
                                   GetWindowLongW(Handle(), GWL_EXSTYLE));
                auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
                info.ptMinTrackSize.x = outer.right - outer.left;
                if (KeepMinimumHeight) info.ptMinTrackSize.y = outer.bottom - outer.top;
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            // Moved to a monitor of another dpi: the system proposes the
            // window's new place and size.
            ChangeScale(HIWORD(wParam));
            const RECT& r = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
            } else if (!HIWORD(wParam)) {
                // Back to the control that had the focus, else the first one.
                const HWND target =
                    lastFocus_ && IsChild(Handle(), lastFocus_) && Usable(lastFocus_) ? lastFocus_ : FirstFocus();
                if (target) {
                    SetFocus(target);
                    return 0;
                }
            }
            break;
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
        case WM_NCRBUTTONDOWN:
        case WM_NCRBUTTONDBLCLK:
        case WM_NCMBUTTONDOWN:
        case WM_NCMBUTTONDBLCLK:
            if (OnNcMessage && OnNcMessage(message, wParam, lParam)) return 0;
            break;
        default: break;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

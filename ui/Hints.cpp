// Hints: when the mouse rests on a control with a hint, the hint window
// shows it after a pause, and hides it after a while.
#include "base/win32/Handles.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace pim::ui {

namespace {

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

// The control under the mouse that has a hint to show, or nullptr.
TWindow* HintOwnerOf(TWindow* window) {
    for (; window; window = window->Parent())
        if (window->ShowHint && !window->Hint().empty()) return window;
    return nullptr;
}

}  // namespace

// A message-only window for the hint timers.
class TApplication::TTimerWindow : public TWindow {
public:
    explicit TTimerWindow(TApplication& app) : app_(app) {
        CreateHandle({.ClassName = OwnClass(L"PimTimers", 0, -1), .Visible = false, .Owner = HWND_MESSAGE});
    }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER) {
            app_.HintTimer(wParam);
            return 0;
        }
        return TWindow::WndProc(message, wParam, lParam);
    }

private:
    TApplication& app_;
};

void TApplication::SetShowHint(bool show) {
    if (show == showHint_) return;
    showHint_ = show;
    if (!show) {
        CancelHint();
        hintWindow_.reset();
    }
}

void TApplication::HintMouseMove(TWindow& window) {
    if (!showHint_) return;
    TWindow* owner = HintOwnerOf(&window);
    if (owner == hintControl_) return;
    // From one hint to the next the wait is short.
    const bool wasShown = hintShown_;
    CancelHint();
    hintControl_ = owner;
    if (!owner) return;
    if (!timerWindow_) timerWindow_ = std::make_unique<TTimerWindow>(*this);
    SetTimer(timerWindow_->Handle(), kHintShowTimer, static_cast<UINT>(wasShown ? HintShortPause : HintPause), nullptr);
}

void TApplication::CancelHint() {
    if (timerWindow_) {
        KillTimer(timerWindow_->Handle(), kHintShowTimer);
        KillTimer(timerWindow_->Handle(), kHintHideTimer);
    }
    if (hintWindow_ && hintShown_) hintWindow_->ReleaseHint();
    hintShown_ = false;
    hintControl_ = nullptr;
}

void TApplication::HintTimer(UINT_PTR id) {
    KillTimer(timerWindow_->Handle(), id);
    if (id == kHintHideTimer) {
        if (hintWindow_) hintWindow_->ReleaseHint();
        hintShown_ = false;
        return;
    }
    ShowHintNow();
}

void TApplication::ShowHintNow() {
    POINT cursor;
    GetCursorPos(&cursor);
    TWindow* under = TWindow::FromHandle(WindowFromPoint(cursor));
    if (!hintControl_ || HintOwnerOf(under) != hintControl_) {
        hintControl_ = nullptr;
        return;
    }
    THintInfo info;
    info.HintControl = hintControl_;
    info.CursorPos = cursor;
    info.HintPos = {cursor.x, cursor.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4};
    info.HintMaxWidth = GetSystemMetrics(SM_CXSCREEN);
    info.HintStr = hintControl_->Hint();
    if (OnShowHint) OnShowHint(info);
    if (!info.CanShow || info.HintStr.empty()) return;
    if (!hintWindow_) hintWindow_ = HintWindowClass();
    RECT rect = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr);
    OffsetRect(&rect, info.HintPos.x, info.HintPos.y);
    hintWindow_->ActivateHint(rect, info.HintStr);
    hintShown_ = true;
    SetTimer(timerWindow_->Handle(), kHintHideTimer, static_cast<UINT>(HintHidePause), nullptr);
}

THintWindow::THintWindow(DWORD border) {
    CreateHandle({.ClassName = OwnClass(L"PimHint", CS_SAVEBITS, COLOR_INFOBK),
                  .Style = WS_POPUP | border,
                  .ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  .Visible = false});
    if (Application().MainForm()) SetFont(Application().MainForm()->Font());
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::u16string& text) {
    RECT rect{0, 0, maxWidth, 0};
    {
        const TWindowDC dc(Handle());
        const TSelection font(dc.get(), Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc.get(), W(text), -1, &rect, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    rect.right += 6;
    rect.bottom += 4;
    return rect;
}

void THintWindow::ActivateHint(RECT rect, const std::u16string& text) {
    caption_ = text;
    SetWindowPos(Handle(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

LRESULT THintWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT client;
        GetClientRect(Handle(), &client);
        Paint(dc, client);
        EndPaint(Handle(), &ps);
        return 0;
    }
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    return TWindow::WndProc(message, wParam, lParam);
}

void THintWindow::Paint(HDC dc, const RECT& client) {
    const TSelection font(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT r = client;
    InflateRect(&r, -2, -2);
    DrawTextW(dc, W(caption_), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace pim::ui

#include "ui/Application.h"

#include <exception>
#include <new>

#include "base/ErrorReport.h"
#include "ui/Form.h"

namespace pim::ui {

namespace {

// "エラー": the error box's caption.
constexpr char kErrorCaption[] = "\x83\x47\x83\x89\x81\x5b";

constexpr UINT_PTR kHintShowTimer = 1;
constexpr UINT_PTR kHintHideTimer = 2;

// The control under the mouse that has a hint to show, or nullptr.
TWindow* HintOwnerOf(TWindow* window) {
    for (; window; window = window->Parent())
        if (window->ShowHint && !window->Hint().empty()) return window;
    return nullptr;
}

}  // namespace

// A message-only window for the application's timers.
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

TApplication& Application() {
    static TApplication application;
    return application;
}

// Components without a caller to raise to report through the error box.
class TApplication::TBoxReport : public TErrorReport {
public:
    explicit TBoxReport(TApplication& app) : app_(app) {}
    void ShowError(std::string_view message) override { app_.ShowError(std::string(message)); }

private:
    TApplication& app_;
};

TApplication::TApplication() : report_(std::make_unique<TBoxReport>(*this)) {
    HintWindowClass = [] { return std::make_unique<THintWindow>(); };
    SetErrorReport(report_.get());
}

TApplication::~TApplication() { SetErrorReport(nullptr); }

void TApplication::Run(TForm& mainForm) {
    mainForm_ = &mainForm;
    mainForm.ShowForm();
    while (HandleMessage()) {
    }
}

bool TApplication::HandleMessage() {
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) return false;
    Dispatch(msg);
    return true;
}

void TApplication::Dispatch(MSG& msg) {
    // Tab, Enter, Escape and the arrow keys work as in a dialog: the form's
    // own keys first, then the dialog manager's.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        HWND top = GetAncestor(msg.hwnd, GA_ROOT);
        auto* form = top ? dynamic_cast<TForm*>(TWindow::FromHandle(top)) : nullptr;
        if (form && (form->DialogKey(msg) || IsDialogMessageW(top, &msg))) {
            FreeReleased();
            return;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    FreeReleased();
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave it for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        Dispatch(msg);
    }
}

void TApplication::ShowError(const std::string& message) {
    if (OnError) {
        OnError(message);
        return;
    }
    HWND owner = GetActiveWindow();
    if (!owner && mainForm_) owner = mainForm_->Handle();
    const std::u16string text = Widen(message);
    const std::u16string caption = Widen(kErrorCaption);
    MessageBoxW(owner, W(text), W(caption), MB_OK | MB_ICONERROR);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        ShowError("Out of memory");
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("Unknown error");
    }
}

void TApplication::Release(std::unique_ptr<TWindow> window) { released_.push_back(std::move(window)); }

void TApplication::FreeReleased() { released_.clear(); }

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

// ---- THintWindow -------------------------------------------------------------

THintWindow::THintWindow(DWORD border) {
    CreateHandle({.ClassName = OwnClass(L"PimHint", CS_SAVEBITS, COLOR_INFOBK),
                  .Style = WS_POPUP | border,
                  .ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                  .Visible = false});
    if (Application().MainForm()) SetFont(Application().MainForm()->Font());
}

RECT THintWindow::CalcHintRect(int maxWidth, const std::u16string& text) {
    RECT rect{0, 0, maxWidth, 0};
    HDC dc = GetDC(Handle());
    HGDIOBJ old = SelectObject(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, W(text), -1, &rect, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(Handle(), dc);
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
    HGDIOBJ old = SelectObject(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT r = client;
    InflateRect(&r, -2, -2);
    DrawTextW(dc, W(caption_), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
}

// ---- TFont ---------------------------------------------------------------------

TFont::TFont(std::string_view face, int height, BYTE charset, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    const std::u16string wide = Widen(face);
    lstrcpynW(lf.lfFaceName, W(wide), LF_FACESIZE);
    handle_ = CreateFontIndirectW(&lf);
}

TFont::~TFont() {
    if (handle_) DeleteObject(handle_);
}

}  // namespace pim::ui

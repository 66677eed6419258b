// The application object and its message loop; the error box and the hints
// have files of their own (ErrorBox.cpp, Hints.cpp).
#include "ui/Application.h"

#include "base/ErrorReport.h"
#include "ui/Form.h"

namespace pim::ui {

TApplication& Application() {
    static TApplication application;
    return application;
}

TApplication::TApplication() : report_(MakeBoxReport()) {
    HintWindowClass = [] { return std::make_unique<THintWindow>(); };
    SetErrorReport(report_.get());
    TWindow::SetHost(this);
}

TApplication::~TApplication() {
    TWindow::SetHost(nullptr);
    SetErrorReport(nullptr);
}

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

void TApplication::Release(std::unique_ptr<TWindow> window) { released_.push_back(std::move(window)); }

void TApplication::FreeReleased() { released_.clear(); }

}  // namespace pim::ui

// The application object: title, main form, message loop, the standard error
// box, deferred release of closed forms, and the hints: the hint window class
// and the show-hint hook live here, so a component can install its own. It is
// the windows' host (TWindowHost): their exceptions reach its error box, and
// their mouse moves its hints.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Font.h"
#include "ui/Window.h"

namespace pim {
class TErrorReport;
}

namespace pim::ui {

class TForm;

// The window that shows a hint. Replace it through HintWindowClass.
class THintWindow : public TWindow {
public:
    THintWindow() : THintWindow(WS_BORDER) {}
    // The rectangle (screen origin at 0, 0) the text needs within maxWidth.
    virtual RECT CalcHintRect(int maxWidth, const std::u16string& text);
    // Shows text in rect (screen coordinates).
    virtual void ActivateHint(RECT rect, const std::u16string& text);
    void ReleaseHint() { Hide(); }
    const std::u16string& Caption() const { return caption_; }

protected:
    // border: WS_BORDER or 0.
    explicit THintWindow(DWORD border);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Paint(HDC dc, const RECT& client);

    std::u16string caption_;
};

// What the show-hint hook may change before a hint appears.
struct THintInfo {
    TWindow* HintControl = nullptr;
    POINT CursorPos{};     // screen
    POINT HintPos{};       // screen: the hint's top-left corner
    int HintMaxWidth = 0;  // 0: the screen's width
    std::u16string HintStr;
    bool CanShow = true;
};

class TApplication : public TWindowHost {
public:
    TApplication();
    ~TApplication() override;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string cp932) { title_ = std::move(cp932); }

    // The main form: its closing ends Run.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    // Shows the main form and dispatches messages until it closes.
    void Run(TForm& mainForm);
    // Dispatches every pending message, then returns.
    void ProcessMessages();
    // Dispatches one message, waiting for it; false after WM_QUIT.
    bool HandleMessage();

    // The standard error box: one OK button, the error icon. Long lines
    // are wrapped, so the box stays on the screen and readable.
    void ShowError(const std::string& cp932);
    // The same box with the information icon, for what is not an error
    // (a stop the user asked for); OnInfo, when set, receives it instead.
    void ShowInfo(const std::string& cp932);
    std::function<void(const std::string& message)> OnInfo;
    // A question with はい and いいえ in a box captioned "確認" (いいえ the
    // default, so that Enter changes nothing): true for はい. OnConfirm, when
    // set, answers instead.
    bool Confirm(const std::string& cp932);
    std::function<bool(const std::string& question)> OnConfirm;
    // Reports the exception being handled through the error box.
    void HandleException() override;
    // Errors go to the error box unless a handler is set (the settings
    // component and tests use this).
    std::function<void(const std::string& message)> OnError;

    // A closed form freed after the message being handled.
    void Release(std::unique_ptr<TWindow> window);

    // Command-line arguments after the program's own name, in the platform's
    // file-name encoding.
    std::vector<std::string> Args;

    // Hints.
    std::function<std::unique_ptr<THintWindow>()> HintWindowClass;
    std::function<void(THintInfo& info)> OnShowHint;
    int HintPause = 500;
    int HintShortPause = 50;
    int HintHidePause = 2500;
    // Off hides any hint and drops the hint window, so the next hint makes
    // one of the current HintWindowClass.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    void HintMouseMove(TWindow& window);
    void MouseMoved(TWindow& window) override { HintMouseMove(window); }
    void CancelHint();
    THintWindow* HintWindow() const { return hintWindow_.get(); }

private:
    class TTimerWindow;
    std::unique_ptr<TErrorReport> MakeBoxReport();
    void Dispatch(MSG& msg);
    void HintTimer(UINT_PTR id);
    void ShowHintNow();
    void FreeReleased();

    std::unique_ptr<TErrorReport> report_;
    std::string title_;
    TForm* mainForm_ = nullptr;
    std::vector<std::unique_ptr<TWindow>> released_;
    std::unique_ptr<TWindow> timerWindow_;  // a TTimerWindow, made with the first hint
    std::unique_ptr<THintWindow> hintWindow_;
    TWindow* hintControl_ = nullptr;
    bool hintShown_ = false;
    bool showHint_ = true;
};

// The one application object of the process.
TApplication& Application();

}  // namespace pim::ui

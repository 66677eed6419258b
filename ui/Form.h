// A top-level window: client size, a single or a sizable border, the
// caption buttons it is given, OnShow and OnClose with a close action, and a
// hook for non-client mouse messages. A form owns the controls it makes.
//
// The layout is designed at 96 dpi for the smallest client area. A form
// lays itself out for the dpi of its monitor (every position, size and the
// font scaled by dpi/96, again when the window moves to a monitor of
// another dpi), and a sizable form gives its growth to the controls
// anchored to its right and bottom edges.
//
// The keyboard works as in a dialog: Tab walks TabOrder (the layout's
// reading order), Enter presses the focused push button or else the default
// button, Escape presses the cancel button, and the focus comes back to the
// control that had it when the form is activated again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Button.h"
#include "ui/Window.h"

namespace pim::ui {

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public TWindow {
public:
    struct Params {
        std::string Caption;
        int ClientWidth = 0;
        int ClientHeight = 0;
        bool MinimizeBox = true;  // the system menu is always there
        bool MaximizeBox = false;
        bool Sizable = false;  // a sizing border; never smaller than the design
        bool StayOnTop = false;
        TForm* Owner = nullptr;
    };
    explicit TForm(const Params& params);
    ~TForm() override;

    // Fires OnShow, then shows the window (maximised when OnShow set
    // ShowMaximized; its normal place stays as it was set).
    void ShowForm();
    bool ShowMaximized = false;
    // Asks OnClose what to do and does it; the main form's closing ends
    // the message loop.
    void Close();
    void SetClientSize(int width, int height);
    void SetPosition(int left, int top);
    // Moves the window, when it reaches past its monitor's work area, back
    // inside it (its top-left corner first, should it be larger).
    void KeepOnMonitor();

    // The dpi the form is laid out for.
    int Dpi() const { return dpi_; }
    // Lays the form out for its monitor's dpi; concrete forms call it last
    // in their constructor, once their controls exist. At 96 dpi nothing moves.
    void ScaleToMonitor();
    // Places every control for the current client size.
    void Realign();
    // False lets the window be lower than its design (rolled up to its caption).
    bool KeepMinimumHeight = true;

    // Makes a control owned by this form: Make<TButton>({.Parent = ..., ...}).
    template <class T>
    T* Make(const typename T::Params& params) {
        auto control = std::make_unique<T>(params);
        T* raw = control.get();
        components_.push_back(std::move(control));
        return raw;
    }

    // The controls Tab visits, in order; hidden or disabled ones are skipped
    // and Shift+Tab walks back. Empty: the dialog manager's Z-order walk.
    std::vector<TWindow*> TabOrder;
    // Enter presses it when the focus is not on another push button; it
    // carries the default frame. nullptr: none.
    TButton* DefaultButton() const { return defaultButton_; }
    void SetDefaultButton(TButton* button);
    // Escape presses it. nullptr: Escape does nothing.
    TButton* CancelButton = nullptr;
    // Puts the focus on a control of this form (or the form itself).
    void FocusControl(TWindow& control);
    // The keys the form handles before the focused control: Tab, Enter,
    // Escape, then OnShortCut. True when the key was used.
    bool DialogKey(const MSG& msg);
    // A key message before the focused control sees it; true when used.
    std::function<bool(const MSG& msg)> OnShortCut;

    TNotifyEvent OnShow;
    std::function<void(TCloseAction& action)> OnClose;
    // Non-client mouse messages (WM_NC*BUTTON*); true when handled, so the
    // default action does not run.
    std::function<bool(UINT message, WPARAM wParam, LPARAM lParam)> OnNcMessage;
    // The window was destroyed by a caFree close: whoever owns the object
    // frees it (Application().Release) once the current message is done.
    std::function<void(TForm& form)> OnFreed;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The font and every control for a dpi (the window's size is the
    // caller's). A form with parts of its own (a list's cells, a hint's
    // font) scales them too.
    virtual void ChangeScale(int dpi);
    // Concrete forms call this first in their destructor, so no message
    // reaches a handler of a half-destroyed form.
    void DestroyHandle();

private:
    bool SelectNext(bool forward);
    HWND FirstFocus() const;

    TFontHandle font_;
    SIZE designClient_;
    int dpi_ = 96;
    TButton* defaultButton_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::vector<std::unique_ptr<TWindow>> components_;
};

}  // namespace pim::ui

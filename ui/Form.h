// A top-level window: client size, single non-sizable border, the caption
// buttons it is given, OnShow and OnClose with a close action, and a hook for
// non-client mouse messages. A form owns the controls it makes.
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
        bool MinimizeBox = true;   // the system menu is always there
        bool StayOnTop = false;
        TForm* Owner = nullptr;
    };
    explicit TForm(const Params& params);
    ~TForm() override;

    // Fires OnShow, then shows the window.
    void ShowForm();
    // Asks OnClose what to do and does it; the main form's closing ends
    // the message loop.
    void Close();
    void SetClientSize(int width, int height);
    void SetPosition(int left, int top);

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
    // Concrete forms call this first in their destructor, so no message
    // reaches a handler of a half-destroyed form.
    void DestroyHandle();

private:
    bool SelectNext(bool forward);
    HWND FirstFocus() const;

    TFont font_;
    TButton* defaultButton_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::vector<std::unique_ptr<TWindow>> components_;
};

}  // namespace pim::ui

// A top-level window: client size, single non-sizable border, the caption
// buttons it is given, OnShow and OnClose with a close action, and a hook for
// non-client mouse messages. A form owns the controls it makes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
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
    TFontHandle font_;
    std::vector<std::unique_ptr<TWindow>> components_;
};

}  // namespace pim::ui

// A hook on another window's messages, without deriving from its class: the
// hook puts its own handler in front of the window object's and passes on
// what it does not consume. It hooks a control itself (htControl) or the
// form that holds it (htForm), and stays in place when the window's handle
// is destroyed and made again.
#pragma once

#include "ui/Form.h"
#include "ui/Window.h"

namespace pim {

enum class THookTarget { htControl, htForm };

class TControlHook {
public:
    // owner: the form the component belongs to (htForm without a Control
    // hooks it).
    explicit TControlHook(ui::TForm& owner);
    virtual ~TControlHook();
    TControlHook(const TControlHook&) = delete;
    TControlHook& operator=(const TControlHook&) = delete;

    ui::TWindow* Control() const { return control_; }
    void SetControl(ui::TWindow* control);
    THookTarget Target() const { return target_; }
    // Raises "フック先を特定できません。" when htForm finds no form with a handle.
    void SetTarget(THookTarget target);

    ui::TWindow* HookedWindow() const { return hooked_; }
    HWND HookedHandle() const { return handle_; }

protected:
    // 1: the handle was destroyed; 2: a new handle exists.
    virtual void HandleChanged(int reason);
    // Every message of the hooked window; the base passes it on.
    virtual LRESULT HookedMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The hook was just put in place.
    virtual void Hooked() {}
    void Hook();
    void Unhook();

private:
    LRESULT HookProc(UINT message, WPARAM wParam, LPARAM lParam);
    ui::TWindow* FindTarget() const;

    ui::TForm& owner_;
    ui::TWindow* control_ = nullptr;
    THookTarget target_ = THookTarget::htControl;
    ui::TWindow* hooked_ = nullptr;
    HWND handle_ = nullptr;
    bool recreating_ = false;  // between WM_CREATE and the next message
    ui::TWindow::TWindowProc saved_;
};

}  // namespace pim

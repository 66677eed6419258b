// A hook on another window's messages, without deriving from its class: the
// hook sits on the window's hook list, in front of the window's own
// handling, and passes on what it does not consume. It hooks a control
// itself (htControl) or the form that holds it (htForm), stays in place when
// the window's handle is destroyed and made again, and forgets the window
// when the window object goes.
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

    // The hooked window, nullptr when none (never hooked, or gone).
    ui::TWindow* HookedWindow() const { return token_.Attached() ? hooked_ : nullptr; }
    // Its handle; nullptr while it has none.
    HWND HookedHandle() const { return token_.Attached() ? handle_ : nullptr; }

protected:
    // The hooked window's handle was destroyed or made again, or the window
    // is gone; the base keeps HookedHandle up to date.
    virtual void HandleChanged(ui::THandleChange why);
    // Every message of the hooked window; true when consumed (result is then
    // the answer). The base passes everything on.
    virtual bool HookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The hook was just put in place.
    virtual void Hooked() {}
    void Hook();
    void Unhook();

private:
    ui::TWindow* FindTarget() const;

    ui::TForm& owner_;
    ui::TWindow* control_ = nullptr;
    THookTarget target_ = THookTarget::htControl;
    ui::TWindow* hooked_ = nullptr;
    HWND handle_ = nullptr;
    ui::THookToken token_;
};

}  // namespace pim

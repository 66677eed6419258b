#include "shellutil/CtlHook.h"

#include "base/SysUtils.h"

namespace pim {

TControlHook::TControlHook(ui::TForm& owner) : owner_(owner) {}

TControlHook::~TControlHook() { Unhook(); }

void TControlHook::SetControl(ui::TWindow* control) {
    Unhook();
    control_ = control;
    Hook();
}

void TControlHook::SetTarget(THookTarget target) {
    Unhook();
    target_ = target;
    Hook();
}

ui::TWindow* TControlHook::FindTarget() const {
    if (target_ == THookTarget::htControl) return control_;
    if (!control_) return &owner_;
    for (ui::TWindow* w = control_; w; w = w->Parent())
        if (dynamic_cast<ui::TForm*>(w)) return w;
    return nullptr;
}

void TControlHook::Hook() {
    ui::TWindow* target = FindTarget();
    if (!target || !target->Handle()) {
        if (target_ == THookTarget::htForm) throw Exception("フック先を特定できません。");
        return;
    }
    hooked_ = target;
    handle_ = target->Handle();
    saved_ = target->WindowProc;
    target->WindowProc = [this](UINT message, WPARAM wParam, LPARAM lParam) {
        return HookProc(message, wParam, lParam);
    };
    Hooked();
}

void TControlHook::Unhook() {
    if (!hooked_) return;
    hooked_->WindowProc = std::move(saved_);
    saved_ = nullptr;
    hooked_ = nullptr;
    handle_ = nullptr;
}

LRESULT TControlHook::HookProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        recreating_ = true;
    } else if (message == WM_DESTROY) {
        HandleChanged(1);
    } else if (recreating_ && hooked_->Handle()) {
        recreating_ = false;
        HandleChanged(2);
    }
    return HookedMessage(message, wParam, lParam);
}

void TControlHook::HandleChanged(int reason) { handle_ = reason == 1 ? nullptr : hooked_->Handle(); }

LRESULT TControlHook::HookedMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return saved_ ? saved_(message, wParam, lParam) : hooked_->WndProc(message, wParam, lParam);
}

}  // namespace pim

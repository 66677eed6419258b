#include "shellutil/CtlHook.h"

#include "base/CodePage.h"
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
        if (target_ == THookTarget::htForm)
            throw Exception(Utf8ToAnsi("フック先を特定できません。"));  // shown in code page 932
        return;
    }
    hooked_ = target;
    handle_ = target->Handle();
    token_ = target->AddHook({
        .Message = [this](UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) { return HookedMessage(message, wParam, lParam, result); },
        .HandleChanged = [this](ui::THandleChange why) { HandleChanged(why); },
    });
    Hooked();
}

void TControlHook::Unhook() {
    token_.Remove();
    hooked_ = nullptr;
    handle_ = nullptr;
}

void TControlHook::HandleChanged(ui::THandleChange why) {
    switch (why) {
        case ui::THandleChange::hcCreated: handle_ = hooked_->Handle(); break;
        case ui::THandleChange::hcDestroyed: handle_ = nullptr; break;
        case ui::THandleChange::hcFreed:
            handle_ = nullptr;
            hooked_ = nullptr;
            break;
    }
}

bool TControlHook::HookedMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

}  // namespace pim

// A check box. Changing Checked, by the user or by the program, fires OnClick.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TCheckBox : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        std::string Caption;
        bool Checked = false;
    };
    explicit TCheckBox(const Params& params);
    bool Checked() const;
    void SetChecked(bool checked);
    TNotifyEvent OnClick;

    std::string PersistentClassName() const override { return "TCheckBox"; }
    TPersistentProperties PublishedProperties() override;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace pim::ui

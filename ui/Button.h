// A push button.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TButton : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        std::string Caption;
        bool Visible = true;
    };
    explicit TButton(const Params& params);
    // Clicks it as the user does (the click goes through Windows).
    void Click();
    TNotifyEvent OnClick;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace pim::ui

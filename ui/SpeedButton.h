// A speed button: a flat push button that can stay down. Buttons with the
// same GroupIndex under one parent form a radio group: pressing one lets the
// others up.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TSpeedButton : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        std::string Caption;
        int GroupIndex = 0;
        bool Down = false;
    };
    explicit TSpeedButton(const Params& params);
    int GroupIndex() const { return groupIndex_; }
    bool Down() const;
    void SetDown(bool down);
    // Presses it as the user does.
    void Click();
    TNotifyEvent OnClick;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int groupIndex_;
};

}  // namespace pim::ui

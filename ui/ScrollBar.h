// A horizontal scroll bar with a range and a position. Every change of the
// position, by the user or the program, fires OnChange.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TScrollBar : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        int Min = 0;
        int Max = 100;
        int Position = 0;
    };
    explicit TScrollBar(const Params& params);
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // Clipped to the range.
    void SetPosition(int position);
    int SmallChange = 1;
    int LargeChange = 1;
    TNotifyEvent OnChange;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    int min_, max_, position_;
};

}  // namespace pim::ui

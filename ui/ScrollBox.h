// A scroll box: a bordered area that scrolls the controls placed in it when
// they reach beyond it. Positions clip to their ranges.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TScrollBox : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
    };
    explicit TScrollBox(const Params& params);
    int HorzPosition() const { return pos_[0]; }
    int VertPosition() const { return pos_[1]; }
    void SetHorzPosition(int position) { ScrollTo(SB_HORZ, position); }
    void SetVertPosition(int position) { ScrollTo(SB_VERT, position); }
    // Recomputes the ranges from the children (call after one changed size).
    void Realign();
    // Pixels one wheel notch scrolls.
    int WheelStep = 24;
    // Wheel turned towards the user; the box then scrolls down unless the
    // handler says it took the wheel itself.
    std::function<bool(int x, int y)> OnMouseWheelDown;
    // Any turn of the wheel (notches > 0: away from the user) at x, y of the
    // box, seen first; true when the handler took it.
    std::function<bool(int notches, int x, int y)> OnMouseWheel;
    // The box changed size.
    TNotifyEvent OnResize;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ScrollTo(int bar, int position);
    void Scroll(int bar, WPARAM code);
    int range_[2] = {0, 0};
    int pos_[2] = {0, 0};
};

}  // namespace pim::ui

// A panel: a container with an outer and an inner bevel.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

enum class TBevel { bvNone, bvLowered, bvRaised };

class TPanel : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        TBevel BevelOuter = TBevel::bvRaised;
        TBevel BevelInner = TBevel::bvNone;
    };
    explicit TPanel(const Params& params);
    TBevel BevelOuter() const { return outer_; }
    TBevel BevelInner() const { return inner_; }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TBevel outer_, inner_;
};

}  // namespace pim::ui

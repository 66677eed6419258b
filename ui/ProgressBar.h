// A progress bar over Min..Max.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TProgressBar : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        int Min = 0;
        int Max = 100;
    };
    explicit TProgressBar(const Params& params);
    int Max() const;
    void SetMax(int max);
    int Position() const;
    void SetPosition(int position);
};

}  // namespace pim::ui

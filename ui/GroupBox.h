// A group box: a captioned frame around the controls placed in it.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

class TGroupBox : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        std::string Caption;
    };
    explicit TGroupBox(const Params& params);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace pim::ui

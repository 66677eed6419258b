// A status bar along the bottom of its parent, with panels of fixed widths.
#pragma once

#include <vector>

#include "ui/Window.h"

namespace pim::ui {

class TStatusBar : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        int Height = 19;
        std::vector<int> PanelWidths;
    };
    explicit TStatusBar(const Params& params);
    int PanelCount() const { return static_cast<int>(widths_.size()); }
    std::string PanelText(int index) const { return Narrow(PanelTextW(index)); }
    std::u16string PanelTextW(int index) const;
    void SetPanelText(int index, std::string_view cp932) { SetPanelTextW(index, Widen(cp932)); }
    void SetPanelTextW(int index, std::u16string_view text);
    // Keeps the bar at the bottom of the parent, at its height.
    void Realign();
    // The bar's height and its panels' widths for the dpi; the bar keeps to
    // the bottom edge and spans the width, whatever the parent's size.
    void Arrange(int dpi, int dx, int dy) override;

private:
    void SetParts(int dpi);
    std::vector<int> widths_;
    int height_;
    int designHeight_;
};

}  // namespace pim::ui

// An image control: shows a picture at its natural size, or at a zoom, and
// sizes itself to it. The picture is kept as a 24-bit copy ready for the
// screen.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/Graphics.h"
#include "ui/Window.h"

namespace pim::ui {

class TImage : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
    };
    explicit TImage(const Params& params);
    // Shows a copy of graphic (nullptr: nothing) at its natural size.
    void SetPicture(const TGraphic* graphic);
    // Shows the picture at this scale (1: one screen pixel a picture pixel);
    // the control takes the scaled size.
    void SetZoom(double zoom);
    double Zoom() const { return zoom_; }
    void Clear() { SetPicture(nullptr); }
    bool Empty() const { return width_ == 0; }
    int PictureWidth() const { return width_; }
    int PictureHeight() const { return height_; }
    // The colour shown at (x, y) of the picture.
    COLORREF PixelAt(int x, int y) const;
    // Placed by the box that scrolls it, sized by its picture.
    void Arrange(int, int, int) override {}
    // A double click, at x, y of the control.
    std::function<void(int x, int y)> OnDblClick;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int width_ = 0;
    int height_ = 0;
    double zoom_ = 1;
    std::int64_t rowBytes_ = 0;
    std::vector<std::uint8_t> pixels_;  // bottom-up BGR rows, as a DIB
};

}  // namespace pim::ui

// An image control: shows a picture at its natural size and sizes itself to
// it. The picture is kept as a 24-bit copy ready for the screen.
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
    // Shows a copy of graphic (nullptr: nothing).
    void SetPicture(const TGraphic* graphic);
    void Clear() { SetPicture(nullptr); }
    bool Empty() const { return width_ == 0; }
    int PictureWidth() const { return width_; }
    int PictureHeight() const { return height_; }
    // The colour shown at (x, y) of the picture.
    COLORREF PixelAt(int x, int y) const;
    // Placed by the box that scrolls it, sized by its picture.
    void Arrange(int, int, int) override {}

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int width_ = 0;
    int height_ = 0;
    std::int64_t rowBytes_ = 0;
    std::vector<std::uint8_t> pixels_;  // bottom-up BGR rows, as a DIB
};

}  // namespace pim::ui

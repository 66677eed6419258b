// Pim's own hint window: a box with a coloured strip on the side of the
// mouse, an arrow in the strip pointing at the cursor's corner, and the text
// word-wrapped in a chosen font. Creating a TzHint makes its window the
// application's hint window and sets the hint delays.
#pragma once

#include <memory>
#include <string>

#include "ui/Application.h"

namespace pim {

class TzHint {
public:
    TzHint();
    ~TzHint();
    TzHint(const TzHint&) = delete;
    TzHint& operator=(const TzHint&) = delete;

    // Colours by index: 0 background, 1 border, 2 strip, 3 arrow.
    COLORREF Color(int index) const { return colors_[index]; }
    void SetColor(int index, COLORREF color) { colors_[index] = color; }
    COLORREF ColorBackground() const { return colors_[0]; }
    COLORREF ColorBorder() const { return colors_[1]; }
    COLORREF ColorArrowBackground() const { return colors_[2]; }
    COLORREF ColorArrow() const { return colors_[3]; }

    int MaxHintWidth = 200;
    // The strip, the arrow and the margins are drawn for this dpi.
    int Dpi = 96;
    HFONT Font() const { return font_.get(); }
    // A copy of the font described: face (code page 932), height in pixels.
    void SetFont(std::string_view face, int height, BYTE charset = SHIFTJIS_CHARSET);

    std::function<void(ui::THintInfo& info)> OnShowHint;
    // The control the last hint belonged to.
    ui::TWindow* HintControl() const { return hintControl_; }

private:
    COLORREF colors_[4] = {RGB(255, 255, 255), RGB(0, 0, 0), 5493503, RGB(0, 0, 0)};
    TFontHandle font_;
    ui::TWindow* hintControl_ = nullptr;
};

class TzHintWindow : public ui::THintWindow {
public:
    explicit TzHintWindow(TzHint& hint);
    void ActivateHint(RECT proposed, const std::u16string& text) override;
    // 0 top-right, 1 top-left, 2 bottom-right, 3 bottom-left: the quarter of
    // the screen the cursor is in.
    int Quadrant() const { return quadrant_; }

    // Where a hint of size w x h goes for a cursor at (x, y) on a screen of
    // the given size; quadrant receives the cursor's quarter.
    static RECT Placement(POINT cursor, SIZE screen, int w, int h, int& quadrant, int dpi = 96);
    // The hint's size for text within maxWidth (strip and margins included).
    SIZE MeasureHint(const std::u16string& text) const;

protected:
    void Paint(HDC dc, const RECT& client) override;

private:
    TzHint& hint_;
    int quadrant_ = 1;
};

}  // namespace pim

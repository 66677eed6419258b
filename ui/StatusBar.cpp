#include "ui/StatusBar.h"

#include <commctrl.h>

namespace pim::ui {

TStatusBar::TStatusBar(const Params& p) : widths_(p.PanelWidths), height_(p.Height), designHeight_(p.Height) {
    CreateHandle({.Parent = p.Parent, .ClassName = STATUSCLASSNAMEW, .Style = CCS_BOTTOM | CCS_NORESIZE});
    SetParts(96);
    Realign();
}

void TStatusBar::SetParts(int dpi) {
    // Right edges; the last panel reaches the end of the bar.
    std::vector<int> edges;
    int right = 0;
    for (std::size_t i = 0; i < widths_.size(); ++i) {
        right += ScaleDpi(widths_[i], dpi);
        edges.push_back(i + 1 == widths_.size() ? -1 : right);
    }
    SendMessageW(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void TStatusBar::Arrange(int dpi, int, int) {
    height_ = ScaleDpi(designHeight_, dpi);
    SetParts(dpi);
    Realign();
}

void TStatusBar::Realign() {
    const SIZE parent = Parent()->ClientSize();
    SetBounds({0, parent.cy - height_, parent.cx, height_});
}

std::u16string TStatusBar::PanelTextW(int index) const {
    const LRESULT info = SendMessageW(Handle(), SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
    std::u16string text(static_cast<std::size_t>(LOWORD(info)) + 1, u'\0');
    SendMessageW(Handle(), SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

void TStatusBar::SetPanelTextW(int index, std::u16string_view text) {
    const std::u16string copy(text);
    SendMessageW(Handle(), SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(copy)));
}

}  // namespace pim::ui

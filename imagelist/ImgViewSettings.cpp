#include "imagelist/ImgViewSettings.h"

#include <algorithm>

namespace pim {

TViewImage::TViewImage() {
    // A change anywhere in the appearance is a change of the appearance.
    for (TViewSettings* part : std::initializer_list<TViewSettings*>{&frame_, &selectFrame_, &smallIcon_, &blankSpace_})
        part->OnChange = [this] { Changed(); };
}

int TViewImage::Margin() const {
    int margin = 0;
    if (frame_.Visible()) margin = frame_.Width();
    if (selectFrame_.Visible()) margin = std::max(margin, selectFrame_.Width());
    if (borderStyle_ == TCellBorder::bsSingle) margin += 2;
    if (bevelOuter_ != TBevelCut::bvNone) margin += bevelWidth_;
    if (bevelInner_ != TBevelCut::bvNone) margin += bevelWidth_;
    return margin;
}

TView::TView(TDispTypes& dispTypes) : dispTypes_(dispTypes) {
    iconSpacing_.OnChange = [this] { Changed(); };
}

TCellSize CellSizeOf(TViewImage& v) {
    TCellSize cell;
    cell.Margin = v.Margin();
    cell.Width = v.BlankSpace().Left() + v.BlankSpace().Right() + 2 * cell.Margin + v.ImageWidth();
    cell.Height = v.BlankSpace().Top() + v.BlankSpace().Bottom() + 2 * cell.Margin + v.ImageHeight();
    return cell;
}

}  // namespace pim

// The tiled picture store: equal cells laid out on a few large sheet bitmaps
// instead of one bitmap per picture. The list view keeps one for thumbnails
// and one for composed icons, and paints a row by copying its cell.
//
// A sheet has CellsPerRow = SheetWidthLimit div CellWidth columns and
// SheetHeightLimit div CellHeight rows (at least one of each); cell n lies on
// sheet n div CellsPerSheet, in reading order. The last sheet is only as
// high as its used rows.
#pragma once

#include <memory>
#include <vector>

#include "graphics/Graphics.h"
#include "imagelist/ImgShare.h"

namespace pim {

class TImgList {
public:
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    int SheetWidthLimit() const { return sheetWidthLimit_; }
    int SheetHeightLimit() const { return sheetHeightLimit_; }
    // Changing a cell side or the sheet width empties the store.
    void SetCellWidth(int value);
    void SetCellHeight(int value);
    void SetCellSize(int width, int height);
    void SetSheetWidthLimit(int value);
    // Colour of cells not yet covered; applies to sheets made from now on.
    TColor BkColor() const { return bkColor_; }
    void SetBkColor(TColor value) { bkColor_ = value; }

    int Count() const { return count_; }
    // Cells the existing sheets hold.
    int Capacity() const;
    int Columns() const;
    int Rows() const;
    int CellsPerSheet() const { return Columns() * Rows(); }
    int SheetCount() const { return static_cast<int>(sheets_.size()); }

    // Stores the picture unscaled in the next cell, centred as its
    // shrink-to-fit size would be (pictures come fitted to the cell; a larger
    // one keeps only the top-left part of that size). Returns its index: a
    // released cell's when there is one.
    int Add(const TBitmap& bitmap);
    // The cell's picture is no longer needed: a later Add reuses the cell.
    void Release(int index);
    int ReleasedCount() const { return static_cast<int>(released_.size()); }
    // The sheet holding cell index and the cell's top-left corner on it, for
    // drawing in place; raises Exception "List index out of bounds (n)"
    // outside 0..Count-1.
    TBitmap& Locate(int index, int& x, int& y);
    // A CellWidth x CellHeight copy of the cell.
    void CopyOut(int index, TBitmap& bitmap) const;
    void Clear();

private:
    void CheckIndex(int index) const;
    // One more cell at the end: a new sheet, or a taller last one.
    void Grow();
    // Sheet number of cell index, and the cell's corner on it.
    int SheetOf(int index, int& x, int& y) const;

    int cellWidth_ = 32;
    int cellHeight_ = 32;
    int sheetWidthLimit_ = 1024;
    int sheetHeightLimit_ = 2048;
    TColor bkColor_ = clWhite;
    int count_ = 0;
    std::vector<int> released_;
    std::vector<std::unique_ptr<TBitmap>> sheets_;
};

}  // namespace pim

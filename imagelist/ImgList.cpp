#include "imagelist/ImgList.h"

#include <algorithm>
#include <string>

#include "base/SysUtils.h"
#include "graphics/Resample.h"

namespace pim {

void TImgList::SetCellWidth(int value) { SetCellSize(value, cellHeight_); }

void TImgList::SetCellHeight(int value) { SetCellSize(cellWidth_, value); }

void TImgList::SetCellSize(int width, int height) {
    if (width == cellWidth_ && height == cellHeight_) return;
    cellWidth_ = std::max(width, 1);
    cellHeight_ = std::max(height, 1);
    Clear();
}

void TImgList::SetSheetWidthLimit(int value) {
    if (value == sheetWidthLimit_) return;
    sheetWidthLimit_ = value;
    Clear();
}

int TImgList::Columns() const { return std::max(sheetWidthLimit_ / cellWidth_, 1); }

int TImgList::Rows() const { return std::max(sheetHeightLimit_ / cellHeight_, 1); }

int TImgList::Capacity() const {
    if (sheets_.empty()) return 0;
    return (SheetCount() - 1) * CellsPerSheet() + sheets_.back()->Height() / cellHeight_ * Columns();
}

void TImgList::Release(int index) {
    CheckIndex(index);
    released_.push_back(index);
}

int TImgList::Add(const TBitmap& bitmap) {
    int index = count_;
    if (!released_.empty()) {
        index = released_.back();
        released_.pop_back();
    } else {
        Grow();
    }
    int x = 0, y = 0;
    TBitmap& target = Locate(index, x, y);
    FillRect(target, x, y, cellWidth_, cellHeight_, bkColor_);
    TBitmap converted;
    const TBitmap* source = &bitmap;
    if (BitsPerPixel(bitmap.PixelFormat()) != 24) {
        converted = bitmap;
        Ensure24Bit(converted);
        source = &converted;
    }
    const TImgSize fit = FitSize(source->Width(), source->Height(), cellWidth_, cellHeight_, TGetType::igtPreview);
    CopyRect(*source, 0, 0, target, x + (cellWidth_ - fit.Width) / 2, y + (cellHeight_ - fit.Height) / 2, fit.Width,
             fit.Height);
    return index;
}

void TImgList::Grow() {
    const int index = count_;
    const int cps = CellsPerSheet();
    const int sheet = index / cps;
    const int neededRows = index % cps / Columns() + 1;
    if (sheet >= SheetCount()) {
        sheets_.push_back(std::make_unique<TBitmap>(Columns() * cellWidth_, cellHeight_, TPixelFormat::pf24bit));
        FillBitmap(*sheets_.back(), bkColor_);
    } else if (sheets_[sheet]->Height() < neededRows * cellHeight_) {
        TBitmap& grown = *sheets_[sheet];
        const int oldHeight = grown.Height();
        grown.SetHeight(neededRows * cellHeight_);
        FillRect(grown, 0, oldHeight, grown.Width(), grown.Height() - oldHeight, bkColor_);
    }
    ++count_;
}

void TImgList::CheckIndex(int index) const {
    if (index < 0 || index >= count_) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

int TImgList::SheetOf(int index, int& x, int& y) const {
    CheckIndex(index);
    const int cps = CellsPerSheet();
    const int cell = index % cps;
    x = cell % Columns() * cellWidth_;
    y = cell / Columns() * cellHeight_;
    return index / cps;
}

TBitmap& TImgList::Locate(int index, int& x, int& y) { return *sheets_[SheetOf(index, x, y)]; }

void TImgList::CopyOut(int index, TBitmap& bitmap) const {
    int x = 0, y = 0;
    const TBitmap& sheet = *sheets_[SheetOf(index, x, y)];
    bitmap = TBitmap(cellWidth_, cellHeight_, TPixelFormat::pf24bit);
    CopyRect(sheet, x, y, bitmap, 0, 0, cellWidth_, cellHeight_);
}

void TImgList::Clear() {
    sheets_.clear();
    released_.clear();
    count_ = 0;
}

}  // namespace pim

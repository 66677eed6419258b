#include "imagelist/ImgList.h"

#include <gtest/gtest.h>

#include "base/SysUtils.h"
#include "graphics/Resample.h"

namespace pim {
namespace {

constexpr TColor kRed = 0x0000FF;
constexpr TColor kGrey = 0x808080;

TBitmap Solid(int w, int h, TColor color) {
    TBitmap b(w, h, TPixelFormat::pf24bit);
    FillBitmap(b, color);
    return b;
}

TColor ColorAt(const TBitmap& b, int x, int y) {
    const TPaletteEntry p = b.PixelColor(x, y);
    return p.peRed | (p.peGreen << 8) | (p.peBlue << 16);
}

TEST(ImgList, SheetsOfThe94PixelBox) {
    TImgList list;
    list.SetCellSize(94, 94);
    EXPECT_EQ(list.Columns(), 10);
    EXPECT_EQ(list.Rows(), 21);
    EXPECT_EQ(list.CellsPerSheet(), 210);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(list.Add(Solid(94, 70, kRed)), i);
    // Two rows used: the sheet is only as high as those.
    int x = 0, y = 0;
    TBitmap& first = list.Locate(11, x, y);
    EXPECT_EQ(x, 94);
    EXPECT_EQ(y, 94);
    EXPECT_EQ(first.Width(), 940);
    EXPECT_EQ(first.Height(), 188);
    EXPECT_EQ(list.Capacity(), 20);
    for (int i = 12; i < 211; ++i) list.Add(Solid(94, 70, kRed));
    EXPECT_EQ(list.SheetCount(), 2);
    TBitmap& second = list.Locate(210, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(second.Height(), 94);
    EXPECT_EQ(list.Locate(209, x, y).Height(), 21 * 94);
    EXPECT_THROW(list.Locate(211, x, y), Exception);
    EXPECT_THROW(list.Locate(-1, x, y), Exception);
}

TEST(ImgList, CentresAPictureInItsCell) {
    TImgList list;
    list.SetCellSize(94, 94);
    list.SetBkColor(kGrey);
    list.Add(Solid(94, 94, kRed));
    const int index = list.Add(Solid(60, 40, kRed));
    TBitmap cell;
    list.CopyOut(index, cell);
    ASSERT_EQ(cell.Width(), 94);
    ASSERT_EQ(cell.Height(), 94);
    // (94 - 60) div 2 = 17, (94 - 40) div 2 = 27
    EXPECT_EQ(ColorAt(cell, 17, 27), kRed);
    EXPECT_EQ(ColorAt(cell, 76, 66), kRed);
    EXPECT_EQ(ColorAt(cell, 16, 27), kGrey);
    EXPECT_EQ(ColorAt(cell, 17, 26), kGrey);
    EXPECT_EQ(ColorAt(cell, 77, 66), kGrey);
    EXPECT_EQ(ColorAt(cell, 17, 67), kGrey);
}

TEST(ImgList, ChangingTheCellsEmptiesTheStore) {
    TImgList list;
    list.Add(Solid(32, 32, kRed));
    list.SetCellSize(32, 32);
    EXPECT_EQ(list.Count(), 1);
    list.SetCellHeight(40);
    EXPECT_EQ(list.Count(), 0);
    list.Add(Solid(8, 8, kRed));
    list.SetSheetWidthLimit(512);
    EXPECT_EQ(list.SheetCount(), 0);
    // A cell wider than the sheet limit still makes a sheet of one cell.
    list.SetCellWidth(2000);
    list.Add(Solid(8, 8, kRed));
    int x = 0, y = 0;
    EXPECT_EQ(list.Locate(0, x, y).Width(), 2000);
}

// A thumbnail whose item left the list gives its cell to the next one: the
// store does not grow through any number of folder changes.
TEST(ImgList, ReleasedCellsAreReused) {
    TImgList list;
    list.SetCellSize(16, 16);
    for (int k = 0; k < 3; ++k) list.Add(Solid(16, 16, kGrey));
    list.Release(1);
    EXPECT_EQ(list.ReleasedCount(), 1);
    EXPECT_EQ(list.Add(Solid(8, 8, kRed)), 1);
    EXPECT_EQ(list.Count(), 3);
    {
        TBitmap cell;
        list.CopyOut(1, cell);
        EXPECT_EQ(ColorAt(cell, 8, 8), kRed);
        EXPECT_NE(ColorAt(cell, 0, 0), kGrey);  // the old picture is gone
    }
    EXPECT_EQ(list.Add(Solid(16, 16, kRed)), 3);
    EXPECT_THROW(list.Release(9), Exception);
    list.Release(0);
    list.Clear();
    EXPECT_EQ(list.ReleasedCount(), 0);
    EXPECT_EQ(list.Add(Solid(16, 16, kRed)), 0);
}

}  // namespace
}  // namespace pim

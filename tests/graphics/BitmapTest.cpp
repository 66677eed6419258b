#include <gtest/gtest.h>

#include "TestImages.h"
#include "graphics/Graphics.h"

namespace pim {
namespace {

TEST(Bitmap, RowsArePaddedToFourBytesAndStoredTopDown) {
    TBitmap bmp(5, 3, TPixelFormat::pf24bit);
    EXPECT_EQ(bmp.RowBytes(), 16);
    bmp.ScanLine(0)[0] = 1;
    bmp.ScanLine(2)[14] = 2;
    EXPECT_EQ(bmp.ScanLine(1) - bmp.ScanLine(0), 16);
    EXPECT_EQ(bmp.PixelColor(0, 0).peBlue, 1);
    EXPECT_EQ(bmp.PixelColor(4, 2).peRed, 2);
    EXPECT_THROW(bmp.ScanLine(3), EInvalidGraphicOperation);
    EXPECT_EQ(TBitmap(1, 1, TPixelFormat::pf1bit).RowBytes(), 4);
    EXPECT_EQ(TBitmap(33, 1, TPixelFormat::pf1bit).RowBytes(), 8);
}

TEST(Bitmap, LowDepthIndexedWidensToEightBitKeepingPalette) {
    TBitmap bmp(10, 2, TPixelFormat::pf1bit);
    bmp.SetPalette({{10, 20, 30, 0}, {200, 100, 50, 0}});
    bmp.ScanLine(0)[0] = 0b10100000;  // pixels 0 and 2 set
    bmp.ScanLine(1)[1] = 0b01000000;  // pixel 9 set
    bmp.SetPixelFormat(TPixelFormat::pf8bit);
    ASSERT_EQ(bmp.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(bmp.Palette().size(), 2u);
    const std::uint8_t* r0 = bmp.ScanLine(0);
    EXPECT_EQ((std::vector<int>{r0[0], r0[1], r0[2], r0[3]}), (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(bmp.ScanLine(1)[9], 1);
    EXPECT_EQ(bmp.PixelColor(9, 1), (TPaletteEntry{200, 100, 50, 0}));

    TBitmap four(3, 1, TPixelFormat::pf4bit);
    four.ScanLine(0)[0] = 0xF3;
    four.ScanLine(0)[1] = 0x70;
    four.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(four.ScanLine(0)[0], 15);
    EXPECT_EQ(four.ScanLine(0)[1], 3);
    EXPECT_EQ(four.ScanLine(0)[2], 7);
    EXPECT_EQ(four.Palette().size(), 16u);
}

TEST(Bitmap, DirectFormatsConvertToTwentyFourBit) {
    TBitmap b15(1, 1, TPixelFormat::pf15bit);
    b15.ScanLine(0)[0] = 0x1F;  // 0x7C1F: red 31, green 0, blue 31
    b15.ScanLine(0)[1] = 0x7C;
    b15.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b15.PixelColor(0, 0), (TPaletteEntry{255, 0, 255, 0}));

    TBitmap b16(2, 1, TPixelFormat::pf16bit);
    b16.ScanLine(0)[0] = 0xE0, b16.ScanLine(0)[1] = 0x07;  // green 63
    b16.ScanLine(0)[2] = 0x00, b16.ScanLine(0)[3] = 0x80;  // red 16
    b16.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b16.PixelColor(0, 0), (TPaletteEntry{0, 255, 0, 0}));
    EXPECT_EQ(b16.PixelColor(1, 0), (TPaletteEntry{132, 0, 0, 0}));

    TBitmap b32(2, 1, TPixelFormat::pf32bit);
    const std::uint8_t px[8] = {1, 2, 3, 99, 4, 5, 6, 98};
    std::copy(px, px + 8, b32.ScanLine(0));
    b32.SetPixelFormat(TPixelFormat::pf24bit);
    const std::uint8_t* row = b32.ScanLine(0);
    EXPECT_EQ((std::vector<int>(row, row + 6)), (std::vector<int>{1, 2, 3, 4, 5, 6}));

    TBitmap indexed(1, 1, TPixelFormat::pf8bit);
    indexed.SetPalette({{0, 0, 0, 0}, {7, 8, 9, 0}});
    indexed.ScanLine(0)[0] = 1;
    indexed.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(indexed.PixelColor(0, 0), (TPaletteEntry{7, 8, 9, 0}));
}

TEST(Bitmap, RefusedConversionsLeaveThePixelsAlone) {
    TBitmap rgb = test::Pattern(4, 4);
    const test::TImage before = test::ToRgb(rgb);
    EXPECT_THROW(rgb.SetPixelFormat(TPixelFormat::pf8bit), EInvalidGraphicOperation);
    EXPECT_THROW(rgb.SetPixelFormat(TPixelFormat::pfCustom), EInvalidGraphicOperation);
    EXPECT_EQ(rgb.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(test::MaxDiff(test::ToRgb(rgb), before), 0);

    TBitmap eight(2, 1, TPixelFormat::pf8bit);
    eight.ScanLine(0)[1] = 16;  // does not fit 4 bits
    EXPECT_THROW(eight.SetPixelFormat(TPixelFormat::pf4bit), EInvalidGraphicOperation);
    EXPECT_EQ(eight.PixelFormat(), TPixelFormat::pf8bit);
}

TEST(Bitmap, ResizeKeepsTheTopLeftAndZeroesTheRest) {
    TBitmap bmp = test::Pattern(6, 4);
    const TPaletteEntry corner = bmp.PixelColor(1, 1);
    bmp.SetSize(8, 2);
    EXPECT_EQ(bmp.Width(), 8);
    EXPECT_EQ(bmp.PixelColor(1, 1), corner);
    EXPECT_EQ(bmp.PixelColor(7, 0), (TPaletteEntry{}));
}

TEST(Bitmap, PaletteEntriesAreReadLikeGetPaletteEntries) {
    TBitmap bmp(1, 1, TPixelFormat::pf8bit);
    bmp.SetPalette({{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}});
    TPaletteEntry out[256];
    EXPECT_EQ(bmp.GetPaletteEntries(0, 256, out), 3);
    EXPECT_EQ(out[2], (TPaletteEntry{7, 8, 9, 0}));
    EXPECT_EQ(bmp.GetPaletteEntries(1, 1, out), 1);
    EXPECT_EQ(out[0], (TPaletteEntry{4, 5, 6, 0}));
    bmp.SetPalette({});
    EXPECT_EQ(bmp.GetPaletteEntries(0, 256, out), 0);
    // An index past the palette reads black.
    bmp.ScanLine(0)[0] = 200;
    EXPECT_EQ(bmp.PixelColor(0, 0), (TPaletteEntry{}));
}

TEST(Bitmap, SizesPastTheCeilingAreRefusedBeforeAllocating) {
    EXPECT_THROW(TBitmap(kMaxBitmapDimension + 1, 1, TPixelFormat::pf8bit), EInvalidGraphic);
    EXPECT_THROW(TBitmap(-1, 1, TPixelFormat::pf8bit), EInvalidGraphic);
    EXPECT_THROW(TBitmap(60000, 60000, TPixelFormat::pf24bit), EInvalidGraphic);
    TBitmap bmp(2, 2, TPixelFormat::pf24bit);
    EXPECT_THROW(bmp.SetSize(65535, 65535), EInvalidGraphic);
    EXPECT_EQ(bmp.Width(), 2);
}

}  // namespace
}  // namespace pim

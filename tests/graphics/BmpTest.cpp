#include <gtest/gtest.h>

#include <climits>

#include "TestImages.h"
#include "graphics/BmpFile.h"
#include "graphics/Graphics.h"

namespace pim {
namespace {

using test::Bytes;
using test::InfoBmp;

TBitmap FromBytes(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    TBitmap bmp;
    bmp.LoadFromStream(stream);
    return bmp;
}

std::vector<std::uint8_t> ToBytes(const TBitmap& bmp) {
    TMemoryStream stream;
    bmp.SaveToStream(stream);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

std::vector<int> Indices(const TBitmap& bmp, int y) {
    std::vector<int> out;
    for (int x = 0; x < bmp.Width(); ++x) {
        const std::uint8_t* row = bmp.ScanLine(y);
        const int bits = BitsPerPixel(bmp.PixelFormat());
        out.push_back(bits == 8 ? row[x] : (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4);
    }
    return out;
}

// Files written by ImageMagick in every layout it can make; each must decode
// to the pixels ImageMagick itself reads from it.
TEST(Bmp, ReadsTheVariantsImageMagickWritesToTheSamePixels) {
    PIM_NEEDS_TOOLS();
    const std::string src = test::OutPath("corpus-src.ppm");
    const TBitmap pattern = test::Pattern(37, 23);  // odd width: padded rows
    test::SavePpm(pattern, src);
    struct Variant {
        const char* name;
        const char* options;
        TPixelFormat format;
    };
    const Variant variants[] = {
        {"info24.bmp", "BMP3:", TPixelFormat::pf24bit},
        {"core24.bmp", "BMP2:", TPixelFormat::pf24bit},
        {"v5-24.bmp", "BMP:", TPixelFormat::pf24bit},
        {"pal8.bmp", "-colors 200 -type palette -compress none BMP3:", TPixelFormat::pf8bit},
        {"rle8.bmp", "-colors 200 -type palette -compress RLE BMP3:", TPixelFormat::pf8bit},
        {"pal4.bmp", "-colors 12 -type palette BMP3:", TPixelFormat::pf4bit},
        {"mono.bmp", "-monochrome BMP3:", TPixelFormat::pf1bit},
        {"core8.bmp", "-colors 100 -type palette BMP2:", TPixelFormat::pf8bit},
        {"rgb565.bmp", "-define bmp:subtype=RGB565 BMP:", TPixelFormat::pf16bit},
        {"rgb555.bmp", "-define bmp:subtype=RGB555 BMP:", TPixelFormat::pf15bit},
        {"argb8888.bmp", "-alpha on -define bmp:subtype=ARGB8888 BMP:", TPixelFormat::pf32bit},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const std::string path = test::OutPath(v.name);
        std::string options = v.options;
        const std::string prefix = options.substr(options.rfind(' ') + 1);
        options.erase(options.rfind(' ') + 1);
        test::Shell("convert '" + src + "' " + options + prefix + "'" + path + "'");
        TBitmap bmp;
        bmp.LoadFromFile(path);
        EXPECT_EQ(bmp.PixelFormat(), v.format);
        EXPECT_EQ(test::MaxDiff(test::ToRgb(bmp), test::MagickPixels(path)), 0);
    }
    TBitmap exact;
    exact.LoadFromFile(test::OutPath("info24.bmp"));
    EXPECT_EQ(test::MaxDiff(test::ToRgb(exact), test::ToRgb(pattern)), 0);
}

// What this program writes, both this reader and ImageMagick read back.
TEST(Bmp, WrittenFilesReadBackInEveryFormat) {
    PIM_NEEDS_TOOLS();
    const TBitmap pattern = test::Pattern(13, 5);
    for (TPixelFormat f : {TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pf24bit, TPixelFormat::pf32bit}) {
        SCOPED_TRACE(static_cast<int>(f));
        TBitmap bmp = pattern;
        bmp.SetPixelFormat(f);
        const TBitmap back = FromBytes(ToBytes(bmp));
        EXPECT_EQ(back.PixelFormat(), f);
        EXPECT_EQ(test::MaxDiff(test::ToRgb(back), test::ToRgb(bmp)), 0);
        const std::string path = test::OutPath("written-" + std::to_string(static_cast<int>(f)) + ".bmp");
        test::WriteFileBytes(path, ToBytes(bmp));
        EXPECT_EQ(test::MaxDiff(test::MagickPixels(path), test::ToRgb(bmp)), 0);
    }
    for (TPixelFormat f : {TPixelFormat::pf1bit, TPixelFormat::pf4bit, TPixelFormat::pf8bit}) {
        SCOPED_TRACE(static_cast<int>(f));
        TBitmap bmp(7, 3, f);
        bmp.SetPalette({{255, 0, 0, 0}, {0, 0, 255, 0}});  // a short palette
        bmp.ScanLine(1)[0] = f == TPixelFormat::pf8bit ? 1 : 0x10;
        const TBitmap back = FromBytes(ToBytes(bmp));
        EXPECT_EQ(back.PixelFormat(), f);
        EXPECT_EQ(back.Palette(), bmp.Palette());
        EXPECT_EQ(test::MaxDiff(test::ToRgb(back), test::ToRgb(bmp)), 0);
    }
}

TEST(Bmp, HandMadeLayouts) {
    // Top-down 24-bit, 2 x 2: rows in file order are the top row first.
    const TBitmap topDown = FromBytes(InfoBmp(2, -2, 24, 0, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}));
    EXPECT_EQ(topDown.PixelColor(0, 0), (TPaletteEntry{3, 2, 1, 0}));
    EXPECT_EQ(topDown.PixelColor(1, 1), (TPaletteEntry{12, 11, 10, 0}));

    // Bottom-up 8-bit with a two-entry palette (biClrUsed 2).
    const TBitmap shortPal = FromBytes(InfoBmp(3, 2, 8, 0, {0, 0, 255, 0, 0, 255, 0, 0}, {1, 0, 1, 0, 0, 1, 0, 0}, 2));
    EXPECT_EQ(shortPal.Palette().size(), 2u);
    EXPECT_EQ(shortPal.PixelColor(0, 1), (TPaletteEntry{0, 255, 0, 0}));  // the first row stored is the bottom
    EXPECT_EQ(shortPal.PixelColor(1, 0), (TPaletteEntry{0, 255, 0, 0}));
    EXPECT_EQ(shortPal.PixelColor(0, 0), (TPaletteEntry{255, 0, 0, 0}));

    // OS/2 core header, 1 bit, three-byte palette entries.
    Bytes core;
    core.raw({'B', 'M'}).u32(14 + 12 + 6 + 4).u32(0).u32(14 + 12 + 6);
    core.u32(12).u16(3).u16(1).u16(1).u16(1).raw({0, 0, 0, 255, 255, 255}).raw({0b10100000, 0, 0, 0});
    const TBitmap os2 = FromBytes(core.v);
    EXPECT_EQ(os2.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(test::ToRgb(os2).pixels, (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 255, 255, 255}));

    // An offset that leaves no room for a palette: no colours, all black.
    Bytes noPal;
    noPal.raw({'B', 'M'}).u32(14 + 12 + 1 + 4).u32(0).u32(14 + 12 + 1);
    noPal.u32(12).u16(3).u16(1).u16(1).u16(1).u8(0).raw({0b10100000, 0, 0, 0});
    const TBitmap black = FromBytes(noPal.v);
    EXPECT_TRUE(black.Palette().empty());
    EXPECT_EQ(black.PixelColor(0, 0), (TPaletteEntry{}));

    // 32-bit bit fields of 10 bits each: expanded to 24 bits.
    Bytes masks;
    masks.u32(0x3FF00000).u32(0x000FFC00).u32(0x000003FF);
    Bytes px;
    px.u32(0x3FF00000).u32((512u << 10) | 1023u);
    const TBitmap custom = FromBytes(InfoBmp(2, 1, 32, 3, masks.v, px.v));
    EXPECT_EQ(custom.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(custom.PixelColor(0, 0), (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(custom.PixelColor(1, 0), (TPaletteEntry{0, 128, 255, 0}));

    // A V4 header carries its masks inside the header.
    Bytes v4;
    v4.raw({'B', 'M'}).u32(14 + 108 + 4).u32(0).u32(14 + 108);
    v4.u32(108).u32(2).u32(1).u16(1).u16(16).u32(3).u32(4).u32(0).u32(0).u32(0).u32(0);
    v4.u32(0xF800).u32(0x07E0).u32(0x001F).u32(0);
    while (v4.v.size() < 14 + 108) v4.u8(0);
    v4.u16(0xF800).u16(0x001F);
    const TBitmap fromV4 = FromBytes(v4.v);
    EXPECT_EQ(fromV4.PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(fromV4.PixelColor(0, 0), (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_EQ(fromV4.PixelColor(1, 0), (TPaletteEntry{0, 0, 255, 0}));
}

TEST(Bmp, RunLengthDataIsDecodedAndClippedToTheBitmap) {
    std::vector<std::uint8_t> pal(16 * 4, 0);
    // RLE8, 6 x 3. Bottom row: run of 3 x index 5, absolute 3 bytes (padded),
    // end of line. Next row: delta (2, 0), run 255 x 7 (clipped), end of line.
    // Top row: delta down 5 (outside), never drawn; the data end without an
    // end-of-bitmap marker.
    const std::vector<std::uint8_t> rle8 = {3, 5, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 0, 255, 7, 0, 0, 0, 2, 0, 5, 4, 9};
    const TBitmap b8 = FromBytes(InfoBmp(6, 3, 8, 1, pal, rle8, 16));
    EXPECT_EQ(Indices(b8, 2), (std::vector<int>{5, 5, 5, 1, 2, 3}));
    EXPECT_EQ(Indices(b8, 1), (std::vector<int>{0, 0, 7, 7, 7, 7}));
    EXPECT_EQ(Indices(b8, 0), (std::vector<int>(6, 0)));

    // RLE4, 5 x 2: run of 5 alternating 1/2, end of line, absolute 3 nibbles
    // 3 4 5 (two bytes, already even), end of bitmap.
    const std::vector<std::uint8_t> rle4 = {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1};
    const TBitmap b4 = FromBytes(InfoBmp(5, 2, 4, 2, pal, rle4, 16));
    EXPECT_EQ(b4.PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(Indices(b4, 1), (std::vector<int>{1, 2, 1, 2, 1}));
    EXPECT_EQ(Indices(b4, 0), (std::vector<int>{3, 4, 5, 0, 0}));

    // Runs far past the right edge and deltas far past the top do no harm.
    std::vector<std::uint8_t> wild;
    for (int i = 0; i < 500; ++i) wild.insert(wild.end(), {255, 1, 0, 2, 255, 255});
    EXPECT_NO_THROW(FromBytes(InfoBmp(4, 4, 8, 1, pal, wild, 16)));
}

// Header fields that are not so, where the pixels can still be found: the
// picture is read as a reader that follows the fields reads it, and the
// reader says what was wrong.
TEST(Bmp, UntrueFieldsMakeThePictureAndSaySo) {
    // 8 x 2, 8 bits, a palette of red, green and blue.
    const std::vector<std::uint8_t> pal = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    const std::vector<std::uint8_t> px = {1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 1, 0};  // bottom row first
    const std::vector<std::uint8_t> good = InfoBmp(8, 2, 8, 0, pal, px, 3);
    const auto put = [&](std::size_t at, std::uint32_t x, int size = 4) {
        std::vector<std::uint8_t> v = good;
        for (int i = 0; i < size; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
        return v;
    };
    std::vector<std::uint8_t> pastPalette = good;
    pastPalette.back() = 9;
    const std::vector<std::uint8_t> rle = {8, 0, 0, 0, 8, 0, 0, 1};  // two rows of red
    const TPaletteEntry red{255, 0, 0, 0}, green{0, 255, 0, 0}, blue{0, 0, 255, 0};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string notes;
        int width = 8;
        TPaletteEntry topRight{255, 0, 0, 0};
    };
    const Case cases[] = {
        {"sound", good, ""},
        {"offset into the palette", put(10, 54),
         "the pixel offset 54 points before the end of the palette (byte 66); the pixels are read from there"},
        {"offset past the end", put(10, 5000),
         "the pixel offset 5000 lies past the end of the file; the pixels are read from the end of the palette (byte 66)"},
        {"index past the palette", pastPalette, "pixels use colours past the palette's 3 entries; they show black", 8,
         TPaletteEntry{}},
        {"bit count BMP lacks", put(28, 300, 2),
         "the bit count is 300, which BMP does not have; read as 8 bits, the size of its pixel data"},
        {"RLE8 data with 4 bits", InfoBmp(8, 2, 4, 1, pal, rle, 3), "the bit count is 4 for RLE8 data; read as 8 bits"},
        {"RLE past the edge", InfoBmp(8, 2, 8, 1, pal, {10, 0, 0, 0, 8, 0, 0, 1}, 3),
         "the RLE data run past the picture's edge; what lies outside is left out"},
        {"RLE rows filled to their padding", InfoBmp(7, 2, 8, 1, pal, rle, 3), "", 7},
        {"plane count", put(26, 3, 2), "the plane count is 3, not 1; read as one plane"},
        {"file size", put(2, 1000),
         "the file header gives the file's size as 1000 bytes; it has " + std::to_string(good.size())},
    };
    const auto read = [](const std::vector<std::uint8_t>& bytes, TBitmap& bmp) {
        TMemoryStream stream;
        stream.Write(bytes.data(), bytes.size());
        stream.SetPosition(0);
        return ReadBmp(stream, bmp);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bmp;
        EXPECT_EQ(read(c.bytes, bmp), c.notes);
        ASSERT_EQ(bmp.Width(), c.width);
        EXPECT_EQ(bmp.PixelColor(c.width - 1, 0), c.topRight);
        if (c.bytes.size() != good.size()) continue;
        for (int i = 0; i < 15; ++i)  // uncompressed: every other pixel where it belongs
            EXPECT_EQ(bmp.PixelColor(i % 8, 1 - i / 8), (std::vector<TPaletteEntry>{red, green, blue})[px[i]]) << i;
    }
    // Several untrue fields: one sentence each, in the order met.
    std::vector<std::uint8_t> both = put(2, 1000);
    both[26] = 2;
    TBitmap bmp;
    EXPECT_EQ(read(both, bmp), "the file header gives the file's size as 1000 bytes; it has " +
                                   std::to_string(good.size()) + "; the plane count is 2, not 1; read as one plane");
}

TEST(Bmp, DamagedFilesRaiseAndLeaveTheBitmapAlone) {
    const std::vector<std::uint8_t> good = InfoBmp(2, 2, 24, 0, {}, std::vector<std::uint8_t>(16, 0x40));
    ASSERT_NO_THROW(FromBytes(good));
    auto variant = [&](auto change) {
        std::vector<std::uint8_t> v = good;
        change(v);
        return v;
    };
    auto put32 = [](std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
        for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
    };
    const std::vector<std::vector<std::uint8_t>> bad = {
        {},
        {'B', 'M'},
        variant([](auto& v) { v[0] = 'P'; }),                           // wrong magic
        variant([](auto& v) { v.resize(v.size() - 1); }),               // pixels cut short
        variant([](auto& v) { v.resize(30); }),                         // header cut short
        variant([&](auto& v) { put32(v, 14, 0); }),                     // header size 0
        variant([&](auto& v) { put32(v, 14, 1000); }),                  // header size absurd
        variant([&](auto& v) { put32(v, 18, 0); }),                     // width 0
        variant([&](auto& v) { put32(v, 18, 0x80000000u); }),           // width negative
        variant([&](auto& v) { put32(v, 22, 0x80000000u); }),           // height INT_MIN
        variant([&](auto& v) { put32(v, 18, 70000); }),                 // past the ceiling
        variant([&](auto& v) { put32(v, 18, 60000), put32(v, 22, 60000); }),  // 10 GB of pixels
        variant([&](auto& v) { put32(v, 28, 7); }),                     // 7 bits per pixel
        variant([&](auto& v) { put32(v, 30, 4); }),                     // embedded JPEG
        variant([&](auto& v) { put32(v, 30, 1); }),                     // RLE8 with 24 bits
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(i);
        TMemoryStream stream;
        stream.Write(bad[i].data(), bad[i].size());
        stream.SetPosition(0);
        TBitmap bmp = test::Pattern(3, 3);
        EXPECT_THROW(bmp.LoadFromStream(stream), EInvalidGraphic);
        EXPECT_EQ(bmp.Width(), 3);
        EXPECT_EQ(test::MaxDiff(test::ToRgb(bmp), test::ToRgb(test::Pattern(3, 3))), 0);
    }

    std::vector<std::uint8_t> pal(8, 0);
    // An absolute run longer than the data, and bit fields that overlap.
    EXPECT_THROW(FromBytes(InfoBmp(4, 1, 8, 1, pal, {0, 9, 1, 2}, 2)), EInvalidGraphic);
    Bytes overlap;
    overlap.u32(0xFF00).u32(0x0FF0).u32(0x000F);
    EXPECT_THROW(FromBytes(InfoBmp(1, 1, 16, 3, overlap.v, {0, 0, 0, 0})), EInvalidGraphic);
    // A tiny RLE file may not declare more pixels than the ceiling allows.
    EXPECT_THROW(FromBytes(InfoBmp(65535, 65535, 8, 1, pal, {0, 1}, 2)), EInvalidGraphic);
}

}  // namespace
}  // namespace pim

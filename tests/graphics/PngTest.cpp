// PNG reading: damaged and hostile files are refused with a clear reason
// before anything large is allocated or inflated; a file cut off in its
// image data still decodes, the missing rows white.
#include <gtest/gtest.h>

#include "graphics/Png.h"
#include "tests/support/PngBytes.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::AppendPngChunk;
using test::MakePng;

std::vector<std::uint8_t> Png(int width, int height, const std::vector<std::uint8_t>& raw, int colorType = 6) {
    return MakePng(width, height, colorType, raw);
}

// Rows of half-transparent red.
std::vector<std::uint8_t> RedRows(int width, int rows) { return test::RgbaRows(width, rows, 255, 0, 0, 128); }

TPngImage Load(const std::vector<std::uint8_t>& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    TPngImage png;
    png.LoadFromStream(stream);
    return png;
}

std::string Refusal(const std::vector<std::uint8_t>& bytes) {
    return test::MessageOf<EInvalidGraphic>([&] {
        TBitmap bitmap;
        Load(bytes).AssignTo(bitmap);
    });
}

TEST(Png, AlphaIsCompositedOverTheBackground) {
    TPngImage png = Load(Png(3, 2, RedRows(3, 2)));
    EXPECT_FALSE(png.Lossless());
    TBitmap bitmap;
    png.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelColor(2, 1), (TPaletteEntry{255, 127, 127, 0}));
    png.SetBackground({0, 0, 255, 0});
    png.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelColor(0, 0), (TPaletteEntry{128, 0, 127, 0}));
}

TEST(Png, DamagedAndHostileFilesAreRefusedWithTheirReason) {
    const std::vector<std::uint8_t> good = Png(4, 4, RedRows(4, 4));
    std::vector<std::uint8_t> badCrc = good;
    badCrc[good.size() - 12 - 6] ^= 0x40;  // a byte of the IDAT data
    EXPECT_EQ(Refusal(badCrc), "PNG image is not valid: bad CRC in the IDAT chunk");
    EXPECT_EQ(Refusal({0x89, 'P', 'N', 'G'}), "PNG image is not valid: not a PNG file");
    // The header promises 400 rows, the data hold 4.
    EXPECT_EQ(Refusal(Png(4, 400, RedRows(4, 4))), "PNG image is not valid: the image data end before the picture does");
    // Far too little data for the size, refused before anything is decoded.
    EXPECT_EQ(Refusal(Png(60000, 4000, RedRows(4, 4), 2)),
              "PNG image is not valid: the image data are too short for the picture's size");
    // Past the bitmap ceiling, however small the data.
    EXPECT_EQ(Refusal(Png(70000, 1, RedRows(4, 1))), "PNG dimensions exceed the limit");
    EXPECT_EQ(Refusal(Png(30000, 30000, RedRows(4, 1))), "PNG dimensions exceed the limit");
    // A zlib bomb: 64 MB of zeros behind a 4 x 4 picture.
    EXPECT_EQ(Refusal(Png(4, 4, std::vector<std::uint8_t>(64 << 20, 0))),
              "PNG image is not valid: more compressed image data than the picture holds");
    std::vector<std::uint8_t> critical = good;
    critical.resize(good.size() - 12);
    AppendPngChunk(critical, "ABCD", {1});
    AppendPngChunk(critical, "IEND", {});
    EXPECT_EQ(Refusal(critical), "PNG image is not valid: unknown critical chunk ABCD");
}

TEST(Png, AFileCutOffInItsDataShowsWhatIsThere) {
    // Stored (uncompressed) data, so that a cut keeps whole rows.
    const int width = 8, rows = 16;
    std::vector<std::uint8_t> png = MakePng(width, rows, 6, RedRows(width, rows), 0);
    png.resize(33 + 8 + 2 + 5 + (1 + width * 4) * 5);  // header, zlib and block headers, five rows

    TPngImage image = Load(png);
    EXPECT_TRUE(image.CutOff());
    EXPECT_FALSE(image.Lossless());
    TBitmap bitmap;
    image.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelColor(7, 4), (TPaletteEntry{255, 127, 127, 0}));
    EXPECT_EQ(bitmap.PixelColor(7, 15), (TPaletteEntry{255, 255, 255, 0}));
    EXPECT_FALSE(image.FlateSamples()->Data.empty());
}

}  // namespace
}  // namespace pim

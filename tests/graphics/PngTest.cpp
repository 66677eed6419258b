// PNG reading: damaged and hostile files are refused with a clear reason
// before anything large is allocated or inflated; a file cut off in its
// image data still decodes, the missing rows white.
#include <gtest/gtest.h>

#include <zlib.h>

#include "graphics/Png.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void Chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    Put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

// An 8-bit RGBA picture (colour type 6) declaring `height` rows, whose
// image data hold `raw` (filter bytes included).
std::vector<std::uint8_t> Png(int width, int height, const std::vector<std::uint8_t>& raw, int colorType = 6) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> ihdr;
    Put32(ihdr, static_cast<std::uint32_t>(width));
    Put32(ihdr, static_cast<std::uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(colorType), 0, 0, 0});
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", Deflated(raw));
    Chunk(png, "IEND", {});
    return png;
}

// Rows of half-transparent red: filter byte 0, then R G B A per pixel.
std::vector<std::uint8_t> RedRows(int width, int rows) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < rows; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) raw.insert(raw.end(), {255, 0, 0, 128});
    }
    return raw;
}

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
    Chunk(critical, "ABCD", {1});
    Chunk(critical, "IEND", {});
    EXPECT_EQ(Refusal(critical), "PNG image is not valid: unknown critical chunk ABCD");
}

TEST(Png, AFileCutOffInItsDataShowsWhatIsThere) {
    // Stored (uncompressed) data, so that a cut keeps whole rows.
    const int width = 8, rows = 16;
    std::vector<std::uint8_t> raw = RedRows(width, rows);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> data(size);
    compress2(data.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 0);
    data.resize(size);
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> ihdr;
    Put32(ihdr, width);
    Put32(ihdr, rows);
    ihdr.insert(ihdr.end(), {8, 2 | 4, 0, 0, 0});
    Chunk(png, "IHDR", ihdr);
    Chunk(png, "IDAT", data);
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

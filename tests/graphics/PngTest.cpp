// PNG reading: damaged and hostile files are refused with a clear reason
// before anything large is allocated or inflated; a file cut off in its
// image data, or whose image data are short or damaged, still decodes, the
// missing rows white, and says why.
#include <gtest/gtest.h>

#include "graphics/Png.h"
#include "graphics/PngFile.h"
#include "tests/support/PngBytes.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::AppendPngChunk;
using test::Deflated;
using test::MakePng;
using test::PngWithData;

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

// A stream that raises while libpng reads from it (a failed seek) is
// reported through libpng's error path with its cause, never thrown
// through the library's C frames.
TEST(Png, AStreamFailingUnderLibpngIsReportedWithItsCause) {
    struct TFailingSeeks : TMemoryStream {
        bool fail = false;
        std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
            if (fail) throw EStreamError("the disk went away");
            return TMemoryStream::Seek(offset, origin);
        }
    };
    const std::vector<std::uint8_t> bytes = Png(8, 4, RedRows(8, 4));
    TFailingSeeks stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    const TPngStructure structure = ReadPngStructure(stream);
    stream.fail = true;
    const std::string message = test::MessageOf<EInvalidGraphic>([&] {
        DecodePng(structure, stream, 0, {255, 255, 255, 0}, false, [](int, const std::uint8_t*) {});
    });
    EXPECT_NE(message.find("the disk went away"), std::string::npos) << message;
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

// Every row its own colour, opaque: row y is (16 y, 100, 200).
std::vector<std::uint8_t> Rows(int width, int rows, int channels) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < rows; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) {
            raw.insert(raw.end(), {static_cast<std::uint8_t>(16 * y), 100, 200});
            if (channels == 4) raw.push_back(255);
        }
    }
    return raw;
}

// Image data a whole file holds that do not make exactly the picture: the
// kind kept as it is finds out by inflating them once (CheckData) and is
// decoded instead; every kind decodes as far as the data go and says why.
TEST(Png, ShortOrDamagedImageDataDecodeAsFarAsTheyGoAndSayWhy) {
    const int width = 8, height = 16, stride = 1 + 3 * width;
    const std::vector<std::uint8_t> raw = Rows(width, height, 3);
    const std::vector<std::uint8_t> stored = Deflated(raw, 0);  // 2 + 5 header bytes, the rows, Adler-32
    const std::vector<std::uint8_t> storedRgba = Deflated(Rows(width, height, 4), 0);
    const auto with = [](std::vector<std::uint8_t> v, std::size_t at, std::uint8_t value) {
        v[at] = value;
        return v;
    };
    std::vector<std::uint8_t> badAdler = Deflated(raw);
    badAdler.back() ^= 0x55;
    std::vector<std::uint8_t> trailing = Deflated(raw);
    trailing.insert(trailing.end(), {0, 0});
    const std::string shortData = "the PNG image data end before the picture does; the page shows only what is there";
    const std::string damaged = "the PNG image data are damaged (";
    struct Case {
        const char* name;
        int channels;
        std::vector<std::uint8_t> data;
        std::string damage;  // the start of Damage(); empty: sound
        int rows;            // the rows that decode
    };
    const Case cases[] = {
        {"sound", 3, Deflated(raw), "", height},
        {"too few rows", 3, Deflated(Rows(width, 10, 3)), shortData, 10},
        {"stream cut inside the IDAT", 3, {stored.begin(), stored.begin() + 7 + 10 * stride}, shortData, 10},
        {"wrong Adler-32", 3, badAdler,
         "the PNG image data do not match their checksum (Adler-32); the page shows what they decode to", height},
        {"no end to the stream",
         3,
         {stored.begin(), stored.end() - 4},
         "the PNG image data stop before their compressed stream ends; the page shows the rows they hold",
         height},
        {"unknown row filter", 3, Deflated(with(raw, 6 * stride, 7)), damaged + "a row filter PNG does not have)", 6},
        {"damaged stream", 3, with(Deflated(raw), 2, 0xFF), damaged + "invalid block type)", 0},
        {"more rows than the picture", 3, Deflated(Rows(width, height + 2, 3)),
         "the PNG image data hold more than the picture; the page shows the picture", height},
        {"bytes after the stream", 3, trailing, "the PNG image data hold more than the picture", height},
        {"decoded kind, too few rows", 4, Deflated(Rows(width, 4, 4)), shortData, 4},
        {"decoded kind, no end to the stream",
         4,
         {storedRgba.begin(), storedRgba.end() - 4},
         "the PNG image data stop before their compressed stream ends",
         height},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPngImage png = Load(PngWithData(width, height, c.channels == 3 ? 2 : 6, c.data));
        png.CheckData();
        EXPECT_EQ(png.Lossless(), c.channels == 3 && c.damage.empty());
        if (!png.Lossless()) {
            EXPECT_FALSE(png.FlateSamples()->Data.empty());
        }
        EXPECT_EQ(png.Damage().substr(0, c.damage.size()), c.damage) << png.Damage();
        EXPECT_EQ(png.Damage().empty(), c.damage.empty());
        TBitmap bitmap;
        png.Decode(bitmap);
        for (int y = 0; y < height; ++y) {
            const TPaletteEntry row{static_cast<std::uint8_t>(16 * y), 100, 200, 0}, white{255, 255, 255, 0};
            EXPECT_EQ(bitmap.PixelColor(width - 1, y), y < c.rows ? row : white) << "row " << y;
        }
    }
}

}  // namespace
}  // namespace pim

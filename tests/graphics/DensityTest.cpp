// The density each kind of file states, read where its header is read.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics/BmpFile.h"
#include "graphics/Exif.h"
#include "graphics/JpegCodec.h"
#include "graphics/PngFile.h"
#include "graphics/TiffFile.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using TBytes = std::vector<std::uint8_t>;

void Put16(TBytes& b, std::size_t at, unsigned v, bool big) {
    b[at + (big ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
    b[at + (big ? 1 : 0)] = static_cast<std::uint8_t>(v);
}
void Put32(TBytes& b, std::size_t at, std::uint32_t v, bool big) {
    Put16(b, at + (big ? 0 : 2), v >> 16, big);
    Put16(b, at + (big ? 2 : 0), v & 0xFFFF, big);
}

TBytes SmallJpeg() {
    TBitmap bitmap(16, 8, TPixelFormat::pf24bit);
    return EncodeJpeg(bitmap, {});
}

// The JPEG with its JFIF header's unit and densities set.
TBytes WithJfif(int unit, int x, int y) {
    TBytes jpeg = SmallJpeg();
    EXPECT_EQ(std::memcmp(jpeg.data() + 6, "JFIF", 4), 0);
    jpeg[13] = static_cast<std::uint8_t>(unit);
    Put16(jpeg, 14, static_cast<unsigned>(x), true);
    Put16(jpeg, 16, static_cast<unsigned>(y), true);
    return jpeg;
}

// An APP1 "Exif" segment's data whose first directory holds X/YResolution
// (as RATIONALs over `denominator`) and, when not 0, ResolutionUnit.
TBytes ExifSegment(std::uint32_t x, std::uint32_t y, std::uint32_t denominator, unsigned unit, bool big) {
    const unsigned entries = unit ? 3 : 2;
    const std::size_t values = 8 + 2 + 12 * entries + 4;
    TBytes tiff(values + 16);
    tiff[0] = tiff[1] = big ? 'M' : 'I';
    Put16(tiff, 2, 42, big);
    Put32(tiff, 4, 8, big);
    Put16(tiff, 8, entries, big);
    const auto entry = [&](unsigned i, unsigned tag, unsigned type, std::uint32_t value) {
        const std::size_t at = 10 + 12 * i;
        Put16(tiff, at, tag, big);
        Put16(tiff, at + 2, type, big);
        Put32(tiff, at + 4, 1, big);
        if (type == 3)
            Put16(tiff, at + 8, value, big);
        else
            Put32(tiff, at + 8, value, big);
    };
    entry(0, 0x011A, 5, static_cast<std::uint32_t>(values));
    entry(1, 0x011B, 5, static_cast<std::uint32_t>(values + 8));
    if (unit) entry(2, 0x0128, 3, unit);
    Put32(tiff, values, x, big), Put32(tiff, values + 4, denominator, big);
    Put32(tiff, values + 8, y, big), Put32(tiff, values + 12, denominator, big);
    TBytes segment(6 + tiff.size(), 0);  // "Exif" and two zeros, then the TIFF data
    std::memcpy(segment.data(), "Exif", 4);
    std::copy(tiff.begin(), tiff.end(), segment.begin() + 6);
    return segment;
}

// The JPEG with its JFIF header giving no unit and an EXIF segment after it.
TBytes WithExif(const TBytes& segment) {
    TBytes jpeg = WithJfif(0, 1, 1);
    const std::size_t afterApp0 = 4 + (jpeg[4] << 8 | jpeg[5]);
    TBytes app1 = {0xFF, 0xE1, 0, 0};
    Put16(app1, 2, static_cast<unsigned>(segment.size() + 2), true);
    app1.insert(app1.end(), segment.begin(), segment.end());
    jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(afterApp0), app1.begin(), app1.end());
    return jpeg;
}

// A 1 x 1 grey PNG with a pHYs chunk (when `unit` is not negative).
TBytes Png(std::uint32_t x, std::uint32_t y, int unit) {
    TBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&png](const char* type, TBytes data) {
        TBytes c(8);
        Put32(c, 0, static_cast<std::uint32_t>(data.size()), true);
        std::memcpy(c.data() + 4, type, 4);
        c.insert(c.end(), data.begin(), data.end());
        c.resize(c.size() + 4);
        Put32(c, c.size() - 4, static_cast<std::uint32_t>(crc32(0, c.data() + 4, static_cast<uInt>(c.size() - 8))),
              true);
        png.insert(png.end(), c.begin(), c.end());
    };
    chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0});
    if (unit >= 0) {
        TBytes phys(9);
        Put32(phys, 0, x, true);
        Put32(phys, 4, y, true);
        phys[8] = static_cast<std::uint8_t>(unit);
        chunk("pHYs", phys);
    }
    const std::uint8_t raw[2] = {0, 0x80};
    TBytes idat(compressBound(2));
    uLongf size = idat.size();
    compress(idat.data(), &size, raw, 2);
    idat.resize(size);
    chunk("IDAT", idat);
    chunk("IEND", {});
    return png;
}

TBytes Bmp(std::int32_t x, std::int32_t y) {
    TMemoryStream stream;
    TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
    WriteBmp(stream, bitmap);
    TBytes bmp(stream.Memory(), stream.Memory() + stream.Size());
    Put32(bmp, 38, static_cast<std::uint32_t>(x), false);
    Put32(bmp, 42, static_cast<std::uint32_t>(y), false);
    return bmp;
}

TBytes Tiff(const std::function<void(TIFF*)>& tags) {
    const std::string path = test::OutputPath("density.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 8);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
    tags(tif);
    std::uint8_t row[8] = {};
    TIFFWriteScanline(tif, row, 0, 0);
    TIFFClose(tif);
    return test::ReadFileBuffer(path);
}

enum class TKind { kJpeg, kPng, kBmp, kTiff };

TDensity DensityOf(TKind kind, const TBytes& bytes) {
    TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    switch (kind) {
        case TKind::kJpeg: return ReadJpegHeader(bytes.data(), bytes.size()).density;
        case TKind::kPng: return ReadPngStructure(stream).Density;
        case TKind::kBmp: {
            TBitmap bitmap;
            ReadBmp(stream, bitmap);
            return bitmap.Density();
        }
        case TKind::kTiff: return TTiffFile::FromBytes(bytes).Facts(0).Density;
    }
    return {};
}

TEST(Density, ReadFromEachKindsHeader) {
    const auto resolution = [](float x, float y, int unit) {
        return [=](TIFF* tif) {
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, x);
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, y);
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, unit);
        };
    };
    const struct {
        const char* what;
        TKind kind;
        TBytes bytes;
        TDensity expected;
    } cases[] = {
        {"JFIF dots per inch", TKind::kJpeg, WithJfif(1, 300, 300), {300, 300}},
        {"JFIF dots per cm", TKind::kJpeg, WithJfif(2, 100, 50), {254, 127}},
        {"JFIF aspect only", TKind::kJpeg, WithJfif(0, 1, 1), {}},
        {"EXIF inches, Motorola", TKind::kJpeg, WithExif(ExifSegment(600, 600, 2, 2, true)), {300, 300}},
        {"EXIF centimetres, Intel", TKind::kJpeg, WithExif(ExifSegment(100, 200, 1, 3, false)), {254, 508}},
        {"EXIF without a unit: inches", TKind::kJpeg, WithExif(ExifSegment(72, 72, 1, 0, false)), {72, 72}},
        {"EXIF unit 1: none", TKind::kJpeg, WithExif(ExifSegment(72, 72, 1, 1, false)), {}},
        {"EXIF denominator 0", TKind::kJpeg, WithExif(ExifSegment(72, 72, 0, 2, false)), {}},
        {"JFIF before EXIF", TKind::kJpeg, WithJfif(1, 150, 150), {150, 150}},
        {"pHYs per metre", TKind::kPng, Png(11811, 3937, 1), {299.9994, 99.9998}},
        {"pHYs aspect only", TKind::kPng, Png(2, 1, 0), {}},
        {"no pHYs", TKind::kPng, Png(0, 0, -1), {}},
        {"BMP per metre", TKind::kBmp, Bmp(11811, 11811), {299.9994, 299.9994}},
        {"BMP none", TKind::kBmp, Bmp(0, 0), {}},
        {"TIFF inches, fax", TKind::kTiff, Tiff(resolution(204, 196, RESUNIT_INCH)), {204, 196}},
        {"TIFF centimetres", TKind::kTiff, Tiff(resolution(100, 100, RESUNIT_CENTIMETER)), {254, 254}},
        {"TIFF no unit", TKind::kTiff, Tiff(resolution(72, 72, RESUNIT_NONE)), {}},
        {"TIFF none", TKind::kTiff, Tiff([](TIFF*) {}), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TDensity got = DensityOf(c.kind, c.bytes);
        EXPECT_NEAR(got.X, c.expected.X, 0.001);
        EXPECT_NEAR(got.Y, c.expected.Y, 0.001);
    }
}

TEST(Density, ExifSegmentsThatDoNotAddUp) {
    TBytes segment = ExifSegment(300, 300, 1, 2, false);
    EXPECT_NEAR(ExifDensity(segment.data(), segment.size()).X, 300, 1e-9);
    // Values past the end of the segment, or a segment cut inside the
    // directory, read as no density rather than bytes beyond it.
    for (std::size_t cut = 0; cut < segment.size(); ++cut)
        EXPECT_TRUE(ExifDensity(segment.data(), cut) == TDensity{} || cut >= segment.size() - 8) << "cut at " << cut;
}

}  // namespace
}  // namespace pim

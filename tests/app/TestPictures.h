// Pictures the run tests write for themselves, through the program's own
// codecs (and libjpeg directly for CMYK), so they work in the Windows build too.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "tests/support/TestTools.h"

namespace pim::test {

struct TRgb {
    std::uint8_t r, g, b;
    friend bool operator==(TRgb, TRgb) = default;
};
std::ostream& operator<<(std::ostream& out, TRgb c);

// A 24-bit bitmap whose pixel (x, y) is colour(x, y).
TBitmap MakeBitmap(int width, int height, const std::function<TRgb(int, int)>& colour);
TBitmap SolidBitmap(int width, int height, TRgb colour);
// A smooth picture with detail everywhere (JPEG round trips stay close).
TBitmap GradientBitmap(int width, int height);

struct TJpegFileOptions {
    int quality = 90;
    bool progressive = false;
    bool grayscale = false;
};
void WriteJpegFile(const std::string& path, const TBitmap& bitmap, const TJpegFileOptions& options = {});
void WriteBmpFile(const std::string& path, const TBitmap& bitmap);
// A four-component JPEG of one ink colour, stored inverted as Adobe's
// applications do (libjpeg adds the Adobe marker for CMYK).
void WriteCmykJpegFile(const std::string& path, int width, int height, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                       std::uint8_t k);

// Four quarters of four colours (red, green / blue, white): each of the
// eight ways to turn or mirror it gives another picture.
TBitmap QuartersBitmap(int width, int height);
// The JPEG with an APP1 "Exif" segment holding one orientation tag right
// after its start marker; odd values in Intel, even ones in Motorola order.
std::string JpegWithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation);
// Whether the colours at the centres of the four quarters of two pictures
// of one size agree, within what JPEG and rendering change.
::testing::AssertionResult SameQuarters(const TImage& got, const TImage& expected);

// A PNG file of the IHDR chunk alone, 24-bit RGB of width x height, its
// CRC right or wrong: enough for a reader to refuse it before any pixel.
std::string PngHeaderOnly(std::uint32_t width, std::uint32_t height, bool rightCrc = true);

// A fresh empty folder in the tests' output folder.
std::string FreshFolder(const std::string& name);

}  // namespace pim::test

// Pictures the run tests write for themselves, through the program's own
// codecs (and libjpeg directly for CMYK), so they work in the Windows build too.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "graphics/Graphics.h"

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
void WriteCmykJpegFile(const std::string& path, int width, int height, std::uint8_t c, std::uint8_t m,
                       std::uint8_t y, std::uint8_t k);

// A fresh empty folder in the tests' output folder.
std::string FreshFolder(const std::string& name);

}  // namespace pim::test

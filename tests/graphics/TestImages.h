// Helpers shared by the picture tests: files in the test output folder,
// reference pixels from the command-line tools, byte-built files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Graphics.h"

// The command-line image tools (ImageMagick, djpeg, cjpeg, pdftoppm) exist
// only in the Linux build; under Wine the tests that need them are skipped.
#ifdef _WIN32
#define PIM_NEEDS_TOOLS() GTEST_SKIP() << "needs the command-line image tools"
#else
#define PIM_NEEDS_TOOLS() (void)0
#endif

namespace pim::test {

// Pixels as red, green, blue bytes, rows top-down, no padding.
struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

std::string OutPath(const std::string& name);  // in PIM_TEST_OUTPUT/graphics
void Shell(const std::string& command);       // fails the test on non-zero exit
std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

Rgb ReadPpm(const std::string& path);
Rgb ToRgb(const TBitmap& bitmap);
// What ImageMagick decodes from the file.
Rgb MagickPixels(const std::string& path);
// Largest difference of any sample; 256 when the sizes differ.
int MaxDiff(const Rgb& a, const Rgb& b);
// Mean absolute difference of the samples; 256 when the sizes differ.
double MeanDiff(const Rgb& a, const Rgb& b);

// A 24-bit picture with gradients and sharp edges.
TBitmap Pattern(int width, int height);
void SavePpm(const TBitmap& bitmap, const std::string& path);

// Little-endian byte builder for hand-made files.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& u8(unsigned x) { v.push_back(static_cast<std::uint8_t>(x)); return *this; }
    Bytes& u16(unsigned x) { return u8(x & 0xFF).u8(x >> 8); }
    Bytes& u32(std::uint32_t x) { return u16(x & 0xFFFF).u16(x >> 16); }
    Bytes& raw(std::initializer_list<int> xs) { for (int x : xs) u8(static_cast<unsigned>(x)); return *this; }
};

// A BMP with a 40-byte info header; `extra` (masks, palette) and `pixels`
// follow it. The file header's offset points right after `extra`.
std::vector<std::uint8_t> InfoBmp(int width, int height, int bits, std::uint32_t compression,
                                  const std::vector<std::uint8_t>& extra, const std::vector<std::uint8_t>& pixels,
                                  std::uint32_t clrUsed = 0);

}  // namespace pim::test

// Helpers shared by the picture tests: files in the test output folder,
// reference pixels from the command-line tools, byte-built files. Files,
// commands and PIM_NEEDS_TOOLS come from tests/support/TestTools.h.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "tests/support/TestTools.h"

namespace pim::test {

std::string OutPath(const std::string& name);  // in PIM_TEST_OUTPUT/graphics

// The bitmap's pixels as red, green, blue samples.
TImage ToRgb(const TBitmap& bitmap);
// What ImageMagick decodes from the file, as red, green, blue samples.
TImage MagickPixels(const std::string& path);
// Largest difference of any sample; 256 when the sizes differ.
int MaxDiff(const TImage& a, const TImage& b);
// Mean absolute difference of the samples; 256 when the sizes differ.
double MeanDiff(const TImage& a, const TImage& b);

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

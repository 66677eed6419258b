// PNG files made byte by byte for tests that must run where no image tool
// does (under Wine), or that need a chunk exactly so: chunks with their
// CRCs, image data deflated by zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pim::test {

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value);
// Appends a chunk: length, type, data, CRC.
void AppendPngChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::vector<std::uint8_t>& data);
// A whole file of one IDAT chunk: an 8-bit picture of `colorType`
// declaring `width` x `height`, whose image data are `raw` (filter bytes
// included) deflated at `level` (0 stores them).
std::vector<std::uint8_t> MakePng(int width, int height, int colorType, const std::vector<std::uint8_t>& raw,
                                  int level = 6);
// The same with `data` as the IDAT chunk's data, as they are.
std::vector<std::uint8_t> PngWithData(int width, int height, int colorType, const std::vector<std::uint8_t>& data);
// `raw` as a zlib stream, deflated at `level`.
std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& raw, int level = 6);
// `rows` rows of `width` pixels of the one RGBA colour, filter byte 0.
std::vector<std::uint8_t> RgbaRows(int width, int rows, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                   std::uint8_t a);

}  // namespace pim::test

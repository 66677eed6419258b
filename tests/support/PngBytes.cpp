#include "tests/support/PngBytes.h"

#include <zlib.h>

namespace pim::test {

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendPngChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::vector<std::uint8_t>& data) {
    PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

std::vector<std::uint8_t> PngWithData(int width, int height, int colorType, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<std::uint8_t> ihdr;
    PutBigEndian32(ihdr, static_cast<std::uint32_t>(width));
    PutBigEndian32(ihdr, static_cast<std::uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(colorType), 0, 0, 0});
    AppendPngChunk(png, "IHDR", ihdr);
    AppendPngChunk(png, "IDAT", data);
    AppendPngChunk(png, "IEND", {});
    return png;
}

std::vector<std::uint8_t> Deflated(const std::vector<std::uint8_t>& raw, int level) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> data(size);
    compress2(data.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level);
    data.resize(size);
    return data;
}

std::vector<std::uint8_t> MakePng(int width, int height, int colorType, const std::vector<std::uint8_t>& raw,
                                  int level) {
    return PngWithData(width, height, colorType, Deflated(raw, level));
}

std::vector<std::uint8_t> RgbaRows(int width, int rows, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                   std::uint8_t a) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < rows; ++y) {
        raw.push_back(0);
        for (int x = 0; x < width; ++x) raw.insert(raw.end(), {r, g, b, a});
    }
    return raw;
}

}  // namespace pim::test

#include "TestImages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace pim::test {

std::string OutPath(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(PIM_TEST_OUTPUT) / "graphics";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

void Shell(const std::string& command) {
    const int rc = std::system(command.c_str());
    if (rc != 0) throw std::runtime_error("command failed: " + command);
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Rgb ReadPpm(const std::string& path) {
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    std::string head(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 64));
    std::istringstream in(head);
    std::string magic;
    int maxval = 0;
    Rgb rgb;
    in >> magic >> rgb.width >> rgb.height >> maxval;
    if (magic != "P6" || maxval != 255) throw std::runtime_error("not an 8-bit PPM: " + path);
    const auto offset = static_cast<std::size_t>(in.tellg()) + 1;
    rgb.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end());
    if (rgb.pixels.size() != static_cast<std::size_t>(rgb.width) * rgb.height * 3)
        throw std::runtime_error("short PPM: " + path);
    return rgb;
}

Rgb ToRgb(const TBitmap& bitmap) {
    Rgb rgb{bitmap.Width(), bitmap.Height(), {}};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TPaletteEntry c = bitmap.PixelColor(x, y);
            rgb.pixels.insert(rgb.pixels.end(), {c.peRed, c.peGreen, c.peBlue});
        }
    return rgb;
}

Rgb MagickPixels(const std::string& path) {
    const std::string ppm = path + ".magick.ppm";
    Shell("convert '" + path + "' -depth 8 -type TrueColor 'ppm:" + ppm + "'");
    return ReadPpm(ppm);
}

int MaxDiff(const Rgb& a, const Rgb& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return 256;
    int diff = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) diff = std::max(diff, std::abs(a.pixels[i] - b.pixels[i]));
    return diff;
}

double MeanDiff(const Rgb& a, const Rgb& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return 256;
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) sum += std::abs(a.pixels[i] - b.pixels[i]);
    return a.pixels.empty() ? 0 : sum / static_cast<double>(a.pixels.size());
}

TBitmap Pattern(int width, int height) {
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool box = x > width / 3 && x < width / 2 && y > height / 4 && y < height / 2;
            row[3 * x + 0] = static_cast<std::uint8_t>(box ? 20 : (x * 255) / std::max(1, width - 1));
            row[3 * x + 1] = static_cast<std::uint8_t>(box ? 200 : (y * 255) / std::max(1, height - 1));
            row[3 * x + 2] = static_cast<std::uint8_t>(box ? 240 : ((x + y) * 7) & 0xFF);
        }
    }
    return bmp;
}

void SavePpm(const TBitmap& bitmap, const std::string& path) {
    const Rgb rgb = ToRgb(bitmap);
    std::string head = "P6\n" + std::to_string(rgb.width) + " " + std::to_string(rgb.height) + "\n255\n";
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), rgb.pixels.begin(), rgb.pixels.end());
    WriteBytes(path, bytes);
}

std::vector<std::uint8_t> InfoBmp(int width, int height, int bits, std::uint32_t compression,
                                  const std::vector<std::uint8_t>& extra, const std::vector<std::uint8_t>& pixels,
                                  std::uint32_t clrUsed) {
    const auto off = static_cast<std::uint32_t>(14 + 40 + extra.size());
    Bytes b;
    b.raw({'B', 'M'}).u32(off + static_cast<std::uint32_t>(pixels.size())).u32(0).u32(off);
    b.u32(40).u32(static_cast<std::uint32_t>(width)).u32(static_cast<std::uint32_t>(height)).u16(1);
    b.u16(static_cast<unsigned>(bits)).u32(compression).u32(static_cast<std::uint32_t>(pixels.size()));
    b.u32(2835).u32(2835).u32(clrUsed).u32(0);
    b.v.insert(b.v.end(), extra.begin(), extra.end());
    b.v.insert(b.v.end(), pixels.begin(), pixels.end());
    return b.v;
}

}  // namespace pim::test

#include "TestImages.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace pim::test {

std::string OutPath(const std::string& name) {
    const std::filesystem::path dir = OutputPath("graphics");
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

TImage ToRgb(const TBitmap& bitmap) {
    TImage rgb{bitmap.Width(), bitmap.Height(), 3, {}};
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TPaletteEntry c = bitmap.PixelColor(x, y);
            rgb.pixels.insert(rgb.pixels.end(), {c.peRed, c.peGreen, c.peBlue});
        }
    return rgb;
}

TImage MagickPixels(const std::string& path) {
    const std::string ppm = path + ".magick.ppm";
    Shell("convert '" + path + "' -depth 8 -type TrueColor 'ppm:" + ppm + "'");
    TImage rgb = ReadPnm(ppm);
    if (rgb.width == 0 || rgb.channels != 3) throw std::runtime_error("not an 8-bit PPM: " + ppm);
    return rgb;
}

int MaxDiff(const TImage& a, const TImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return 256;
    int diff = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) diff = std::max(diff, std::abs(a.pixels[i] - b.pixels[i]));
    return diff;
}

double MeanDiff(const TImage& a, const TImage& b) {
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
    const TImage rgb = ToRgb(bitmap);
    std::string head = "P6\n" + std::to_string(rgb.width) + " " + std::to_string(rgb.height) + "\n255\n";
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), rgb.pixels.begin(), rgb.pixels.end());
    WriteFileBytes(path, bytes);
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

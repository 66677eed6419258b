#include "graphics/Graphics.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

#include "graphics/BmpFile.h"

namespace pim {

namespace {

std::atomic<std::int64_t> memoryLimit{kDefaultBitmapMemoryLimit};

// 5- and 6-bit channels are widened by repeating their top bits, so that
// the largest value becomes 255 exactly.
std::uint8_t Expand5(unsigned v) { return static_cast<std::uint8_t>((v << 3) | (v >> 2)); }
std::uint8_t Expand6(unsigned v) { return static_cast<std::uint8_t>((v << 2) | (v >> 4)); }

unsigned IndexAt(const std::uint8_t* row, int x, int bits) {
    switch (bits) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4: return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
        default: return row[x];
    }
}

void PutIndex(std::uint8_t* row, int x, int bits, unsigned index) {
    switch (bits) {
        case 1: {
            const auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
            row[x >> 3] = static_cast<std::uint8_t>(index ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
            break;
        }
        case 4:
            if (x & 1)
                row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0u) | (index & 0x0Fu));
            else
                row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0Fu) | ((index & 0x0Fu) << 4));
            break;
        default: row[x] = static_cast<std::uint8_t>(index); break;
    }
}

TPaletteEntry DirectColor(const std::uint8_t* row, int x, TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf15bit: {
            const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
            return {Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31), 0};
        }
        case TPixelFormat::pf16bit: {
            const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
            return {Expand5((v >> 11) & 31), Expand6((v >> 5) & 63), Expand5(v & 31), 0};
        }
        case TPixelFormat::pf32bit: {
            const std::uint8_t* p = row + 4 * x;
            return {p[2], p[1], p[0], 0};
        }
        default: {
            const std::uint8_t* p = row + 3 * x;
            return {p[2], p[1], p[0], 0};
        }
    }
}

void PutDirectColor(std::uint8_t* row, int x, TPixelFormat format, TPaletteEntry c) {
    switch (format) {
        case TPixelFormat::pf15bit: {
            const unsigned v = ((c.peRed >> 3) << 10) | ((c.peGreen >> 3) << 5) | (c.peBlue >> 3);
            row[2 * x] = static_cast<std::uint8_t>(v);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            break;
        }
        case TPixelFormat::pf16bit: {
            const unsigned v = ((c.peRed >> 3) << 11) | ((c.peGreen >> 2) << 5) | (c.peBlue >> 3);
            row[2 * x] = static_cast<std::uint8_t>(v);
            row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
            break;
        }
        case TPixelFormat::pf32bit: {
            std::uint8_t* p = row + 4 * x;
            p[0] = c.peBlue, p[1] = c.peGreen, p[2] = c.peRed, p[3] = 0;
            break;
        }
        default: {
            std::uint8_t* p = row + 3 * x;
            p[0] = c.peBlue, p[1] = c.peGreen, p[2] = c.peRed;
            break;
        }
    }
}

}  // namespace

TDensity EffectiveDensity(TDensity stated) {
    const auto usable = [](double d) { return d >= kMinDensity && d <= kMaxDensity; };
    const bool x = usable(stated.X);
    const bool y = usable(stated.Y);
    if (x && y) return stated;
    if (x) return {stated.X, stated.X};
    if (y) return {stated.Y, stated.Y};
    return {96, 96};
}

TDensity DensityPerUnit(double x, double y, int unit) {
    switch (unit) {
        case 1: return {x, y};
        case 2: return {x * 2.54, y * 2.54};
        case 3: return {x * 0.0254, y * 0.0254};
        default: return {};
    }
}

int BitsPerPixel(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit: return 1;
        case TPixelFormat::pf4bit: return 4;
        case TPixelFormat::pf8bit: return 8;
        case TPixelFormat::pf15bit:
        case TPixelFormat::pf16bit: return 16;
        case TPixelFormat::pfDevice:
        case TPixelFormat::pf24bit: return 24;
        case TPixelFormat::pf32bit: return 32;
        case TPixelFormat::pfCustom: return 0;
    }
    return 0;
}

bool IsIndexed(TPixelFormat format) {
    return format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit || format == TPixelFormat::pf8bit;
}

std::int64_t BitmapMemoryLimit() { return memoryLimit.load(); }
void SetBitmapMemoryLimit(std::int64_t bytes) { memoryLimit.store(bytes); }

std::int64_t DibRowBytes(std::int64_t width, int bitsPerPixel) {
    if (width < 0 || bitsPerPixel <= 0) return -1;
    if (width > (std::numeric_limits<std::int64_t>::max() - 31) / bitsPerPixel) return -1;
    return (width * bitsPerPixel + 31) / 32 * 4;
}

std::vector<TPaletteEntry> DefaultPalette(TPixelFormat format) {
    std::vector<TPaletteEntry> pal;
    if (format == TPixelFormat::pf1bit) {
        pal = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } else if (format == TPixelFormat::pf4bit) {
        static const std::uint8_t vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                                {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                                {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                                {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        for (const auto& c : vga) pal.push_back({c[0], c[1], c[2], 0});
    } else if (format == TPixelFormat::pf8bit) {
        for (int i = 0; i < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            pal.push_back({v, v, v, 0});
        }
    }
    return pal;
}

// ---- TGraphic -------------------------------------------------------------

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, TFileMode::fmCreate);
    SaveToStream(stream);
    stream.Close();
}

// ---- TBitmap --------------------------------------------------------------

TBitmap::TBitmap(int width, int height, TPixelFormat format) {
    Allocate(width, height, format);
    palette_ = DefaultPalette(format);
}

void TBitmap::Allocate(int width, int height, TPixelFormat format) {
    if (format == TPixelFormat::pfCustom) throw EInvalidGraphicOperation("Custom pixel formats cannot be created");
    if (width < 0 || height < 0 || width > kMaxBitmapDimension || height > kMaxBitmapDimension)
        throw EInvalidGraphic("Bitmap dimensions exceed the limit", TFault::fTooLarge);
    const std::int64_t rowBytes = DibRowBytes(width, BitsPerPixel(format));
    if (rowBytes * height > BitmapMemoryLimit())
        throw EInvalidGraphic("Bitmap dimensions exceed the limit", TFault::fTooLarge);
    pixels_ = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(rowBytes * height), 0);
    width_ = width;
    height_ = height;
    format_ = format;
    rowBytes_ = rowBytes;
}

void TBitmap::SetSize(int width, int height) {
    if (width == width_ && height == height_) return;
    TBitmap old = std::move(*this);
    Allocate(width, height, old.format_);
    palette_ = std::move(old.palette_);
    const auto copy = static_cast<std::size_t>(std::min(rowBytes_, old.rowBytes_));
    for (int y = 0; y < std::min(height_, old.height_); ++y) std::memcpy(ScanLine(y), old.ScanLine(y), copy);
}

std::uint8_t* TBitmap::ScanLine(int y) {
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
    if (pixels_.use_count() > 1) pixels_ = std::make_shared<std::vector<std::uint8_t>>(*pixels_);
    return pixels_->data() + rowBytes_ * y;
}

const std::uint8_t* TBitmap::ScanLine(int y) const {
    if (y < 0 || y >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
    return pixels_->data() + rowBytes_ * y;
}

void TBitmap::SetPalette(std::vector<TPaletteEntry> palette) {
    std::size_t cap = 256;
    if (IsIndexed(format_)) cap = std::size_t{1} << BitsPerPixel(format_);
    if (palette.size() > cap) palette.resize(cap);
    palette_ = std::move(palette);
}

int TBitmap::GetPaletteEntries(int start, int count, TPaletteEntry* entries) const {
    const int size = static_cast<int>(palette_.size());
    if (start < 0 || count <= 0 || start >= size) return 0;
    const int n = std::min(count, size - start);
    std::copy_n(palette_.begin() + start, n, entries);
    return n;
}

TPaletteEntry TBitmap::PixelColor(int x, int y) const {
    if (x < 0 || x >= width_) throw EInvalidGraphicOperation("Pixel index out of range");
    const std::uint8_t* row = ScanLine(y);
    if (!IsIndexed(format_)) return DirectColor(row, x, format_);
    const unsigned index = IndexAt(row, x, BitsPerPixel(format_));
    return index < palette_.size() ? palette_[index] : TPaletteEntry{};
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    if (format == TPixelFormat::pfCustom) throw EInvalidGraphicOperation("Custom pixel formats cannot be created");
    const int fromBits = BitsPerPixel(format_);
    const int toBits = BitsPerPixel(format);
    if (fromBits == toBits && !IsIndexed(format) && format_ != TPixelFormat::pf15bit &&
        format_ != TPixelFormat::pf16bit) {
        format_ = format;  // pfDevice and pf24bit share one layout
        return;
    }
    if (IsIndexed(format) && !Empty() && !IsIndexed(format_))
        throw EInvalidGraphicOperation("Cannot convert a direct-colour bitmap to an indexed format");

    TBitmap result(width_, height_, format);
    if (IsIndexed(format)) {
        if (IsIndexed(format_)) {
            const unsigned limit = 1u << toBits;
            for (int y = 0; y < height_; ++y) {
                const std::uint8_t* src = ScanLine(y);
                std::uint8_t* dst = result.ScanLine(y);
                for (int x = 0; x < width_; ++x) {
                    const unsigned index = IndexAt(src, x, fromBits);
                    if (index >= limit) throw EInvalidGraphicOperation("Palette index does not fit the pixel format");
                    PutIndex(dst, x, toBits, index);
                }
            }
            result.SetPalette(palette_);
        }
    } else {
        for (int y = 0; y < height_; ++y) {
            std::uint8_t* dst = result.ScanLine(y);
            for (int x = 0; x < width_; ++x) PutDirectColor(dst, x, format, PixelColor(x, y));
        }
        result.palette_.clear();
    }
    *this = std::move(result);
}

void TBitmap::Assign(const TGraphic& source) {
    if (&source == this) return;
    source.AssignTo(*this);
}

void TBitmap::LoadFromStream(TStream& stream) {
    TBitmap loaded;
    ReadBmp(stream, loaded);
    *this = std::move(loaded);
}

void TBitmap::SaveToStream(TStream& stream) const { WriteBmp(stream, *this); }

std::unique_ptr<TGraphic> TBitmap::Clone() const { return std::make_unique<TBitmap>(*this); }

}  // namespace pim

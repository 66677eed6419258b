// Pictures in memory: the abstract graphic and the device-independent
// bitmap. Rows are kept top-down, each padded to a multiple of four bytes,
// in the platform's memory order (a 24-bit pixel is blue, green, red), so a
// bitmap can be handed to the Windows drawing calls as a DIB section.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/SysUtils.h"

namespace pim {

// A picture that cannot be read or held: a damaged file, a format this
// program does not take, or dimensions past the ceiling below.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A conversion or operation a graphic cannot perform.
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// pfDevice is the display's own format; in this program it is held as
// 24-bit. pfCustom (bit fields other than 5-5-5, 5-6-5 or 8-8-8) is never
// produced: such files are expanded to pf24bit when they are read.
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Bits each pixel takes in memory (pfDevice: 24; pfCustom: 0).
int BitsPerPixel(TPixelFormat format);
bool IsIndexed(TPixelFormat format);

// Same layout as the Windows PALETTEENTRY.
struct TPaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

// Ceiling on any bitmap this program creates or reads: each side at most
// kMaxBitmapDimension pixels, and the pixel memory at most
// BitmapMemoryLimit() bytes (1 GiB unless changed). A file declaring more is
// refused with EInvalidGraphic before anything is allocated.
constexpr int kMaxBitmapDimension = 65535;
constexpr std::int64_t kDefaultBitmapMemoryLimit = std::int64_t{1} << 30;
std::int64_t BitmapMemoryLimit();
// For tools that must stay small (the fuzzers); not meant for the program.
void SetBitmapMemoryLimit(std::int64_t bytes);

// Bytes of one row of `width` pixels of `bitsPerPixel`, padded to 4 bytes;
// -1 when it would not fit in 64 bits (never for width <= kMaxBitmapDimension).
std::int64_t DibRowBytes(std::int64_t width, int bitsPerPixel);

class TBitmap;

// How densely a picture's file says its pixels are laid out, in dots per
// inch along each axis; 0 where the file says nothing.
struct TDensity {
    double X = 0;
    double Y = 0;
    friend bool operator==(const TDensity&, const TDensity&) = default;
};
// Densities a file may claim; anything outside is a writer's mistake (a
// dots-per-metre value stored as per inch, a zero) and counts as none.
constexpr double kMinDensity = 10;
constexpr double kMaxDensity = 10000;
// The density a picture is shown at: the file's own, an axis it leaves out
// taking the other's, and 96 dpi (a screen's) when it gives none it may.
TDensity EffectiveDensity(TDensity stated);
// A density stated per unit of `unit` (0 none, 1 inch, 2 centimetre, 3 metre).
TDensity DensityPerUnit(double x, double y, int unit);

// The abstract picture a picture holder keeps.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;

    // Reads the graphic from the stream's position on.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    virtual void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

    // A new graphic of the same class holding the same picture.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;
    // Renders this graphic into `dest` (decoding it if needed).
    virtual void AssignTo(TBitmap& dest) const = 0;

    // The density the file stated (see TDensity); copies keep it.
    TDensity Density() const { return density_; }
    void SetDensity(TDensity value) { density_ = value; }

private:
    TDensity density_;
};

// Copies share their pixels until one of them asks for a writable row
// (ScanLine on a non-const bitmap), as the platform's bitmaps do: a picture
// passed from the window to a page and on into the PDF is held once.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat format);
    TBitmap(const TBitmap&) = default;
    TBitmap& operator=(const TBitmap&) = default;
    TBitmap(TBitmap&&) noexcept = default;
    TBitmap& operator=(TBitmap&&) noexcept = default;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }

    // Resizes, keeping the overlapping top-left part; new pixels are zero.
    // Raises EInvalidGraphic past the ceiling.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels: an indexed format widens to a wider indexed one
    // keeping the palette; anything converts to a direct-colour format.
    // Direct colour to indexed, or a narrower index that loses colours,
    // raises EInvalidGraphicOperation; so does pfCustom.
    void SetPixelFormat(TPixelFormat format);

    // Row y (0 = top) of RowBytes() bytes; the writable form first makes the
    // pixels this bitmap's own.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    std::int64_t RowBytes() const { return rowBytes_; }

    // Indexed formats carry up to 1 << bits entries (at most 256).
    const std::vector<TPaletteEntry>& Palette() const { return palette_; }
    void SetPalette(std::vector<TPaletteEntry> palette);
    // Copies up to `count` entries from `start`; returns how many were copied
    // (0 when the bitmap has no palette), as GetPaletteEntries does.
    int GetPaletteEntries(int start, int count, TPaletteEntry* entries) const;

    // Colour of one pixel as red, green, blue (indexed pixels through the
    // palette; an index past the palette reads black).
    TPaletteEntry PixelColor(int x, int y) const;

    void Assign(const TGraphic& source);
    void LoadFromStream(TStream& stream) override;  // a BMP file
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    void AssignTo(TBitmap& dest) const override { dest = *this; }

private:
    void Allocate(int width, int height, TPixelFormat format);

    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    std::int64_t rowBytes_ = 0;
    std::shared_ptr<std::vector<std::uint8_t>> pixels_;  // null when empty
    std::vector<TPaletteEntry> palette_;
};

// The palette a fresh bitmap of an indexed format starts with: black and
// white, the 16 VGA colours, or a 256-step grey ramp.
std::vector<TPaletteEntry> DefaultPalette(TPixelFormat format);

}  // namespace pim

// Pages of the scanner and web picture kinds (TIFF, GIF, WebP) as a PDF
// takes them: data kept as the file holds them (CCITT fax or JPEG data, a
// range of the file read again at the save), or decoded over white and
// compressed with Flate, losslessly: 1-bit grey, 8-bit grey, RGB or palette
// indices.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/Png.h"

namespace pim {

// A picture decoded over white, rows from the top, packed.
struct TRasterPixels {
    int Width = 0;
    int Height = 0;
    int Channels = 3;                    // 1: grey (or a palette index), 3: red, green, blue
    int Bits = 8;                        // 8, or 1 for black-and-white grey (1 white)
    std::vector<TPaletteEntry> Palette;  // not empty: Data are indices into it (Channels 1, Bits 8)
    std::vector<std::uint8_t> Data;      // Height rows of RowBytes()
    // Why the pixels are not the whole picture (the sentence of the run's
    // warning); empty when they are.
    std::string Damage;
    TDensity Density;  // what the file states for the page (none when nothing)

    std::size_t RowBytes() const { return (static_cast<std::size_t>(Width) * Channels * Bits + 7) / 8; }
    // Sized for the picture, every pixel white (index 0 must be white for a palette).
    void Allocate(int width, int height, int channels, int bits);
};

// Raises EInvalidGraphic (too large) for a picture past the bitmap ceiling
// (kMaxBitmapDimension a side, BitmapMemoryLimit() as 24-bit pixels), before
// anything is decoded. `kind` names the format in the message ("TIFF").
void CheckRasterSize(std::int64_t width, std::int64_t height, const char* kind);

enum class TRasterCoding : std::uint8_t {
    rcFlate,  // compressed samples (FlateDecode)
    rcCcitt,  // the file's CCITT Group 3 or 4 data (CCITTFaxDecode)
    rcDct,    // a complete JPEG stream (DCTDecode)
};

class TRasterPage : public TGraphic {
public:
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return width_ == 0 || height_ == 0; }
    // Pages are made by the readers, not read from a stream.
    void LoadFromStream(TStream& stream) override;
    // Writes the data as the PDF takes them.
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TRasterPage>(*this); }
    // Decodes a Flate or DCT page; a CCITT page raises EInvalidGraphicOperation.
    void AssignTo(TBitmap& dest) const override;

    // The decoded pixels compressed (the page holds the compressed data only).
    static TRasterPage FromPixels(const TRasterPixels& pixels);
    // `size` bytes of `source` from `offset`, read when the PDF is written.
    static TRasterPage FromFileRange(TRasterCoding coding, int width, int height,
                                     std::shared_ptr<const TPngSource> source, std::int64_t offset, std::int64_t size);

    TRasterCoding Coding() const { return coding_; }
    int Colors() const { return colors_; }
    int Bits() const { return bits_; }
    const std::vector<TPaletteEntry>& Palette() const { return palette_; }
    // The data: a range of a file, or bytes in memory (Source() null).
    const std::shared_ptr<const TPngSource>& Source() const { return source_; }
    std::int64_t Offset() const { return offset_; }
    std::int64_t Size() const { return source_ ? size_ : bytes_ ? static_cast<std::int64_t>(bytes_->size()) : 0; }
    const std::shared_ptr<const std::vector<std::uint8_t>>& Bytes() const { return bytes_; }

    // CCITT: /K (-1 Group 4, 0 Group 3 one-dimensional, > 0 Group 3
    // two-dimensional), /BlackIs1, /EncodedByteAlign.
    int CcittK = -1;
    bool BlackIs1 = false;
    bool EncodedByteAlign = false;
    void SetColors(int colors) { colors_ = colors; }
    // Why the page is not the whole picture; empty when it is.
    std::string Damage;

private:
    TRasterCoding coding_ = TRasterCoding::rcFlate;
    int width_ = 0;
    int height_ = 0;
    int colors_ = 1;
    int bits_ = 8;
    std::vector<TPaletteEntry> palette_;
    std::shared_ptr<const TPngSource> source_;
    std::int64_t offset_ = 0;
    std::int64_t size_ = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

// A 24-bit bitmap of decoded pixels.
void RasterPixelsToBitmap(const TRasterPixels& pixels, TBitmap& dest);

}  // namespace pim

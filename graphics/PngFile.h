// PNG files: the structure read and checked chunk by chunk (signature,
// lengths, CRCs, the header's values, the palette and transparency), and
// the pixels decoded through libpng, composited over a background colour.
//
// Only the chunks that make the picture reach libpng (header, palette,
// transparency, image data): gamma, colour profiles and texts are left out,
// as the rest of the program ignores them, and a compressed text or profile
// can never be inflated. Damage raises EInvalidGraphic ("PNG image is not
// valid: ..."); image data that end early or are damaged (in a file cut
// off, or in a whole one) still decode as far as they go, the missing rows
// in the background colour, and the decoder says why.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "graphics/Graphics.h"

namespace pim {

enum TPngColorType : std::uint8_t {
    pctGrey = 0,
    pctRGB = 2,
    pctPalette = 3,
    pctGreyAlpha = 4,
    pctRGBA = 6,
};

// A byte range of the source.
struct TPngRange {
    std::int64_t Offset = 0;
    std::int64_t Size = 0;
};

struct TPngStructure {
    int Width = 0;
    int Height = 0;
    int BitDepth = 0;
    int ColorType = 0;
    bool Interlaced = false;
    std::vector<TPaletteEntry> Palette;      // PLTE, for a palette picture
    std::vector<std::uint8_t> Transparency;  // the tRNS chunk's data; empty: none
    std::vector<TPngRange> Idat;             // the data of every whole IDAT chunk, in order
    std::vector<std::uint8_t> IdatTail;      // the data of an IDAT chunk the file cuts off
    std::int64_t IdatBytes = 0;              // all image data, the tail included
    bool CutOff = false;                     // the file ends before IEND
    TDensity Density;                        // from pHYs in pixels per metre; none without it

    int Channels() const;  // samples per pixel: 1, 2, 3 or 4 (palette 1)
    bool IsGrey() const { return ColorType == pctGrey || ColorType == pctGreyAlpha; }
    // Bytes of one row's samples, packed, without the filter byte.
    std::int64_t RowBytes() const;
    // The image data inflated: a filter byte and the samples of every row
    // (of every pass when interlaced).
    std::int64_t InflatedBytes() const;
    // The compressed data can go into a PDF as they are: not interlaced,
    // at most 8 bits, no alpha and no transparency, and not cut off.
    bool Lossless() const;
};

// Reads the structure from `source`'s position on, reading every byte once
// (the CRCs). The picture must stay within the bitmap ceiling
// (kMaxBitmapDimension a side, BitmapMemoryLimit() as 24-bit pixels), and
// its compressed data must be able to hold the picture and no more than
// it: data far too short for the declared size, or more than any encoder
// makes for it (a zlib bomb), are refused without inflating anything.
// Offsets are relative to the position at the call.
TPngStructure ReadPngStructure(TStream& source);

// One decoded row: `samples` holds Width pixels of `channels` bytes (grey,
// or red, green, blue).
using TPngRowSink = std::function<void(int y, const std::uint8_t* samples)>;

// Inflates the image data (read from `source`, the stream ReadPngStructure
// read, at the same start; rows' filters checked unless interlaced), counting
// the bytes and keeping none, and tells what keeps them from making exactly
// the picture: too few rows, a row filter PNG does not have, a damaged
// stream, a stream with no end, a wrong Adler-32 checksum, more data than
// the picture. Empty when they make it exactly. Data that pass can go into
// a PDF as they are.
std::string CheckPngData(const TPngStructure& png, TStream& source, std::int64_t start);

// Decodes the picture read from `source` (the stream ReadPngStructure read,
// at the same start) row by row from the top, every sample 8 bits (16-bit
// samples rounded), alpha and transparency composited over `background`.
// Grey pictures come out as one grey channel when `greyOutput` is true,
// everything else as RGB. Image data that end early (a cut-off file) or are
// damaged decode as far as they go, the missing rows sent in the background
// colour; the checksum is not checked. Returns why the picture is not
// whole (the sentence the run's warning gives), empty when it is.
std::string DecodePng(const TPngStructure& png, TStream& source, std::int64_t start, TPaletteEntry background,
                      bool greyOutput, const TPngRowSink& sink);

}  // namespace pim

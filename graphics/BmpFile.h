// BMP files: reading everything the Windows loader takes (OS/2 core headers,
// info headers up to V5; 1, 4, 8, 16, 24 and 32 bits; uncompressed, RLE4,
// RLE8 and bit fields; bottom-up and top-down rows) and writing the common
// form. Files come from the user's disk and may be damaged or hostile: every
// size is checked against the real length with 64-bit arithmetic before it
// is used, dimensions are held to the bitmap ceiling (Graphics.h), RLE runs
// are clipped to the bitmap, and a short file raises EInvalidGraphic.
#pragma once

#include "base/Classes.h"
#include "graphics/Graphics.h"

namespace pim {

// Reads one BMP file from the stream's position. On failure raises
// EInvalidGraphic and leaves `bitmap` unchanged.
void ReadBmp(TStream& stream, TBitmap& bitmap);

// Writes a BMP file with a 40-byte info header: indexed formats with their
// palette, pf15bit as 16-bit, pf16bit as 16-bit 5-6-5 bit fields, pfDevice
// and pf24bit as 24-bit, pf32bit as 32-bit.
void WriteBmp(TStream& stream, const TBitmap& bitmap);

}  // namespace pim

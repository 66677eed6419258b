// BMP files: reading everything the Windows loader takes (OS/2 core headers,
// info headers up to V5; 1, 4, 8, 16, 24 and 32 bits; uncompressed, RLE4,
// RLE8 and bit fields; bottom-up and top-down rows) and writing the common
// form. Files come from the user's disk and may be damaged or hostile: every
// size is checked against the real length with 64-bit arithmetic before it
// is used, dimensions are held to the bitmap ceiling (Graphics.h), RLE runs
// are clipped to the bitmap, and a short file raises EInvalidGraphic.
#pragma once

#include <string>

#include "base/Classes.h"
#include "graphics/Graphics.h"

namespace pim {

// Reads one BMP file from the stream's position. On failure raises
// EInvalidGraphic and leaves `bitmap` unchanged. A file whose fields say
// what is not so, but whose pixels can still be found (a pixel offset into
// the palette, a bit count BMP lacks, a plane count other than 1, a wrong
// file size, RLE data running past the picture, pixels past the palette),
// is read as a reader that follows the header's fields reads it; the
// result says what was wrong and how it was read (sentences joined by
// "; "), empty for a sound file.
std::string ReadBmp(TStream& stream, TBitmap& bitmap);
// ReadBmp of the file `fileName`.
std::string LoadBmpFile(const std::string& fileName, TBitmap& bitmap);

// Writes a BMP file with a 40-byte info header: indexed formats with their
// palette, pf15bit as 16-bit, pf16bit as 16-bit 5-6-5 bit fields, pfDevice
// and pf24bit as 24-bit, pf32bit as 32-bit.
void WriteBmp(TStream& stream, const TBitmap& bitmap);

}  // namespace pim

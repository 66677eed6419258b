// Files for the Windows thumbnail tests, written the way a user's programs
// would (GDI for metafiles, AVIFIL32 for the video), and pictures kept in
// the test output for a person to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/Graphics.h"

namespace pim::test {

// A path (UTF-8 name) in the tests' own folder, in the program's file-name
// encoding.
std::string ThumbPath(std::string_view utf8Name);
// The same file as the wide API names it.
std::wstring WideThumbPath(std::string_view utf8Name);

// Saves the picture as thumbs-<name>.bmp in the test output.
void KeepPicture(std::string_view name, const TBitmap& bitmap);

// The pixel as 0xRRGGBB.
unsigned RgbAt(const TBitmap& bitmap, int x, int y);
// Pixels in the rectangle whose colour is not `rgb`.
int CountOther(const TBitmap& bitmap, unsigned rgb, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1);

// Two filled halves, left red and right blue, drawn through GDI into an
// enhanced metafile of about width x height pixels.
void WriteEnhancedMetafile(const std::wstring& path, int width, int height);
// The same picture as a placeable Windows metafile whose bounds are
// width x height units of `inch` to the inch; without the placeable header
// when inch is 0.
void WriteWindowsMetafile(const std::wstring& path, int width, int height, int inch);

// An uncompressed AVI of `frames` frames of 32 x 24, written through
// AVIFIL32; every pixel of frame n is FrameColor(n).
void WriteAvi(const std::wstring& path, int frames);
constexpr unsigned FrameColor(int n) { return 0x800000u | (static_cast<unsigned>(n >> 8) & 0xFF) << 8 | (n & 0xFF); }

}  // namespace pim::test

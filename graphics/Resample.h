// Bitmap work beside the bitmap: how a picture is fitted to a box (the
// thumbnail's), the resampler that gets it there, the JPEG decoder scale that
// covers the box, turning by EXIF orientation, and plain fills and copies.
// All bitmaps here are 24 bits per pixel (pf24bit, or pfDevice, which is held
// the same way).
#pragma once

#include "base/Font.h"
#include "graphics/Graphics.h"

namespace pim {

// How a decoded picture is sized to the box: igtNormal leaves it, igtPreview
// only shrinks (keeping the aspect), igtStretch also grows a picture smaller
// than the box on both sides, igtFit makes it exactly the box.
enum class TGetType { igtNormal, igtPreview, igtStretch, igtFit };

struct TImgSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TImgSize&, const TImgSize&) = default;
};

// The size a w x h picture takes in a boxWidth x boxHeight box. A side that
// would truncate to 0 is kept at 1 pixel, so no picture vanishes.
TImgSize FitSize(int w, int h, int boxWidth, int boxHeight, TGetType type);

// Resamples to width x height, the width first, then the height, each only
// when it changes. A growing side uses four-point Lagrange interpolation, a
// shrinking side area averaging, both in fixed point. Any other pixel format
// is made 24-bit first; an empty bitmap (or target) becomes an empty one of
// the new size.
void Resample(TBitmap& bitmap, int width, int height);

// Resamples the bitmap to FitSize of its size (nothing for an empty one).
void FitBitmap(TBitmap& bitmap, int boxWidth, int boxHeight, TGetType type);

// Denominator (1, 2, 4 or 8) of the largest JPEG decoder scale whose output
// still covers the box on both sides.
int JpegScaleFor(int width, int height, int boxWidth, int boxHeight);

// Makes the bitmap 24-bit (when it is not) and fills it with colour.
void FillBitmap(TBitmap& bitmap, TColor color);
// Fills a rectangle of a 24-bit bitmap, clipped to it.
void FillRect(TBitmap& bitmap, int x, int y, int width, int height, TColor color);
// Copies width x height pixels from (sx, sy) of source to (dx, dy) of dest,
// both 24-bit, clipped to both.
void CopyRect(const TBitmap& source, int sx, int sy, TBitmap& dest, int dx, int dy, int width, int height);
// Makes the bitmap 24-bit when it is not (pfDevice counts as 24-bit).
void Ensure24Bit(TBitmap& bitmap);
// Turns and mirrors a 24-bit bitmap the way a picture stored with the EXIF
// orientation (1 to 8) is shown upright; 5 to 8 swap width and height.
void Orient(TBitmap& bitmap, int orientation);

}  // namespace pim

// Where a page's picture goes: the page size (PDF units, 1/72 inch) and the
// rectangle the upright picture fills on it, decided from the picture's
// size in pixels, the density its file states, whether it stands turned,
// and the chosen page size. Text pages are laid out on their own
// 480 x 680 page and placed as a picture of that size at 72 dpi is.
#pragma once

#include "graphics/Graphics.h"

namespace pim {

// ページサイズ: the picture's own size (1 pixel = 1 unit, the default), its
// size at its density (画像の解像度), or a paper size.
enum class TPageSize { psPixels, psDpi, psA3, psA4, psA5, psB4, psB5, psLetter };
// 向き on paper: turned to suit each picture, or always one way.
enum class TPaperOrientation { poAuto, poPortrait, poLandscape };

struct TPaperSettings {
    TPageSize Size = TPageSize::psPixels;
    TPaperOrientation Orientation = TPaperOrientation::poAuto;
    double MarginMm = 0;  // 余白 on every side, 0 to 30 (clamped)
    // Off (拡大しない): a picture smaller than the area inside the margin
    // keeps its size at its density; on: it is enlarged to fill the area.
    bool Enlarge = false;
};
constexpr double kMaxMarginMm = 30;
// The largest page side PDF viewers accept (PDF 1.2 to 2.0).
constexpr int kMaxPageSide = 14400;

// A rectangle on the page, origin at the page's bottom left.
struct TPageRect {
    double Left = 0;
    double Bottom = 0;
    double Width = 0;
    double Height = 0;
};

struct TPagePlacement {
    double Width = 0;  // the page
    double Height = 0;
    TPageRect Picture;  // where the upright picture goes, undistorted
    // The page was made smaller than the picture's own size to stay within
    // kMaxPageSide (pixels and dpi modes only).
    bool Capped = false;
};

// The paper's portrait size in units (A4: 595.276 x 841.890); 0 x 0 for
// the two modes without paper.
TPageRect PaperSize(TPageSize size);

// The page for a picture of width x height pixels as stored; `turned`: it
// stands a quarter turn round (EXIF orientations 5 to 8), so the page sees
// it height x width. `density` is what the file states (EffectiveDensity
// decides). In dpi mode a side is at least 3 units, the picture centred on
// it when smaller. In pixels mode the numbers are whole: the page is the picture's
// size, scaled down (rounded, at least 1) to keep within kMaxPageSide.
TPagePlacement PlacePage(int width, int height, TDensity density, bool turned, const TPaperSettings& settings);

}  // namespace pim

#include "app/PageGeometry.h"

#include <algorithm>
#include <cmath>

namespace pim {

namespace {

constexpr double kUnitsPerInch = 72;
constexpr double kMmPerInch = 25.4;
constexpr double kMinPageSide = 3;

double MmToUnits(double mm) { return mm * kUnitsPerInch / kMmPerInch; }
// Page sizes and places to a thousandth of a unit: what any viewer shows,
// and numbers a reader of the file recognises (A4: 595.276 x 841.89).
double Tidy(double units) { return std::round(units * 1000) / 1000; }

// Today's rule for a page past kMaxPageSide: each side scaled by the same
// factor, rounded to whole units, at least 1.
int CappedSide(int side, int longest) {
    const long long scaled = (static_cast<long long>(side) * kMaxPageSide + longest / 2) / longest;
    return static_cast<int>(std::clamp<long long>(scaled, 1, kMaxPageSide));
}

}  // namespace

TPageRect PaperSize(TPageSize size) {
    const auto mm = [](double w, double h) { return TPageRect{0, 0, Tidy(MmToUnits(w)), Tidy(MmToUnits(h))}; };
    switch (size) {
        case TPageSize::psPixels:
        case TPageSize::psDpi: break;
        case TPageSize::psA3: return mm(297, 420);
        case TPageSize::psA4: return mm(210, 297);
        case TPageSize::psA5: return mm(148, 210);
        case TPageSize::psB4: return mm(257, 364);  // JIS
        case TPageSize::psB5: return mm(182, 257);  // JIS
        case TPageSize::psLetter: return {0, 0, 612, 792};
    }
    return {};
}

TPagePlacement PlacePage(int width, int height, TDensity density, bool turned, const TPaperSettings& settings) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (turned) {
        std::swap(width, height);
        std::swap(density.X, density.Y);
    }
    TPagePlacement page;
    if (settings.Size == TPageSize::psPixels) {
        int w = width, h = height;
        const int longest = std::max(w, h);
        if (longest > kMaxPageSide) {
            w = CappedSide(w, longest);
            h = CappedSide(h, longest);
            page.Capped = true;
        }
        page.Width = w;
        page.Height = h;
        page.Picture = {0, 0, page.Width, page.Height};
        return page;
    }
    // The picture's size at its density.
    const TDensity dpi = EffectiveDensity(density);
    const double naturalWidth = width * kUnitsPerInch / dpi.X;
    const double naturalHeight = height * kUnitsPerInch / dpi.Y;
    if (settings.Size == TPageSize::psDpi) {
        double w = naturalWidth, h = naturalHeight;
        const double longest = std::max(w, h);
        if (longest > kMaxPageSide) {
            w = w * kMaxPageSide / longest;
            h = h * kMaxPageSide / longest;
            page.Capped = true;
        }
        // Viewers refuse pages under 3 units a side (Acrobat's limit): a
        // picture smaller than that sits in the middle of a 3-unit side.
        page.Width = std::clamp(Tidy(w), kMinPageSide, double{kMaxPageSide});
        page.Height = std::clamp(Tidy(h), kMinPageSide, double{kMaxPageSide});
        page.Picture = {w < kMinPageSide ? Tidy((kMinPageSide - w) / 2) : 0,
                        h < kMinPageSide ? Tidy((kMinPageSide - h) / 2) : 0, w, h};  // exact, as on paper
        return page;
    }
    const TPageRect paper = PaperSize(settings.Size);
    const bool landscape = settings.Orientation == TPaperOrientation::poLandscape ||
                           (settings.Orientation == TPaperOrientation::poAuto && naturalWidth > naturalHeight);
    page.Width = landscape ? paper.Height : paper.Width;
    page.Height = landscape ? paper.Width : paper.Height;
    const double margin = MmToUnits(std::clamp(settings.MarginMm, 0.0, kMaxMarginMm));
    const double areaWidth = page.Width - 2 * margin;
    const double areaHeight = page.Height - 2 * margin;
    double scale = std::min(areaWidth / naturalWidth, areaHeight / naturalHeight);
    if (!settings.Enlarge) scale = std::min(scale, 1.0);
    const double w = naturalWidth * scale;
    const double h = naturalHeight * scale;
    // The size kept exact: the drawing matrix's scale comes from it, the
    // same on both axes for square pixels.
    page.Picture = {Tidy((page.Width - w) / 2), Tidy((page.Height - h) / 2), w, h};
    return page;
}

}  // namespace pim

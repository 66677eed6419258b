#include "app/PageGeometry.h"

#include <gtest/gtest.h>

namespace pim {
namespace {

constexpr TPaperOrientation kAuto = TPaperOrientation::poAuto;
constexpr TPaperOrientation kPortrait = TPaperOrientation::poPortrait;
constexpr TPaperOrientation kLandscape = TPaperOrientation::poLandscape;

TEST(PageGeometry, PaperSizesAreExactUnits) {
    const struct {
        TPageSize size;
        double width, height;
    } cases[] = {
        {TPageSize::psA3, 841.89, 1190.551}, {TPageSize::psA4, 595.276, 841.89},
        {TPageSize::psA5, 419.528, 595.276}, {TPageSize::psB4, 728.504, 1031.811},
        {TPageSize::psB5, 515.906, 728.504}, {TPageSize::psLetter, 612, 792},
        {TPageSize::psPixels, 0, 0},         {TPageSize::psDpi, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.size));
        EXPECT_DOUBLE_EQ(PaperSize(c.size).Width, c.width);
        EXPECT_DOUBLE_EQ(PaperSize(c.size).Height, c.height);
    }
}

TEST(PageGeometry, PlacesThePicture) {
    const TDensity none{};
    const TDensity dpi300{300, 300};
    const struct {
        const char* what;
        int width, height;
        TDensity density;
        bool turned;
        TPaperSettings settings;
        TPagePlacement expected;
    } cases[] = {
        // Pixels: today's whole numbers, turned pictures on turned pages,
        // pages past 14,400 units scaled down with today's rounding.
        {"pixels", 640, 480, dpi300, false, {}, {640, 480, {0, 0, 640, 480}, false}},
        {"pixels turned", 640, 480, none, true, {}, {480, 640, {0, 0, 480, 640}, false}},
        {"pixels 1 x 1", 1, 1, none, false, {}, {1, 1, {0, 0, 1, 1}, false}},
        {"pixels past the limit", 20000, 3, none, false, {}, {14400, 2, {0, 0, 14400, 2}, true}},
        {"pixels a long strip", 30000, 1, none, false, {}, {14400, 1, {0, 0, 14400, 1}, true}},
        // Dpi: the picture's size at its density, 96 dpi when it has none
        // or one out of range; each axis its own.
        {"dpi 300 A4 scan", 2480, 3508, dpi300, false, {TPageSize::psDpi}, {595.2, 841.92, {0, 0, 595.2, 841.92}}},
        {"dpi none", 960, 480, none, false, {TPageSize::psDpi}, {720, 360, {0, 0, 720, 360}}},
        {"dpi too low", 960, 480, {5, 5}, false, {TPageSize::psDpi}, {720, 360, {0, 0, 720, 360}}},
        {"dpi too high", 960, 480, {20000, 20000}, false, {TPageSize::psDpi}, {720, 360, {0, 0, 720, 360}}},
        {"dpi fax 204 x 98",
         1728,
         1100,
         {204, 98},
         false,
         {TPageSize::psDpi},
         {609.882, 808.163, {0, 0, 609.882, 808.163}}},
        {"dpi fax turned",
         1728,
         1100,
         {204, 98},
         true,
         {TPageSize::psDpi},
         {808.163, 609.882, {0, 0, 808.163, 609.882}}},
        {"dpi one pixel", 1, 1, dpi300, false, {TPageSize::psDpi}, {3, 3, {1.38, 1.38, 0.24, 0.24}}},
        {"dpi a thin line", 3000, 1, none, false, {TPageSize::psDpi}, {2250, 3, {0, 1.125, 2250, 0.75}}},
        {"dpi past the limit",
         14000,
         7000,
         {10, 10},
         false,
         {TPageSize::psDpi},
         {14400, 7200, {0, 0, 14400, 7200}, true}},
        // Paper: auto turns the paper to the picture, the picture fitted
        // inside the margin and centred; small ones keep their size unless
        // enlarged.
        {"A4 photo landscape auto, 10 mm",
         4000,
         3000,
         none,
         false,
         {TPageSize::psA4, kAuto, 10},
         {841.89, 595.276, {61.89, 28.346, 718.111, 538.583}}},
        {"A4 photo forced portrait",
         4000,
         3000,
         none,
         false,
         {TPageSize::psA4, kPortrait, 0},
         {595.276, 841.89, {0, 197.717, 595.276, 446.457}}},
        {"A4 tall picture forced landscape",
         3000,
         4000,
         none,
         false,
         {TPageSize::psA4, kLandscape, 0},
         {841.89, 595.276, {197.717, 0, 446.457, 595.276}}},
        {"A4 turned photo stands portrait",
         4000,
         3000,
         none,
         true,
         {TPageSize::psA4, kAuto, 0},
         {595.276, 841.89, {0, 24.094, 595.276, 793.701}}},
        {"A4 small picture kept",
         96,
         96,
         none,
         false,
         {TPageSize::psA4},
         {595.276, 841.89, {261.638, 384.945, 72, 72}}},
        {"A4 small picture enlarged",
         96,
         96,
         none,
         false,
         {TPageSize::psA4, kAuto, 0, true},
         {595.276, 841.89, {0, 123.307, 595.276, 595.276}}},
        {"A4 one pixel", 1, 1, none, false, {TPageSize::psA4}, {595.276, 841.89, {297.263, 420.57, 0.75, 0.75}}},
        {"A4 scan at 300 dpi fills it",
         2480,
         3508,
         dpi300,
         false,
         {TPageSize::psA4},
         {595.276, 841.89, {0.049, 0, 595.179, 841.89}}},
        {"letter, margin past 30 mm counts as 30",
         1000,
         1000,
         {10, 10},
         false,
         {TPageSize::psLetter, kAuto, 50},
         {612, 792, {85.039, 175.039, 441.921, 441.921}}},
        {"B5 JIS", 100, 200, {10, 10}, false, {TPageSize::psB5}, {515.906, 728.504, {75.827, 0, 364.252, 728.504}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TPagePlacement got = PlacePage(c.width, c.height, c.density, c.turned, c.settings);
        EXPECT_NEAR(got.Width, c.expected.Width, 0.0015);
        EXPECT_NEAR(got.Height, c.expected.Height, 0.0015);
        EXPECT_NEAR(got.Picture.Left, c.expected.Picture.Left, 0.0015);
        EXPECT_NEAR(got.Picture.Bottom, c.expected.Picture.Bottom, 0.0015);
        EXPECT_NEAR(got.Picture.Width, c.expected.Picture.Width, 0.0015);
        EXPECT_NEAR(got.Picture.Height, c.expected.Picture.Height, 0.0015);
        EXPECT_EQ(got.Capped, c.expected.Capped);
        EXPECT_LE(std::max(got.Width, got.Height), kMaxPageSide);
        // Never distorted: the picture keeps its aspect at its density.
        if (c.settings.Size != TPageSize::psPixels) {
            const TDensity d = EffectiveDensity(c.density);
            const double aspect = c.turned ? (c.height / d.Y) / (c.width / d.X) : (c.width / d.X) / (c.height / d.Y);
            EXPECT_NEAR(got.Picture.Width / got.Picture.Height, aspect, 0.01 * aspect);
        }
    }
}

TEST(PageGeometry, EffectiveDensity) {
    const struct {
        TDensity stated, expected;
    } cases[] = {
        {{300, 300}, {300, 300}},   {{204, 98}, {204, 98}},  {{0, 0}, {96, 96}},     {{9.9, 9.9}, {96, 96}},
        {{10, 10000}, {10, 10000}}, {{10001, 72}, {72, 72}}, {{150, 0}, {150, 150}}, {{-300, -300}, {96, 96}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EffectiveDensity(c.stated), c.expected) << c.stated.X << " x " << c.stated.Y;
    }
}

}  // namespace
}  // namespace pim

#include "graphics/Resample.h"

#include "graphics/Exif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace pim {
namespace {

using Samples = std::vector<int>;

// The resampling rules applied to one line of samples, written out plainly.
Samples ReferenceLine(const Samples& src, int dst) {
    const int n = static_cast<int>(src.size());
    Samples out(static_cast<std::size_t>(dst));
    if (dst == n) return src;
    if (dst > n) {
        for (int x = 0; x < dst; ++x) {
            const double p = static_cast<double>(x) * (n - 1) / (dst - 1);
            const int t = static_cast<int>(p);
            const double u = p - t + 1;
            const double w[4] = {-(u - 1) * (u - 2) * (u - 3) / 6, u * (u - 2) * (u - 3) / 2,
                                 -u * (u - 1) * (u - 3) / 2, u * (u - 1) * (u - 2) / 6};
            std::int64_t sum = 1 << 19;
            for (int k = 0; k < 4; ++k)
                sum += static_cast<std::int64_t>(w[k] * 1048576 + 0.5) * src[std::clamp(t - 1 + k, 0, n - 1)];
            out[x] = static_cast<int>(std::clamp<std::int64_t>(sum, 0, 255LL << 20) >> 20);
        }
        return out;
    }
    const double s = static_cast<double>(n) / dst;
    const auto mul = static_cast<std::int64_t>(4194304.0 / s + 0.5);
    for (int j = 0; j < dst; ++j) {
        std::int64_t sum = 0;
        for (int i = static_cast<int>(j * s); i < n && i < (j + 1) * s; ++i) {
            const double covered = std::min((j + 1) * s, i + 1.0) - std::max(j * s, static_cast<double>(i));
            sum += static_cast<std::int64_t>(covered * 262144 + 0.5) * src[i];
        }
        out[j] = static_cast<int>((sum * mul) >> 40);
    }
    return out;
}

// One channel of a 24-bit bitmap as rows of samples.
std::vector<Samples> Channel(const TBitmap& b, int c) {
    std::vector<Samples> rows(static_cast<std::size_t>(b.Height()), Samples(static_cast<std::size_t>(b.Width())));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) rows[y][x] = b.ScanLine(y)[3 * x + c];
    return rows;
}

// Width first, then height, as the rules say.
std::vector<Samples> Reference(std::vector<Samples> rows, int w, int h) {
    for (Samples& row : rows) row = ReferenceLine(row, w);
    std::vector<Samples> out(static_cast<std::size_t>(h), Samples(static_cast<std::size_t>(w)));
    for (int x = 0; x < w; ++x) {
        Samples column;
        for (const Samples& row : rows) column.push_back(row[x]);
        column = ReferenceLine(column, h);
        for (int y = 0; y < h; ++y) out[y][x] = column[y];
    }
    return out;
}

TEST(FitSize, ShrinksGrowsOrFillsByGetType) {
    using enum TGetType;
    EXPECT_EQ(FitSize(640, 480, 94, 94, igtPreview), (TImgSize{94, 70}));
    EXPECT_EQ(FitSize(480, 640, 94, 94, igtPreview), (TImgSize{70, 94}));
    EXPECT_EQ(FitSize(500, 375, 94, 94, igtPreview), (TImgSize{94, 70}));
    EXPECT_EQ(FitSize(200, 200, 94, 80, igtPreview), (TImgSize{80, 80}));
    // A landscape box with a near-square picture: the width rule overshoots.
    EXPECT_EQ(FitSize(110, 100, 200, 50, igtPreview), (TImgSize{55, 50}));
    EXPECT_EQ(FitSize(60, 40, 94, 94, igtPreview), (TImgSize{60, 40}));
    EXPECT_EQ(FitSize(60, 40, 94, 94, igtStretch), (TImgSize{94, 62}));
    EXPECT_EQ(FitSize(94, 40, 94, 94, igtStretch), (TImgSize{94, 40}));  // touches the box: kept
    EXPECT_EQ(FitSize(640, 480, 94, 94, igtStretch), (TImgSize{94, 70}));
    EXPECT_EQ(FitSize(60, 40, 94, 94, igtFit), (TImgSize{94, 94}));
    EXPECT_EQ(FitSize(4000, 3000, 94, 94, igtNormal), (TImgSize{4000, 3000}));
    // A sliver keeps one pixel instead of vanishing.
    EXPECT_EQ(FitSize(10000, 10, 94, 94, igtPreview), (TImgSize{94, 1}));
}

TEST(JpegScale, LargestThatStillCoversTheBox) {
    EXPECT_EQ(JpegScaleFor(4000, 3000, 94, 94), 8);
    EXPECT_EQ(JpegScaleFor(752, 752, 94, 94), 8);
    EXPECT_EQ(JpegScaleFor(751, 752, 94, 94), 4);
    EXPECT_EQ(JpegScaleFor(376, 2000, 94, 94), 4);
    EXPECT_EQ(JpegScaleFor(188, 188, 94, 94), 2);
    EXPECT_EQ(JpegScaleFor(187, 188, 94, 94), 1);
}

TEST(Resample, MatchesThePlainRulesOverRandomSizes) {
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> side(1, 40), target(1, 60), sample(0, 255);
    for (int round = 0; round < 60; ++round) {
        TBitmap b(side(rng), side(rng), TPixelFormat::pf24bit);
        for (int y = 0; y < b.Height(); ++y)
            for (int i = 0; i < 3 * b.Width(); ++i) b.ScanLine(y)[i] = static_cast<std::uint8_t>(sample(rng));
        const int w = target(rng), h = target(rng);
        std::vector<std::vector<Samples>> expected;
        for (int c = 0; c < 3; ++c) expected.push_back(Reference(Channel(b, c), w, h));
        SCOPED_TRACE(std::to_string(b.Width()) + "x" + std::to_string(b.Height()) + " to " + std::to_string(w) + "x" +
                     std::to_string(h));
        Resample(b, w, h);
        ASSERT_EQ(b.Width(), w);
        ASSERT_EQ(b.Height(), h);
        for (int c = 0; c < 3; ++c) ASSERT_EQ(Channel(b, c), expected[c]) << "channel " << c;
    }
}

TEST(Resample, KeepsRampsAndAveragesBlocks) {
    // Cubic interpolation reproduces a ramp; shrinking by 4 averages 4 x 4 blocks.
    TBitmap ramp(11, 1, TPixelFormat::pf24bit);
    for (int x = 0; x < 11; ++x) ramp.ScanLine(0)[3 * x] = static_cast<std::uint8_t>(20 * x);
    Resample(ramp, 21, 1);
    for (int x = 0; x < 21; ++x) EXPECT_NEAR(ramp.ScanLine(0)[3 * x], 10 * x, 1) << x;

    TBitmap blocks(8, 8, TPixelFormat::pf24bit);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            blocks.ScanLine(y)[3 * x + 1] = static_cast<std::uint8_t>((x / 4 + 2 * (y / 4)) * 60 + x % 2);
    Resample(blocks, 2, 2);
    EXPECT_NEAR(blocks.ScanLine(0)[1], 0, 1);
    EXPECT_NEAR(blocks.ScanLine(0)[4], 60, 1);
    EXPECT_NEAR(blocks.ScanLine(1)[1], 120, 1);
    EXPECT_NEAR(blocks.ScanLine(1)[4], 180, 1);
}

// A thumbnail turned as its EXIF orientation says, then turned on by the
// user, must show what the page shows: the orientation TurnOrientation gives.
TEST(Orient, TurningOnAgreesWithTheComposedOrientation) {
    TBitmap picture(3, 2, TPixelFormat::pf24bit);  // six pixels told apart by their red
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) picture.ScanLine(y)[3 * x + 2] = static_cast<std::uint8_t>(1 + x + 3 * y);
    const auto reds = [](const TBitmap& b) {
        std::vector<int> out{b.Width(), b.Height()};
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) out.push_back(b.ScanLine(y)[3 * x + 2]);
        return out;
    };
    TBitmap clockwise = picture;
    Orient(clockwise, 6);
    EXPECT_EQ(reds(clockwise), (std::vector<int>{2, 3, 4, 1, 5, 2, 6, 3}));
    TBitmap transposed = picture;
    Orient(transposed, 5);
    EXPECT_EQ(reds(transposed), (std::vector<int>{2, 3, 1, 4, 2, 5, 3, 6}));
    for (int orientation = 1; orientation <= 8; ++orientation)
        for (int turns = -1; turns <= 4; ++turns) {
            TBitmap stepwise = picture;
            Orient(stepwise, orientation);
            for (int k = 0; k < (turns + 4) % 4; ++k) Orient(stepwise, 6);
            TBitmap composed = picture;
            Orient(composed, TurnOrientation(orientation, turns));
            EXPECT_EQ(reds(stepwise), reds(composed)) << orientation << " turned " << turns;
        }
}

}  // namespace
}  // namespace pim

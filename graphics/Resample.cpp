#include "graphics/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace pim {

namespace {

int Trunc(double v) { return static_cast<int>(v); }

// Scales w x h to the box keeping the aspect: a landscape picture by its
// width first, a portrait or square one by its height first.
TImgSize ScaleToBox(int w, int h, int boxWidth, int boxHeight) {
    const double r = static_cast<double>(w) / h;
    TImgSize size;
    if (w > h) {
        size = {boxWidth, Trunc(boxWidth / r)};
        if (size.Height > boxHeight) size = {Trunc(r * boxHeight), boxHeight};
    } else {
        size = {Trunc(r * boxHeight), boxHeight};
        if (size.Width > boxWidth) size = {boxWidth, Trunc(boxWidth / r)};
    }
    size.Width = std::max(size.Width, 1);
    size.Height = std::max(size.Height, 1);
    return size;
}

// Which source samples make one destination sample along a side, and with
// which fixed-point weights.
struct TPlan {
    bool grow = false;
    std::vector<int> start;  // per destination: first entry in index/weight
    std::vector<int> index;  // source positions
    std::vector<std::int64_t> weight;
    std::int64_t scale = 0;  // shrinking: the factor before the final shift
};

constexpr int kGrowShift = 20;
constexpr int kShrinkShift = 40;

TPlan GrowPlan(int src, int dst) {
    TPlan plan;
    plan.grow = true;
    for (int x = 0; x < dst; ++x) {
        plan.start.push_back(static_cast<int>(plan.index.size()));
        const double p = static_cast<double>(x) * (src - 1) / (dst - 1);
        const int base = Trunc(p);
        const double u = (p - base) + 1;
        const double w[4] = {-(u - 1) * (u - 2) * (u - 3) / 6, u * (u - 2) * (u - 3) / 2, -u * (u - 1) * (u - 3) / 2,
                             u * (u - 1) * (u - 2) / 6};
        for (int k = 0; k < 4; ++k) {
            plan.index.push_back(std::clamp(base - 1 + k, 0, src - 1));
            plan.weight.push_back(Trunc(w[k] * (1 << kGrowShift) + 0.5));
        }
    }
    plan.start.push_back(static_cast<int>(plan.index.size()));
    return plan;
}

TPlan ShrinkPlan(int src, int dst) {
    TPlan plan;
    const double s = static_cast<double>(src) / dst;
    plan.scale = static_cast<std::int64_t>(std::ldexp(1.0, 22) / s + 0.5);
    for (int j = 0; j < dst; ++j) {
        plan.start.push_back(static_cast<int>(plan.index.size()));
        const double from = j * s;
        const double to = (j + 1) * s;
        for (int i = static_cast<int>(from); i < src && i < to; ++i) {
            const double covered = std::min(to, i + 1.0) - std::max(from, static_cast<double>(i));
            plan.index.push_back(i);
            plan.weight.push_back(static_cast<std::int64_t>(covered * (1 << 18) + 0.5));
        }
    }
    plan.start.push_back(static_cast<int>(plan.index.size()));
    return plan;
}

TPlan MakePlan(int src, int dst) { return dst > src ? GrowPlan(src, dst) : ShrinkPlan(src, dst); }

std::uint8_t Finish(const TPlan& plan, std::int64_t sum) {
    if (plan.grow) {
        sum += std::int64_t{1} << (kGrowShift - 1);
        return static_cast<std::uint8_t>(std::clamp<std::int64_t>(sum, 0, std::int64_t{255} << kGrowShift) >>
                                         kGrowShift);
    }
    return static_cast<std::uint8_t>(std::min<std::int64_t>((sum * plan.scale) >> kShrinkShift, 255));
}

void ResampleWidth(const TBitmap& src, TBitmap& dst) {
    const TPlan plan = MakePlan(src.Width(), dst.Width());
    for (int y = 0; y < src.Height(); ++y) {
        const std::uint8_t* in = src.ScanLine(y);
        std::uint8_t* out = dst.ScanLine(y);
        for (int x = 0; x < dst.Width(); ++x) {
            std::int64_t sum[3] = {0, 0, 0};
            for (int k = plan.start[x]; k < plan.start[x + 1]; ++k) {
                const std::uint8_t* px = in + 3 * plan.index[k];
                for (int c = 0; c < 3; ++c) sum[c] += plan.weight[k] * px[c];
            }
            for (int c = 0; c < 3; ++c) out[3 * x + c] = Finish(plan, sum[c]);
        }
    }
}

// Row by row, so every pass reads whole source rows in memory order.
void ResampleHeight(const TBitmap& src, TBitmap& dst) {
    const TPlan plan = MakePlan(src.Height(), dst.Height());
    const int samples = 3 * src.Width();
    std::vector<std::int64_t> sum(static_cast<std::size_t>(samples));
    for (int y = 0; y < dst.Height(); ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        for (int k = plan.start[y]; k < plan.start[y + 1]; ++k) {
            const std::uint8_t* in = src.ScanLine(plan.index[k]);
            const std::int64_t w = plan.weight[k];
            for (int i = 0; i < samples; ++i) sum[i] += w * in[i];
        }
        std::uint8_t* out = dst.ScanLine(y);
        for (int i = 0; i < samples; ++i) out[i] = Finish(plan, sum[i]);
    }
}

}  // namespace

TImgSize FitSize(int w, int h, int boxWidth, int boxHeight, TGetType type) {
    switch (type) {
        case TGetType::igtNormal: return {w, h};
        case TGetType::igtFit: return {boxWidth, boxHeight};
        case TGetType::igtStretch:
            if (w > 0 && h > 0 && w < boxWidth && h < boxHeight) return ScaleToBox(w, h, boxWidth, boxHeight);
            [[fallthrough]];
        case TGetType::igtPreview:
            if (w <= boxWidth && h <= boxHeight) return {w, h};
            if (w <= 0 || h <= 0) return {boxWidth, boxHeight};
            return ScaleToBox(w, h, boxWidth, boxHeight);
    }
    return {w, h};
}

void Ensure24Bit(TBitmap& bitmap) {
    if (BitsPerPixel(bitmap.PixelFormat()) != 24) bitmap.SetPixelFormat(TPixelFormat::pf24bit);
}

void Orient(TBitmap& bitmap, int orientation) {
    if (orientation < 2 || orientation > 8 || bitmap.Empty()) return;
    Ensure24Bit(bitmap);
    const int w = bitmap.Width(), h = bitmap.Height();
    const bool swaps = orientation >= 5;
    TBitmap out(swaps ? h : w, swaps ? w : h, TPixelFormat::pf24bit);
    // Where the source pixel (x, y) lands.
    const auto place = [&](int x, int y) -> std::pair<int, int> {
        switch (orientation) {
            case 2: return {w - 1 - x, y};
            case 3: return {w - 1 - x, h - 1 - y};
            case 4: return {x, h - 1 - y};
            case 5: return {y, x};
            case 6: return {h - 1 - y, x};
            case 7: return {h - 1 - y, w - 1 - x};
            default: return {y, w - 1 - x};
        }
    };
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* from = std::as_const(bitmap).ScanLine(y);
        for (int x = 0; x < w; ++x, from += 3) {
            const auto [dx, dy] = place(x, y);
            std::memcpy(out.ScanLine(dy) + 3 * dx, from, 3);
        }
    }
    bitmap = std::move(out);
}

void Resample(TBitmap& bitmap, int width, int height) {
    Ensure24Bit(bitmap);
    if (width == bitmap.Width() && height == bitmap.Height()) return;
    if (bitmap.Empty() || width <= 0 || height <= 0) {
        bitmap = TBitmap(std::max(width, 0), std::max(height, 0), TPixelFormat::pf24bit);
        return;
    }
    if (width != bitmap.Width()) {
        TBitmap out(width, bitmap.Height(), TPixelFormat::pf24bit);
        ResampleWidth(bitmap, out);
        bitmap = std::move(out);
    }
    if (height != bitmap.Height()) {
        TBitmap out(width, height, TPixelFormat::pf24bit);
        ResampleHeight(bitmap, out);
        bitmap = std::move(out);
    }
}

void FitBitmap(TBitmap& bitmap, int boxWidth, int boxHeight, TGetType type) {
    if (bitmap.Empty()) return;
    const TImgSize size = FitSize(bitmap.Width(), bitmap.Height(), boxWidth, boxHeight, type);
    Resample(bitmap, size.Width, size.Height);
}

int JpegScaleFor(int width, int height, int boxWidth, int boxHeight) {
    for (int denom : {8, 4, 2})
        if (height / denom >= boxHeight && width / denom >= boxWidth) return denom;
    return 1;
}

void FillBitmap(TBitmap& bitmap, TColor color) {
    Ensure24Bit(bitmap);
    FillRect(bitmap, 0, 0, bitmap.Width(), bitmap.Height(), color);
}

void FillRect(TBitmap& bitmap, int x, int y, int width, int height, TColor color) {
    const int x0 = std::max(x, 0), x1 = std::min(x + width, bitmap.Width());
    const int y0 = std::max(y, 0), y1 = std::min(y + height, bitmap.Height());
    const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(color >> 16), static_cast<std::uint8_t>(color >> 8),
                                 static_cast<std::uint8_t>(color)};
    for (int row = y0; row < y1; ++row) {
        std::uint8_t* p = bitmap.ScanLine(row) + 3 * x0;
        for (int col = x0; col < x1; ++col, p += 3) std::memcpy(p, bgr, 3);
    }
}

void CopyRect(const TBitmap& source, int sx, int sy, TBitmap& dest, int dx, int dy, int width, int height) {
    // Clip against both bitmaps, moving both origins together.
    const auto clip = [](int& s, int& d, int& n, int sLimit, int dLimit) {
        const int skip = std::max({0, -s, -d});
        s += skip;
        d += skip;
        n = std::min({n - skip, sLimit - s, dLimit - d});
    };
    clip(sx, dx, width, source.Width(), dest.Width());
    clip(sy, dy, height, source.Height(), dest.Height());
    if (width <= 0 || height <= 0) return;
    for (int row = 0; row < height; ++row)
        std::memcpy(dest.ScanLine(dy + row) + 3 * dx, source.ScanLine(sy + row) + 3 * sx,
                    static_cast<std::size_t>(3 * width));
}

}  // namespace pim

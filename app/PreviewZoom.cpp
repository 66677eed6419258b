#include "app/PreviewZoom.h"

#include <algorithm>

namespace pim {

namespace {

constexpr double kStep = 1.25;

}  // namespace

double FitZoom(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0) return 1;
    const double zoom = std::min(static_cast<double>(std::max(1, areaWidth)) / pictureWidth,
                                 static_cast<double>(std::max(1, areaHeight)) / pictureHeight);
    return std::min(1.0, zoom);
}

double MostZoom(int pictureWidth, int pictureHeight) {
    constexpr double kLargestWindow = 32767;
    return std::min(kMaxPreviewZoom, kLargestWindow / std::max({1, pictureWidth, pictureHeight}));
}

double StepZoom(double zoom, bool in, double fit) {
    const double next = in ? zoom * kStep : zoom / kStep;
    // 1:1 is never stepped over: the picture's own pixels are always one step away.
    if ((zoom < 1 && next > 1) || (zoom > 1 && next < 1)) return 1;
    return std::clamp(next, std::min(fit, 1.0), kMaxPreviewZoom);
}

}  // namespace pim

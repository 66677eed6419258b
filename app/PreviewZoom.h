// The zoom of the adjustment tab's preview: a picture opens fitted into the
// panel (shrunk, never enlarged), and the user zooms in steps from there to
// 400 %, each step a quarter larger or smaller, never stepping over 1:1.
#pragma once

namespace pim {

inline constexpr double kMaxPreviewZoom = 4;

// The largest zoom at which the whole picture fits the area, at most 1.
double FitZoom(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);

// The largest zoom for the picture: 400 %, or less where the picture would
// grow past the 32767 pixels a window can measure.
double MostZoom(int pictureWidth, int pictureHeight);

// The next zoom in or out from zoom, stopping at 1 on the way and kept
// between the fitted zoom (or 1, when the picture is smaller) and 400 %.
double StepZoom(double zoom, bool in, double fit);

}  // namespace pim

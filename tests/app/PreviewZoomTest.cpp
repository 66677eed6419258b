// The preview's zoom steps: a picture opens shrunk to fit, never enlarged,
// and steps never pass over 1:1 nor leave the fitted size and 400 %.
#include <gtest/gtest.h>

#include "app/PreviewZoom.h"

namespace pim {
namespace {

TEST(PreviewZoom, FitsShrinkingOnlyAndStepsStopAtOneToOneAndTheEnds) {
    EXPECT_DOUBLE_EQ(FitZoom(3000, 2000, 421, 365), 421.0 / 3000);
    EXPECT_DOUBLE_EQ(FitZoom(2000, 3000, 421, 365), 365.0 / 3000);
    EXPECT_EQ(FitZoom(60, 40, 421, 365), 1);
    EXPECT_EQ(FitZoom(0, 0, 421, 365), 1);

    const double fit = 0.14;
    EXPECT_EQ(StepZoom(fit, false, fit), fit);
    EXPECT_DOUBLE_EQ(StepZoom(fit, true, fit), fit * 1.25);
    EXPECT_EQ(StepZoom(0.9, true, fit), 1);
    EXPECT_EQ(StepZoom(1.1, false, fit), 1);
    EXPECT_EQ(StepZoom(3.5, true, fit), 4);
    EXPECT_EQ(StepZoom(1, false, 1), 1);  // a small picture never goes below 1:1
    double zoom = fit;
    for (int i = 0; i < 30; ++i) zoom = StepZoom(zoom, true, fit);
    EXPECT_EQ(zoom, 4);
    // A window measures at most 32767 pixels.
    EXPECT_EQ(MostZoom(3000, 2000), 4);
    EXPECT_DOUBLE_EQ(MostZoom(20000, 500), 32767.0 / 20000);
}

}  // namespace
}  // namespace pim

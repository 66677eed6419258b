// pim --auto-orient: JPEGs carrying each of the eight EXIF orientations come
// out as ImageMagick's `convert -auto-orient` shows them, their bytes unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "graphics/JpegCodec.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/TestPictures.h"
#include "tests/cli/PimProcess.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;

TEST(PimAutoOrient, EveryOrientationStandsAsConvertShowsIt) {
    PIM_NEEDS_TOOLS();
    // Four quarters of four colours: each of the eight orientations gives
    // another picture. 64 x 32 pixels, so a turned page is 32 x 64.
    const std::vector<std::uint8_t> plain = EncodeJpeg(test::QuartersBitmap(64, 32), {.quality = 95});
    const std::string folder = test::FreshFolder("pim-auto-orient");
    for (int o = 1; o <= 8; ++o)
        test::WriteFileBytes(folder + "/o" + std::to_string(o) + ".jpg", test::JpegWithOrientation(plain, o));

    ASSERT_EQ(test::RunPim({"--quiet", "--auto-orient", folder}).exitCode, 0);
    const std::string pdf = folder + "/default.pdf";
    const test::TPdfFacts facts = test::TPdfFacts::FromFile(pdf);
    const std::vector<int> pages = facts.Pages();
    ASSERT_EQ(pages.size(), 8u);
    ASSERT_EQ(test::RunCommand("pdftocairo -r 72 -png " + test::ShellQuote(pdf) + " " + test::ShellQuote(folder + "/p")).status, 0);
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE("orientation " + std::to_string(o));
        const std::string source = folder + "/o" + std::to_string(o) + ".jpg";
        // The JPEG goes in as the file holds it.
        EXPECT_EQ(facts.Object(facts.PageImages(pages[o - 1]).at(0)).Stream, test::ReadFileBytes(source));
        EXPECT_EQ(facts.PageSize(pages[o - 1]), o >= 5 ? std::make_pair(32, 64) : std::make_pair(64, 32));
        const test::TImage expected = test::ParsePnm(
            test::RunCommand("convert " + test::ShellQuote(source) + " -auto-orient -depth 8 ppm:-").output);
        const test::TImage rendered = test::ParsePnm(
            test::RunCommand("convert " + test::ShellQuote(folder + "/p-" + std::to_string(o) + ".png") +
                             " -depth 8 ppm:-").output);
        EXPECT_TRUE(test::SameQuarters(rendered, expected));
    }

    // Photos stand upright by default; --no-auto-orient gives the pictures as stored.
    ASSERT_EQ(test::RunPim({"--quiet", "-t", "jpg", "-o", "upright", folder}).exitCode, 0);
    EXPECT_EQ(test::ReadFileBytes(folder + "/upright.pdf").size(), test::ReadFileBytes(pdf).size());
    ASSERT_EQ(test::RunPim({"--quiet", "-t", "jpg", "--no-auto-orient", "-o", "stored", folder}).exitCode, 0);
    const test::TPdfFacts stored = test::TPdfFacts::FromFile(folder + "/stored.pdf");
    for (const int page : stored.Pages()) EXPECT_EQ(stored.PageSize(page), std::make_pair(64, 32));
}

}  // namespace
}  // namespace pim

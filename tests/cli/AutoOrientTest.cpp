// pim --auto-orient: JPEGs carrying each of the eight EXIF orientations come
// out as ImageMagick's `convert -auto-orient` shows them, their bytes unchanged.
#include <gtest/gtest.h>

#include <cstdlib>
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

// The JPEG with an APP1 "Exif" segment holding one orientation tag right
// after its start marker; odd values in Intel, even ones in Motorola order.
std::string WithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation) {
    const bool intel = orientation % 2 == 1;
    std::string exif = "Exif";
    exif += std::string(2, '\0');
    const auto put = [&exif, intel](unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = intel ? 8 * i : 8 * (bytes - 1 - i);
            exif += static_cast<char>(value >> shift & 0xFF);
        }
    };
    exif += intel ? "II" : "MM";
    put(42, 2), put(8, 4);                                   // TIFF header, directory at 8
    put(1, 2), put(0x0112, 2), put(3, 2), put(1, 4);         // one entry: orientation, SHORT, 1
    put(static_cast<unsigned>(orientation), 2), put(0, 2);   // its value, padded
    put(0, 4);                                               // no next directory
    std::string out(jpeg.begin(), jpeg.begin() + 2);
    out += "\xFF\xE1";
    const std::size_t length = exif.size() + 2;
    out += static_cast<char>(length >> 8), out += static_cast<char>(length & 0xFF);
    out += exif;
    out.append(jpeg.begin() + 2, jpeg.end());
    return out;
}

// The colour at the centre of each quarter: top left, top right, bottom left, bottom right.
std::vector<unsigned> Quarters(const test::TImage& image) {
    std::vector<unsigned> colours;
    for (const int y : {image.height / 4, 3 * image.height / 4})
        for (const int x : {image.width / 4, 3 * image.width / 4}) colours.push_back(image.Rgb(x, y));
    return colours;
}

bool Near(unsigned a, unsigned b) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 40) return false;
    return true;
}

TEST(PimAutoOrient, EveryOrientationStandsAsConvertShowsIt) {
    PIM_NEEDS_TOOLS();
    // Four quarters of four colours: each of the eight orientations gives
    // another picture. 64 x 32 pixels, so a turned page is 32 x 64.
    const TBitmap picture = test::MakeBitmap(64, 32, [](int x, int y) {
        if (y < 16) return x < 32 ? test::TRgb{220, 30, 30} : test::TRgb{30, 200, 30};
        return x < 32 ? test::TRgb{30, 30, 220} : test::TRgb{240, 240, 240};
    });
    const std::vector<std::uint8_t> plain = EncodeJpeg(picture, {.quality = 95});
    const std::string folder = test::FreshFolder("pim-auto-orient");
    for (int o = 1; o <= 8; ++o) test::WriteFileBytes(folder + "/o" + std::to_string(o) + ".jpg", WithOrientation(plain, o));

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
        ASSERT_EQ(rendered.width, expected.width);
        ASSERT_EQ(rendered.height, expected.height);
        const std::vector<unsigned> want = Quarters(expected), got = Quarters(rendered);
        for (std::size_t q = 0; q < 4; ++q) EXPECT_TRUE(Near(got[q], want[q])) << "quarter " << q << std::hex << " " << got[q] << " " << want[q];
    }

    // Without the option the pages are the pictures as stored.
    ASSERT_EQ(test::RunPim({"--quiet", "-t", "jpg", "-o", "stored", folder}).exitCode, 0);
    const test::TPdfFacts stored = test::TPdfFacts::FromFile(folder + "/stored.pdf");
    for (const int page : stored.Pages()) EXPECT_EQ(stored.PageSize(page), std::make_pair(64, 32));
}

}  // namespace
}  // namespace pim

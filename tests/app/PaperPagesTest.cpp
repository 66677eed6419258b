// Runs with a page size other than the pictures' own: the pages' sizes,
// where each picture is drawn, text and blank pages on the same paper.
#include <gtest/gtest.h>

#include "app/PdfRun.h"
#include "graphics/JpegCodec.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/RunHost.h"
#include "tests/app/TestPictures.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

// The JPEG's JFIF header saying `dpi` dots per inch.
std::vector<std::uint8_t> JpegAt(const TBitmap& bitmap, int dpi) {
    std::vector<std::uint8_t> jpeg = EncodeJpeg(bitmap, {});
    jpeg[13] = 1;
    jpeg[14] = jpeg[16] = static_cast<std::uint8_t>(dpi >> 8);
    jpeg[15] = jpeg[17] = static_cast<std::uint8_t>(dpi);
    return jpeg;
}

struct TPageFacts {
    std::string MediaBox;  // as written, "[0 0 w h ]"
    std::string Contents;
};

std::vector<TPageFacts> PagesOf(const std::string& path) {
    const test::TPdfFacts pdf = test::TPdfFacts::FromFile(path);
    std::vector<TPageFacts> pages;
    for (int page : pdf.Pages()) {
        const std::string& dictionary = pdf.Object(page).Dictionary;
        pages.push_back({test::TPdfFacts::Value(dictionary, "MediaBox"),
                         pdf.Object(test::TPdfFacts::Reference(dictionary, "Contents")).Stream});
    }
    return pages;
}

TEST(PaperPages, EachPageOnItsPaperWithThePictureFittedAndCentred) {
    const std::string folder = test::FreshFolder("run-paper-pages");
    // 300 dpi, 600 x 300 pixels: 144 x 72 units at its density.
    test::WriteFileBytes(folder + "/a-wide.jpg", JpegAt(test::GradientBitmap(600, 300), 300));
    // Stored wide, standing tall (EXIF orientation 6).
    test::WriteFileBytes(folder + "/b-turned.jpg",
                         test::JpegWithOrientation(EncodeJpeg(test::QuartersBitmap(400, 200), {}), 6));
    test::WriteFileBytes(folder + "/c-text.txt", "one line\r\n");
    const std::vector<std::string> files = {"", folder + "/a-wide.jpg", "", folder + "/b-turned.jpg",
                                            folder + "/c-text.txt"};
    const struct {
        const char* what;
        TPaperSettings paper;
        std::vector<std::string> boxes;
        std::vector<std::string> matrices;  // the paper's, on each page; "" none
    } cases[] = {
        {"A4 auto, 10 mm, not enlarged",
         {TPageSize::psA4, TPaperOrientation::poAuto, 10, false},
         {"[0 0 841.89 595.276 ]", "[0 0 841.89 595.276 ]", "[0 0 841.89 595.276 ]", "[0 0 595.276 841.89 ]",
          "[0 0 595.276 841.89 ]"},
         {"", "0.24 0 0 0.24 348.945 261.638 cm", "", "0.75 0 0 0.75 222.638 270.945 cm", "1 0 0 1 57.638 80.945 cm"}},
        {"letter portrait, enlarged",
         {TPageSize::psLetter, TPaperOrientation::poPortrait, 0, true},
         {"[0 0 612 792 ]", "[0 0 612 792 ]", "[0 0 612 792 ]", "[0 0 612 792 ]", "[0 0 612 792 ]"},
         {"", "1.02 0 0 1.02 0 243 cm", "", "1.98 0 0 1.98 108 0 cm", "1.164706 0 0 1.164706 26.471 0 cm"}},
        {"dpi",
         {TPageSize::psDpi},
         {"[0 0 144 72 ]", "[0 0 144 72 ]", "[0 0 144 72 ]", "[0 0 150 300 ]", "[0 0 480 680 ]"},
         {"", "0.24 0 0 0.24 0 0 cm", "", "0.75 0 0 0.75 0 0 cm", "1 0 0 1 0 0 cm"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TPdfRun run;
        TPdfRunSettings settings;
        settings.ImageFolder = folder;
        settings.Paper = c.paper;
        test::TRecordingHost host;
        const TPdfRunResult result = run.CreatePdf(host, files, settings);
        ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
        const std::string output = folder + "/default.pdf";
        EXPECT_VALID_PDF(output);
        const std::vector<TPageFacts> pages = PagesOf(output);
        ASSERT_EQ(pages.size(), c.boxes.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(pages[i].MediaBox, c.boxes[i]);
            if (c.matrices[i].empty())
                EXPECT_EQ(pages[i].Contents.find(" Do"), std::string::npos);  // a blank draws nothing
            else
                EXPECT_NE(pages[i].Contents.find("q\n" + c.matrices[i] + "\n"), std::string::npos) << pages[i].Contents;
        }
        // Bookmarks jump to the top of the page, whose height is not whole.
        EXPECT_NE(test::ReadFileBytes(output).find("/XYZ 0 " + std::to_string(c.paper.Size == TPageSize::psDpi  ? 72
                                                                              : c.paper.Size == TPageSize::psA4 ? 596
                                                                                                                : 792)),
                  std::string::npos);
    }
}

TEST(PaperPages, APictureLargerAtItsDensityThanViewersTakeIsScaledDownAndTold) {
    const std::string folder = test::FreshFolder("run-paper-capped");
    // 4000 x 500 pixels at 15 dpi: 19,200 x 2,400 units.
    test::WriteFileBytes(folder + "/wide.jpg", JpegAt(test::GradientBitmap(4000, 500), 15));
    TPdfRun run;
    TPdfRunSettings settings;
    settings.ImageFolder = folder;
    settings.Paper.Size = TPageSize::psDpi;
    test::TRecordingHost host;
    const TPdfRunResult result = run.CreatePdf(host, {folder + "/wide.jpg"}, settings);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    const std::vector<TPageFacts> pages = PagesOf(folder + "/default.pdf");
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].MediaBox, "[0 0 14400 1800 ]");
    EXPECT_NE(pages[0].Contents.find("q\n3.6 0 0 3.6 0 0 cm\n"), std::string::npos) << pages[0].Contents;
    ASSERT_EQ(result.Warnings.size(), 1u);
    EXPECT_NE(result.Warnings[0].Cause.find("4000 x 500 pixels, larger at its density"), std::string::npos);
    EXPECT_NE(result.Warnings[0].Cause.find("about 14400 x 1800"), std::string::npos);
}

}  // namespace
}  // namespace pim

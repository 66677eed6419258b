// Pages the user turned: the picture turned by quarter turns on top of the
// way it stands, through the page's size and drawing matrix alone, so a
// JPEG's bytes still go into the PDF unchanged.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/PdfRun.h"
#include "app/Preview.h"
#include "graphics/JpegCodec.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/RunHost.h"
#include "tests/app/TestPictures.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::ShellQuote;

test::TImage Converted(const std::string& source, const std::string& operations) {
    return test::ParsePnm(
        test::RunCommandStdout("convert " + ShellQuote(source) + " " + operations + " -depth 8 ppm:-").output);
}

// A 24-bit bitmap as the tests' picture type.
test::TImage ImageOf(TBitmap bitmap) {
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    test::TImage image{bitmap.Width(), bitmap.Height(), 3, {}};
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = std::as_const(bitmap).ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x)
            image.pixels.insert(image.pixels.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
    return image;
}

TEST(TurnedPages, ATurnGoesOnTopOfTheOrientationWithTheJpegBytesUnchanged) {
    PIM_NEEDS_TOOLS();
    const std::string folder = test::FreshFolder("turned-pages");
    const std::vector<std::uint8_t> plain = EncodeJpeg(test::QuartersBitmap(64, 32), {.quality = 95});
    test::WriteFileBytes(folder + "/a.jpg", plain);
    test::WriteFileBytes(folder + "/b.jpg", test::JpegWithOrientation(plain, 6));  // upright: a quarter turn clockwise
    test::WriteBmpFile(folder + "/c.bmp", test::QuartersBitmap(64, 32));
    test::WriteFileBytes(folder + "/d.txt", "line\r\n");
    struct TPage {
        const char* file;
        int turn;
        const char* shown;  // what ImageMagick does to the file to show the page
        std::pair<int, int> size;
    };
    const std::vector<TPage> pages = {
        {"a.jpg", 1, "-rotate 90", {32, 64}},
        {"b.jpg", 1, "-auto-orient -rotate 90", {64, 32}},
        {"c.bmp", 3, "-rotate -90", {32, 64}},
        {"d.txt", 1, "", {480, 680}},  // text is never turned
    };
    std::vector<std::string> files;
    std::vector<int> turns;
    for (const TPage& page : pages) files.push_back(folder + "/" + page.file), turns.push_back(page.turn);

    // As the files are, and re-encoded ("JPEG再変換": the new JPEG turned alike).
    for (const bool reencode : {false, true}) {
        SCOPED_TRACE(reencode ? "re-encoded" : "as stored");
        TPdfRunSettings settings;
        settings.ImageFolder = folder;
        settings.OutputName = reencode ? "reencoded" : "stored";
        settings.AutoOrient = true;
        settings.ReencodeJpeg = reencode;
        TPdfRun run;
        test::TRecordingHost host;
        ASSERT_EQ(run.CreatePdf(host, files, settings, turns).Outcome, TPdfRunOutcome::roDone);
        const std::string pdf = folder + "/" + settings.OutputName + ".pdf";
        const test::TPdfFacts facts = test::TPdfFacts::FromFile(pdf);
        ASSERT_EQ(facts.Pages().size(), pages.size());
        ASSERT_EQ(test::RunCommand("pdftocairo -r 72 -png " + ShellQuote(pdf) + " " + ShellQuote(pdf)).status, 0);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            SCOPED_TRACE(pages[i].file);
            const int page = facts.Pages()[i];
            EXPECT_EQ(facts.PageSize(page), pages[i].size);
            if (i == 3) continue;
            const std::string source = folder + "/" + pages[i].file;
            if (!reencode && i < 2) {
                EXPECT_EQ(facts.Object(facts.PageImages(page).at(0)).Stream, test::ReadFileBytes(source));
            }
            EXPECT_TRUE(test::SameQuarters(Converted(pdf + "-" + std::to_string(i + 1) + ".png", ""),
                                           Converted(source, pages[i].shown)));
        }
    }

    // The adjustment tab's pictures, adjusted ("効果確認") and as stored
    // ("元の画像"), stand as the pages do.
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(pages[i].file);
        const std::string source = folder + "/" + pages[i].file;
        const TPreviewTurn turn{pages[i].turn, true};
        for (const TPicture& picture : {PreviewPicture(source, {}, turn), OriginalPicture(source, turn)}) {
            TBitmap bitmap;
            picture.Graphic()->AssignTo(bitmap);
            EXPECT_EQ(std::make_pair(bitmap.Width(), bitmap.Height()), pages[i].size);
            EXPECT_TRUE(test::SameQuarters(ImageOf(bitmap), Converted(source, pages[i].shown)));
        }
    }
}

}  // namespace
}  // namespace pim

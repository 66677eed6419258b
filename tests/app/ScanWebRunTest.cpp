// TIFF, GIF and WebP files in the run: every TIFF page a page with its
// numbered bookmark, in list order with the other kinds, with and without
// JPEG再変換 and workers; a page damaged part way is made and warned about.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "app/MainModel.h"
#include "app/PdfRun.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/RunHost.h"
#include "tests/app/TestPictures.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::TPdfFacts;

// A TIFF of `pages` grey pages, 40 x 30, in LZW; page n is grey 40 n.
void WriteGreyTiff(const std::string& path, int pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    for (int n = 0; n < pages; ++n) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 40);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 30);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 30);
        std::uint8_t row[40];
        for (int y = 0; y < 30; ++y) {
            std::fill(row, row + 40, static_cast<std::uint8_t>(40 * n));
            TIFFWriteScanline(tif, row, y, 0);
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

TEST(ScanWebRun, EveryTiffPageInOrderWithItsNumber) {
    const std::string folder = test::FreshFolder("run-scanweb");
    WriteGreyTiff(folder + "/scan.tiff", 3);
    WriteGreyTiff(folder + "/one.tif", 1);
    test::WriteJpegFile(folder + "/photo.jpg", test::GradientBitmap(8, 8));
    for (const bool reencode : {false, true}) {
        for (const int jobs : {1, 0}) {
            SCOPED_TRACE(std::to_string(reencode) + " " + std::to_string(jobs));
            TPdfRun run;
            test::TRecordingHost host;
            TPdfRunSettings settings;
            settings.ImageFolder = folder;
            settings.ReencodeJpeg = reencode;
            settings.Jobs = jobs;
            const TPdfRunResult result =
                run.CreatePdf(host, {folder + "/photo.jpg", folder + "/scan.tiff", "", folder + "/one.tif"}, settings);
            ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
            EXPECT_TRUE(result.Warnings.empty());
            const std::string pdf = OutputFileName(folder, "");
            const TPdfFacts facts = TPdfFacts::FromFile(pdf);
            ASSERT_EQ(facts.Pages().size(), 6u);
            // The blank page after the scan: its last page's size, nothing drawn.
            EXPECT_EQ(facts.PageSize(facts.Pages()[4]), (std::pair<int, int>{40, 30}));
            EXPECT_TRUE(facts.PageImages(facts.Pages()[4]).empty());
            EXPECT_EQ(facts.OutlineTitles(),
                      (std::vector<std::string>{"photo", "scan (1/3)", "scan (2/3)", "scan (3/3)", "one"}));
            EXPECT_VALID_PDF(pdf);
        }
    }
}

TEST(ScanWebRun, ADamagedPageIsMadeAndWarnedAbout) {
    const std::string folder = test::FreshFolder("run-scanweb-damaged");
    const std::string file = folder + "/bad.tif";
    WriteGreyTiff(file, 2);
    // The second page's strip overwritten with bytes LZW cannot decode.
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    TIFFSetDirectory(tif, 1);
    const auto offset = static_cast<long>(TIFFGetStrileOffset(tif, 0));
    const auto size = static_cast<long>(TIFFGetStrileByteCount(tif, 0));
    TIFFClose(tif);
    std::string bytes = test::ReadFileBytes(file);
    for (long i = offset + 2; i < offset + size; ++i) bytes[static_cast<std::size_t>(i)] = '\xFF';
    test::WriteFileBytes(file, bytes);

    TPdfRun run;
    test::TRecordingHost host;
    TPdfRunSettings settings;
    settings.ImageFolder = folder;
    const TPdfRunResult result = run.CreatePdf(host, {file}, settings);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    ASSERT_EQ(result.Warnings.size(), 1u);
    EXPECT_EQ(result.Warnings[0].File, file);
    EXPECT_NE(result.Warnings[0].Cause.find("page 2"), std::string::npos) << result.Warnings[0].Cause;
    EXPECT_EQ(TPdfFacts::FromFile(OutputFileName(folder, "")).Pages().size(), 2u);
}

}  // namespace
}  // namespace pim

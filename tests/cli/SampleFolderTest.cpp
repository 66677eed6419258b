// The sample folder of `make run`, end to end through pim: every page, its
// size, its bytes, its bookmark, the document's settings, and a render of
// each page against its source.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "graphics/JpegCodec.h"
#include "tests/app/PdfFacts.h"
#include "tests/cli/PimProcess.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;
using test::TPdfFacts;

class SampleFolder : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new std::string(test::OutputPath("cli-sample"));
        const auto made = test::RunCommand(std::string(PIM_SOURCE_DIR) + "/scripts/make-sample-folder " +
                                           test::ShellQuote(*folder_));
        ASSERT_EQ(made.status, 0) << made.output;
        result_ = new test::TPimResult(test::RunPim(
            {"--folder-name", "--title", "ピムの見本", "--author", "Pim", "--subject", "見本", *folder_}));
    }
    static void TearDownTestSuite() {
        delete folder_;
        delete result_;
    }
    static std::string Pdf() { return *folder_ + "/cli-sample.pdf"; }
    // The sources in page order (by name).
    static std::vector<fs::path> Sources() {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(*folder_))
            if (entry.path().extension() != ".pdf") files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        return files;
    }

    static std::string* folder_;
    static test::TPimResult* result_;
};

std::string* SampleFolder::folder_ = nullptr;
test::TPimResult* SampleFolder::result_ = nullptr;

std::pair<int, int> PixelSize(const fs::path& file) {
    TFileStream stream(file.string(), TFileMode::fmOpenRead);
    if (file.extension() == ".bmp") {
        TBitmap bitmap;
        ReadBmp(stream, bitmap);
        return {bitmap.Width(), bitmap.Height()};
    }
    const TJpegHeader header = ReadJpegHeader(stream);
    return {header.width, header.height};
}

TEST_F(SampleFolder, PimSaysWhereThePdfIs) {
    EXPECT_EQ(result_->exitCode, 0) << result_->err;
    EXPECT_EQ(result_->out, "ＰＤＦが作成出来ました\n" + Pdf() + "\n");
    EXPECT_NE(result_->err.find("画像読み込み:9/9"), std::string::npos) << result_->err;
    ASSERT_VALID_PDF(Pdf());
}

TEST_F(SampleFolder, OnePagePerFileOfThePicturesPixelSize) {
    const TPdfFacts pdf = TPdfFacts::FromFile(Pdf());
    const std::vector<int> pages = pdf.Pages();
    const std::vector<fs::path> sources = Sources();
    ASSERT_EQ(pages.size(), sources.size());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const fs::path& source = sources[i];
        names.push_back(source.stem().string());
        if (source.extension() == ".txt") {
            EXPECT_EQ(pdf.PageSize(pages[i]), std::make_pair(480, 680));
            EXPECT_TRUE(pdf.PageImages(pages[i]).empty());
            continue;
        }
        EXPECT_EQ(pdf.PageSize(pages[i]), PixelSize(source)) << source;
        const test::TPdfObjectText& image = pdf.Object(pdf.PageImages(pages[i]).at(0));
        const std::string bytes = test::ReadFileBytes(source.string());
        const bool jpeg = source.extension() == ".jpg";
        if (jpeg && ReadJpegHeader(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()).components == 3) {
            EXPECT_EQ(image.Stream, bytes) << source << ": a colour JPEG goes in unchanged";
        } else if (jpeg) {
            EXPECT_NE(image.Stream, bytes) << source << ": grey and CMYK JPEGs are encoded again";
            EXPECT_EQ(TPdfFacts::Value(image.Dictionary, "Filter"), "[/DCTDecode ]");
        } else {
            EXPECT_EQ(TPdfFacts::Value(image.Dictionary, "Filter"), "[]") << source;
        }
    }
    EXPECT_EQ(pdf.OutlineTitles(), names);
    EXPECT_NE(std::find(names.begin(), names.end(), "08-夕焼け"), names.end());
}

TEST_F(SampleFolder, DocumentSettingsOfTheWindow) {
    const TPdfFacts pdf = TPdfFacts::FromFile(Pdf());
    EXPECT_EQ(pdf.Info("Title").rfind("<FEFF", 0), 0u) << "UTF-16BE";
    EXPECT_EQ(test::PdfTextToUtf8(pdf.Info("Title")), "ピムの見本");
    EXPECT_EQ(test::PdfTextToUtf8(pdf.Info("Subject")), "見本");
    EXPECT_EQ(pdf.Info("Author"), "(Pim)");
    EXPECT_EQ(pdf.Info("Keywords"), "()");
    EXPECT_EQ(test::PdfTextToUtf8(pdf.Info("Creator")), "Pim-ピム-");
    const std::string first = std::to_string(pdf.Pages().at(0));
    EXPECT_EQ(TPdfFacts::Value(pdf.Catalog(), "OpenAction"), "[" + first + " 0 R /XYZ 0 490 1 ]");
    EXPECT_EQ(TPdfFacts::Value(pdf.Catalog(), "PageLayout"), "/OneColumn");
    EXPECT_NE(pdf.Catalog().find("/FitWindow true"), std::string::npos);
    EXPECT_NE(pdf.Catalog().find("/CenterWindow true"), std::string::npos);
}

// A picture's RGB samples, decoded by ImageMagick.
test::TImage SamplesOf(const std::string& file) {
    return test::ParsePnm(
        test::RunCommand("convert " + test::ShellQuote(file) + " -colorspace sRGB -depth 8 ppm:-").output);
}

// The share of rendered pixels that do not match the source. A viewer
// resamples a picture drawn one pixel per point slightly, blending
// neighbouring pixels along sharp edges; so a rendered sample matches when it
// lies within the range of the source's samples around the same place (with
// some room for JPEG decoders that differ). A wrong, shifted or flipped
// picture does not.
double ShareDifferent(const test::TImage& render, const test::TImage& source) {
    if (render.width != source.width || render.height != source.height || render.pixels.empty() ||
        render.pixels.size() != source.pixels.size())
        return 1.0;
    const auto at = [&](const test::TImage& s, int x, int y, int c) { return static_cast<int>(s.Sample(x, y, c)); };
    std::size_t different = 0;
    for (int y = 0; y < render.height; ++y) {
        for (int x = 0; x < render.width; ++x) {
            bool matches = true;
            for (int c = 0; c < 3 && matches; ++c) {
                int lo = 255, hi = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int sx = std::clamp(x + dx, 0, render.width - 1);
                        const int sy = std::clamp(y + dy, 0, render.height - 1);
                        lo = std::min(lo, at(source, sx, sy, c));
                        hi = std::max(hi, at(source, sx, sy, c));
                    }
                const int v = at(render, x, y, c);
                matches = v >= lo - 24 && v <= hi + 24;
            }
            if (!matches) ++different;
        }
    }
    return static_cast<double>(different) / (static_cast<double>(render.width) * render.height);
}

TEST_F(SampleFolder, EveryPageRendersAsItsSource) {
    const std::string renders = test::OutputPath("cli-sample-render");
    fs::remove_all(renders);
    fs::create_directories(renders);
    const auto rendered =
        test::RunCommand("pdftoppm -r 72 -png " + test::ShellQuote(Pdf()) + " " + test::ShellQuote(renders + "/p"));
    ASSERT_EQ(rendered.status, 0) << rendered.output;
    const std::vector<fs::path> sources = Sources();
    for (std::size_t i = 0; i < sources.size(); ++i) {
        char page[32];
        std::snprintf(page, sizeof page, "/p-%d.png", static_cast<int>(i + 1));
        const std::string render = renders + page;
        ASSERT_TRUE(fs::exists(render)) << render;
        if (sources[i].extension() == ".txt") {
            // Black text on white: some dark pixels, near the top-left corner.
            const auto dark = test::RunCommand("convert " + test::ShellQuote(render) +
                                               " -crop 240x60+0+0 -threshold 50% -format '%[fx:mean]' info:");
            EXPECT_LT(std::stod(dark.output), 0.99) << "the text page is blank";
            continue;
        }
        const test::TImage source = SamplesOf(sources[i].string());
        EXPECT_LT(ShareDifferent(SamplesOf(render), source), 0.01) << sources[i];
        if (sources[i].extension() == ".bmp") {
            // Raw samples: the image in the PDF is the bitmap, pixel for pixel.
            const std::string extracted = renders + "/image-" + std::to_string(i + 1);
            const std::string number = std::to_string(i + 1);
            ASSERT_EQ(test::RunCommand("pdfimages -png -f " + number + " -l " + number + " " + test::ShellQuote(Pdf()) +
                                       " " + test::ShellQuote(extracted)).status, 0);
            EXPECT_EQ(SamplesOf(extracted + "-000.png").pixels, source.pixels) << sources[i];
        }
    }
}

}  // namespace
}  // namespace pim

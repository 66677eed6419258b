// Pictures put on pages and rendered by poppler come out as their source
// pixels: exactly for bitmaps, within decoder differences for JPEG data.
#include <gtest/gtest.h>

#include "pdf/PdfDoc.h"
#include "pdf/PdfFonts.h"
#include "graphics/Jpeg.h"
#include "pdf/PdfImages.h"
#include "pdf/PdfJpegImage.h"
#include "tests/graphics/TestImages.h"
#include "tests/support/PdfCheck.h"

namespace pim {
namespace {

class PdfImagesRender : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterStandardFonts();
        RegisterPdfBitmapImage();
        RegisterPdfJpegImage();
    }
    static void TearDownTestSuite() {
        UnregisterPdfBitmapImage();
        UnregisterPdfJpegImage();
    }
    void SetUp() override {
        PIM_NEEDS_TOOLS();
        doc_.NewDocument();
    }

    // A page of the picture's size with the picture drawn one point per pixel.
    void AddPicturePage(const TGraphic& picture, const std::string& builder) {
        doc_.AddPage();
        TPdfCanvas* canvas = doc_.GetCanvas();
        canvas->SetPageWidth(picture.Width());
        canvas->SetPageHeight(picture.Height());
        const std::string name = "Image" + std::to_string(++pages_);
        doc_.AddImage(name, CreateImageObject(picture, builder));
        canvas->DrawXObject(0, 0, picture.Width(), picture.Height(), name);
    }

    std::string Save(const std::string& fileName) {
        const std::string path = test::OutPath(fileName);
        TFileStream file(path, TFileMode::fmCreate);
        doc_.SaveToStream(file);
        file.Close();
        return path;
    }

    // Poppler's cairo back end copies an image drawn one point per pixel at
    // 72 dpi exactly; its Splash back end (pdftoppm) resamples it slightly.
    static test::TImage Rendered(const std::string& pdf, int page) {
        const std::string out = pdf + "-page" + std::to_string(page);
        test::Shell("pdftocairo -png -r 72 -f " + std::to_string(page) + " -l " + std::to_string(page) +
                    " -singlefile '" + pdf + "' '" + out + "'");
        return test::MagickPixels(out + ".png");
    }

    TPdfDoc doc_;
    int pages_ = 0;
};

TEST_F(PdfImagesRender, BitmapsRenderToTheirExactPixels) {
    std::vector<TBitmap> bitmaps;
    bitmaps.push_back(test::Pattern(61, 37));
    TBitmap eight = test::Pattern(61, 37);
    const std::string palettised = test::OutPath("render-pal8.bmp");
    test::SavePpm(eight, palettised + ".ppm");
    test::Shell("convert '" + palettised + ".ppm' -colors 50 -type palette -compress none BMP3:'" + palettised + "'");
    eight.LoadFromFile(palettised);
    ASSERT_EQ(eight.PixelFormat(), TPixelFormat::pf8bit);
    bitmaps.push_back(eight);
    TBitmap mono(19, 7, TPixelFormat::pf1bit);
    for (int y = 0; y < 7; ++y) mono.ScanLine(y)[y % 3] = 0xA5;
    bitmaps.push_back(mono);
    TBitmap wide = test::Pattern(33, 9);
    wide.SetPixelFormat(TPixelFormat::pf32bit);
    bitmaps.push_back(wide);

    for (const TBitmap& bmp : bitmaps) AddPicturePage(bmp, "Pdf-Bitmap");
    const std::string pdf = Save("render-bitmaps.pdf");
    EXPECT_VALID_PDF(pdf);
    for (std::size_t i = 0; i < bitmaps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(test::MaxDiff(Rendered(pdf, static_cast<int>(i) + 1), test::ToRgb(bitmaps[i])), 0);
    }
}

TEST_F(PdfImagesRender, JpegDataRenderWithinDecoderTolerance) {
    const std::string ppm = test::OutPath("render-src.ppm"), jpg = test::OutPath("render.jpg");
    const std::string cmykJpg = test::OutPath("render-cmyk.jpg");
    test::SavePpm(test::Pattern(64, 40), ppm);
    test::Shell("cjpeg -quality 92 -outfile '" + jpg + "' '" + ppm + "'");
    test::Shell("convert '" + ppm + "' -colorspace CMYK -quality 95 '" + cmykJpg + "'");

    TJPEGImage rgb, cmyk, encoded;
    rgb.LoadFromFile(jpg);
    cmyk.LoadFromFile(cmykJpg);
    encoded.Assign(test::Pattern(64, 40));
    AddPicturePage(rgb, "Pdf-Jpeg");
    AddPicturePage(cmyk, "Pdf-Jpeg");
    AddPicturePage(encoded, "Pdf-Jpeg");
    AddPicturePage(cmyk, "Pdf-Bitmap");
    const std::string pdf = Save("render-jpeg.pdf");
    EXPECT_VALID_PDF(pdf);

    TJPEGImage encodedData;  // what the encoded page holds, decoded
    TMemoryStream stream;
    encoded.SaveToStream(stream);
    stream.SetPosition(0);
    encodedData.LoadFromStream(stream);

    EXPECT_LE(test::MaxDiff(Rendered(pdf, 1), test::ToRgb(rgb.Bitmap())), 3);
    EXPECT_LE(test::MaxDiff(Rendered(pdf, 3), test::ToRgb(encodedData.Bitmap())), 3);
    EXPECT_EQ(test::MaxDiff(Rendered(pdf, 4), test::ToRgb(cmyk.Bitmap())), 0);
    // Poppler turns DeviceCMYK into RGB its own way (duller than the plain
    // formula), but the inks must not come out inverted.
    EXPECT_LE(test::MeanDiff(Rendered(pdf, 2), test::ToRgb(cmyk.Bitmap())), 30);
    // Everything near the source picture (JPEG blurs its sharp edges).
    for (int page = 1; page <= 4; ++page)
        EXPECT_LE(test::MeanDiff(Rendered(pdf, page), test::ReadPnm(ppm)), page == 2 ? 30 : 8) << page;
}

TEST_F(PdfImagesRender, AJpegFileChangedBeforeTheSaveStopsIt) {
    const std::string ppm = test::OutPath("render-change.ppm"), jpg = test::OutPath("render-change.jpg");
    test::SavePpm(test::Pattern(16, 16), ppm);
    test::Shell("cjpeg -outfile '" + jpg + "' '" + ppm + "'");
    TJPEGImage jpeg;
    jpeg.LoadFromFile(jpg);
    AddPicturePage(jpeg, "Pdf-Jpeg");
    std::vector<std::uint8_t> bytes = test::ReadFileBuffer(jpg);
    bytes[bytes.size() / 2] ^= 0x10;
    test::WriteFileBytes(jpg, bytes);
    TMemoryStream out;
    EXPECT_THROW(doc_.SaveToStream(out), EStreamError);
}

}  // namespace
}  // namespace pim

#include <gtest/gtest.h>

#include "graphics/Jpeg.h"
#include "pdf/PdfImages.h"
#include "pdf/PdfJpegImage.h"
#include "tests/graphics/TestImages.h"

namespace pim {
namespace {

using test::MessageOf;

std::string Bytes(TPdfObject& object) {
    TMemoryStream m;
    object.WriteTo(m);
    return std::string(m.View());
}

std::vector<std::string> Keys(const TPdfDictionary& dict) {
    std::vector<std::string> keys;
    for (int i = 0; i < dict.ElementCount(); ++i) keys.push_back(dict.ElementAt(i).Key().Value());
    return keys;
}

std::string PaletteText(std::initializer_list<const char*> first) {
    std::string text = "<";
    std::size_t n = 0;
    for (const char* e : first) text += std::string(e) + " ", ++n;
    for (; n < 256; ++n) text += "000000 ";
    return text + ">";
}

class PdfImages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterPdfBitmapImage();
        RegisterPdfJpegImage();
    }
    static void TearDownTestSuite() {
        UnregisterPdfBitmapImage();
        UnregisterPdfJpegImage();
    }
};

TEST_F(PdfImages, ATwentyFourBitBitmapIsWrittenAsRgbInAttributeOrder) {
    TBitmap bmp(2, 1, TPixelFormat::pf24bit);
    const std::uint8_t bgr[6] = {255, 0, 0, 0, 0, 255};  // blue, then red
    std::copy(bgr, bgr + 6, bmp.ScanLine(0));
    std::unique_ptr<TPdfImage> image = CreateImageObject(bmp, "Pdf-Bitmap");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Content().ToString(), std::string("\x00\x00\xFF\xFF\x00\x00", 6));
    EXPECT_EQ(Bytes(*image),
              "<<\r\n/Length 6\r\n/Filter []\r\n/Type /XObject\r\n/Subtype /Image\r\n/ColorSpace /DeviceRGB\r\n"
              "/Width 2\r\n/Height 1\r\n/BitsPerComponent 8\r\n>>\r\nstream\r\n" +
                  std::string("\x00\x00\xFF\xFF\x00\x00", 6) + "\nendstream");
}

TEST_F(PdfImages, LowDepthBitmapsBecomeEightBitIndexedImages) {
    TBitmap mono(3, 2, TPixelFormat::pf1bit);  // black and white
    mono.ScanLine(0)[0] = 0b10100000;
    mono.ScanLine(1)[0] = 0b01000000;
    std::unique_ptr<TPdfImage> image = CreateImageObject(mono, "Pdf-Bitmap");
    EXPECT_EQ(image->Content().ToString(), std::string("\x01\x00\x01\x00\x01\x00", 6));
    EXPECT_EQ(Keys(image->Attributes()), (std::vector<std::string>{"Length", "Filter", "Type", "Subtype", "ColorSpace",
                                                                    "Width", "Height", "BitsPerComponent"}));
    EXPECT_EQ(Bytes(*image->Attributes().Lookup("ColorSpace")),
              "[/Indexed /DeviceRGB 255 " + PaletteText({"000000", "FFFFFF"}) + " ]");
    EXPECT_EQ(image->Attributes().LookupNumber("BitsPerComponent")->Value(), 8);

    TBitmap four(5, 1, TPixelFormat::pf4bit);  // rows are unpadded in the image
    four.SetPalette({{0x12, 0x34, 0x56, 0}, {0xAB, 0xCD, 0xEF, 0}, {1, 2, 3, 0}});
    four.ScanLine(0)[0] = 0x01, four.ScanLine(0)[1] = 0x20, four.ScanLine(0)[2] = 0x10;
    image = CreateImageObject(four, "Pdf-Bitmap");
    EXPECT_EQ(image->Content().ToString(), std::string("\x00\x01\x02\x00\x01", 5));
    EXPECT_EQ(Bytes(*image->Attributes().Lookup("ColorSpace")),
              "[/Indexed /DeviceRGB 255 " + PaletteText({"123456", "ABCDEF", "010203"}) + " ]");
}

TEST_F(PdfImages, DirectColourFormatsBecomeRgb) {
    TBitmap b32(2, 1, TPixelFormat::pf32bit);
    const std::uint8_t px[8] = {1, 2, 3, 99, 4, 5, 6, 98};
    std::copy(px, px + 8, b32.ScanLine(0));
    EXPECT_EQ(CreateImageObject(b32, "Pdf-Bitmap")->Content().ToString(), std::string("\x03\x02\x01\x06\x05\x04", 6));

    const TBitmap pattern = test::Pattern(7, 3);
    for (TPixelFormat f : {TPixelFormat::pf15bit, TPixelFormat::pf16bit, TPixelFormat::pfDevice}) {
        TBitmap bmp = pattern;
        bmp.SetPixelFormat(f);
        const test::TImage rgb = test::ToRgb(bmp);
        EXPECT_EQ(CreateImageObject(bmp, "Pdf-Bitmap")->Content().ToString(),
                  std::string(rgb.pixels.begin(), rgb.pixels.end()));
    }

    // A bitmap with no rows has no colour space.
    TBitmap empty(4, 0, TPixelFormat::pf24bit);
    std::unique_ptr<TPdfImage> image = CreateImageObject(empty, "Pdf-Bitmap");
    EXPECT_EQ(image->Attributes().Lookup("ColorSpace"), nullptr);
    EXPECT_EQ(image->Attributes().LookupNumber("Width")->Value(), 4);
}

TEST_F(PdfImages, FailuresCarryTheirMessages) {
    TBitmap rgb(1, 1, TPixelFormat::pf24bit);
    EXPECT_EQ(MessageOf<EPdfInvalidImageFormat>([&] { CreateIndexedColorSpace(rgb); }),
              "only 8 bit color image is allowed.");
    TBitmap noPalette(1, 1, TPixelFormat::pf8bit);
    noPalette.SetPalette({});
    EXPECT_EQ(MessageOf<EPdfInvalidImageFormat>([&] { CreateImageObject(noPalette, "Pdf-Bitmap"); }),
              "failed to get Palette..");
    EXPECT_EQ(MessageOf<EPdfInvalidValue>([&] { CreateImageObject(rgb, "Pdf-Jpeg"); }), "only jpeg image is allowed.");
    EXPECT_EQ(MessageOf<Exception>([&] { CreateImageObject(rgb, "Pdf-Png"); }), "AddImage --InvalidImageClassName:Pdf-Png");
    EXPECT_EQ(TPdfImageCreator().CreateImage(rgb), nullptr);
}

TEST_F(PdfImages, AJpegIsEmbeddedByteForByteWithoutHoldingItsBytes) {
    PIM_NEEDS_TOOLS();
    const std::string ppm = test::OutPath("pdfimage-src.ppm"), jpg = test::OutPath("pdfimage.jpg");
    test::SavePpm(test::Pattern(40, 30), ppm);
    test::Shell("cjpeg -quality 80 -outfile '" + jpg + "' '" + ppm + "'");
    const std::vector<std::uint8_t> file = test::ReadFileBuffer(jpg);

    TJPEGImage jpeg;
    jpeg.LoadFromFile(jpg);
    std::unique_ptr<TPdfImage> image = CreateImageObject(jpeg, "Pdf-Jpeg");
    EXPECT_EQ(image->Content().ToString(), std::string(file.begin(), file.end()));
    EXPECT_EQ(image->Content().MemorySize(), 0);  // the bytes stay in the file
    const std::string bytes = Bytes(*image);
    EXPECT_EQ(bytes.substr(0, bytes.find("stream")),
              "<<\r\n/Length " + std::to_string(file.size()) +
                  "\r\n/Filter [/DCTDecode ]\r\n/Type /XObject\r\n/Subtype /Image\r\n/ColorSpace /DeviceRGB\r\n"
                  "/Width 40\r\n/Height 30\r\n/BitsPerComponent 8\r\n>>\r\n");
    EXPECT_EQ(bytes.substr(bytes.find("stream\r\n") + 8, file.size()), std::string(file.begin(), file.end()));

    // A JPEG holding only a bitmap is encoded with its own quality.
    TJPEGImage fromBitmap;
    fromBitmap.Assign(test::Pattern(40, 30));
    fromBitmap.SetCompressionQuality(40);
    image = CreateImageObject(fromBitmap, "Pdf-Jpeg");
    TJPEGImage q40;
    q40.Assign(test::Pattern(40, 30));
    q40.SetCompressionQuality(40);
    TMemoryStream expected;
    q40.SaveToStream(expected);
    EXPECT_EQ(image->Content().ToString(), std::string(expected.View()));

    // Through the bitmap builder a JPEG is decoded into samples.
    image = CreateImageObject(jpeg, "Pdf-Bitmap");
    const test::TImage rgb = test::ToRgb(jpeg.Bitmap());
    EXPECT_EQ(image->Content().ToString(), std::string(rgb.pixels.begin(), rgb.pixels.end()));
}

}  // namespace
}  // namespace pim

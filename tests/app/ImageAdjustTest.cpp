#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "app/ImageAdjust.h"
#include "graphics/JpegCodec.h"
#include "tests/app/TestPictures.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::TRgb;

TRgb PixelOf(const TBitmap& bitmap, int x, int y) {
    const TPaletteEntry e = bitmap.PixelColor(x, y);
    return {e.peRed, e.peGreen, e.peBlue};
}

// White, red, green, blue and black, one pixel each.
TBitmap FivePixels() {
    const TRgb colours[] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    return test::MakeBitmap(5, 1, [&](int x, int) { return colours[x]; });
}

TEST(ImageAdjust, ClampByteHoldsValuesToAByte) {
    EXPECT_EQ(ClampByte(-300), 0);
    EXPECT_EQ(ClampByte(0), 0);
    EXPECT_EQ(ClampByte(17), 17);
    EXPECT_EQ(ClampByte(255), 255);
    EXPECT_EQ(ClampByte(510), 255);
}

TEST(ImageAdjust, GreyUsesTheProgramsWeights) {
    EXPECT_EQ(GreyOf(255, 255, 255), 252);  // the weights add up to 0.989
    EXPECT_EQ(GreyOf(255, 0, 0), 74);
    EXPECT_EQ(GreyOf(0, 255, 0), 149);
    EXPECT_EQ(GreyOf(0, 0, 255), 29);
    EXPECT_EQ(GreyOf(0, 0, 0), 0);
    // 0.289 * 100 + 0.586 * 50 + 0.114 * 0 = 58.2
    EXPECT_EQ(GreyOf(100, 50, 0), 58);
}

TEST(ImageAdjust, GreyscaleEffectAndBrightnessAfterIt) {
    TAdjustSettings settings;
    settings.Greyscale = true;
    TBitmap grey = ApplyEffect(FivePixels(), settings);
    const std::uint8_t expected[] = {252, 74, 149, 29, 0};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelOf(grey, x, 0), (TRgb{expected[x], expected[x], expected[x]})) << x;

    settings.Brightness = 3;  // added after the conversion: white reaches 255
    EXPECT_EQ(PixelOf(ApplyEffect(FivePixels(), settings), 0, 0), (TRgb{255, 255, 255}));
}

TEST(ImageAdjust, BrightnessAddsToEveryChannelAndClamps) {
    TAdjustSettings settings;
    settings.Brightness = 100;
    const TBitmap lighter = ApplyEffect(test::SolidBitmap(3, 2, {200, 10, 0}), settings);
    EXPECT_EQ(lighter.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(lighter.Width(), 3);
    EXPECT_EQ(lighter.Height(), 2);
    EXPECT_EQ(PixelOf(lighter, 2, 1), (TRgb{255, 110, 100}));

    settings.Brightness = -255;
    const TBitmap black = ApplyEffect(FivePixels(), settings);
    settings.Brightness = 255;
    const TBitmap white = ApplyEffect(FivePixels(), settings);
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(PixelOf(black, x, 0), (TRgb{0, 0, 0}));
        EXPECT_EQ(PixelOf(white, x, 0), (TRgb{255, 255, 255}));
    }
}

TEST(ImageAdjust, MatchBitmapsWidensAnIndexedSource) {
    TBitmap source(4, 3, TPixelFormat::pf1bit);
    TBitmap result;
    MatchBitmaps(source, result);
    EXPECT_EQ(source.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(result.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(result.Width(), 4);
    EXPECT_EQ(result.Height(), 3);
}

// AdjustImage over a file, with fresh working objects as the run makes them.
struct Adjusted {
    TFileKind kind = TFileKind::fkOther;
    TPicture image;
    TStringList lines;
};

Adjusted Adjust(const std::string& file, const TAdjustSettings& settings) {
    Adjusted out;
    TWorkObjects work;
    AdjustImage({file, out.kind, out.image, out.lines}, settings, work);
    return out;
}

std::vector<std::uint8_t> Encoded(const TBitmap& bitmap, int quality, bool progressive = false) {
    TJpegEncodeOptions options;
    options.quality = quality;
    options.progressive = progressive;
    return EncodeJpeg(bitmap, options);
}

std::vector<std::uint8_t> BytesOf(const TJPEGImage& jpeg) {
    TMemoryStream stream;
    jpeg.SaveToStream(stream);
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

TEST(ImageAdjust, QualityZeroEncodesAtLibjpegsLowest) {
    const std::string folder = test::FreshFolder("adjust-quality");
    const TBitmap picture = test::GradientBitmap(40, 30);
    test::WriteBmpFile(folder + "/p.bmp", picture);
    TAdjustSettings settings;
    settings.Quality = 0;
    Adjusted out = Adjust(folder + "/p.bmp", settings);
    ASSERT_TRUE(out.image.IsJpeg());
    EXPECT_TRUE(out.image.Jpeg()->HasData());
    EXPECT_EQ(BytesOf(*out.image.Jpeg()), Encoded(picture, 1));
}

TEST(ImageAdjust, AtQualityHundredThePdfWriterEncodesAtNinety) {
    const std::string folder = test::FreshFolder("adjust-hundred");
    const TBitmap picture = test::GradientBitmap(40, 30);
    test::WriteBmpFile(folder + "/p.bmp", picture);
    Adjusted out = Adjust(folder + "/p.bmp", TAdjustSettings{});
    ASSERT_TRUE(out.image.IsJpeg());
    EXPECT_FALSE(out.image.Jpeg()->HasData());  // still a bitmap inside the JPEG object
    EXPECT_EQ(BytesOf(*out.image.Jpeg()), Encoded(picture, 90));
}

TEST(ImageAdjust, ABmpBecomesAJpeg) {
    const std::string folder = test::FreshFolder("adjust-bmp");
    TBitmap indexed(8, 8, TPixelFormat::pf8bit);
    test::WriteBmpFile(folder + "/p.bmp", indexed);
    TAdjustSettings settings;
    settings.Quality = 75;
    Adjusted out = Adjust(folder + "/p.bmp", settings);
    EXPECT_EQ(out.kind, TFileKind::fkJpeg);
    ASSERT_TRUE(out.image.IsJpeg());
    EXPECT_EQ(out.image.Width(), 8);
    EXPECT_EQ(out.image.Jpeg()->Header().components, 3);
}

TEST(ImageAdjust, GreyscaleJpegComesOutInColourAndProgressiveStaysProgressive) {
    const std::string folder = test::FreshFolder("adjust-jpeg");
    const TBitmap picture = test::GradientBitmap(32, 24);
    test::WriteJpegFile(folder + "/grey.jpg", picture, {.quality = 90, .progressive = false, .grayscale = true});
    test::WriteJpegFile(folder + "/prog.jpg", picture, {.quality = 90, .progressive = true, .grayscale = false});
    TAdjustSettings settings;
    settings.Quality = 80;

    Adjusted grey = Adjust(folder + "/grey.jpg", settings);
    EXPECT_EQ(grey.kind, TFileKind::fkJpeg);
    EXPECT_EQ(grey.image.Jpeg()->Header().components, 3);

    Adjusted progressive = Adjust(folder + "/prog.jpg", settings);
    EXPECT_TRUE(progressive.image.Jpeg()->Header().progressive);
}

TEST(ImageAdjust, ATextFileOnlyFillsTheLines) {
    const std::string folder = test::FreshFolder("adjust-text");
    test::WriteFileBytes(folder + "/a.txt", Utf8ToAnsi("one\r\n日本\r\n"));
    Adjusted out = Adjust(folder + "/a.txt", TAdjustSettings{});
    EXPECT_EQ(out.kind, TFileKind::fkText);
    ASSERT_EQ(out.lines.Count(), 2);
    EXPECT_EQ(out.lines[1], Utf8ToAnsi("日本"));
    EXPECT_EQ(out.image.Graphic(), nullptr);
}

TEST(ImageAdjust, AnUnreadableFileRaises) {
    const std::string folder = test::FreshFolder("adjust-bad");
    test::WriteFileBytes(folder + "/bad.jpg", "not a jpeg");
    EXPECT_ANY_THROW(Adjust(folder + "/bad.jpg", TAdjustSettings{}));
    EXPECT_ANY_THROW(Adjust(folder + "/missing.bmp", TAdjustSettings{}));
}

}  // namespace
}  // namespace pim

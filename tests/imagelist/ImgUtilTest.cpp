#include "imagelist/ImgUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "graphics/JpegCodec.h"
#include "tests/support/PngBytes.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;
using test::OutputPath;
using test::WriteFileBytes;

constexpr TColor kIconColor = 0x00C000;

// Icons as 16 x 16 squares of one colour, text recorded instead of drawn.
class TPlatformDouble : public TImgPlatform {
public:
    void DrawIcon(const std::string&, int iconIndex, TColor, TBitmap& bitmap) override {
        bitmap = TBitmap(16, 16, TPixelFormat::pf24bit);
        FillBitmap(bitmap, kIconColor);
        lastIcon = iconIndex;
    }
    int TextLineHeight(const TImgFont&) override { return lineHeight; }
    void DrawText(TBitmap&, const TImgFont&, const std::string& text) override { drawn = text; }

    int lineHeight = 16;
    int lastIcon = -1;
    std::string drawn;
};

TBitmap Gradient(int w, int h) {
    TBitmap b(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.ScanLine(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x * 255 / w);
            p[1] = static_cast<std::uint8_t>(y * 255 / h);
            p[2] = static_cast<std::uint8_t>((x + y) & 0xFF);
        }
    return b;
}

void WriteJpeg(const std::string& path, const TBitmap& b) {
    const std::vector<std::uint8_t> data = EncodeJpeg(b, {});
    WriteFileBytes(path, data);
}

void WriteBmpFile(const std::string& path, const TBitmap& b) {
    TFileStream file(path, TFileMode::fmCreate);
    WriteBmp(file, b);
}

class ImgUtilTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = OutputPath("imgutil");
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }

    std::string dir;
    TPlatformDouble platform;
    TImgUtil util{&platform};
};

TEST_F(ImgUtilTest, DetectsKinds) {
    using enum TImageType;
    EXPECT_EQ(util.DetectType("/x/a.JPG"), iitJpeg);
    EXPECT_EQ(util.DetectType("/x/a.htm"), iitHtml);
    EXPECT_EQ(util.DetectType("/x/readme"), iitNone);
    EXPECT_EQ(util.DetectType(dir), iitDir);
    EXPECT_EQ(util.DetectType("C:\\"), iitDir);
    EXPECT_EQ(util.DetectType("/x/a.log"), iitNone);
    util.SetTextExt("*.LOG;*.ini");
    EXPECT_EQ(util.DetectType("/x/a.log"), iitTxt);
    EXPECT_EQ(util.DetectType("/x/a.ini"), iitTxt);
    EXPECT_EQ(util.DetectType("/x/a.cfg"), iitNone);

    struct TRawLoader : TCustomLoader {
        bool Handles(const std::string& path) override { return ExtractFileExt(path) == ".raw"; }
        bool Load(const std::string&, TBitmap& b) override {
            b = TBitmap(200, 100, TPixelFormat::pf24bit);
            return true;
        }
    } loader;
    util.CustomLoader = &loader;
    EXPECT_EQ(util.DetectType("/x/a.raw"), iitCustom);
    WriteFileBytes(Path("a.raw"), "raw");
    EXPECT_EQ(util.LoadImage(Path("a.raw"), 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 94);
    EXPECT_EQ(util.Bitmap().Height(), 47);
}

TEST_F(ImgUtilTest, LargeJpegDecodesAtAnEighthThenShrinks) {
    const TBitmap picture = Gradient(4000, 3000);
    WriteJpeg(Path("big.jpg"), picture);
    ASSERT_EQ(util.LoadImage(Path("big.jpg"), 94, 0, 94), 0);
    EXPECT_EQ(util.ImageType(), TImageType::iitJpeg);
    EXPECT_EQ(util.SourceWidth(), 4000);
    EXPECT_EQ(util.SourceHeight(), 3000);
    // The same as decoding at 1/8 (500 x 375) with the fast decoder and
    // shrinking that.
    TBitmap eighth;
    TFileStream file(Path("big.jpg"), TFileMode::fmOpenRead);
    DecodeJpeg(file, {.scaleDenom = 8, .fast = true, .smoothing = false}, eighth);
    ASSERT_EQ(eighth.Width(), 500);
    ASSERT_EQ(eighth.Height(), 375);
    Resample(eighth, 94, 70);
    const TBitmap& result = util.Bitmap();
    ASSERT_EQ(result.Width(), 94);
    ASSERT_EQ(result.Height(), 70);
    for (int y = 0; y < 70; ++y)
        ASSERT_EQ(0, std::memcmp(result.ScanLine(y), eighth.ScanLine(y), 3 * 94)) << "row " << y;
}

// A photo of one colour whose EXIF segment carries a preview of another
// (and an orientation when one is given): the thumbnail's colour tells
// which was decoded.
std::vector<std::uint8_t> PhotoWithPreview(int w, int h, const std::vector<std::uint8_t>& preview,
                                           int orientation = 0) {
    TBitmap red(w, h, TPixelFormat::pf24bit);
    FillBitmap(red, 0x0000FF);
    const std::vector<std::uint8_t> photo = EncodeJpeg(red, {});
    // "Exif" 0 0, a little-endian TIFF header, a first directory (empty, or
    // holding the orientation) linking to a second that points at the
    // preview right after it.
    std::vector<std::uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto put16 = [&exif](unsigned v) { exif.insert(exif.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); };
    const auto put32 = [&](std::uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    const std::uint32_t second = orientation ? 26 : 14;
    put16(orientation ? 1 : 0);
    if (orientation) put16(0x0112), put16(3), put32(1), put16(static_cast<unsigned>(orientation)), put16(0);
    put32(second);
    put16(2);
    put16(0x0201), put16(4), put32(1), put32(second + 30);
    put16(0x0202), put16(4), put32(1), put32(static_cast<std::uint32_t>(preview.size()));
    put32(0);
    exif.insert(exif.end(), preview.begin(), preview.end());
    const std::size_t segment = exif.size() + 2;
    // The start-of-image marker, the APP1 segment, then the photo after its own.
    std::vector<std::uint8_t> file(6 + exif.size() + photo.size() - 2);
    const std::uint8_t head[6] = {0xFF, 0xD8, 0xFF, 0xE1, static_cast<std::uint8_t>(segment >> 8),
                                  static_cast<std::uint8_t>(segment)};
    std::copy(std::begin(head), std::end(head), file.begin());
    std::copy(exif.begin(), exif.end(), file.begin() + 6);
    std::copy(photo.begin() + 2, photo.end(), file.begin() + 6 + static_cast<std::ptrdiff_t>(exif.size()));
    return file;
}

std::vector<std::uint8_t> GreenJpeg(int w, int h) {
    TBitmap green(w, h, TPixelFormat::pf24bit);
    FillBitmap(green, 0x00FF00);
    return EncodeJpeg(green, {});
}

TEST_F(ImgUtilTest, ACamerasPreviewServesWhenItShowsThePictureLargeEnough) {
    const auto thumbnailIsGreen = [&](const std::vector<std::uint8_t>& file) {
        WriteFileBytes(Path("photo.jpg"), file);
        EXPECT_EQ(util.LoadImage(Path("photo.jpg"), 94, 0, 94), 0);
        EXPECT_EQ(util.SourceWidth(), 1600);  // the photo's size, whatever was decoded
        const std::uint8_t* p = util.Bitmap().ScanLine(util.Bitmap().Height() / 2) + 3 * (util.Bitmap().Width() / 2);
        return p[1] > 200 && p[2] < 60;
    };
    EXPECT_TRUE(thumbnailIsGreen(PhotoWithPreview(1600, 1200, GreenJpeg(160, 120))));
    EXPECT_EQ(util.Bitmap().Width(), 94);
    EXPECT_EQ(util.Bitmap().Height(), 70);
    EXPECT_FALSE(thumbnailIsGreen(PhotoWithPreview(1600, 1200, GreenJpeg(160, 90))));  // letterboxed
    EXPECT_FALSE(thumbnailIsGreen(PhotoWithPreview(1600, 1200, GreenJpeg(80, 60))));   // would be enlarged
    std::vector<std::uint8_t> damaged = GreenJpeg(160, 120);
    damaged.resize(40);
    EXPECT_FALSE(thumbnailIsGreen(PhotoWithPreview(1600, 1200, damaged)));
}

// Lying offsets and lengths in the EXIF block never cost the thumbnail:
// whatever the block says, the picture comes out whole, from the preview or
// from the photo.
TEST_F(ImgUtilTest, AMangledExifBlockFallsBackToThePhoto) {
    const std::vector<std::uint8_t> original = PhotoWithPreview(320, 240, GreenJpeg(160, 120));
    std::mt19937 random(23);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> file = original;
        // The TIFF header and the directories; the segment's own length is
        // left alone, or the photo itself would be damaged.
        for (int k = 0; k <= round % 4; ++k)
            file[std::uniform_int_distribution<std::size_t>(12, 55)(random)] = static_cast<std::uint8_t>(random());
        WriteFileBytes(Path("mangled.jpg"), file);
        ASSERT_EQ(util.LoadImage(Path("mangled.jpg"), 94, 0, 94), 0) << "round " << round;
        ASSERT_EQ(util.Bitmap().Width(), 94) << "round " << round;
        ASSERT_EQ(util.Bitmap().Height(), 70) << "round " << round;
    }
}

// Thumbnails stand as their pages will: a turned item, and with AutoOrient
// a photo after its EXIF orientation, whether made from the photo or from
// its preview.
TEST_F(ImgUtilTest, ThumbnailsTurnAsTheirPagesDo) {
    TImgResult result;
    WriteBmpFile(Path("wide.bmp"), Gradient(60, 40));
    ASSERT_EQ(util.LoadImage(Path("wide.bmp"), 94, 0, 94, result, 1), 0);
    EXPECT_EQ(result.Bitmap.Width(), 40);
    EXPECT_EQ(result.Bitmap.Height(), 60);
    EXPECT_EQ(result.SourceWidth, 60);  // the file's size, not the page's

    const auto shape = [&](const char* name, int turns) {
        EXPECT_EQ(util.LoadImage(Path(name), 94, 0, 94, result, turns), 0);
        return std::pair{result.Bitmap.Width(), result.Bitmap.Height()};
    };
    WriteFileBytes(Path("camera.jpg"), PhotoWithPreview(1600, 1200, GreenJpeg(160, 120), 6));
    WriteFileBytes(Path("big.jpg"), PhotoWithPreview(1600, 1200, GreenJpeg(16, 12), 6));  // preview too small
    for (const char* name : {"camera.jpg", "big.jpg"}) {
        util.AutoOrient = false;
        EXPECT_EQ(shape(name, 0), (std::pair{94, 70})) << name;  // AutoOrient off: as stored
        util.AutoOrient = true;
        EXPECT_EQ(shape(name, 0), (std::pair{70, 94})) << name;
        EXPECT_EQ(shape(name, -1), (std::pair{94, 70})) << name;  // turned back by hand
    }
}

TEST_F(ImgUtilTest, SmallBmpKeptOrGrownByGetType) {
    WriteBmpFile(Path("small.bmp"), Gradient(60, 40));
    ASSERT_EQ(util.LoadImage(Path("small.bmp"), 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 60);
    EXPECT_EQ(util.Bitmap().Height(), 40);
    util.GetType = TGetType::igtStretch;
    ASSERT_EQ(util.LoadImage(Path("small.bmp"), 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 94);
    EXPECT_EQ(util.Bitmap().Height(), 62);
    EXPECT_EQ(util.SourceWidth(), 60);
    EXPECT_EQ(util.SourceHeight(), 40);
}

// Transparent parts of a PNG show the list's background.
TEST_F(ImgUtilTest, PngIsCompositedOverTheBackground) {
    WriteFileBytes(Path("glass.png"), test::MakePng(20, 10, 6, test::RgbaRows(20, 10, 255, 0, 0, 128)));
    util.SetBKColor(0xFF0000);  // blue, as 0x00BBGGRR
    ASSERT_EQ(util.LoadImage(Path("glass.png"), 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 20);
    EXPECT_EQ(util.Bitmap().PixelColor(5, 5), (TPaletteEntry{128, 0, 127, 0}));
}

TEST_F(ImgUtilTest, FailuresEndInTheIcon) {
    const auto isIcon = [&] {
        return util.Bitmap().Width() == 16 && util.Bitmap().PixelColor(3, 3) == TPaletteEntry{0, 0xC0, 0, 0};
    };
    WriteFileBytes(Path("corrupt.jpg"), std::string("\xFF\xD8 not really a JPEG", 20));
    EXPECT_EQ(util.LoadImage(Path("corrupt.jpg"), 94, 0, 94), -1);
    EXPECT_EQ(util.ImageType(), TImageType::iitJpeg);
    EXPECT_TRUE(isIcon());
    WriteFileBytes(Path("corrupt.bmp"), "BM");
    EXPECT_EQ(util.LoadImage(Path("corrupt.bmp"), 94, 5, 94), -1);
    EXPECT_TRUE(isIcon());
    EXPECT_EQ(platform.lastIcon, 5);
    EXPECT_EQ(util.LoadImage(Path("missing.jpg"), 94, 0, 94), 1);
    EXPECT_TRUE(util.Bitmap().Empty());
    // Unknown kinds and kinds without a decoder here give the icon as their picture.
    WriteFileBytes(Path("notes.xyz"), "x");
    EXPECT_EQ(util.LoadImage(Path("notes.xyz"), 94, 0, 94), 0);
    EXPECT_TRUE(isIcon());
    WriteFileBytes(Path("a.txt"), "text");
    platform.lineHeight = 0;
    EXPECT_EQ(util.LoadImage(Path("a.txt"), 94, 0, 94), 1);
    EXPECT_TRUE(isIcon());
}

TEST_F(ImgUtilTest, TextPictureKeepsItsLineLimits) {
    WriteFileBytes(Path("long.txt"), std::string(3000, 'a'));
    ASSERT_EQ(util.LoadImage(Path("long.txt"), 94, 0, 94), 0);
    EXPECT_EQ(platform.drawn, std::string(95, 'a'));
    EXPECT_EQ(util.SourceWidth(), 188);
    EXPECT_EQ(util.SourceHeight(), 188);
    EXPECT_EQ(util.Bitmap().Width(), 94);
    EXPECT_EQ(util.Bitmap().Height(), 94);

    // 188 div 16 + 1 = 12 lines; carriage returns left out.
    std::string lines;
    for (int i = 0; i < 20; ++i) lines += "line" + std::to_string(i) + "\r\n";
    WriteFileBytes(Path("lines.txt"), lines);
    ASSERT_EQ(util.LoadImage(Path("lines.txt"), 94, 0, 94), 0);
    std::string expected = "line0";
    for (int i = 1; i < 12; ++i) expected += "\r\nline" + std::to_string(i);
    EXPECT_EQ(platform.drawn, expected);
}

TEST_F(ImgUtilTest, CacheServesASecondLoad) {
    util.AutoOrient = false;  // the cache keeps thumbnails as stored
    util.AutoThumb = true;
    util.Thumbnail().PathType = TPathType::iptFolder;
    util.Thumbnail().FileName = "thumbs";
    const std::string photo = Path("photo.jpg");
    WriteJpeg(photo, Gradient(400, 300));
    // Whole seconds, which every platform can set again.
    const auto time = std::chrono::floor<std::chrono::seconds>(fs::last_write_time(photo));
    fs::last_write_time(photo, time);
    ASSERT_EQ(util.LoadImage(photo, 94, 0, 94), 0);
    ASSERT_TRUE(fs::exists(Path("thumbs.dat")));
    // Same time, other bytes: only the cache can still give the picture.
    WriteFileBytes(photo, "garbage");
    fs::last_write_time(photo, time);
    ASSERT_EQ(util.LoadImage(photo, 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 94);
    EXPECT_EQ(util.Bitmap().Height(), 70);
    EXPECT_EQ(util.SourceWidth(), 400);
    // A newer file is decoded again (and fails here).
    fs::last_write_time(photo, time + std::chrono::seconds(5));
    EXPECT_EQ(util.LoadImage(photo, 94, 0, 94), -1);
}

// A plug-in for ".pic" files starting with "PIC", returning a 3 x 2 picture
// (2 x 1 as preview, which fails when told to).
class TPicPlugin : public TSPluginEntry {
public:
    std::string Extensions() override { return "*.PIC;*.pc2"; }
    int IsSupported(const std::string&, const std::uint8_t* head) override {
        return std::string(reinterpret_cast<const char*>(head), 3) == "PIC";
    }
    int GetPicture(const std::string&, long, unsigned, TSusiePicture& p) override { return Make(3, 2, p); }
    int GetPreview(const std::string&, long, unsigned, TSusiePicture& p) override {
        return previewFails ? 1 : Make(2, 1, p);
    }
    bool previewFails = false;

private:
    static int Make(int w, int h, TSusiePicture& p) {
        p.Info.assign(40, 0);
        p.Info[0] = 40;
        p.Info[4] = static_cast<std::uint8_t>(w);
        p.Info[8] = static_cast<std::uint8_t>(h);
        p.Info[12] = 1;
        p.Info[14] = 24;
        p.Bits.assign(static_cast<std::size_t>(DibRowBytes(w, 24) * h), 0x80);
        return 0;
    }
};

TEST_F(ImgUtilTest, PluginsClaimAndDecodeInOrder) {
    auto plugin = std::make_unique<TPicPlugin>();
    TPicPlugin& pic = *plugin;
    util.SPlugin().Add(std::move(plugin));
    WriteFileBytes(Path("a.pic"), "PIC.");
    WriteFileBytes(Path("b.pic"), "GIF.");
    EXPECT_EQ(util.DetectType(Path("a.pic")), TImageType::iitSusie);
    EXPECT_EQ(util.DetectType(Path("b.pic")), TImageType::iitNone);
    EXPECT_EQ(util.DetectType(Path("a.bmp")), TImageType::iitBmp);  // a built-in kind comes first

    ASSERT_EQ(util.LoadImage(Path("a.pic"), 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 3);
    util.SPlugin().Preview = true;
    ASSERT_EQ(util.LoadImage(Path("a.pic"), 94, 0, 94), 0);
    EXPECT_TRUE(pic.PreviewFlag);
    EXPECT_EQ(util.Bitmap().Width(), 2);
    pic.previewFails = true;
    ASSERT_EQ(util.LoadImage(Path("a.pic"), 94, 0, 94), 0);
    EXPECT_EQ(util.Bitmap().Width(), 3);
}

TEST(ImgPlatform, VideoFrameAndPackedDibs) {
    EXPECT_EQ(AviFrameNumber(20, 500), 100);
    EXPECT_EQ(AviFrameNumber(0, 500), 0);
    EXPECT_EQ(AviFrameNumber(-3, 500), -3);
    std::vector<std::uint8_t> dib(40 + 1024 + 16, 0);
    dib[0] = 40;
    dib[14] = 8;
    EXPECT_EQ(PackedDibInfoSize(dib.data(), dib.size()), 40u + 1024u);
    dib[32] = 3;  // three colours used
    EXPECT_EQ(PackedDibInfoSize(dib.data(), dib.size()), 40u + 12u);
    dib[14] = 16;
    dib[16] = 3;  // bit fields: three masks after the header
    EXPECT_EQ(PackedDibInfoSize(dib.data(), dib.size()), 52u);
    EXPECT_EQ(PackedDibInfoSize(dib.data(), 3), 0u);
}

}  // namespace
}  // namespace pim

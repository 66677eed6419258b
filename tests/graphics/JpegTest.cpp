#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <jpeglib.h>

#include "TestImages.h"
#include "graphics/Exif.h"
#include "graphics/Jpeg.h"

namespace pim {
namespace {

// Source pictures and the files the libjpeg command-line tools make of them.
class Jpeg : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
#ifdef _WIN32
        return;
#endif
        const TBitmap pattern = test::Pattern(97, 61);  // not a multiple of the MCU size
        test::SavePpm(pattern, Path("src.ppm"));
        test::Shell("cjpeg -quality 85 -outfile '" + Path("base.jpg") + "' '" + Path("src.ppm") + "'");
        test::Shell("cjpeg -quality 85 -progressive -outfile '" + Path("prog.jpg") + "' '" + Path("src.ppm") + "'");
        test::Shell("cjpeg -grayscale -outfile '" + Path("grey.jpg") + "' '" + Path("src.ppm") + "'");
    }
    void SetUp() override { PIM_NEEDS_TOOLS(); }
    static std::string Path(const std::string& name) { return test::OutPath("jpeg-" + name); }

    static TBitmap Djpeg(const std::string& jpg, const std::string& options) {
        const std::string out = jpg + ".djpeg.bmp";
        test::Shell("djpeg -dct float " + options + " -bmp -outfile '" + out + "' '" + jpg + "'");
        TBitmap bmp;
        bmp.LoadFromFile(out);
        return bmp;
    }
    static std::vector<std::uint8_t> Cjpeg(const std::string& options) {
        const std::string out = Path("cjpeg.jpg");
        test::Shell("cjpeg -dct float -baseline " + options + " -outfile '" + out + "' '" + Path("src.ppm") + "'");
        return test::ReadFileBuffer(out);
    }
    static std::vector<std::uint8_t> Saved(const TJPEGImage& jpeg) {
        TMemoryStream stream;
        jpeg.SaveToStream(stream);
        return {stream.Memory(), stream.Memory() + stream.Size()};
    }
    static void LoadBytes(TJPEGImage& jpeg, const std::vector<std::uint8_t>& bytes) {
        TMemoryStream stream;
        stream.Write(bytes.data(), bytes.size());
        stream.SetPosition(0);
        jpeg.LoadFromStream(stream);
    }
};

TEST_F(Jpeg, LoadingReadsTheHeaderAndKeepsTheBytesUnchanged) {
    struct Case {
        const char* file;
        bool progressive;
        bool grey;
    };
    for (const Case& c : {Case{"base.jpg", false, false}, Case{"prog.jpg", true, false}, Case{"grey.jpg", false, true}}) {
        SCOPED_TRACE(c.file);
        const std::vector<std::uint8_t> bytes = test::ReadFileBuffer(Path(c.file));
        TJPEGImage fromStream;
        LoadBytes(fromStream, bytes);
        TJPEGImage fromFile;
        fromFile.LoadFromFile(Path(c.file));
        for (const TJPEGImage* jpeg : {&fromStream, &fromFile}) {
            EXPECT_EQ(jpeg->Width(), 97);
            EXPECT_EQ(jpeg->Height(), 61);
            EXPECT_EQ(jpeg->Header().progressive, c.progressive);
            EXPECT_EQ(jpeg->ProgressiveEncoding(), c.progressive);
            EXPECT_EQ(jpeg->Grayscale(), c.grey);
            EXPECT_EQ(jpeg->Header().components, c.grey ? 1 : 3);
            EXPECT_EQ(Saved(*jpeg), bytes);
        }
        EXPECT_TRUE(fromStream.Data()->InMemory());
        EXPECT_FALSE(fromFile.Data()->InMemory());
    }
}

TEST_F(Jpeg, DecodingMatchesDjpegWithTheFloatingPointIdct) {
    for (const char* file : {"base.jpg", "prog.jpg", "grey.jpg"}) {
        SCOPED_TRACE(file);
        TJPEGImage jpeg;
        jpeg.LoadFromFile(Path(file));
        const TBitmap& bmp = jpeg.Bitmap();
        EXPECT_EQ(bmp.PixelFormat(), std::string(file) == "grey.jpg" ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
        EXPECT_EQ(test::MaxDiff(test::ToRgb(bmp), test::ToRgb(Djpeg(Path(file), ""))), 0);
        const struct {
            TJPEGScale scale;
            const char* option;
            int width;
        } scales[] = {{TJPEGScale::jsHalf, "-scale 1/2", 49}, {TJPEGScale::jsQuarter, "-scale 1/4", 25},
                      {TJPEGScale::jsEighth, "-scale 1/8", 13}};
        for (const auto& s : scales) {
            jpeg.SetScale(s.scale);
            EXPECT_EQ(jpeg.Width(), s.width);
            EXPECT_EQ(jpeg.Bitmap().Width(), s.width);
            EXPECT_EQ(test::MaxDiff(test::ToRgb(jpeg.Bitmap()), test::ToRgb(Djpeg(Path(file), s.option))), 0);
        }
    }
    TJPEGImage grey;
    grey.LoadFromFile(Path("grey.jpg"));
    EXPECT_EQ(grey.Bitmap().Palette(), DefaultPalette(TPixelFormat::pf8bit));
}

TEST_F(Jpeg, EncodingMatchesCjpegWithTheFloatingPointDct) {
    TBitmap src;
    test::Shell("convert '" + Path("src.ppm") + "' BMP3:'" + Path("src.bmp") + "'");
    src.LoadFromFile(Path("src.bmp"));
    TJPEGImage jpeg;
    jpeg.Assign(TBitmap(src));
    EXPECT_EQ(Saved(jpeg), Cjpeg("-quality 90"));  // the default quality

    TJPEGImage q0;
    q0.Assign(src);
    q0.SetCompressionQuality(0);
    EXPECT_EQ(Saved(q0), Cjpeg("-quality 1"));

    TJPEGImage prog;
    prog.Assign(src);
    prog.SetProgressiveEncoding(true);
    prog.SetCompressionQuality(75);
    EXPECT_EQ(Saved(prog), Cjpeg("-quality 75 -progressive"));

    // An indexed bitmap is encoded through 24 bits.
    TBitmap indexed(97, 61, TPixelFormat::pf8bit);
    TJPEGImage fromIndexed;
    fromIndexed.Assign(indexed);
    EXPECT_GT(Saved(fromIndexed).size(), 100u);
}

TEST_F(Jpeg, ABitmapIsEncodedOnlyWhenItsDataAreNeededWithItsOwnQuality) {
    TBitmap src;
    src.LoadFromFile(Path("src.bmp"));
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Path("prog.jpg"));
    jpeg.Assign(src);
    EXPECT_FALSE(jpeg.HasData());
    EXPECT_TRUE(jpeg.ProgressiveEncoding());  // kept from the loaded file
    EXPECT_EQ(jpeg.Width(), 97);
    jpeg.SetCompressionQuality(50);

    TJPEGImage copy(jpeg);  // copies the bitmap, default settings
    EXPECT_EQ(copy.CompressionQuality(), 90);
    EXPECT_EQ(Saved(copy), Cjpeg("-quality 90"));

    EXPECT_EQ(Saved(jpeg), Cjpeg("-quality 50 -progressive"));
    EXPECT_TRUE(jpeg.HasData());
    EXPECT_TRUE(jpeg.Header().progressive);
}

TEST_F(Jpeg, CopiesShareTheCompressedData) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Path("base.jpg"));
    jpeg.DIBNeeded();
    TJPEGImage copy(jpeg);
    EXPECT_EQ(copy.Data().get(), jpeg.Data().get());
    EXPECT_EQ(&copy.Bitmap(), &jpeg.Bitmap());
    std::unique_ptr<TGraphic> clone = jpeg.Clone();
    EXPECT_EQ(static_cast<TJPEGImage&>(*clone).Data().get(), jpeg.Data().get());
    TBitmap asBitmap;
    asBitmap.Assign(jpeg);
    EXPECT_EQ(test::MaxDiff(test::ToRgb(asBitmap), test::ToRgb(jpeg.Bitmap())), 0);
}

// The header is read at load; pixels wait until they are asked for, so a
// picture too large to decode still loads.
TEST_F(Jpeg, DecodingWaitsUntilPixelsAreNeeded) {
    std::vector<std::uint8_t> bytes = test::ReadFileBuffer(Path("base.jpg"));
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {  // SOF0: height, width at +5, +7
            bytes[i + 5] = 0xFF, bytes[i + 6] = 0xDC, bytes[i + 7] = 0xFF, bytes[i + 8] = 0xDC;
            break;
        }
    TJPEGImage jpeg;
    LoadBytes(jpeg, bytes);
    EXPECT_EQ(jpeg.Width(), 65500);
    EXPECT_THROW(jpeg.Bitmap(), EInvalidGraphic);
    TBitmap out;
    EXPECT_THROW(jpeg.AssignTo(out), EInvalidGraphic);
    EXPECT_EQ(Saved(jpeg), bytes);
}

// CMYK and YCCK files from Adobe applications store inverted inks.
TEST_F(Jpeg, CmykAndYcckDecodeToTheRightColours) {
    const std::string cmykPath = Path("cmyk.jpg");
    test::Shell("convert -size 8x8 xc:red xc:lime xc:blue xc:white xc:black xc:'rgb(200,150,50)' +append "
                "-colorspace CMYK -quality 100 '" + cmykPath + "'");
    TJPEGImage jpeg;
    jpeg.LoadFromFile(cmykPath);
    EXPECT_EQ(jpeg.Header().components, 4);  // ImageMagick writes YCCK
    EXPECT_TRUE(jpeg.Header().adobe);
    const TBitmap& bmp = jpeg.Bitmap();
    const TPaletteEntry expected[] = {{255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0},
                                      {255, 255, 255, 0}, {0, 0, 0, 0}, {200, 150, 50, 0}};
    for (int i = 0; i < 6; ++i) {
        const TPaletteEntry c = bmp.PixelColor(8 * i + 4, 4);
        EXPECT_NEAR(c.peRed, expected[i].peRed, 4) << i;
        EXPECT_NEAR(c.peGreen, expected[i].peGreen, 4) << i;
        EXPECT_NEAR(c.peBlue, expected[i].peBlue, 4) << i;
    }

    // Written with libjpeg itself: YCCK with an Adobe marker (inverted), and
    // plain CMYK without one (not inverted).
    for (const bool adobe : {true, false}) {
        SCOPED_TRACE(adobe);
        jpeg_compress_struct c{};
        jpeg_error_mgr err{};
        c.err = jpeg_std_error(&err);
        jpeg_create_compress(&c);
        unsigned char* out = nullptr;
        unsigned long outSize = 0;
        jpeg_mem_dest(&c, &out, &outSize);
        c.image_width = 16, c.image_height = 8, c.input_components = 4, c.in_color_space = JCS_CMYK;
        jpeg_set_defaults(&c);
        jpeg_set_colorspace(&c, adobe ? JCS_YCCK : JCS_CMYK);
        c.write_Adobe_marker = adobe ? TRUE : FALSE;
        jpeg_set_quality(&c, 100, TRUE);
        jpeg_start_compress(&c, TRUE);
        // Left half red (no cyan, full magenta and yellow), right half blue.
        std::vector<unsigned char> row;
        for (int x = 0; x < 16; ++x) {
            const unsigned char ink[4] = {static_cast<unsigned char>(x < 8 ? 0 : 255), 255,
                                          static_cast<unsigned char>(x < 8 ? 255 : 0), 0};
            for (unsigned char v : ink) row.push_back(adobe ? 255 - v : v);
        }
        while (c.next_scanline < c.image_height) {
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&c, &p, 1);
        }
        jpeg_finish_compress(&c);
        jpeg_destroy_compress(&c);
        TJPEGImage img;
        LoadBytes(img, std::vector<std::uint8_t>(out, out + outSize));
        std::free(out);
        EXPECT_EQ(img.Header().colorSpace, adobe ? TJpegColorSpace::jcsYCCK : TJpegColorSpace::jcsCMYK);
        const TPaletteEntry left = img.Bitmap().PixelColor(2, 4), right = img.Bitmap().PixelColor(13, 4);
        EXPECT_GE(left.peRed, 250);
        EXPECT_LE(std::max(left.peGreen, left.peBlue), 5);
        EXPECT_GE(right.peBlue, 250);
        EXPECT_LE(std::max(right.peRed, right.peGreen), 5);
    }
}

TEST_F(Jpeg, BadDataRaiseOnLoadAndCorruptScansAreTolerated) {
    const std::vector<std::uint8_t> bytes = test::ReadFileBuffer(Path("base.jpg"));
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Path("base.jpg"));
    const auto data = jpeg.Data();
    for (const std::vector<std::uint8_t>& bad :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'B', 'M', 1, 2, 3},
          std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 100)}) {
        EXPECT_THROW(LoadBytes(jpeg, bad), EJPEG);
        EXPECT_EQ(jpeg.Data().get(), data.get());  // unchanged
    }
    test::WriteFileBytes(Path("empty.jpg"), "");
    EXPECT_EQ(test::MessageOf([&] { jpeg.LoadFromFile(Path("empty.jpg")); }), "JPEG error: Empty input file");
    EXPECT_THROW(jpeg.LoadFromFile(Path("no-such-file.jpg")), EStreamError);

    // Cut in the middle of the scan: the rest decodes grey, as the platform
    // loader shows it.
    TJPEGImage cut;
    LoadBytes(cut, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 6 / 10)));
    EXPECT_EQ(cut.Bitmap().Height(), 61);
    const TPaletteEntry bottom = cut.Bitmap().PixelColor(96, 60);
    EXPECT_EQ(bottom.peRed, bottom.peGreen);

    std::vector<std::uint8_t> garbled = bytes;
    for (std::size_t i = garbled.size() / 2; i < garbled.size() - 2; i += 7) garbled[i] = 0x5A;
    TJPEGImage noisy;
    LoadBytes(noisy, garbled);
    EXPECT_NO_THROW(noisy.DIBNeeded());
}

// A file cut off in its data is taken (its page is made) but marked cut off,
// when it is decoded and when its bytes are copied out without an end
// marker after the header; an EXIF thumbnail's marker in the header does
// not count, and bytes after the marker (a motion photo's video) are no
// damage. Files of several 64 KiB chunks take every path of the search.
// A JPEG of several 64 KiB chunks (noise compresses badly).
std::vector<std::uint8_t> LargeJpeg() {
    TBitmap noise(400, 300, TPixelFormat::pf24bit);
    std::uint32_t seed = 12345;
    for (int y = 0; y < noise.Height(); ++y)
        for (int x = 0; x < 3 * noise.Width(); ++x) noise.ScanLine(y)[x] = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
    return EncodeJpeg(noise, {.quality = 100});
}

TEST(JpegCutOff, IsSeenWhenDecodingAndWhenCopying) {
    const std::vector<std::uint8_t> whole = LargeJpeg();
    ASSERT_GT(whole.size(), 3u * 65536);
    std::vector<std::uint8_t> withThumbnail(whole.begin(), whole.begin() + 2);  // SOI, then APP1 "Exif" holding FF D9
    for (const int b : {0xFF, 0xE1, 0x00, 0x0C, int{'E'}, int{'x'}, int{'i'}, int{'f'}, 0, 0, 0xFF, 0xD8, 0xFF, 0xD9})
        withThumbnail.push_back(static_cast<std::uint8_t>(b));
    withThumbnail.insert(withThumbnail.end(), whole.begin() + 2, whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    std::vector<std::uint8_t> trailing = whole;
    trailing.resize(whole.size() + 100000, 'x');

    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool cutOff;
    } cases[] = {{"whole", whole, false},
                 {"cut", {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * 2 / 3)}, true},
                 {"thumbnail-cut", withThumbnail, true},
                 {"trailing", trailing, false}};
    for (const auto& c : cases) {
        const std::string path = test::OutPath(std::string("cutoff-") + c.name + ".jpg");
        test::WriteFileBytes(path, c.bytes);
        TJPEGImage copied;
        copied.LoadFromFile(path);
        TMemoryStream sink;
        copied.SaveToStream(sink);
        EXPECT_EQ(sink.Size(), static_cast<std::int64_t>(c.bytes.size())) << c.name;
        EXPECT_EQ(copied.Data()->CutOff(), c.cutOff) << c.name << " copied";
        TJPEGImage decoded;
        decoded.LoadFromFile(path);
        decoded.DIBNeeded();
        EXPECT_EQ(decoded.Data()->CutOff(), c.cutOff) << c.name << " decoded";
    }
}

// Loading reads only the header; the file's stamp and the header bytes'
// fingerprint stand for the rest: a change past the header, or in it, is
// still refused when the bytes are copied out.
TEST(JpegFile, AChangeAnywhereAfterLoadingIsRefused) {
    const std::vector<std::uint8_t> bytes = LargeJpeg();
    const std::string path = test::OutPath("changed-large.jpg");
    // Past the header with a later time; in the header with the time put
    // back (a change within one tick of a coarse file-system clock).
    for (const bool inHeader : {false, true}) {
        test::WriteFileBytes(path, bytes);
        TJPEGImage jpeg;
        jpeg.LoadFromFile(path);
        const auto loaded = std::filesystem::last_write_time(test::FsPath(path));
        std::vector<std::uint8_t> changed = bytes;
        changed[inHeader ? 200 : bytes.size() - 1000] ^= 0x01;
        test::WriteFileBytes(path, changed);
        std::filesystem::last_write_time(test::FsPath(path), inHeader ? loaded : loaded + std::chrono::seconds(1));
        TMemoryStream sink;
        EXPECT_THROW(jpeg.SaveToStream(sink), EStreamError) << inHeader;
    }
}

TEST_F(Jpeg, AFileThatChangedAfterLoadingIsNotCopied) {
    const std::string path = Path("changing.jpg");
    std::vector<std::uint8_t> bytes = test::ReadFileBuffer(Path("base.jpg"));
    test::WriteFileBytes(path, bytes);
    TJPEGImage jpeg;
    jpeg.LoadFromFile(path);
    EXPECT_EQ(Saved(jpeg), bytes);

    bytes[bytes.size() / 2] ^= 0x01;  // same size, one bit different
    test::WriteFileBytes(path, bytes);
    TMemoryStream sink;
    EXPECT_THROW(jpeg.SaveToStream(sink), EStreamError);

    bytes.erase(bytes.end() - 10, bytes.end());
    test::WriteFileBytes(path, bytes);
    EXPECT_THROW(jpeg.Bitmap(), EStreamError);
}

// The EXIF orientation: read in either byte order; anything else that is
// not one SHORT of 1 to 8 in a whole entry means none.
TEST(JpegExif, OrientationIsOneShortFromOneToEight) {
    const auto segment = [](bool intel, unsigned tag, unsigned type, unsigned value) {
        std::vector<std::uint8_t> s = {'E', 'x', 'i', 'f', 0, 0};
        const auto put = [&s, intel](unsigned v, int bytes) {
            for (int i = 0; i < bytes; ++i) s.push_back(static_cast<std::uint8_t>(v >> (intel ? 8 * i : 8 * (bytes - 1 - i))));
        };
        s.push_back(intel ? 'I' : 'M'), s.push_back(intel ? 'I' : 'M');
        put(42, 2), put(8, 4), put(1, 2), put(tag, 2), put(type, 2), put(1, 4), put(value, 2), put(0, 2), put(0, 4);
        return s;
    };
    const auto read = [](const std::vector<std::uint8_t>& s) { return ExifOrientation(s.data(), s.size()); };
    EXPECT_EQ(read(segment(true, 0x0112, 3, 6)), 6);
    EXPECT_EQ(read(segment(false, 0x0112, 3, 8)), 8);
    EXPECT_EQ(read(segment(true, 0x0112, 3, 0)), 0);
    EXPECT_EQ(read(segment(true, 0x0112, 3, 9)), 0);
    EXPECT_EQ(read(segment(true, 0x0112, 4, 6)), 0);  // a LONG
    EXPECT_EQ(read(segment(true, 0x0110, 3, 6)), 0);  // another tag
    std::vector<std::uint8_t> cut = segment(false, 0x0112, 3, 6);
    cut.erase(cut.end() - 10, cut.end());
    EXPECT_EQ(read(cut), 0);
    std::vector<std::uint8_t> notExif = segment(true, 0x0112, 3, 6);
    notExif[0] = 'X';
    EXPECT_EQ(read(notExif), 0);
}

// The embedded preview: found through the second directory in either byte
// order; an offset or a length that leaves the segment, or bytes that are
// not a JPEG, mean none.
TEST(JpegExif, PreviewIsTheSecondDirectorysJpegWhenItFits) {
    const std::vector<std::uint8_t> preview = {0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 0xFF, 0xD9};
    const auto segment = [&](bool intel, std::uint32_t offset, std::uint32_t length) {
        std::vector<std::uint8_t> s = {'E', 'x', 'i', 'f', 0, 0};
        const auto put = [&s, intel](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) s.push_back(static_cast<std::uint8_t>(v >> (intel ? 8 * i : 8 * (bytes - 1 - i))));
        };
        s.push_back(intel ? 'I' : 'M'), s.push_back(intel ? 'I' : 'M');
        put(42, 2), put(8, 4);
        put(0, 2), put(14, 4);  // the first directory, empty, and the link to the second at 14
        put(2, 2);
        put(0x0201, 2), put(4, 2), put(1, 4), put(offset, 4);
        put(0x0202, 2), put(4, 2), put(1, 4), put(length, 4);
        put(0, 4);  // 44: the preview
        s.insert(s.end(), preview.begin(), preview.end());
        return s;
    };
    const auto read = [](const std::vector<std::uint8_t>& s) {
        const auto bytes = ExifPreview(s.data(), s.size());
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(read(segment(true, 44, 9)), preview);
    EXPECT_EQ(read(segment(false, 44, 9)), preview);
    EXPECT_TRUE(read(segment(true, 44, 10)).empty());          // one byte past the segment
    EXPECT_TRUE(read(segment(true, 0xFFFFFFF0, 9)).empty());   // far outside
    EXPECT_TRUE(read(segment(true, 45, 8)).empty());           // not from a start-of-image marker
    EXPECT_TRUE(read(segment(true, 44, 0xFFFFFFFF)).empty());  // a length that wraps
}

TEST(JpegDigest, DependsOnEveryByteButNotOnHowTheyArrive) {
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    TDigest whole;
    whole.Add(bytes.data(), bytes.size());
    for (const std::size_t piece : {1u, 3u, 7u, 8u, 13u, 999u}) {
        TDigest pieces;
        for (std::size_t at = 0; at < bytes.size(); at += piece)
            pieces.Add(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(pieces.Value(), whole.Value()) << piece;
    }
    for (const std::size_t at : {0u, 500u, 999u}) {
        std::vector<std::uint8_t> changed = bytes;
        changed[at] ^= 0x80;
        TDigest other;
        other.Add(changed.data(), changed.size());
        EXPECT_NE(other.Value(), whole.Value()) << at;
    }
    TDigest shorter;
    shorter.Add(bytes.data(), bytes.size() - 1);
    EXPECT_NE(shorter.Value(), whole.Value());
}

TEST_F(Jpeg, EightBitOutputIsQuantisedToAPalette) {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(Path("base.jpg"));
    jpeg.SetPixelFormat(TJPEGPixelFormat::jf8Bit);
    const TBitmap& bmp = jpeg.Bitmap();
    EXPECT_EQ(bmp.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_LE(bmp.Palette().size(), 236u);
    EXPECT_GT(bmp.Palette().size(), 16u);
}

}  // namespace
}  // namespace pim

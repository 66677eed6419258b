// The TIFF, GIF and WebP readers: what each makes of a file, its bounds
// before decoding, and damage told as a warning or an error with its fault.
#include <cstring>
#include <functional>

#include <gtest/gtest.h>
#include <gif_lib.h>
#include <tiffio.h>

#include "graphics/FaxCodes.h"
#include "graphics/GifFile.h"
#include "graphics/TiffFile.h"
#include "graphics/WebpFile.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::MessageOf;
using test::OutputPath;
using test::ReadFileBuffer;
using TPageWriter = std::function<void(TIFF*)>;

// A TIFF file of the given pages, written by libtiff.
std::vector<std::uint8_t> MakeTiff(const std::string& name, const std::vector<TPageWriter>& pages) {
    const std::string path = OutputPath(name);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    for (const TPageWriter& page : pages) {
        page(tif);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return ReadFileBuffer(path);
}

void Header(TIFF* tif, int width, int height, int bits, int samples, int photometric, int compression) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height);
}

// A 64 x 40 black-and-white page (a black square on white) in Group 4 or 3.
TPageWriter FaxPage(int compression, int photometric) {
    return [=](TIFF* tif) {
        Header(tif, 64, 40, 1, 1, photometric, compression);
        if (compression == COMPRESSION_CCITTFAX3) TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_2DENCODING);
        const std::uint8_t black = photometric == PHOTOMETRIC_MINISWHITE ? 0xFF : 0x00;
        for (int y = 0; y < 40; ++y) {
            std::uint8_t row[8];
            for (int x = 0; x < 8; ++x) row[x] = y >= 10 && y < 20 && x >= 2 && x < 4 ? black : ~black;
            TIFFWriteScanline(tif, row, y, 0);
        }
    };
}

// A 30 x 20 RGB page, each pixel (x*8, y*12, 77), in the given compression.
TPageWriter RgbPage(int compression) {
    return [=](TIFF* tif) {
        Header(tif, 30, 20, 8, 3, PHOTOMETRIC_RGB, compression);
        for (int y = 0; y < 20; ++y) {
            std::uint8_t row[90];
            for (int x = 0; x < 30; ++x) {
                row[3 * x] = static_cast<std::uint8_t>(x * 8);
                row[3 * x + 1] = static_cast<std::uint8_t>(y * 12);
                row[3 * x + 2] = 77;
            }
            TIFFWriteScanline(tif, row, y, 0);
        }
    };
}

TFault FaultOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EInvalidGraphic& e) {
        return e.Fault();
    }
    return TFault::fUnknown;
}

TEST(TiffFile, PagesKeepFaxDataAndDecodeTheRest) {
    const std::vector<std::uint8_t> bytes =
        MakeTiff("pages.tif", {FaxPage(COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE),
                               FaxPage(COMPRESSION_CCITTFAX3, PHOTOMETRIC_MINISBLACK), RgbPage(COMPRESSION_LZW),
                               RgbPage(COMPRESSION_ADOBE_DEFLATE)});
    const TTiffFile tiff = TTiffFile::FromBytes(bytes);
    ASSERT_EQ(tiff.PageCount(), 4);
    EXPECT_TRUE(tiff.ChainDamage().empty());

    struct TFax {
        int page, k;
        bool blackIs1;
    };
    for (const TFax& fax : {TFax{0, -1, false}, TFax{1, 4, true}}) {
        SCOPED_TRACE(fax.page);
        ASSERT_TRUE(tiff.KeepsData(fax.page));
        const TRasterPage page = tiff.MakePage(fax.page);
        EXPECT_EQ(page.Coding(), TRasterCoding::rcCcitt);
        EXPECT_EQ(page.CcittK, fax.k);
        EXPECT_EQ(page.BlackIs1, fax.blackIs1);
        EXPECT_EQ(page.Width(), 64);
        EXPECT_EQ(page.Height(), 40);
        // The strip, byte for byte.
        const TTiffPageFacts& facts = tiff.Facts(fax.page);
        TMemoryStream data;
        page.SaveToStream(data);
        ASSERT_EQ(data.Size(), facts.FirstSize);
        EXPECT_EQ(0, std::memcmp(data.Memory(), bytes.data() + facts.FirstOffset, bytes.size() > 0 ? data.Size() : 0));
        // Decoded, the page is 1-bit grey with its black square.
        const TRasterPixels pixels = tiff.Decode(fax.page);
        EXPECT_EQ(pixels.Bits, 1);
        EXPECT_EQ(pixels.Data[15 * pixels.RowBytes() + 2], 0x00);
        EXPECT_EQ(pixels.Data[5 * pixels.RowBytes() + 2], 0xFF);
    }
    for (int n : {2, 3}) {
        EXPECT_FALSE(tiff.KeepsData(n));
        const TRasterPixels pixels = tiff.Decode(n);
        ASSERT_EQ(pixels.Channels, 3);
        EXPECT_TRUE(pixels.Damage.empty());
        const std::uint8_t* p = pixels.Data.data() + 7 * pixels.RowBytes() + 3 * 11;
        EXPECT_EQ(p[0], 88);
        EXPECT_EQ(p[1], 84);
        EXPECT_EQ(p[2], 77);
        TBitmap bitmap;
        tiff.MakePage(n).AssignTo(bitmap);  // compressed losslessly: the same pixels back
        EXPECT_EQ(bitmap.PixelColor(11, 7), (TPaletteEntry{88, 84, 77, 0}));
    }
}

// Group 4 codes written out as bits ("001 1011 ..."), padded with zeros.
std::vector<std::uint8_t> Bits(const std::string& text) {
    std::vector<std::uint8_t> out;
    int n = 0;
    for (const char c : text) {
        if (c != '0' && c != '1') continue;
        if (n % 8 == 0) out.push_back(0);
        if (c == '1') out.back() |= static_cast<std::uint8_t>(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

TEST(TiffFile, Group4CodesStrictReadersReadOtherwiseAreEncodedAgain) {
    // Two lines of 16 pixels. Codes: V0 1, H 001, P 0001; white runs 0
    // 00110101, 4 1011; black runs 0 0000110111, 4 011, 14 00000111.
    const std::string emptyRunsThenPass = "001 00110101 0000110111 1  0001 001 1011 011 1";
    struct TCase {
        const char* what;
        std::string codes;
        bool strict;
    } cases[] = {
        {"white, then a black run in white", "1  001 1011 011 1", true},
        // libtiff: the pass goes to the empty black run at 0; a strict
        // reader has no element there and passes to the line's end.
        {"empty runs, then a pass over them", emptyRunsThenPass, false},
        {"a run past the line's end", "001 1011 00000111  1", false},
        {"uncompressed mode", "0000001111", false},
        {"the second line missing", "1", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> data = Bits(c.codes);
        EXPECT_EQ(Group4ReadsStrictly(data.data(), data.size(), 16, 2), c.strict);
    }

    // In a file, such a strip is decoded by libtiff and encoded again by it:
    // the same pixels in codes every reader reads alike.
    const std::vector<std::uint8_t> strip = Bits(emptyRunsThenPass);
    const auto rawPage = [](const std::vector<std::uint8_t>& data) {
        return [data](TIFF* tif) {
            Header(tif, 16, 2, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4);
            TIFFWriteRawStrip(tif, 0, const_cast<std::uint8_t*>(data.data()), static_cast<tmsize_t>(data.size()));
        };
    };
    const TTiffFile tiff = TTiffFile::FromBytes(MakeTiff("misread.tif", {rawPage(strip)}));
    EXPECT_FALSE(tiff.KeepsData(0));
    const TRasterPixels pixels = tiff.Decode(0);
    ASSERT_TRUE(pixels.Damage.empty());
    EXPECT_EQ(pixels.Data[pixels.RowBytes()], 0xF0);  // the second line: white 4, black 4, white
    const TRasterPage page = tiff.MakePage(0);
    ASSERT_EQ(page.Coding(), TRasterCoding::rcCcitt);
    EXPECT_EQ(page.CcittK, -1);
    EXPECT_FALSE(page.BlackIs1);
    TMemoryStream encoded;
    page.SaveToStream(encoded);
    const auto* bytes = static_cast<const std::uint8_t*>(encoded.Memory());
    const std::vector<std::uint8_t> again(bytes, bytes + encoded.Size());
    EXPECT_TRUE(Group4ReadsStrictly(again.data(), again.size(), 16, 2));
    const TTiffFile reread = TTiffFile::FromBytes(MakeTiff("again.tif", {rawPage(again)}));
    EXPECT_TRUE(reread.KeepsData(0));
    EXPECT_EQ(reread.Decode(0).Data, pixels.Data);
}

TEST(TiffFile, RefusesBeforeDecodingAndToldDamage) {
    // Not a TIFF; a page past the ceiling; a tiny Deflate strip declaring a
    // large picture (a bomb).
    EXPECT_EQ(FaultOf([] { TTiffFile::FromBytes({'G', 'I', 'F', '8', '9', 'a', 0, 0}); }), TFault::fNotItsKind);
    const std::vector<std::uint8_t> wide =
        MakeTiff("wide.tif", {[](TIFF* tif) {
                     Header(tif, 70000, 1, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE);
                     std::vector<std::uint8_t> row(70000, 0);
                     TIFFWriteScanline(tif, row.data(), 0, 0);
                 }});
    EXPECT_EQ(FaultOf([&] { TTiffFile::FromBytes(wide).MakePage(0); }), TFault::fTooLarge);
    const std::vector<std::uint8_t> bomb =
        MakeTiff("bomb.tif", {[](TIFF* tif) {
                     Header(tif, 15000, 15000, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE);
                     TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 15000);
                     const std::uint8_t tiny[] = {0x78, 0x9c, 0x03, 0x00};
                     TIFFWriteRawStrip(tif, 0, const_cast<std::uint8_t*>(tiny), 4);
                 }});
    const std::string bombMessage = MessageOf([&] { TTiffFile::FromBytes(bomb).MakePage(0); });
    EXPECT_NE(bombMessage.find("decompression bomb"), std::string::npos) << bombMessage;
    // Image data cut off half way: the page is made, and says why it is short.
    std::vector<std::uint8_t> cut = MakeTiff("cut.tif", {RgbPage(COMPRESSION_LZW)});
    const TTiffPageFacts lzw = TTiffFile::FromBytes(cut).Facts(0);
    for (std::int64_t i = lzw.FirstOffset + lzw.FirstSize / 2; i < lzw.FirstOffset + lzw.FirstSize; ++i)
        cut[static_cast<std::size_t>(i)] = 0xFF;
    const TRasterPixels damaged = TTiffFile::FromBytes(cut).Decode(0);
    EXPECT_NE(damaged.Damage.find("damaged from row"), std::string::npos) << damaged.Damage;
}

int WriteToVector(GifFileType* gif, const GifByteType* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + size);
    return size;
}

// A 4 x 2 GIF written by giflib: four colours (red, green, blue, dark), the
// third transparent, rows 0 1 2 3 and 3 2 1 0.
std::vector<std::uint8_t> SmallGif() {
    std::vector<std::uint8_t> bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, WriteToVector, &error);
    const GifColorType colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 4, 2, 2, 0, map);
    const GifByteType control[] = {1, 0, 0, 2};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    EGifPutImageDesc(gif, 0, 0, 4, 2, false, nullptr);
    GifPixelType rows[2][4] = {{0, 1, 2, 3}, {3, 2, 1, 0}};
    EGifPutLine(gif, rows[0], 4);
    EGifPutLine(gif, rows[1], 4);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return bytes;
}

TEST(GifFile, FirstFrameAsIndicesTransparencyWhite) {
    const std::vector<std::uint8_t> gif = SmallGif();
    const TRasterPixels pixels = DecodeGif(gif.data(), gif.size());
    ASSERT_EQ(pixels.Width, 4);
    ASSERT_EQ(pixels.Height, 2);
    ASSERT_GE(pixels.Palette.size(), 4u);
    EXPECT_EQ(pixels.Palette[2], (TPaletteEntry{255, 255, 255, 0}));
    EXPECT_EQ(pixels.Palette[0], (TPaletteEntry{255, 0, 0, 0}));
    EXPECT_TRUE(pixels.Damage.empty()) << pixels.Damage;

    std::vector<std::uint8_t> big = gif;
    big[6] = big[7] = big[8] = big[9] = 0xFF;  // a 65,535 x 65,535 screen
    EXPECT_EQ(FaultOf([&] { DecodeGif(big.data(), big.size()); }), TFault::fTooLarge);
    EXPECT_EQ(FaultOf([&] { DecodeGif(gif.data() + 1, gif.size() - 1); }), TFault::fNotItsKind);
    EXPECT_EQ(pixels.Data[5], 2);  // row 1, x 1
    // Cut off in the frame's data (the end's block and trailer gone): a warning.
    const TRasterPixels cut = DecodeGif(gif.data(), gif.size() - 4);
    EXPECT_NE(cut.Damage.find("cut off"), std::string::npos) << cut.Damage;
    EXPECT_EQ(FaultOf([&] { DecodeGif(gif.data(), 20); }), TFault::fCutOff);
}

TEST(WebpFile, RefusesWhatIsNoStillWebp) {
    const std::uint8_t notWebp[] = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E', 0, 0};
    EXPECT_EQ(FaultOf([&] { DecodeWebp(notWebp, sizeof notWebp); }), TFault::fNotItsKind);
    const std::uint8_t headerOnly[] = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'L'};
    EXPECT_EQ(FaultOf([&] { DecodeWebp(headerOnly, sizeof headerOnly); }), TFault::fCutOff);
}

}  // namespace
}  // namespace pim

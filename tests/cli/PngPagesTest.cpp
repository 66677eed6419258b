// PNG files through pim: listed by default and by -t png, in list order
// among the other kinds, their data kept or decoded as their kind asks, and
// damaged ones named.
#include <gtest/gtest.h>

#include "tests/app/PdfFacts.h"
#include "tests/app/TestPictures.h"
#include "tests/cli/PimProcess.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/PngBytes.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::RunPim;
using test::TPdfFacts;

std::string Png(const std::string& folder, const std::string& name, const std::string& options) {
    const std::string path = folder + "/" + name;
    test::Shell("convert -size 40x30 gradient:orange-navy -depth 8 " + options + " " + test::ShellQuote(path));
    return path;
}

TEST(PimPng, PagesInListOrderKeptOrDecodedByKind) {
    const std::string folder = test::FreshFolder("pim-png");
    Png(folder, "a.png", "-define png:color-type=2");
    test::WriteJpegFile(folder + "/b.jpg", test::GradientBitmap(20, 10));
    Png(folder, "c.png", "-alpha set -channel A -evaluate set 50% +channel -define png:color-type=6");

    auto r = RunPim({"--quiet", folder});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string pdf = folder + "/default.pdf";
    EXPECT_VALID_PDF(pdf);
    const TPdfFacts facts = TPdfFacts::FromFile(pdf);
    EXPECT_EQ(facts.OutlineTitles(), (std::vector<std::string>{"a", "b", "c"}));
    const std::vector<int> pages = facts.Pages();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(facts.PageSize(pages[0]), std::make_pair(40, 30));
    const std::string kept = facts.Object(facts.PageImages(pages[0]).at(0)).Dictionary;
    EXPECT_NE(kept.find("/FlateDecode"), std::string::npos) << kept;
    EXPECT_NE(kept.find("/Predictor 15"), std::string::npos) << kept;
    const std::string decoded = facts.Object(facts.PageImages(pages[2]).at(0)).Dictionary;
    EXPECT_NE(decoded.find("/FlateDecode"), std::string::npos) << decoded;
    EXPECT_EQ(decoded.find("/Predictor"), std::string::npos) << decoded;

    // Only the PNGs; and re-encoded, a PNG becomes a JPEG page as a BMP does.
    r = RunPim({"--quiet", "-t", "png", "--reencode", "-o", "only", folder});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const TPdfFacts only = TPdfFacts::FromFile(folder + "/only.pdf");
    EXPECT_EQ(only.OutlineTitles(), (std::vector<std::string>{"a", "c"}));
    EXPECT_NE(only.Object(only.PageImages(only.Pages()[0]).at(0)).Dictionary.find("/DCTDecode"), std::string::npos);
}

TEST(PimPng, DamagedFilesAreNamed) {
    const std::string folder = test::FreshFolder("pim-png-damaged");
    const std::string path = Png(folder, "a.png", "-define png:color-type=2 -define png:compression-level=0");
    std::string bytes = test::ReadFileBytes(path);
    // Cut off inside its image data: a page, and a warning naming it.
    test::WriteFileBytes(path, bytes.substr(0, bytes.size() * 2 / 3));
    auto r = RunPim({"--quiet", folder});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "pim: warning: " + path +
                         ": the PNG file ends before its image does (the file is cut off); the page shows only what is there\n");
    EXPECT_VALID_PDF(folder + "/default.pdf");
    // A changed byte: no PDF, and the file and the cause named.
    bytes[bytes.size() / 2] ^= 0x10;
    test::WriteFileBytes(path, bytes);
    r = RunPim({"--quiet", "-o", "bad", folder});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("pim: reading " + path + ": PNG image is not valid: bad CRC in the IDAT chunk"), std::string::npos)
        << r.err;
}

// Whole files whose pictures are not what they say: each makes its page, as
// far as its data go, and a warning naming it; the PDF is sound.
TEST(PimPng, ShortOrDamagedPicturesMakeTheirPagesAndWarnings) {
    const std::string folder = test::FreshFolder("pim-damaged-data");
    const int side = 16;
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < side; ++y) {
        raw.push_back(0);
        for (int x = 0; x < 3 * side; ++x) raw.push_back(static_cast<std::uint8_t>(x * 5 + y * 9));
    }
    const std::vector<std::uint8_t> data = test::Deflated(raw);
    std::vector<std::uint8_t> badAdler = data;
    badAdler.back() ^= 0x55;
    const auto png = [&](const std::string& name, const std::vector<std::uint8_t>& idat) {
        const std::vector<std::uint8_t> bytes = test::PngWithData(side, side, 2, idat);
        test::WriteFileBytes(folder + "/" + name, std::string(bytes.begin(), bytes.end()));
        return folder + "/" + name;
    };
    const std::string fewRows = png("a.png", test::Deflated({raw.begin(), raw.begin() + 10 * (1 + 3 * side)}));
    const std::string cut = png("b.png", {data.begin(), data.begin() + static_cast<long>(data.size() / 2)});
    const std::string adler = png("c.png", badAdler);
    // The pixel offset points into a palette of 252 colours.
    TBitmap bitmap(side, side, TPixelFormat::pf8bit);
    std::vector<TPaletteEntry> palette;
    for (int i = 0; i < 252; ++i) palette.push_back({static_cast<std::uint8_t>(i), 0, 0, 0});
    bitmap.SetPalette(palette);
    const std::string bmp = folder + "/d.bmp";
    test::WriteBmpFile(bmp, bitmap);
    std::string bmpBytes = test::ReadFileBytes(bmp);
    bmpBytes.replace(10, 4, std::string{54, 0, 0, 0});
    test::WriteFileBytes(bmp, bmpBytes);

    const std::string shortData = ": the PNG image data end before the picture does; the page shows only what is there\n";
    for (const bool reencode : {false, true}) {
        SCOPED_TRACE(reencode);
        const std::string name = reencode ? "reencoded" : "kept";
        std::vector<std::string> args = {"--quiet", "-o", name, folder};
        if (reencode) args.insert(args.begin(), "--reencode");
        const auto r = RunPim(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err, "pim: warning: " + fewRows + shortData + "pim: warning: " + cut + shortData + "pim: warning: " +
                             adler + ": the PNG image data do not match their checksum (Adler-32); the page shows what they decode to\n" +
                             "pim: warning: " + bmp +
                             ": the pixel offset 54 points before the end of the palette (byte 1062); the pixels are read from there\n");
        const std::string pdf = folder + "/" + name + ".pdf";
        EXPECT_VALID_PDF(pdf);
        EXPECT_EQ(TPdfFacts::FromFile(pdf).Pages().size(), 4u);
    }
}

}  // namespace
}  // namespace pim

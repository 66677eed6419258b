// PNG files through pim: listed by default and by -t png, in list order
// among the other kinds, their data kept or decoded as their kind asks, and
// damaged ones named.
#include <gtest/gtest.h>

#include "tests/app/PdfFacts.h"
#include "tests/app/TestPictures.h"
#include "tests/cli/PimProcess.h"
#include "tests/support/PdfCheck.h"
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

}  // namespace
}  // namespace pim

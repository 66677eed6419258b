// pim's page-size options: each reaches the page, and wrong words are refused.
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

TEST(PimPaper, PageSizeOrientationMarginAndEnlargeReachThePage) {
    const std::string folder = test::FreshFolder("pim-paper");
    // A BMP that states no density: 96 dpi, 225 x 112.5 units.
    test::WriteBmpFile(folder + "/a.bmp", test::SolidBitmap(300, 150, {0, 90, 200}));
    std::string bmp = test::ReadFileBytes(folder + "/a.bmp");
    bmp.replace(38, 8, 8, '\0');
    test::WriteFileBytes(folder + "/a.bmp", bmp);
    const struct {
        std::vector<std::string> args;
        const char* mediaBox;
        const char* matrix;  // the paper's; "" for none
    } cases[] = {
        {{}, "[0 0 300 150 ]", ""},
        {{"--page-size", "pixels"}, "[0 0 300 150 ]", ""},
        {{"--page-size", "dpi"}, "[0 0 225 112.5 ]", "0.75 0 0 0.75 0 0 cm"},
        {{"--page-size", "A4"}, "[0 0 841.89 595.276 ]", "0.75 0 0 0.75 308.445 241.388 cm"},
        {{"--page-size", "A4", "--orientation", "portrait"},
         "[0 0 595.276 841.89 ]",
         "0.75 0 0 0.75 185.138 364.695 cm"},
        {{"--page-size", "A5", "--enlarge", "--margin", "10"},
         "[0 0 595.276 419.528 ]",
         "1.795277 0 0 1.795277 28.346 75.118 cm"},
        {{"--page-size", "letter", "--orientation", "landscape", "--margin", "30"},
         "[0 0 792 612 ]",
         "0.75 0 0 0.75 283.5 249.75 cm"},
        {{"--page-size", "B5"}, "[0 0 728.504 515.906 ]", "0.75 0 0 0.75 251.752 201.703 cm"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back(folder);
        const auto r = RunPim(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string pdfPath = folder + "/default.pdf";
        EXPECT_VALID_PDF(pdfPath);
        const TPdfFacts pdf = TPdfFacts::FromFile(pdfPath);
        const std::string& page = pdf.Object(pdf.Pages().at(0)).Dictionary;
        EXPECT_EQ(TPdfFacts::Value(page, "MediaBox"), c.mediaBox) << c.mediaBox;
        const std::string contents = pdf.Object(TPdfFacts::Reference(page, "Contents")).Stream;
        if (*c.matrix) {
            EXPECT_NE(contents.find(std::string("q\n") + c.matrix + "\n"), std::string::npos) << contents;
        }
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--page-size", "A6", folder},
                                                {"--orientation", "upright", folder},
                                                {"--margin", "31", folder},
                                                {"--margin", "-1", folder}}) {
        const auto r = RunPim(bad);
        EXPECT_EQ(r.exitCode, 2) << bad[0] << " " << bad[1];
    }
    const std::string help = RunPim({"--help"}).out;
    for (const char* option : {"--page-size", "--orientation", "--margin", "--enlarge"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

}  // namespace
}  // namespace pim

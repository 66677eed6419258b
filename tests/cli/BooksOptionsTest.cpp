// pim's options for books: binding, page layout, and the sub-folder batches.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/app/PdfFacts.h"
#include "tests/app/TestPictures.h"
#include "tests/cli/PimProcess.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;
using test::RunPim;
using test::TPdfFacts;

void WriteBmp(const std::string& path, int width) {
    test::WriteBmpFile(path, test::SolidBitmap(width, 6, {0, 90, 200}));
}

TEST(PimBooks, BindingAndLayoutReachTheCatalogAndTheVersion) {
    const std::string folder = test::FreshFolder("pim-books-layout");
    WriteBmp(folder + "/a.bmp", 8);
    const struct {
        std::vector<std::string> args;
        const char* header;
        const char* layout;
        bool r2l;
    } cases[] = {
        {{}, "%PDF-1.2 ", "/OneColumn", false},
        {{"--binding", "l2r", "--layout", "continuous"}, "%PDF-1.2 ", "/OneColumn", false},
        {{"--layout", "single"}, "%PDF-1.2 ", "/SinglePage", false},
        {{"--layout", "spread"}, "%PDF-1.2 ", "/TwoColumnLeft", false},
        {{"--binding", "r2l", "--layout", "spread-cover"}, "%PDF-1.3 ", "/TwoColumnRight", true},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back(folder);
        const auto r = RunPim(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string pdfPath = folder + "/default.pdf";
        EXPECT_VALID_PDF(pdfPath);
        EXPECT_EQ(test::ReadFileBytes(pdfPath).substr(0, 9), c.header) << c.layout;
        const TPdfFacts pdf = TPdfFacts::FromFile(pdfPath);
        EXPECT_EQ(TPdfFacts::Value(pdf.Catalog(), "PageLayout"), c.layout);
        EXPECT_EQ(pdf.Catalog().find("/Direction /R2L") != std::string::npos, c.r2l) << c.layout;
    }
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--binding", "ttb", folder},
                                                {"--layout", "two", folder},
                                                {"--each-subfolder", "-o", "x", folder},
                                                {"--each-subfolder", "--subfolders-in-one", folder}}) {
        const auto r = RunPim(bad);
        EXPECT_EQ(r.exitCode, 2) << bad[0] << " " << bad[1];
    }
    EXPECT_NE(RunPim({"--binding", "ttb", folder}).err.find("'ttb' is not a binding; use l2r or r2l"),
              std::string::npos);
    const std::string help = RunPim({"--help"}).out;
    for (const char* option : {"--binding", "--layout", "--each-subfolder", "--subfolders-in-one"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(PimBooks, EachSubfolderExitsThreeWhenOneFailedAndSubfoldersInOneMakesChapters) {
    const std::string root = test::FreshFolder("pim-books-batch");
    const auto chapter = [&](const std::string& name) {
        fs::create_directory(test::FsPath(root + "/" + name));
        return root + "/" + name + "/";
    };
    WriteBmp(chapter("ch10") + "1.bmp", 30);
    WriteBmp(chapter("ch2") + "1.bmp", 20);
    WriteBmp(chapter("ch2") + "2.bmp", 21);
    chapter("ch3 empty");
    WriteBmp(chapter("ch4") + "1.bmp", 40);
    test::WriteFileBytes(chapter("ch4") + "2.jpg", "broken");

    auto r = RunPim({"--each-subfolder", root});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "2個のPDFを作成しました");
    EXPECT_NE(r.out.find("スキップ: ch3 empty（ファイルがありません）"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("失敗: ch4\n　"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(root + "/ch2.pdf\n" + root + "/ch10.pdf\n"), std::string::npos) << r.out;
    EXPECT_EQ(TPdfFacts::FromFile(root + "/ch2.pdf").Pages().size(), 2u);
    EXPECT_VALID_PDF(root + "/ch10.pdf");
    EXPECT_FALSE(fs::exists(test::FsPath(root + "/ch4.pdf")));

    // Quiet: only the failure, on stderr.
    r = RunPim({"--each-subfolder", "--quiet", root});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("pim: ch4: ", 0), 0u) << r.err;

    fs::remove(test::FsPath(root + "/ch4/2.jpg"));
    r = RunPim({"--subfolders-in-one", "--binding", "r2l", root});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string whole = root + "/pim-books-batch.pdf";
    ASSERT_VALID_PDF(whole);
    const auto outline = TPdfFacts::FromFile(whole).Outline();
    ASSERT_EQ(outline.size(), 3u);
    EXPECT_EQ(outline[0].Title, "ch2");
    EXPECT_EQ(outline[0].Children.size(), 2u);
    EXPECT_EQ(outline[1].Title, "ch4");
    EXPECT_EQ(outline[2].Title, "ch10");
    EXPECT_EQ(outline[2].Children.at(0).Title, "1");
}

}  // namespace
}  // namespace pim

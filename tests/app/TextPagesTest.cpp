// What a run makes of texts and names beyond one page and beyond ASCII:
// every line of a long text on its pages, texts in the encodings Notepad
// saves, and names that read the same in every viewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "app/PdfRun.h"
#include "base/CodePage.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/RunHost.h"
#include "tests/app/TestPictures.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

std::string WithoutSpace(std::string text) {
    std::erase_if(text, [](unsigned char c) { return std::isspace(c) || c == '\f'; });
    return text;
}

TEST(TextPages, EveryLineOfALongTextIsOnItsPagesAndNamesAreUtf16) {
    const std::string folder = test::FreshFolder("run-text-pages");
    // 80 lines, every fifth one 131 characters long: Japanese with
    // punctuation, and Latin words.
    std::string utf8;
    for (int i = 1; i <= 80; ++i) {
        std::string line = "行" + std::to_string(i) + "：";
        if (i % 5 == 0) {
            while (line.size() < 300) line += "日本語の文章、「括弧」と句読点。";
            while (line.size() < 400) line += "Latin words wrap whole ";
        }
        utf8 += line + "\r\n";
    }
    const std::string sjis = Utf8ToAnsi(utf8);
    test::WriteFileBytes(folder + "/a-long.txt", sjis);
    test::WriteFileBytes(folder + "/b-utf8.txt", "\xEF\xBB\xBF" "ＵＴＦ８の文書\r\n");
    test::WriteFileBytes(folder + "/c-short.txt", "one line\r\n");
    const std::string kana = "ｽｷｬﾝ001";  // file names are UTF-8 here
    test::WriteJpegFile(folder + "/" + kana + ".jpg", test::GradientBitmap(8, 8));

    TPdfRun run;
    TPdfRunSettings settings;
    settings.ImageFolder = folder;
    settings.Title = Utf8ToAnsi("ｶﾀﾛｸﾞ");
    test::TRecordingHost host;
    const TPdfRunResult result = run.CreatePdf(
        host, {folder + "/a-long.txt", folder + "/b-utf8.txt", folder + "/c-short.txt", folder + "/" + kana + ".jpg"},
        settings);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    const std::string output = folder + "/default.pdf";
    ASSERT_VALID_PDF(output);

    const test::TPdfFacts pdf = test::TPdfFacts::FromFile(output);
    const std::vector<int> pages = pdf.Pages();
    ASSERT_GE(pages.size(), 6u);  // the long text needs three or more
    for (std::size_t i = 0; i + 1 < pages.size(); ++i) EXPECT_EQ(pdf.PageSize(pages[i]), std::make_pair(480, 680));
    // One bookmark a file, on its first page; every name beyond ASCII as UTF-16.
    EXPECT_EQ(pdf.OutlineTitles(), (std::vector<std::string>{"a-long", "b-utf8", "c-short", "ｽｷｬﾝ001"}));
    EXPECT_EQ(test::PdfTextToUtf8(pdf.Info("Title")), "ｶﾀﾛｸﾞ");
    EXPECT_EQ(pdf.Info("Title").rfind("<FEFF", 0), 0u);
    const std::size_t longPages = pages.size() - 3;

    PIM_NEEDS_TOOLS();
    const auto text = [&](std::size_t first, std::size_t last) {
        return test::RunCommandStdout("pdftotext -enc UTF-8 -f " + std::to_string(first) + " -l " +
                                      std::to_string(last) + " " + test::ShellQuote(output) + " -")
            .output;
    };
    EXPECT_EQ(WithoutSpace(text(1, longPages)), WithoutSpace(utf8));
    EXPECT_EQ(WithoutSpace(text(longPages + 1, longPages + 1)), "ＵＴＦ８の文書");
    EXPECT_EQ(WithoutSpace(text(longPages + 2, longPages + 2)), "oneline");
    // Viewers built on poppler show what the strings say, nothing before them.
    const std::string info = test::RunCommandStdout("pdfinfo -enc UTF-8 " + test::ShellQuote(output)).output;
    EXPECT_NE(info.find(" ｶﾀﾛｸﾞ\n"), std::string::npos) << info;
    EXPECT_EQ(info.find("敮"), std::string::npos) << info;
}

}  // namespace
}  // namespace pim

// A page of Japanese text in PGothic, as the text item prints it, checked
// with poppler: the file is sound, the text comes back out of it, and the
// glyphs land where the font's measurements put them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/CodePage.h"
#include "pdf/PdfJpFonts.h"
#include "tests/pdf/PdfTestUtil.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

// Lines that exercise kanji, kana, full-width and half-width forms and Latin.
const char* const kLines[] = {
    "日本語のテキストをＰＤＦに変換",
    "半角ｶﾀｶﾅとLatin text 123、全角「記号」の行",
};

class JpFontsPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterJapaneseFonts(); }
    void SetUp() override {
        doc.NewDocument();
        doc.AddPage();
        canvas = doc.GetCanvas();
        canvas->SetPageWidth(480);
        canvas->SetPageHeight(680);
    }
    TPdfDoc doc;
    TPdfCanvas* canvas = nullptr;
};

// A greyscale rendering at 72 dpi: one pixel per point.
test::TImage Render(const std::string& pdf) {
    const std::string prefix = pdf + ".gray";
    test::RunCommandStdout("pdftoppm -r 72 -gray -singlefile " + test::ShellQuote(pdf) + " " +
                           test::ShellQuote(prefix));
    return test::ReadPnm(prefix + ".pgm");
}

bool Dark(const test::TImage& image, int x, int y) { return image.Sample(x, y) < 128; }

TEST_F(JpFontsPageTest, ShiftJisLinesInPGothicRenderAndReadBack) {
    const std::string first = Utf8ToAnsi(kLines[0]);
    const std::string second = Utf8ToAnsi(kLines[1]);
    canvas->SelectFont("PGothic", 12);
    canvas->SetLeading(14);
    const float firstWidth = canvas->TextWidth(first);
    std::string text = first;
    text.append("\r\n").append(second);
    canvas->ShowTextInRect(MakePdfRect(20, 660, 460, 20), text, false);

    // The text's own bytes, in hexadecimal, under the PGothic resource.
    const std::string content = test::PageContent(doc);
    EXPECT_NE(content.find("/F1 12 Tf\n"), std::string::npos);
    std::string shown = "<";
    shown.append(HexOfBytes(first)).append("> Tj\n");
    EXPECT_NE(content.find(shown), std::string::npos);

    test::SaveAndCheck(doc, "jpfonts-pgothic-page.pdf");
    const std::string path = test::OutputPath("jpfonts-pgothic-page.pdf");
    PIM_NEEDS_TOOLS();
    std::string extracted = test::RunCommandStdout("pdftotext -enc UTF-8 " + test::ShellQuote(path) + " -").output;
    extracted.erase(extracted.find_last_not_of("\n\f") + 1);  // the page's closing blank line and form feed
    EXPECT_EQ(extracted, std::string(kLines[0]) + "\n" + kLines[1]);

    // The first line's ink starts at the left edge and ends where the
    // measured width says (the viewer advances by the same "W" widths).
    const test::TImage image = Render(path);
    ASSERT_EQ(image.width, 480);
    ASSERT_EQ(image.height, 680);
    int left = image.width, right = -1, darkPixels = 0;
    for (int y = 20; y < 34; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (!Dark(image, x, y)) continue;
            ++darkPixels;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    EXPECT_GT(darkPixels, 300);
    EXPECT_NEAR(left, 20, 3);
    EXPECT_NEAR(right, 20 + firstWidth, 3);
}

TEST_F(JpFontsPageTest, EachFamilyOnAPageIsOneFontOfThreeObjects) {
    const int before = doc.Xref()->EntryCount();
    canvas->SelectFont("PGothic", 12);
    canvas->SelectFont("Mincyo", 12);
    canvas->SelectFont("PGothic", 10);
    doc.AddPage();
    canvas->SelectFont("PGothic", 12);
    // Two fonts of three objects each, plus the second page and its contents.
    EXPECT_EQ(doc.Xref()->EntryCount(), before + 3 + 3 + 2);
    EXPECT_EQ(doc.FontList().size(), 3u);  // Arial, PGothic, Mincyo
    test::SaveAndCheck(doc, "jpfonts-two-families.pdf");
}

}  // namespace
}  // namespace pim

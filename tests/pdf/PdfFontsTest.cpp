#include <gtest/gtest.h>

#include "pdf/PdfFonts.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

class PdfFontsTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.NewDocument();
        doc.AddPage();
    }
    int Width(const std::string& font, unsigned code) {
        std::string text(1, static_cast<char>(code));
        return doc.GetFont(font)->WidthOfCharAt(text, 1);
    }
    TPdfDoc doc;
};

TEST_F(PdfFontsTest, WidthsMatchThePublishedMetrics) {
    const unsigned codes[] = {32, 65, 87, 97, 105, 128, 149, 160, 173, 198, 230};
    struct Row {
        const char* font;
        int widths[11];
    };
    const Row rows[] = {
        {"Arial", {278, 667, 944, 556, 222, 556, 350, 0, 0, 1000, 889}},
        {"Arial-Bold", {278, 722, 944, 556, 278, 556, 350, 0, 0, 1000, 889}},
        {"Times-Roman", {250, 722, 944, 444, 278, 500, 350, 0, 0, 889, 667}},
        {"Times-Italic", {250, 611, 833, 500, 278, 500, 350, 0, 0, 889, 667}},
        {"Times-BoldItalic", {250, 667, 889, 500, 278, 500, 350, 0, 0, 944, 722}},
    };
    for (const Row& row : rows)
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(Width(row.font, codes[i]), row.widths[i]) << row.font << " code " << codes[i];
}

TEST_F(PdfFontsTest, GaplessCodesMeasureZeroExceptInCourier) {
    for (const char* font : {"Arial", "Arial-Bold", "Arial-Italic", "Arial-BoldItalic", "Times-Roman",
                             "Times-Bold", "Times-Italic", "Times-BoldItalic"}) {
        for (unsigned code : {127u, 129u, 141u, 143u, 144u, 157u, 160u, 173u})
            EXPECT_EQ(Width(font, code), 0) << font << " code " << code;
        for (unsigned code : {0u, 9u, 31u}) EXPECT_EQ(Width(font, code), 0) << font << " code " << code;
    }
    for (const char* font : {"FixedWidth", "FixedWidth-Bold", "FixedWidth-Italic", "FixedWidth-BoldItalic"}) {
        for (unsigned code = 32; code < 256; ++code) ASSERT_EQ(Width(font, code), 600) << font << code;
        EXPECT_EQ(Width(font, 9), 0);
    }
}

TEST_F(PdfFontsTest, ObliqueHelveticaSharesTheUprightWidths) {
    for (unsigned code = 0; code < 256; ++code) {
        ASSERT_EQ(Width("Arial-Italic", code), Width("Arial", code)) << code;
        ASSERT_EQ(Width("Arial-BoldItalic", code), Width("Arial-Bold", code)) << code;
    }
}

TEST_F(PdfFontsTest, ShiftJisBytesAreMeasuredOneByOne) {
    TPdfFont* arial = doc.GetFont("Arial");
    const std::string text = "\x93\xFA";
    EXPECT_EQ(arial->WidthOfCharAt(text, 1), Width("Arial", 0x93));
    EXPECT_EQ(arial->WidthOfCharAt(text, 2), Width("Arial", 0xFA));
    EXPECT_EQ(arial->WidthOfCharAt(text, 3), 0);  // past the end
}

TEST_F(PdfFontsTest, TheDictionaryNamesTheFontAndKeepsItsWidthsInMemory) {
    auto* font = dynamic_cast<TPdfType1Font*>(doc.GetFont("Times-Bold"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->FirstChar(), 32);
    EXPECT_EQ(font->LastChar(), 255);
    TMemoryStream out;
    font->Data()->WriteDefinition(out);
    EXPECT_EQ(out.View(), "7 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type1\r\n/Encoding /WinAnsiEncoding\r\n"
                          "/FirstChar 32\r\n/LastChar 255\r\n/BaseFont /Times-Bold\r\n/Name /F1\r\n>>"
                          "\r\nendobj\r\n");
    EXPECT_NE(font->Data()->LookupArray("Widths"), nullptr);
}

TEST_F(PdfFontsTest, OneFontObjectPerNameAcrossPages) {
    TPdfCanvas* canvas = doc.GetCanvas();
    canvas->SelectFont("Times-Bold", 12);
    canvas->ShowText("page one");
    doc.AddPage();
    canvas->SelectFont("Times-Bold", 12);
    canvas->ShowText("page two");
    EXPECT_EQ(doc.FontList().size(), 2u);
    std::string bytes = test::SaveAndCheck(doc, "fonts-two-pages.pdf");
    std::size_t first = bytes.find("/BaseFont /Times-Bold");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(bytes.find("/BaseFont /Times-Bold", first + 1), std::string::npos);
    EXPECT_EQ(bytes.find("/Widths"), std::string::npos);
}

TEST_F(PdfFontsTest, EveryStandardFontRenders) {
    TPdfCanvas* canvas = doc.GetCanvas();
    float y = 800;
    for (const char* font : {"FixedWidth", "FixedWidth-Bold", "FixedWidth-Italic", "FixedWidth-BoldItalic",
                             "Arial", "Arial-Bold", "Arial-Italic", "Arial-BoldItalic", "Times-Roman",
                             "Times-Bold", "Times-Italic", "Times-BoldItalic"}) {
        canvas->SelectFont(font, 12);
        canvas->ShowTextInRect(MakePdfRect(40, y, 560, y - 20), std::string(font) + " \x80 \xE9t\xE9", true);
        y -= 24;
    }
    test::SaveAndCheck(doc, "fonts-all.pdf");
}

TEST(PdfFontsRegistry, UnregisteredFontsCannotBeCreated) {
    TPdfDoc doc;
    doc.NewDocument();
    UnregisterStandardFonts();
    EXPECT_THROW(doc.GetFont("Times-Roman"), Exception);
    RegisterStandardFonts();
    EXPECT_NE(doc.GetFont("Times-Roman"), nullptr);
}

}  // namespace
}  // namespace pim

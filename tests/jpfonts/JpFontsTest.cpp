#include "pdf/PdfJpFonts.h"

#include <gtest/gtest.h>

#include <charconv>
#include <string>

#include "pdf/PdfGBFonts.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

using test::BytesOf;

class JpFontsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterJapaneseFonts();
        RegisterChineseFonts();
    }
    void SetUp() override {
        doc.NewDocument();
        doc.AddPage();
    }
    TPdfType0Font* Font(const std::string& name) { return dynamic_cast<TPdfType0Font*>(doc.GetFont(name)); }
    int Width(const std::string& font, std::string_view text, int position = 1) {
        return doc.GetFont(font)->WidthOfCharAt(text, position);
    }
    // The sum of every byte's width, as the canvas adds them up.
    int TextWidth(const std::string& font, std::string_view text) {
        int sum = 0;
        for (int i = 1; i <= static_cast<int>(text.size()); ++i) sum += Width(font, text, i);
        return sum;
    }
    TPdfDoc doc;
};

TEST_F(JpFontsTest, ProportionalGothicMeasuresEachCharacterByItsCid) {
    EXPECT_EQ(Width("PGothic", "A"), 633);
    EXPECT_EQ(Width("PGothic", "i"), 211);
    EXPECT_EQ(Width("PGothic", " "), 305);
    EXPECT_EQ(Width("PGothic", "\x81\x40"), 664);      // ideographic space
    EXPECT_EQ(Width("PGothic", "\x81\x40", 2), 0);     // its trail byte
    EXPECT_EQ(Width("PGothic", "\x88\xA0"), 1000);     // a kanji outside the width list
    EXPECT_EQ(Width("PGothic", "\x82\x60"), 715);      // full-width A (CID 790)
    EXPECT_EQ(Width("PGothic", "\x82\x9F"), 746);      // hiragana small a (CID 842)
    EXPECT_EQ(Width("PGothic", "\x82\xA0"), 941);      // hiragana a
    EXPECT_EQ(Width("PGothic", "\xB1"), 617);          // half-width katakana a (CID 343)
    EXPECT_EQ(Width("PGothic", "\xDF"), 230);          // last half-width code (CID 389)
    // No width run holds the CID: a single byte takes MissingWidth.
    EXPECT_EQ(Width("PGothic", "~"), 500);             // CID 631
    EXPECT_EQ(Width("PGothic", "\t"), 500);            // no CID at all
    // Bold and italic share the proportional widths.
    for (const char* name : {"PGothic,Bold", "PMincyo", "PMincyo,BoldItalic"}) {
        EXPECT_EQ(Width(name, "A"), 633) << name;
        EXPECT_EQ(Width(name, "\x81\x40"), 664) << name;
    }
}

TEST_F(JpFontsTest, FixedFontsMeasureHalfAndFullWidths) {
    for (const char* name : {"Gothic", "Gothic,BoldItalic", "Mincyo", "Mincyo,Italic"}) {
        for (int code = 0x20; code <= 0xDF; ++code) {
            if (code >= 0x7F && code < 0xA0) continue;  // lead bytes, and codes not in 90ms-RKSJ-H
            ASSERT_EQ(Width(name, std::string(1, static_cast<char>(code))), 500) << name << " " << code;
        }
        EXPECT_EQ(Width(name, "\x88\xA0"), 1000) << name;
        EXPECT_EQ(TextWidth(name, "\x82\xA0\x82\xA2"), 2000) << name;
    }
    TPdfCanvas* canvas = doc.GetCanvas();
    canvas->SelectFont("Gothic", 10);
    EXPECT_FLOAT_EQ(canvas->TextWidth("\x82\xA0\x82\xA2"), 20);
    EXPECT_EQ(canvas->CharsThatFit("\x82\xA0\x82\xA2", 15), 2);  // never half a character
}

TEST_F(JpFontsTest, ChineseMeasuresByTheDefaultWidthsOnly) {
    EXPECT_EQ(Width("Chinese", "A"), 500);
    EXPECT_EQ(Width("Chinese", "\xB0\xA1"), 500);  // GB bytes are read as two single bytes
    EXPECT_EQ(Width("Chinese", "\x88\xA0"), 1000);
    EXPECT_EQ(Width("Chinese", "\x88\xA0", 2), 0);
    EXPECT_EQ(Font("Chinese")->CidOfCharAt("\x88\xA0", 1), 0);
}

TEST_F(JpFontsTest, BrokenTextAndPositionsOutsideIt) {
    // A lead byte with nothing after it still counts as one full-width character.
    EXPECT_EQ(Width("PGothic", "a\x82", 2), 1000);
    EXPECT_EQ(Width("PGothic", "abc", 0), 0);
    EXPECT_EQ(Width("PGothic", "abc", 4), 0);
    EXPECT_EQ(Width("PGothic", "", 1), 0);
}

TEST_F(JpFontsTest, WidthRunsComeFromTheWArray) {
    TPdfType0Font* gothic = Font("Gothic");
    ASSERT_EQ(gothic->CidWidths().size(), 1u);
    EXPECT_EQ(gothic->CidWidths()[0].FirstCid, 231);
    EXPECT_EQ(gothic->CidWidths()[0].LastCid, 631);
    EXPECT_EQ(gothic->CidWidths()[0].RunWidth, 500);
    EXPECT_EQ(gothic->DefaultWidth(), 1000);
    EXPECT_EQ(gothic->MissingWidth(), 500);

    const auto& runs = Font("PGothic")->CidWidths();
    ASSERT_EQ(runs.size(), 461u);
    long sum = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].FirstCid, runs[i].LastCid);
        if (i > 0) {
            EXPECT_LT(runs[i - 1].LastCid, runs[i].FirstCid);
        }
        sum += runs[i].RunWidth;
    }
    // First and last CID of each of the ten runs, and the widths' total, so a
    // slip in the table shows.
    EXPECT_EQ(runs.front().FirstCid, 1);
    EXPECT_EQ(runs[94].FirstCid, 95);
    EXPECT_EQ(runs[95].FirstCid, 326);
    EXPECT_EQ(runs[158].FirstCid, 389);
    EXPECT_EQ(runs[159].FirstCid, 633);
    EXPECT_EQ(runs.back().FirstCid, 1010);
    EXPECT_EQ(runs.back().RunWidth, 777);
    EXPECT_EQ(sum, 320977);
}

TEST_F(JpFontsTest, Type0FontObjectsHoldTheirKeysInOrder) {
    // Objects 7, 8 and 9, after the page (4), its contents (5) and Arial (6).
    TPdfDictionary* type0 = doc.GetFont("PGothic")->Data();
    EXPECT_EQ(BytesOf(*type0), "7 0 R");
    TPdfXref* xref = doc.Xref();
    std::string bytes;
    {
        TMemoryStream m;
        type0->WriteDefinition(m);
        bytes = std::string(m.View());
    }
    EXPECT_EQ(bytes,
              "7 0 obj\r\n<<\r\n/BaseFont /PGothic\r\n/DescendantFonts [8 0 R ]\r\n/Type /Font\r\n"
              "/Subtype /Type0\r\n/Encoding /90msp-RKSJ-H\r\n/Name /F1\r\n>>\r\nendobj\r\n");

    auto* descendant = dynamic_cast<TPdfDictionary*>(xref->GetObject(8));
    ASSERT_NE(descendant, nullptr);
    const std::string written = BytesOf(*descendant->Lookup("CIDSystemInfo"));
    EXPECT_EQ(written, "<<\r\n/Registry (Adobe)\r\n/Ordering (Japan1)\r\n/Supplement 2\r\n>>");
    std::string keys;
    for (int i = 0; i < descendant->ElementCount(); ++i) keys += descendant->ElementAt(i).Key().Value() + " ";
    EXPECT_EQ(keys, "Type Subtype WinCharSet BaseFont CIDSystemInfo DW W FontDescriptor ");
    EXPECT_EQ(BytesOf(*descendant->Lookup("WinCharSet")), "/128");
    EXPECT_EQ(BytesOf(*descendant->Lookup("Subtype")), "/CIDFontType2");
    const std::string w = BytesOf(*descendant->Lookup("W"));
    EXPECT_EQ(w.substr(0, 20), "[1 [305 219 500 500 ");
    EXPECT_NE(w.find(" 988 [977 719 "), std::string::npos);
    EXPECT_EQ(w.substr(w.size() - 11), "727 777 ] ]");
    EXPECT_EQ(BytesOf(*descendant->Lookup("FontDescriptor")), "9 0 R");

    TMemoryStream m;
    xref->GetObject(9)->WriteDefinition(m);
    EXPECT_EQ(std::string(m.View()),
              "9 0 obj\r\n<<\r\n/Type /FontDescriptor\r\n/FontName /PGothic\r\n/Ascent 859\r\n"
              "/CapHeight 859\r\n/Descent -141\r\n/MissingWidth 500\r\n/Flags 4\r\n/ItalicAngle 0\r\n"
              "/StemV 78\r\n/FontBBox [0 -141 1000 859 ]\r\n>>\r\nendobj\r\n");
}

TEST_F(JpFontsTest, EveryRegisteredNameBuildsItsOwnStyle) {
    struct Row {
        const char* name;
        const char* encoding;
        int flags, italicAngle, stemV;
        const char* ordering;
    };
    const Row rows[] = {
        {"Gothic", "90ms-RKSJ-H", 5, 0, 78, "Japan1"},
        {"Gothic,Bold", "90ms-RKSJ-H", 262149, 0, 156, "Japan1"},
        {"Gothic,Italic", "90ms-RKSJ-H", 5, -11, 78, "Japan1"},
        {"Gothic,BoldItalic", "90ms-RKSJ-H", 262149, -11, 156, "Japan1"},
        {"Mincyo", "90ms-RKSJ-H", 7, 0, 78, "Japan1"},
        {"Mincyo,Bold", "90ms-RKSJ-H", 262151, 0, 156, "Japan1"},
        {"Mincyo,Italic", "90ms-RKSJ-H", 7, -11, 78, "Japan1"},
        {"Mincyo,BoldItalic", "90ms-RKSJ-H", 262151, -11, 156, "Japan1"},
        {"PGothic", "90msp-RKSJ-H", 4, 0, 78, "Japan1"},
        {"PGothic,Bold", "90msp-RKSJ-H", 262148, 0, 156, "Japan1"},
        {"PGothic,Italic", "90msp-RKSJ-H", 4, -11, 78, "Japan1"},
        {"PGothic,BoldItalic", "90msp-RKSJ-H", 262148, -11, 156, "Japan1"},
        {"PMincyo", "90msp-RKSJ-H", 6, 0, 78, "Japan1"},
        {"PMincyo,Bold", "90msp-RKSJ-H", 262150, 0, 156, "Japan1"},
        {"PMincyo,Italic", "90msp-RKSJ-H", 6, -11, 78, "Japan1"},
        {"PMincyo,BoldItalic", "90msp-RKSJ-H", 262150, -11, 156, "Japan1"},
        {"Chinese", "GB-EUC-H", 5, 0, 78, "GB1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TPdfDictionary* type0 = doc.GetFont(row.name)->Data();
        EXPECT_EQ(type0->LookupName("BaseFont")->Value(), row.name);
        EXPECT_EQ(type0->LookupName("Encoding")->Value(), row.encoding);
        auto* descendant = dynamic_cast<TPdfDictionary*>(type0->LookupArray("DescendantFonts")->ItemAt(0));
        ASSERT_NE(descendant, nullptr);
        EXPECT_EQ(descendant->LookupName("BaseFont")->Value(), row.name);
        EXPECT_EQ(BytesOf(*descendant->LookupDictionary("CIDSystemInfo")->Lookup("Ordering")),
                  std::string("(") + row.ordering + ")");
        TPdfDictionary* descriptor = descendant->LookupDictionary("FontDescriptor");
        EXPECT_EQ(descriptor->LookupName("FontName")->Value(), row.name);
        EXPECT_EQ(descriptor->LookupNumber("Flags")->Value(), row.flags);
        EXPECT_EQ(descriptor->LookupNumber("ItalicAngle")->Value(), row.italicAngle);
        EXPECT_EQ(descriptor->LookupNumber("StemV")->Value(), row.stemV);
        EXPECT_EQ(descriptor->Lookup("Style"), nullptr);
        EXPECT_EQ(descriptor->Lookup("FontFile2"), nullptr);
    }
    // The fixed fonts' one range run, written as it was put.
    for (const char* name : {"Gothic", "Mincyo,Bold", "Chinese"}) {
        auto* descendant =
            dynamic_cast<TPdfDictionary*>(doc.GetFont(name)->Data()->LookupArray("DescendantFonts")->ItemAt(0));
        EXPECT_EQ(BytesOf(*descendant->Lookup("W")), "[231 631 500 ]") << name;
    }
}

}  // namespace
}  // namespace pim

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "pdf/PdfDoc.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

using test::PageContent;
using test::SaveAndCheck;

// A double-byte font for measuring: 1000 on a lead byte, 0 on a trail
// byte, 500 for a single byte (the way the Japanese fonts measure).
class TTestDbcsFont : public TPdfFont {
public:
    TTestDbcsFont(TPdfObjectMgr* mgr, const std::string& name) : TPdfFont(mgr, name) {
        auto* d = mgr->AddObject(std::make_unique<TPdfDictionary>(mgr));
        d->PutName("Type", "Font");
        d->PutName("Subtype", "Type1");
        d->PutName("BaseFont", "Helvetica");
        SetData(d);
    }
    int WidthOfCharAt(std::string_view text, int position) const override {
        int i = 0;
        while (i < position - 1) i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i != position - 1) return 0;  // a trail byte
        return IsLeadByte(static_cast<unsigned char>(text[i])) ? 1000 : 500;
    }
};

class PdfCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterPdfFontClass<TTestDbcsFont>("Test-Dbcs");
        doc.NewDocument();
        doc.AddPage();
        canvas = doc.GetCanvas();
        canvas->Contents()->Content().Clear();  // drop the default font operator
    }
    void TearDown() override { UnregisterPdfClass("Test-Dbcs"); }
    std::string Content() { return PageContent(doc); }

    TPdfDoc doc;
    TPdfCanvas* canvas = nullptr;
};

TEST_F(PdfCanvasTest, AFreshPageStartsWithTheDefaultFont) {
    TPdfDoc fresh;
    fresh.NewDocument();
    fresh.AddPage();
    EXPECT_EQ(PageContent(fresh), "/F0 10 Tf\n");
    EXPECT_EQ(fresh.GetCanvas()->Attribute().HorizontalScaling(), 100);
    EXPECT_EQ(fresh.GetCanvas()->Attribute().Font()->Name(), "Arial");
}

TEST_F(PdfCanvasTest, OperatorsAreWrittenOneLineEach) {
    canvas->SaveState();
    canvas->ConcatMatrix(1, 0, 0, 1, 12.345, -1.234);
    canvas->AppendRectangle(0, 0, 595.999, 0.004);
    canvas->ClipPath();
    canvas->EndPath();
    canvas->BeginText();
    canvas->MoveTextPoint(10, 20.5);
    canvas->MoveToNextLine();
    canvas->ShowText("Hello (world)");
    canvas->ShowText("\x93\xFA\x96\x7B");
    canvas->EndText();
    canvas->InvokeXObject("Image1");
    canvas->WriteFontOperator("F3", 10.5);
    canvas->RestoreState();
    EXPECT_EQ(Content(),
              "q\n1 0 0 1 12.35 -1.22 cm\n0 0 596 0 re\nW\nn\nBT\n10 20.5 Td\nT*\n"
              "(Hello \\(world\\)) Tj\n<93FA967B> Tj\nET\n/Image1 Do\n/F3 10.5 Tf\nQ\n");
}

TEST_F(PdfCanvasTest, FillColourComponentsAndSpacing) {
    canvas->SetFillColor(0x0000FF);
    canvas->SetFillColor(0x808080);
    canvas->SetFillColor(-16777201);  // a system colour: black
    canvas->SetCharSpace(1.5);
    canvas->SetCharSpace(1.5);  // unchanged: nothing written
    canvas->SetWordSpace(2);
    canvas->SetLeading(12);
    EXPECT_EQ(Content(), "1 0 0 rg\n0.5 0.5 0.5 rg\n0 0 0 rg\n1.5 Tc\n2 Tw\n12 TL\n");
    EXPECT_THROW(canvas->SetWordSpace(-1), EPdfInvalidValue);
    EXPECT_FLOAT_EQ(canvas->Attribute().WordSpace(), 2);
}

TEST_F(PdfCanvasTest, AttributeRangesAndMessages) {
    TPdfCanvasAttribute& a = canvas->Attribute();
    auto expectError = [](auto call, const char* message) {
        try {
            call();
            ADD_FAILURE() << "accepted: " << message;
        } catch (const EPdfInvalidValue& e) {
            EXPECT_STREQ(e.what(), message);
        }
    };
    expectError([&] { a.SetHorizontalScaling(9); }, "SetHorizontalScaling --invalid font size");
    expectError([&] { a.SetHorizontalScaling(301); }, "SetHorizontalScaling --invalid font size");
    expectError([&] { a.SetFontSize(300.5f); }, "SetCharSpace --invalid font size");
    expectError([&] { a.SetFontSize(-1); }, "SetCharSpace --invalid font size");
    expectError([&] { a.SetCharSpace(-30.5f); }, "SetCharSpace --invalid char space");
    expectError([&] { a.SetCharSpace(301); }, "SetCharSpace --invalid char space");
    expectError([&] { a.SetWordSpace(-0.1f); }, "SetWordSpace --invalid word space");
    expectError([&] { a.SetLeading(301); }, "SetLeading --invalid font size");
    EXPECT_EQ(a.HorizontalScaling(), 100);
    EXPECT_FLOAT_EQ(a.FontSize(), 10);
    a.SetCharSpace(-30);
    a.SetHorizontalScaling(10);
    a.SetFontSize(300);
    a.SetLeading(0);
    EXPECT_FLOAT_EQ(a.CharSpace(), -30);
}

TEST_F(PdfCanvasTest, TextWidthCountsCharacterAndWordSpacing) {
    TPdfCanvasAttribute& a = canvas->Attribute();  // Arial 10
    EXPECT_FLOAT_EQ(canvas->TextWidth(""), 0);
    a.SetWordSpace(5);
    EXPECT_FLOAT_EQ(canvas->TextWidth(" "), 2.78f);        // last position: no word space
    EXPECT_FLOAT_EQ(canvas->TextWidth("a b"), 5.56f * 2 + 2.78f + 5);
    a.SetWordSpace(0);
    a.SetCharSpace(1);
    EXPECT_FLOAT_EQ(canvas->TextWidth(""), -1);
    EXPECT_FLOAT_EQ(canvas->TextWidth("cc"), 11);          // 500 at size 10, twice, one gap
    EXPECT_FLOAT_EQ(canvas->TextWidth("\tc"), 5);          // a control code adds nothing
    a.SetCharSpace(0);
    a.SetHorizontalScaling(50);
    EXPECT_FLOAT_EQ(canvas->TextWidth("cc"), 5);
}

TEST_F(PdfCanvasTest, CharsThatFitNeverSplitsADoubleByteCharacter) {
    EXPECT_EQ(canvas->CharsThatFit("abc", 5), 0);     // narrower than "a" (5.56)
    EXPECT_EQ(canvas->CharsThatFit("abc", 11.2f), 2);
    EXPECT_EQ(canvas->CharsThatFit("abc", 100), 3);
    canvas->SelectFont("Test-Dbcs", 10);
    const std::string text = "\x93\xFA\x96\x7B";  // two characters, 10 points each
    EXPECT_FLOAT_EQ(canvas->TextWidth(text), 20);
    EXPECT_EQ(canvas->CharsThatFit(text, 15), 2);
    EXPECT_EQ(canvas->CharsThatFit(text, 9), 0);
}

// A long run of lead-range bytes (a damaged or binary .txt file, one line
// of them) is measured in one pass: the font is never made to look back
// over the run for each byte, which took minutes for a few hundred KB.
TEST_F(PdfCanvasTest, ALongRunOfLeadBytesIsMeasuredInOnePass) {
    canvas->SelectFont("Test-Dbcs", 10);
    const std::string text(400001, '\x81');  // 200,000 characters and a cut lead byte
    const float oneChar = canvas->TextWidth(std::string("\x81\x81"));
    const float width = canvas->TextWidth(text);
    EXPECT_NEAR(width, 200000 * oneChar + canvas->TextWidth(std::string("\x81")), 1.0f);
    EXPECT_EQ(canvas->CharsThatFit(text, 10 * oneChar + oneChar / 2), 20);  // never half a character
    // The measure agrees with the font's position by position on a short text.
    const std::string mixed = "a\x81\x81\x82\xA0 b\xE0\x40\x81";
    double sum = 0;
    TPdfFont* font = doc.GetFont("Test-Dbcs");
    for (int i = 1; i <= static_cast<int>(mixed.size()); ++i) sum += font->WidthOfCharAt(mixed, i) * 10.0 / 1000;
    EXPECT_NEAR(canvas->TextWidth(mixed), sum, 0.01);
}

// A text exactly as wide as its rectangle fits whole: both measurements
// round alike (ten "a" in Arial 25 measure 139).
TEST_F(PdfCanvasTest, ATextFitsARectangleOfItsOwnWidth) {
    for (float size : {7.0f, 10.0f, 13.5f, 25.0f, 31.0f}) {
        for (float charSpace : {0.0f, 1.5f}) {
            canvas->SelectFont("Arial", size);
            canvas->SetCharSpace(charSpace);
            for (int n = 1; n <= 40; ++n) {
                const std::string text(static_cast<std::size_t>(n), "aiMw"[n % 4]);
                EXPECT_EQ(canvas->CharsThatFit(text, canvas->TextWidth(text)), n) << size << " " << charSpace << " " << text;
            }
        }
    }
}

// A page dictionary made elsewhere may lack its resources: an error, not a crash.
TEST_F(PdfCanvasTest, APageWithoutResourcesRaisesInsteadOfCrashing) {
    auto* bare = doc.Xref()->AddObject(std::make_unique<TPdfDictionary>(doc.Xref()));
    bare->PutName("Type", "Page");
    EXPECT_THROW(canvas->SetPage(bare), EPdfInvalidOperation);
    canvas->SetPage(nullptr);
    doc.AddPage();
    canvas->GetPage()->Remove("Resources");
    EXPECT_THROW(canvas->DrawXObject(0, 0, 1, 1, "Image1"), EPdfInvalidValue);  // not registered: checked first
    auto image = std::make_unique<TPdfImage>();
    image->Attributes().PutName("Type", "XObject");
    image->Attributes().PutName("Subtype", "Image");
    doc.AddImage("Image1", std::move(image));
    EXPECT_THROW(canvas->DrawXObject(0, 0, 1, 1, "Image1"), EPdfInvalidOperation);
}

TEST_F(PdfCanvasTest, NextWordKeepsItsDelimiter) {
    const std::string text = "ab cd\r\nef\rg";
    int pos = 1;
    EXPECT_EQ(TPdfCanvas::NextWord(text, pos), "ab ");
    EXPECT_EQ(TPdfCanvas::NextWord(text, pos), "cd\r\n");
    EXPECT_EQ(TPdfCanvas::NextWord(text, pos), "ef\rg");
    EXPECT_EQ(pos, 12);
    EXPECT_EQ(TPdfCanvas::NextWord(text, pos), "");
    EXPECT_EQ(pos, 12);
}

TEST_F(PdfCanvasTest, ShowTextInRectWrapsBetweenWords) {
    canvas->ShowTextInRect(MakePdfRect(0, 50, 1000, 0), "", true);
    EXPECT_EQ(Content(), "BT\n0 41.5 Td\nET\n");
    canvas->Contents()->Content().Clear();

    canvas->SetLeading(12);
    canvas->Contents()->Content().Clear();
    canvas->ShowTextInRect(MakePdfRect(10, 100, 60, 0), "aaa bbb ccc", true);
    EXPECT_EQ(Content(), "BT\n10 91.5 Td\n(aaa bbb ) Tj\nT*\n(ccc) Tj\nET\n");
}

TEST_F(PdfCanvasTest, ShowTextInRectWithoutWrapBreaksOnlyAtLineEndsAndCuts) {
    canvas->ShowTextInRect(MakePdfRect(0, 50, 1000, 0), "one two\r\nthree", false);
    EXPECT_EQ(Content(), "BT\n0 41.5 Td\n(one two) Tj\nT*\n(three) Tj\nET\n");
    canvas->Contents()->Content().Clear();

    canvas->ShowTextInRect(MakePdfRect(0, 50, 20, 0), "abcdefghij", false);
    EXPECT_EQ(Content(), "BT\n0 41.5 Td\n(abc) Tj\nET\n");
    canvas->Contents()->Content().Clear();

    // A line end at the very end stays in the last line.
    canvas->ShowTextInRect(MakePdfRect(0, 50, 100, 0), "ab\r\n", false);
    EXPECT_EQ(Content(), "BT\n0 41.5 Td\n(ab\\r\\n) Tj\nET\n");
}

TEST_F(PdfCanvasTest, ShowTextInRectStopsBelowTheBottom) {
    canvas->SetLeading(12);
    canvas->Contents()->Content().Clear();
    canvas->ShowTextInRect(MakePdfRect(0, 20, 100, 0), "a\r\nb\r\nc", false);
    EXPECT_EQ(Content(), "BT\n0 11.5 Td\n(a) Tj\nT*\nET\n");
}

TEST_F(PdfCanvasTest, JapaneseRunsAreOneWordCutToTheRectangle) {
    canvas->SelectFont("Test-Dbcs", 10);
    canvas->Contents()->Content().Clear();
    canvas->ShowTextInRect(MakePdfRect(0, 50, 25, 0), "\x93\xFA\x96\x7B\x93\xFA", true);
    EXPECT_EQ(Content(), "BT\n0 41.5 Td\n<93FA967B> Tj\nET\n");
}

TEST_F(PdfCanvasTest, FontsAreSelectedOnceAndAddedToTheResources) {
    canvas->SelectFont("Arial", 10);  // current font and size: nothing
    EXPECT_EQ(Content(), "");
    canvas->SelectFont("Times-Bold", 12);
    canvas->SelectFont("Arial", 12);
    EXPECT_EQ(Content(), "/F1 12 Tf\n/F0 12 Tf\n");
    TPdfDictionary* fonts = canvas->GetPage()->LookupDictionary("Resources")->LookupDictionary("Font");
    EXPECT_EQ(fonts->ElementCount(), 2);
    EXPECT_EQ(fonts->Lookup("F1"), doc.GetFont("Times-Bold")->Data());
    EXPECT_THROW(canvas->SelectFont("Times-Bold", 301), EPdfInvalidValue);
    EXPECT_EQ(Content(), "/F1 12 Tf\n/F0 12 Tf\n");
    EXPECT_EQ(canvas->Attribute().Font()->Name(), "Arial");
    SaveAndCheck(doc, "canvas-fonts.pdf");
}

TEST_F(PdfCanvasTest, PageStateIsKeptHiddenInThePageLeft) {
    canvas->SelectFont("Times-Roman", 14);
    canvas->SetCharSpace(2);
    TPdfDictionary* first = canvas->GetPage();
    doc.AddPage();
    EXPECT_EQ(first->LookupName("_Font")->Value(), "Times-Roman");
    EXPECT_DOUBLE_EQ(first->LookupReal("_Font_Size")->Value(), 14);
    EXPECT_DOUBLE_EQ(first->LookupReal("_Char_Space")->Value(), 2);
    EXPECT_EQ(first->LookupNumber("_HScalling")->Value(), 100);
    EXPECT_FLOAT_EQ(canvas->Attribute().CharSpace(), 0);  // the new page starts afresh

    canvas->SetPage(first);  // back: the state returns, nothing is written
    EXPECT_EQ(canvas->Attribute().Font()->Name(), "Times-Roman");
    EXPECT_FLOAT_EQ(canvas->Attribute().FontSize(), 14);
    EXPECT_FLOAT_EQ(canvas->Attribute().CharSpace(), 2);
    std::string bytes = SaveAndCheck(doc, "canvas-state.pdf");
    EXPECT_EQ(bytes.find("_Font"), std::string::npos);
}

TEST_F(PdfCanvasTest, PageSizeSetters) {
    canvas->SetPageWidth(300);
    canvas->SetPageHeight(200);
    EXPECT_EQ(test::BytesOf(*canvas->GetPage()->LookupArray("MediaBox")), "[0 0 300 200 ]");
    canvas->GetPage()->Remove("MediaBox");
    TPdfCanvas* c = canvas;
    for (bool width : {true, false}) {
        try {
            if (width)
                c->SetPageWidth(100);
            else
                c->SetPageHeight(100);
            ADD_FAILURE();
        } catch (const EPdfInvalidOperation& e) {
            EXPECT_STREQ(e.what(), "Can not chenge width of this page..");
        }
    }
    TPdfCanvas orphan(nullptr);
    try {
        orphan.GetDoc();
        ADD_FAILURE();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "ERROR: GetDoc documant is nil.");
    }
}

TEST_F(PdfCanvasTest, DrawingAnImageTwiceAddsOneResource) {
    auto image = std::make_unique<TPdfImage>();
    image->Attributes().PutName("Type", "XObject");
    image->Attributes().PutName("Subtype", "Image");
    image->Attributes().PutName("ColorSpace", "DeviceRGB");
    image->Attributes().PutNumber("Width", 1);
    image->Attributes().PutNumber("Height", 1);
    image->Attributes().PutNumber("BitsPerComponent", 8);
    image->Content().Write("\x80\x80\x80", 3);
    doc.AddImage("Image1", std::move(image));

    canvas->DrawXObject(50, 100, 300, 200, "Image1");
    canvas->DrawXObjectEx(50, 100, 300, 200, 0, 0, 100.5, 100, "Image1");
    EXPECT_EQ(Content(),
              "q\n300 0 0 200 50 100 cm\n/Image1 Do\nQ\n"
              "q\n0 0 100.5 100 re\nW\nn\n300 0 0 200 50 100 cm\n/Image1 Do\nQ\n");
    TPdfDictionary* xobjects =
        canvas->GetPage()->LookupDictionary("Resources")->LookupDictionary("XObject");
    EXPECT_EQ(xobjects->ElementCount(), 1);

    for (bool ex : {false, true}) {
        try {
            if (ex)
                canvas->DrawXObjectEx(0, 0, 1, 1, 0, 0, 1, 1, "Missing");
            else
                canvas->DrawXObject(0, 0, 1, 1, "Missing");
            ADD_FAILURE();
        } catch (const EPdfInvalidValue& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string(ex ? "DrawXObjectEx" : "DrawXObject") + " --XObject not found: Missing");
        }
    }
    SaveAndCheck(doc, "canvas-image.pdf");
}

}  // namespace
}  // namespace pim

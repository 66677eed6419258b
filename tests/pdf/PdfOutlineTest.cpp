#include <gtest/gtest.h>

#include "pdf/PdfDoc.h"
#include "tests/pdf/PdfTestUtil.h"

namespace pim {
namespace {

using test::BytesOf;

class PdfOutlineTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc.SetUseOutlines(true);
        doc.NewDocument();
    }
    // A page with a bookmark pointing at its top.
    TPdfOutlineEntry* AddBookmarkedPage(TPdfOutlineEntry* parent, const std::string& title) {
        doc.AddPage();
        TPdfDestination* dest = doc.CreateDestination();
        dest->SetTop(dest->PageHeight());
        TPdfOutlineEntry* entry = parent->AddChild();
        entry->SetTitle(title);
        entry->SetDest(dest);
        return entry;
    }
    std::string Written(TPdfOutlineEntry* entry) { return test::ValueOf(*entry->Data()); }

    TPdfDoc doc;
};

TEST_F(PdfOutlineTest, DestinationArrays) {
    doc.AddPage();  // page object 5
    TPdfDestination* d = doc.CreateDestination();
    d->SetTop(842);
    EXPECT_EQ(BytesOf(*d->GetValue()), "[5 0 R /XYZ 0 842 1 ]");
    d->SetDestinationType(dtFitH);
    d->SetTop(500);
    EXPECT_EQ(BytesOf(*d->GetValue()), "[5 0 R /FitH 500 ]");
    d->SetDestinationType(dtFit);
    EXPECT_EQ(BytesOf(*d->GetValue()), "[5 0 R /Fit ]");
    d->SetDestinationType(dtFitBV);
    d->SetLeft(-5);  // any negative value is kept as -1
    EXPECT_EQ(d->Left(), -1);
    EXPECT_EQ(BytesOf(*d->GetValue()), "[5 0 R /FitBV -1 ]");
    d->SetDestinationType(dtFitR);
    d->SetElement(2, 300);
    d->SetElement(3, 20);
    EXPECT_EQ(BytesOf(*d->GetValue()), "[5 0 R /FitR -1 20 300 500 ]");
    d->SetDestinationType(dtXYZ);
    d->SetZoom(0.5);
    EXPECT_EQ(BytesOf(*d->GetValue()), "[5 0 R /XYZ -1 500 0.5 ]");
}

TEST_F(PdfOutlineTest, ZoomLimitsAndPageHeight) {
    doc.AddPage();
    TPdfDestination* d = doc.CreateDestination();
    EXPECT_FLOAT_EQ(d->Zoom(), 1);
    d->SetZoom(10);
    d->SetZoom(0);
    try {
        d->SetZoom(10.5);
        ADD_FAILURE();
    } catch (const EPdfInvalidValue& e) {
        EXPECT_STREQ(e.what(), "Zoom property cannot set to over 10.");
    }
    try {
        d->SetZoom(-0.1f);
        ADD_FAILURE();
    } catch (const EPdfInvalidValue& e) {
        EXPECT_STREQ(e.what(), "Zoom property cannot set to under 0.");
    }
    EXPECT_FLOAT_EQ(d->Zoom(), 0);
    EXPECT_EQ(d->PageHeight(), 842);
    doc.GetCanvas()->SetPageHeight(480);
    EXPECT_EQ(d->PageHeight(), 480);
    d->Page()->Remove("MediaBox");
    doc.SetDefaultPageHeight(700);
    EXPECT_EQ(d->PageHeight(), 700);
}

TEST_F(PdfOutlineTest, CreationErrors) {
    try {
        doc.CreateDestination();
        ADD_FAILURE();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "GetPage --the Page is nil");
    }
    TPdfDoc closed;
    try {
        TPdfDestination d(&closed);
        ADD_FAILURE();
    } catch (const EPdfInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "TPdfDestination --cannot destination object.");
    }
    try {
        TPdfOutlineEntry::Create(nullptr);
        ADD_FAILURE();
    } catch (const EPdfInvalidValue&) {
        ADD_FAILURE() << "wrong class";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "CreateEntry --invalid parent.");
    }
}

TEST_F(PdfOutlineTest, OneBookmarkPerPage) {
    TPdfOutlineRoot* root = doc.GetOutlineRoot();
    TPdfOutlineEntry* a = AddBookmarkedPage(root, "a.jpg");
    TPdfOutlineEntry* b = AddBookmarkedPage(root, "\x93\xFA\x96\x7B.jpg");
    TPdfOutlineEntry* c = AddBookmarkedPage(root, "c.bmp");
    doc.GetRoot()->SetOpenAction(doc.CreateDestination());
    std::string bytes = test::SaveAndCheck(doc, "outline-pages.pdf");

    EXPECT_EQ(Written(root), "<<\r\n/Type /Outlines\r\n/Count 3\r\n/First " + BytesOf(*a->Data()) +
                                 "\r\n/Last " + BytesOf(*c->Data()) + "\r\n>>");
    const std::string p1 = BytesOf(*a->Dest()->Page());
    EXPECT_EQ(Written(a), "<<\r\n/Count 0\r\n/Title (a.jpg)\r\n/Parent 2 0 R\r\n/Dest [" + p1 +
                              " /XYZ 0 842 1 ]\r\n/Next " + BytesOf(*b->Data()) + "\r\n>>");
    EXPECT_NE(Written(b).find("/Title <FEFF65E5672C002E006A00700067>\r\n"), std::string::npos);
    EXPECT_NE(Written(b).find("/Prev " + BytesOf(*a->Data()) + "\r\n/Next " + BytesOf(*c->Data())),
              std::string::npos);
    EXPECT_EQ(Written(c).find("/Next"), std::string::npos);
    EXPECT_NE(bytes.find("/OpenAction [" + BytesOf(*c->Dest()->Page()) + " /XYZ 0 0 1 ]"), std::string::npos);

    // Saving again writes the same keys in the same order.
    std::string again = test::SaveToBytes(doc);
    EXPECT_EQ(test::MaskDates(again), test::MaskDates(bytes));
}

TEST_F(PdfOutlineTest, ClosedEntriesCountTheirDescendantsNegatively) {
    TPdfOutlineRoot* root = doc.GetOutlineRoot();
    TPdfOutlineEntry* chapter = AddBookmarkedPage(root, "chapter");
    TPdfOutlineEntry* section = AddBookmarkedPage(chapter, "section");
    AddBookmarkedPage(section, "detail");
    AddBookmarkedPage(chapter, "section 2");
    EXPECT_EQ(root->Count(), 4);
    EXPECT_EQ(chapter->Count(), 3);
    test::SaveAndCheck(doc, "outline-nested.pdf");
    EXPECT_NE(Written(chapter).find("/Count -3\r\n"), std::string::npos);
    EXPECT_NE(Written(section).find("/Count -1\r\n/Title (section)\r\n/Parent " + BytesOf(*chapter->Data())),
              std::string::npos);
    EXPECT_NE(Written(root).find("/Count 4\r\n"), std::string::npos);
    section->SetOpened(true);
    root->Save();
    EXPECT_NE(Written(section).find("/Count 1\r\n"), std::string::npos);
}

TEST_F(PdfOutlineTest, AHundredThousandSiblingsSaveWithoutDeepRecursion) {
    doc.AddPage();
    TPdfOutlineRoot* root = doc.GetOutlineRoot();
    TPdfOutlineEntry* last = nullptr;
    for (int i = 0; i < 100000; ++i) {
        last = root->AddChild();
        last->SetTitle("entry " + std::to_string(i));
    }
    TMemoryStream out;
    doc.SaveToStream(out);
    EXPECT_EQ(root->Count(), 100000);
    EXPECT_NE(Written(last).find("/Title (entry 99999)\r\n"), std::string::npos);
    EXPECT_NE(Written(last).find("/Prev "), std::string::npos);
    EXPECT_GT(out.Size(), 100000 * 60);
}

}  // namespace
}  // namespace pim

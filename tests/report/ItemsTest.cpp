// Printable items: the operators text and image items write into the page,
// image naming and sharing, the picture checks, and one rendered page of
// each kind of item.
#include <gtest/gtest.h>

#include <string>

#include "base/CodePage.h"
#include "report/PRJpegImage.h"
#include "report/PReport.h"
#include "tests/report/ReportTestUtil.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::MessageOf;

// A 24-bit bitmap: the left `split` columns of the top `split` rows in
// `corner`, the rest in `rest` (colours as 0xRRGGBB).
TBitmap MakeBitmap(int w, int h, int split, unsigned corner, unsigned rest) {
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const unsigned c = x < split && y < split ? corner : rest;
            row[3 * x] = c & 0xFF;
            row[3 * x + 1] = (c >> 8) & 0xFF;
            row[3 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    return bmp;
}

TPicture BitmapPicture(int w, int h, int split = 0, unsigned corner = 0, unsigned rest = 0x808080) {
    TPicture p;
    p.SetGraphic(std::make_unique<TBitmap>(MakeBitmap(w, h, split, corner, rest)));
    return p;
}

TPicture JpegPicture(int w, int h, int split = 0, unsigned corner = 0, unsigned rest = 0x808080) {
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(MakeBitmap(w, h, split, corner, rest));
    jpeg->JPEGNeeded();
    TPicture p;
    p.SetGraphic(std::move(jpeg));
    return p;
}

// The application's page: a layout panel at (0, 0) holding the three items.
struct PageFixture : ::testing::Test {
    TComponent form;
    TPReport& report = *form.CreateComponent<TPReport>("PReport1");
    TPRPage& page = *form.CreateComponent<TPRPage>("PRPage1");
    TPRLayoutPanel& panel = *form.CreateComponent<TPRLayoutPanel>("PRLayoutPanel1");
    TPRJpegImage& jpegItem = *form.CreateComponent<TPRJpegImage>("PRJpegImage1");
    TPRImage& imageItem = *form.CreateComponent<TPRImage>("PRImage1");
    TPRText& textItem = *form.CreateComponent<TPRText>("PRText1");

    PageFixture() {
        panel.SetParent(&page);
        for (TControl* item : {static_cast<TControl*>(&jpegItem), static_cast<TControl*>(&imageItem),
                               static_cast<TControl*>(&textItem)}) {
            item->SetParent(&panel);
            item->SetBounds(0, 0, 217, 121);
        }
        jpegItem.SetPrintable(false);
        imageItem.SetPrintable(false);
        textItem.SetPrintable(false);
        report.SetUseOutlines(true);
        report.BeginDocument();
    }

    void Size(int w, int h, TControl& item) {
        page.SetBounds(0, 0, w, h);
        panel.SetBounds(0, 0, w, h);
        item.SetBounds(0, 0, w, h);
    }

    // Prints one page and returns its content after the default font operator.
    std::string PrintedContent() {
        report.PrintPage(page);
        const std::string content = report.Doc()->GetCanvas()->Contents()->Content().ToString();
        const std::string start = "/F0 10 Tf\n";
        EXPECT_EQ(content.substr(0, start.size()), start);
        return content.substr(start.size());
    }

    std::string PrintText(std::vector<std::string> lines, int w, int h) {
        textItem.SetPrintable(true);
        Size(w, h, textItem);
        textItem.Lines().Clear();
        for (auto& l : lines) textItem.Lines().Add(l);
        return PrintedContent();
    }

    std::string Save(const std::string& name) {
        const std::string path = test::OutputPath(name);
        report.SetFileName(path);
        report.EndDocument();
        return path;
    }
};

// ---- Text ---------------------------------------------------------------------

using TextItem = PageFixture;

TEST_F(TextItem, WritesStateThenLinesOneLeadingApart) {
    textItem.SetFontName(TPRFontName::fnArial);
    textItem.SetFontSize(12);
    textItem.SetFontColor(0x0000FF);  // red: the low byte
    // Page 100 high: first baseline at 100 - 12 * 0.85.
    EXPECT_EQ(PrintText({"a", "b"}, 100, 100), "/F0 12 Tf\n1 0 0 rg\n14 TL\nBT\n0 89.8 Td\n(a) Tj\nT*\n(b) Tj\nET\n");
}

TEST_F(TextItem, BlankLinesStillWriteTheStateAndAnEmptyBlock) {
    textItem.SetFontName(TPRFontName::fnTimesRoman);
    textItem.SetFontBold(true);
    textItem.SetCharSpace(1);
    textItem.SetWordSpace(2);
    const std::string content = PrintText({"  ", "", " \t"}, 100, 100);
    EXPECT_EQ(content, "/F1 12 Tf\n0 0 0 rg\n1 Tc\n2 Tw\n14 TL\nBT\n0 89.8 Td\nET\n");
    EXPECT_EQ(report.Doc()->FontList().back()->Name(), "Times-Bold");
}

TEST_F(TextItem, OuterBlankLinesGoButInnerOnesStay) {
    textItem.SetFontName(TPRFontName::fnArial);
    const std::string content = PrintText({"", "  a", "", "b  ", " "}, 100, 100);
    EXPECT_NE(content.find("(a) Tj\nT*\nT*\n(b) Tj\nET\n"), std::string::npos) << content;
}

TEST_F(TextItem, WordWrapBreaksLatinTextBetweenWords) {
    textItem.SetFontName(TPRFontName::fnArial);
    textItem.SetFontSize(10);
    // "aaa " is 19.46 points wide in Helvetica at 10: two words fit in 45.
    textItem.SetWordWrap(true);
    std::string content = PrintText({"aaa bbb ccc"}, 45, 100);
    EXPECT_NE(content.find("(aaa bbb ) Tj\nT*\n(ccc) Tj\n"), std::string::npos) << content;
    // Without word wrap the line is only cut at the right edge.
    textItem.SetWordWrap(false);
    content = PrintText({"aaa bbb ccc"}, 45, 100);
    EXPECT_NE(content.find("(aaa bbb c) Tj\nET\n"), std::string::npos) << content;
}

TEST_F(TextItem, JapaneseIsCutAtTheLastWholeCharacter) {
    // Gothic is fixed pitch: each double-byte character is one font size wide.
    textItem.SetFontName(TPRFontName::fnGothic);
    textItem.SetFontSize(10);
    textItem.SetWordWrap(true);
    const std::string content = PrintText({Utf8ToAnsi("あいうえお")}, 35, 100);
    EXPECT_NE(content.find("<82A082A282A4> Tj\nET\n"), std::string::npos) << content;
}

TEST_F(TextItem, StopsWhenTheNextLineWouldComeTooCloseToTheBottom) {
    textItem.SetFontName(TPRFontName::fnArial);
    textItem.SetFontSize(10);
    // 40 points high, leading 14: lines start at 40, 26 and 12; a fourth
    // would start at -2, closer than one font size (10) to the bottom.
    const std::string content = PrintText({"a", "b", "c", "d", "e"}, 100, 40);
    EXPECT_NE(content.find("(c) Tj\nT*\nET\n"), std::string::npos) << content;
    EXPECT_EQ(content.find("(d)"), std::string::npos);
}

// The pages a text item's lines make, each as "|"-joined lines in UTF-8.
std::vector<std::string> PagesOf(TPRText& item, const std::vector<std::string>& utf8Lines) {
    item.Lines().Clear();
    for (const auto& l : utf8Lines) item.Lines().Add(Utf8ToAnsi(l));
    std::vector<std::string> pages;
    for (const TStringList& page : item.Pages()) {
        std::string joined;
        for (int i = 0; i < page.Count(); ++i) {
            if (i > 0) joined += '|';
            joined += AnsiToUtf8(page[i]);
        }
        pages.push_back(joined);
    }
    return pages;
}

TEST_F(TextItem, TextsThatDoNotFitWrapAndGoOnToMorePages) {
    // Gothic is fixed pitch: ten double-byte characters or twenty ASCII ones
    // a line at size 10 in 100 points; 40 points high holds three lines.
    textItem.SetFontName(TPRFontName::fnGothic);
    textItem.SetFontSize(10);
    textItem.SetLeading(14);
    textItem.SetBounds(0, 0, 100, 40);
    using Pages = std::vector<std::string>;
    const struct {
        const char* name;
        std::vector<std::string> lines;
        Pages pages;
    } cases[] = {
        {"fits: the lines as they are", {"  a", "b  "}, {"  a|b  "}},
        {"more lines than a page", {"1", "2", "3", "4", "", "6", "7"}, {"1|2|3", "4||6", "7"}},
        {"outer blank lines do not count: the item drops them", {"", "1", "2", "3", ""}, {"|1|2|3|"}},
        {"a long line wraps at the width", {"あいうえおかきくけこさしすせそ"}, {"あいうえおかきくけこ|さしすせそ"}},
        {"no line starts with a closing mark", {"あいうえおかきくけこ。さ"}, {"あいうえおかきくけ|こ。さ"}},
        {"nor ends with an opening bracket", {"あいうえおかきくけ「こ」"}, {"あいうえおかきくけ|「こ」"}},
        {"small kana stay with what they follow", {"あいうえおかきくけこっと"}, {"あいうえおかきくけ|こっと"}},
        {"a Latin word goes down whole", {"aaaa bbbb cccc dddddd ee"}, {"aaaa bbbb cccc |dddddd ee"}},
        {"a word wider than a line is cut", {"abcdefghijklmnopqrstuvwxyz"}, {"abcdefghijklmnopqrst|uvwxyz"}},
        {"a line of marks breaks at the width", {"。。。。。。。。。。。。"}, {"。。。。。。。。。。|。。"}},
        {"wrapped lines fill the pages", {"あいうえおかきくけこさしすせそたちつてとなにぬねのはひ"},
         {"あいうえおかきくけこ|さしすせそたちつてと|なにぬねのはひ"}},
        {"and go on to the next", {"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもや"},
         {"あいうえおかきくけこ|さしすせそたちつてと|なにぬねのはひふへほ", "まみむめもや"}},
    };
    for (const auto& c : cases) EXPECT_EQ(PagesOf(textItem, c.lines), c.pages) << c.name;
}

TEST_F(TextItem, CanvasRangesApplyAtPrintTime) {
    textItem.SetCharSpace(-50);
    textItem.SetFontName(TPRFontName::fnArial);
    textItem.SetPrintable(true);
    EXPECT_EQ(MessageOf([&] { report.PrintPage(page); }), "SetCharSpace --invalid char space");
}

// ---- Images ---------------------------------------------------------------------

using ImageItem = PageFixture;

TEST_F(ImageItem, PictureSettersCheckTheGraphicClass) {
    EXPECT_EQ(MessageOf([&] { imageItem.SetPicture(JpegPicture(4, 4)); }), "only bitmap image is allowed.");
    EXPECT_EQ(imageItem.Picture().Graphic(), nullptr);
    EXPECT_EQ(MessageOf([&] { jpegItem.SetPicture(BitmapPicture(4, 4)); }), "only jpeg image is allowed.");
    imageItem.SetPicture(BitmapPicture(4, 4));
    jpegItem.SetPicture(JpegPicture(4, 4));
    EXPECT_EQ(imageItem.Picture().Width(), 4);
    EXPECT_TRUE(jpegItem.Picture().IsJpeg());
    EXPECT_TRUE(imageItem.SharedImage());
    EXPECT_TRUE(imageItem.Stretch());
}

TEST_F(ImageItem, UnstretchedPictureKeepsOnePointPerPixelClippedToTheItem) {
    imageItem.SetPicture(BitmapPicture(400, 300));
    imageItem.SetStretch(false);
    imageItem.SetPrintable(true);
    page.SetBounds(0, 0, 500, 500);
    imageItem.SetBounds(0, 0, 200, 100);
    EXPECT_EQ(PrintedContent(), "q\n0 400 200 100 re\nW\nn\n400 0 0 300 0 200 cm\n/PRImage1 Do\nQ\n");
}

TEST_F(ImageItem, StretchedPictureFillsTheItem) {
    imageItem.SetPicture(BitmapPicture(400, 300));
    imageItem.SetPrintable(true);
    page.SetBounds(0, 0, 500, 500);
    panel.SetBounds(10, 20, 300, 300);
    imageItem.SetBounds(5, 5, 200, 100);  // on the page at (15, 25)
    EXPECT_EQ(PrintedContent(), "q\n200 0 0 100 15 375 cm\n/PRImage1 Do\nQ\n");
}

TEST_F(ImageItem, SharedImageIsOneObjectUsedByEveryPage) {
    imageItem.SetPicture(BitmapPicture(8, 8));
    imageItem.SetPrintable(true);
    report.PrintPage(page);
    imageItem.SetPicture(BitmapPicture(16, 16));  // not looked at again
    report.PrintPage(page);
    TPdfArray* images = report.Doc()->XObjectList();
    ASSERT_EQ(images->Count(), 1);
    auto* image = static_cast<TPdfImage*>(images->ItemAt(0));
    EXPECT_EQ(image->Attributes().LookupName("Name")->Value(), "PRImage1");
    EXPECT_EQ(image->Attributes().LookupNumber("Width")->Value(), 8);
}

TEST_F(ImageItem, UnsharedImagesGetAnObjectAndANameEach) {
    for (TPRImage* item : {&imageItem, static_cast<TPRImage*>(&jpegItem)}) {
        report.BeginDocument();
        imageItem.SetPrintable(item == &imageItem);
        jpegItem.SetPrintable(item == &jpegItem);
        if (item == &imageItem) item->SetPicture(BitmapPicture(8, 8));
        else item->SetPicture(JpegPicture(8, 8));
        item->SetSharedImage(false);
        report.PrintPage(page);
        report.PrintPage(page);
        TPdfArray* images = report.Doc()->XObjectList();
        ASSERT_EQ(images->Count(), 2);
        const std::string a = static_cast<TPdfImage*>(images->ItemAt(0))->Attributes().LookupName("Name")->Value();
        const std::string b = static_cast<TPdfImage*>(images->ItemAt(1))->Attributes().LookupName("Name")->Value();
        EXPECT_NE(a, b);
        EXPECT_EQ(a.rfind(item->Name(), 0), 0u) << a;
        EXPECT_EQ(b.rfind(item->Name(), 0), 0u) << b;
    }
}

TEST_F(ImageItem, WrongGraphicAtPrintTimePrintsNothing) {
    // Put straight into the holders, past the setters' checks.
    imageItem.Picture() = JpegPicture(8, 8);
    jpegItem.Picture() = BitmapPicture(8, 8);
    imageItem.SetPrintable(true);
    jpegItem.SetPrintable(true);
    EXPECT_EQ(PrintedContent(), "");
    EXPECT_EQ(report.Doc()->XObjectList()->Count(), 0);
}

TEST_F(ImageItem, JpegItemChecksPrintableItselfAndEmbedsTheDataUnchanged) {
    jpegItem.SetPicture(JpegPicture(8, 8));
    TPRCanvas canvas;
    report.PrintPage(page);
    canvas.SetPageCanvas(report.Doc()->GetCanvas());
    jpegItem.PrintItem(canvas, jpegItem.BoundsRect());  // not printable: nothing
    EXPECT_EQ(report.Doc()->XObjectList()->Count(), 0);

    jpegItem.SetPrintable(true);
    report.PrintPage(page);
    const auto data = jpegItem.Picture().Jpeg()->Data();
    const std::string bytes(reinterpret_cast<const char*>(data->Bytes()), static_cast<std::size_t>(data->Size()));
    const std::string pdf = test::ReadFileBytes(Save("items_jpeg_unchanged.pdf"));
    EXPECT_NE(pdf.find(bytes), std::string::npos);
    EXPECT_NE(pdf.find("/Filter [/DCTDecode ]"), std::string::npos);
}

// ---- Rendered pages: what a viewer shows ---------------------------------------------

using RenderedPage = PageFixture;

bool Near(unsigned rgb, unsigned expected, int tolerance = 40) {
    for (int shift : {0, 8, 16}) {
        const int a = (rgb >> shift) & 0xFF, b = (expected >> shift) & 0xFF;
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

// Prints one page with the given item armed as the application arms it,
// saves, checks and renders it.
test::TImage RenderOnePage(PageFixture& f, TPRItem& item, int w, int h, const std::string& name) {
    item.SetPrintable(true);
    f.Size(w, h, item);
    f.report.PrintPage(f.page);
    const std::string path = f.Save(name);
    EXPECT_VALID_PDF(path);
    const std::string ppm = test::RenderPage(path, 1);
    return ppm.empty() ? test::TImage{} : test::ReadPnm(ppm);
}

TEST_F(RenderedPage, BitmapCoversThePageTopDown) {
    imageItem.SetPicture(BitmapPicture(40, 30, 10, 0xFF0000, 0x0000FF));
    imageItem.SetStretch(false);
    imageItem.SetSharedImage(false);
    PIM_NEEDS_TOOLS();
    const test::TImage ppm = RenderOnePage(*this, imageItem, 40, 30, "items_render_bitmap.pdf");
    ASSERT_EQ(ppm.width, 40);
    ASSERT_EQ(ppm.height, 30);
    EXPECT_TRUE(Near(ppm.Rgb(3, 3), 0xFF0000)) << std::hex << ppm.Rgb(3, 3);
    EXPECT_TRUE(Near(ppm.Rgb(36, 26), 0x0000FF)) << std::hex << ppm.Rgb(36, 26);
    EXPECT_TRUE(Near(ppm.Rgb(3, 26), 0x0000FF));
}

TEST_F(RenderedPage, JpegCoversThePageTopDown) {
    jpegItem.SetPicture(JpegPicture(48, 32, 16, 0x00FF00, 0xFFFFFF));
    jpegItem.SetStretch(false);
    jpegItem.SetSharedImage(false);
    PIM_NEEDS_TOOLS();
    const test::TImage ppm = RenderOnePage(*this, jpegItem, 48, 32, "items_render_jpeg.pdf");
    ASSERT_EQ(ppm.width, 48);
    ASSERT_EQ(ppm.height, 32);
    EXPECT_TRUE(Near(ppm.Rgb(4, 4), 0x00FF00)) << std::hex << ppm.Rgb(4, 4);
    EXPECT_TRUE(Near(ppm.Rgb(40, 28), 0xFFFFFF)) << std::hex << ppm.Rgb(40, 28);
}

TEST_F(RenderedPage, JapaneseTextSitsInTheTopLeftCorner) {
    textItem.SetFontName(TPRFontName::fnPGothic);
    textItem.SetFontSize(12);
    textItem.SetLeading(14);
    textItem.Lines().Clear();
    textItem.Lines().Add(Utf8ToAnsi("日本語のテキスト"));
    textItem.Lines().Add(Utf8ToAnsi("二行目"));
    PIM_NEEDS_TOOLS();
    const test::TImage ppm = RenderOnePage(*this, textItem, 480, 680, "items_render_text.pdf");
    ASSERT_EQ(ppm.width, 480);
    ASSERT_EQ(ppm.height, 680);
    // Ink where the two lines go (about 8 and 4 characters of 12 points),
    // none anywhere else.
    auto inkIn = [&](int x0, int y0, int x1, int y1) {
        int dark = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (!Near(ppm.Rgb(x, y), 0xFFFFFF, 80)) ++dark;
        return dark;
    };
    EXPECT_GT(inkIn(0, 0, 96, 14), 40);
    EXPECT_GT(inkIn(0, 14, 36, 28), 20);
    EXPECT_EQ(inkIn(0, 14, 480, 28) - inkIn(0, 14, 48, 28), 0);
    EXPECT_EQ(inkIn(0, 32, 480, 680), 0);
    EXPECT_EQ(inkIn(110, 0, 480, 14), 0);
}

}  // namespace
}  // namespace pim

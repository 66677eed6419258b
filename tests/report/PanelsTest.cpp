// Page and panel structure: placement rules, margins, grid cells and the
// order panels print in. Nothing here needs a PDF document: panel events
// fire without one as long as no item prints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/PRJpegImage.h"
#include "report/PReport.h"
#include "tests/report/ReportTestUtil.h"

namespace pim {
namespace {

using test::MessageOf;

TEST(Placement, PanelsGoOnPagesAndPanelsOnly) {
    TPRPage page;
    TPRLayoutPanel panel;
    TWinControl plain;
    panel.SetParent(&page);
    EXPECT_EQ(panel.Parent(), &page);

    TPRLayoutPanel inner;
    inner.SetParent(&panel);
    EXPECT_EQ(inner.Parent(), &panel);

    TPRLayoutPanel stray;
    EXPECT_EQ(MessageOf([&] { stray.SetParent(&plain); }), "TPRPage can not set on TWinControl");
    EXPECT_EQ(stray.Parent(), nullptr);
    TPRGridPanel grid;
    EXPECT_EQ(MessageOf([&] { grid.SetParent(&plain); }), "TPRPage can not set on TWinControl");
}

TEST(Placement, ItemsGoOnPanelsOnlyAndGridsHandOutTheirCellPanel) {
    TPRPage page;
    TPRGridPanel grid;
    grid.SetParent(&page);
    TPRText text;
    EXPECT_EQ(MessageOf([&] { text.SetParent(&page); }), "this component must set on TPRPanel");
    EXPECT_EQ(text.Parent(), nullptr);

    text.SetParent(&grid);
    EXPECT_EQ(text.Parent(), &grid.ChildPanel());
    TPRLayoutPanel layout;
    layout.SetParent(&grid);
    EXPECT_EQ(layout.Parent(), &grid.ChildPanel());
    // A grid on a grid stays where it was put.
    TPRGridPanel nested;
    nested.SetParent(&grid);
    EXPECT_EQ(nested.Parent(), &grid);
}

TEST(Page, DefaultsToA4AndMarginsMustStayBelowHalfTheWidth) {
    TPRPage page;
    EXPECT_EQ(page.Width(), 596);
    EXPECT_EQ(page.Height(), 842);
    EXPECT_EQ(page.MarginTop(), 32);

    page.SetMarginTop(300);  // 300 >= 596 div 2: ignored
    EXPECT_EQ(page.MarginTop(), 32);
    page.SetMarginTop(297);  // accepted whatever the height
    EXPECT_EQ(page.MarginTop(), 297);
    page.SetMarginBottom(-1);
    EXPECT_EQ(page.MarginBottom(), 32);

    // Margins narrow the room of aligned children only.
    TPRLayoutPanel client, free;
    client.SetParent(&page);
    free.SetParent(&page);
    free.SetBounds(0, 0, 50, 50);
    client.SetAlign(TAlign::alClient);
    page.SetMarginTop(10);
    page.SetMarginLeft(20);
    page.SetMarginRight(30);
    page.SetMarginBottom(40);
    EXPECT_EQ(client.BoundsRect(), Rect(20, 10, 596 - 30, 842 - 40));
    EXPECT_EQ(free.BoundsRect(), Rect(0, 0, 50, 50));
}

TEST(Grid, CountsMustLeaveCellsOfTenPoints) {
    TPRGridPanel grid;
    grid.SetBounds(0, 0, 25, 100);
    EXPECT_EQ(MessageOf([&] { grid.SetColCount(3); }), "invalid colcount");  // 25 div 3 = 8
    EXPECT_EQ(MessageOf([&] { grid.SetColCount(0); }), "invalid colcount");
    EXPECT_EQ(grid.ColCount(), 1);
    grid.SetColCount(2);
    EXPECT_EQ(MessageOf([&] { grid.SetRowCount(11); }), "invalid rowcount");
    EXPECT_EQ(MessageOf([&] { grid.SetRowCount(-1); }), "invalid rowcount");
    grid.SetRowCount(10);
    EXPECT_EQ(grid.RowCount(), 10);
    // The cell panel has the size of the first cell.
    EXPECT_EQ(grid.ChildPanel().BoundsRect(), Rect(0, 0, 12, 10));
}

struct Visit {
    int col, row;
    TRect rect;
    bool operator==(const Visit&) const = default;
};

std::vector<Visit> PrintGrid(TPrintDirection direction) {
    TPRPage page;
    TPRGridPanel grid;
    grid.SetParent(&page);
    grid.SetBounds(10, 20, 200, 300);
    grid.SetColCount(2);
    grid.SetRowCount(3);
    grid.SetPrintDirection(direction);
    std::vector<Visit> visits;
    std::vector<std::string> events;
    grid.BeforePrint = [&](TPRPanel&, TPRCanvas&, TRect r) { events.push_back("before " + std::to_string(r.Left)); };
    grid.AfterPrint = [&](TPRPanel&, TPRCanvas&, TRect) { events.push_back("after"); };
    grid.BeforePrintChild = [&](TPRGridPanel&, TPRCanvas&, int col, int row, TRect r) {
        visits.push_back({col, row, r});
        r.Left = -1;  // a handler's copy only
    };
    TPRLayoutPanel inner;  // lands on the cell panel; fires once per cell
    inner.SetParent(&grid);
    int innerPrints = 0;
    inner.BeforePrint = [&](TPRPanel&, TPRCanvas&, TRect) { ++innerPrints; };
    TPRCanvas canvas;
    grid.PrintPanel(canvas, grid.BoundsRect());
    EXPECT_EQ(events, (std::vector<std::string>{"before 10", "after"}));
    EXPECT_EQ(innerPrints, 6);
    return visits;
}

TEST(Grid, PrintsEveryCellInTheChosenDirection) {
    // Cells are 100 x 100 (the first cell), shifted by round(W*col/C), round(H*row/R).
    const auto cell = [](int col, int row) {
        const int x = 10 + col * 100, y = 20 + row * 100;
        return Visit{col, row, Rect(x, y, x + 100, y + 100)};
    };
    EXPECT_EQ(PrintGrid(TPrintDirection::pdVert),
              (std::vector<Visit>{cell(0, 0), cell(0, 1), cell(0, 2), cell(1, 0), cell(1, 1), cell(1, 2)}));
    EXPECT_EQ(PrintGrid(TPrintDirection::pdHorz),
              (std::vector<Visit>{cell(0, 0), cell(1, 0), cell(0, 1), cell(1, 1), cell(0, 2), cell(1, 2)}));
}

TEST(Grid, CellOffsetsRoundHalfToEven) {
    TPRGridPanel grid;
    grid.SetBounds(0, 0, 25, 100);
    grid.SetColCount(2);  // 25 * 1 / 2 = 12.5 -> 12
    std::vector<int> lefts;
    grid.BeforePrintChild = [&](TPRGridPanel&, TPRCanvas&, int, int, TRect r) { lefts.push_back(r.Left); };
    TPRCanvas canvas;
    grid.PrintPanel(canvas, grid.BoundsRect());
    EXPECT_EQ(lefts, (std::vector<int>{0, 12}));
}

TEST(Panel, NestedPanelsAccumulatePageCoordinatesAndFindTheirPage) {
    TPRPage page;
    TPRLayoutPanel outer, inner;
    outer.SetParent(&page);
    inner.SetParent(&outer);
    outer.SetBounds(5, 7, 100, 100);
    inner.SetBounds(3, 4, 50, 50);
    TRect seen;
    inner.BeforePrint = [&](TPRPanel& sender, TPRCanvas&, TRect r) {
        seen = r;
        EXPECT_EQ(&sender.PageOfItem(), &page);
    };
    TPRCanvas canvas;
    outer.PrintPanel(canvas, outer.BoundsRect());
    EXPECT_EQ(seen, Rect(8, 11, 58, 61));

    TPRText text;
    text.SetParent(&inner);
    EXPECT_EQ(&text.PageOfItem(), &page);
    TPRLayoutPanel loose;
    EXPECT_THROW(loose.PageOfItem(), EPdfInvalidOperation);
}

TEST(Label, SetterRules) {
    TPRText text;
    EXPECT_EQ(text.Width(), 100);
    EXPECT_EQ(text.Height(), 30);
    EXPECT_TRUE(text.Printable());
    text.SetFontSize(0);
    text.SetFontSize(-1);
    EXPECT_EQ(text.FontSize(), 12);
    text.SetWordSpace(-1);
    EXPECT_EQ(text.WordSpace(), 0);
    text.SetLeading(-1);
    EXPECT_EQ(text.Leading(), 14);
    text.SetCharSpace(-50);  // the canvas checks the range at print time
    EXPECT_EQ(text.CharSpace(), -50);
    text.SetFontColor(-5);  // a system colour
    EXPECT_EQ(text.FontColor(), -5);
    text.SetFontColor(0x0FFFFFFF);
    EXPECT_EQ(MessageOf([&] { text.SetFontColor(0x10000000); }), "the color you selected is not allowed.");
    EXPECT_THROW(text.SetFontColor(0x10000000), EPdfInvalidValue);
    EXPECT_EQ(text.FontColor(), 0x0FFFFFFF);
}

TEST(Label, FontTable) {
    EXPECT_STREQ(PdfFontName(TPRFontName::fnPMincyo, true, true), "PMincyo,BoldItalic");
    EXPECT_STREQ(PdfFontName(TPRFontName::fnPGothic, false, false), "PGothic");
    EXPECT_STREQ(PdfFontName(TPRFontName::fnTimesRoman, true, false), "Times-Bold");
    EXPECT_STREQ(PdfFontName(TPRFontName::fnFixedWidth, false, true), "FixedWidth-Italic");
    EXPECT_STREQ(PdfFontName(TPRFontName::fnGothic, true, false), "Gothic,Bold");
}

TEST(ImageNames, SequentialProbingWrapsAndGivesUpAfter65535) {
    std::vector<std::string> probed;
    auto takenBelow = [&](int limit) {
        return [&probed, limit](const std::string& name) {
            probed.push_back(name);
            return probed.size() <= static_cast<std::size_t>(limit);
        };
    };
    EXPECT_EQ(TPRImage::FindFreeSequentialName("PRImage1", 65532, takenBelow(2)), "PRImage10");
    EXPECT_EQ(probed, (std::vector<std::string>{"PRImage165532", "PRImage165533", "PRImage10"}));

    probed.clear();
    EXPECT_EQ(MessageOf([&] { TPRImage::FindFreeSequentialName("x", 0, takenBelow(1 << 30)); }),
              "image count over max value..");
    EXPECT_EQ(probed.size(), 65535u);
}

TEST(ImageNames, RandomProbingDrawsAFreshNumberEachTime) {
    int calls = 0;
    auto next = [&] { return calls++ * 7; };
    auto takenFirstTwo = [&](const std::string&) { return calls <= 2; };
    EXPECT_EQ(TPRJpegImage::FindFreeRandomName("J", next, takenFirstTwo), "J14");
    calls = 0;
    EXPECT_EQ(MessageOf([&] { TPRJpegImage::FindFreeRandomName("J", next, [](const std::string&) { return true; }); }),
              "image count over max value..");
    EXPECT_EQ(calls, 65535);
}

}  // namespace
}  // namespace pim

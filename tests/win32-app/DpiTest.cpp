// The windows at the dpi Wine is set to (dpi-e2e.sh sets LogPixels and
// names it in PIM_EXPECT_DPI): every place, size and font scaled by dpi/96,
// and no caption wider than its control. Screenshots of the main window,
// the progress dialog and a hint are left as dpi-<n>-*.bmp.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "AppFixture.h"
#include "app/MainModel.h"

namespace pim::test {
namespace {

int ExpectedDpi() {
    const char* text = std::getenv("PIM_EXPECT_DPI");
    return text ? std::atoi(text) : 96;
}

// The text's width and height in the control's own font.
SIZE TextExtent(HWND control, const std::string& text) {
    const std::u16string wide = ui::Widen(text);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, ui::W(wide), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

int FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return -font.lfHeight;
}

// What a control needs beside its caption: a check box its box and the gap,
// a button its edges, a group box its corners.
int Beside(HWND control) {
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (ClassOf(control) != "Button") return 0;
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX: return (style & BS_PUSHLIKE) ? 6 : GetSystemMetrics(SM_CXMENUCHECK) + 4;
        case BS_GROUPBOX: return 16;
        default: return 6;
    }
}

class DpiTest : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("dpi-" + std::to_string(dpi));
        WriteJpegFile(folder + "\\a-photo.jpg", 64, 48, RGB(200, 30, 30));
        WriteBmpFile(folder + "\\b-picture.bmp", 48, 64, RGB(30, 30, 200));
        Open(folder);
    }
    // Every caption of a window's controls fits its control.
    void ExpectCaptionsFit(HWND top) {
        for (HWND c = GetWindow(top, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            ExpectCaptionsFit(c);
            const std::string text = TextOf(c);
            if (text.empty() || !IsWindowVisible(c) || ClassOf(c) == "Edit") continue;
            SCOPED_TRACE(ClassOf(c) + " " + text);
            EXPECT_EQ(FontHeight(c), ui::ScaleDpi(12, dpi));
            if (text.find('\n') != std::string::npos) continue;  // the dialog's two lines: below
            RECT r;
            GetClientRect(c, &r);
            const SIZE extent = TextExtent(c, text);
            EXPECT_LE(extent.cx + Beside(c), r.right);
            EXPECT_LE(extent.cy, r.bottom);
        }
    }
    const int dpi = ExpectedDpi();
    std::string folder;
};

TEST_F(DpiTest, TheMainWindowIsScaledAndNoCaptionIsClipped) {
    TForm1& f = Form();
    ASSERT_EQ(f.Dpi(), dpi);
    RECT client;
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, ui::ScaleDpi(782, dpi));
    EXPECT_EQ(client.bottom, ui::ScaleDpi(442, dpi));
    // Places scale with the design: a few corners of the table.
    EXPECT_EQ(RectInParent(f.Button4->Handle()).left, ui::ScaleDpi(192, dpi));
    EXPECT_EQ(RectInParent(f.Button4->Handle()).top, ui::ScaleDpi(392, dpi));
    EXPECT_EQ(RectInParent(f.Panel1->Handle()).right, ui::ScaleDpi(342, dpi) + ui::ScaleDpi(422, dpi));
    EXPECT_EQ(RectInParent(f.StatusBar1->Handle()).top, client.bottom - ui::ScaleDpi(21, dpi));
    ExpectCaptionsFit(f.Handle());
    // The combo boxes show their longest item, the status panels their counts.
    RECT combo;
    GetClientRect(f.ComboBox1->Handle(), &combo);
    EXPECT_LE(TextExtent(f.ComboBox1->Handle(), Ansi("更新日時")).cx + GetSystemMetrics(SM_CXVSCROLL), combo.right);
    int edges[4] = {};
    SendMessageW(f.StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    EXPECT_EQ(edges[0], ui::ScaleDpi(150, dpi));
    EXPECT_LE(TextExtent(f.StatusBar1->Handle(), f.StatusBar1->PanelText(0)).cx, edges[0]);
    Screenshot(f.Handle(), "dpi-" + std::to_string(dpi) + "-main");
    // The PDF設定 tab: its captions and the longest page display.
    f.PageControl1->SetActivePageIndex(2);
    f.PageControl1Change();
    ExpectCaptionsFit(f.Handle());
    GetClientRect(f.ComboBox4->Handle(), &combo);
    EXPECT_LE(TextExtent(f.ComboBox4->Handle(), Ansi("見開き・表紙は単独")).cx + GetSystemMetrics(SM_CXVSCROLL),
              combo.right);
    Screenshot(f.Handle(), "dpi-" + std::to_string(dpi) + "-pdf-settings");
    f.PageControl1->SetActivePageIndex(0);
    f.PageControl1Change();
}

TEST_F(DpiTest, TheProgressDialogIsScaledAndItsTwoLinesFit) {
    Click(*Form().Button4);
    TForm2* dialog = Form().Form2();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Dpi(), dpi);
    RECT client;
    GetClientRect(dialog->Handle(), &client);
    EXPECT_EQ(client.right, ui::ScaleDpi(335, dpi));  // finished: widened for the name and three buttons
    EXPECT_EQ(client.bottom, ui::ScaleDpi(102, dpi));
    ExpectCaptionsFit(dialog->Handle());
    // The finished label's two lines, wrapped as the label wraps them.
    const HWND label = dialog->StaticText1->Handle();
    RECT area;
    GetClientRect(label, &area);
    RECT need = area;
    const std::u16string text = ui::Widen(FinishedLabel());
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    DrawTextW(dc, ui::W(text), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_LE(need.bottom, area.bottom);
    Screenshot(dialog->Handle(), "dpi-" + std::to_string(dpi) + "-dialog");
    Click(*dialog->Button2);
    Pump();
}

// The file-kind mark in a thumbnail's corner grows with the dpi: its drawn
// part, in the cell's right half below the photo (64 x 48, kept at its size
// in the middle), is more than half the mark's side at this dpi.
TEST_F(DpiTest, TheThumbnailsKindMarkScalesWithTheDpi) {
    TImgListView& list = *Form().ImgListView1;
    TImgListItem* photo = list.ImgItems()[0];
    for (int i = 0; i < 250 && !(photo->Resolved && photo->ThumbIndex >= 0); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    ASSERT_GE(photo->ThumbIndex, 0);
    int sx = 0, sy = 0;
    const TBitmap& sheet = list.Thumbs().Locate(photo->ThumbIndex, sx, sy);
    ASSERT_EQ(sheet.PixelFormat(), TPixelFormat::pf24bit);
    const auto pixel = [&](int x, int y) {
        const std::uint8_t* p = sheet.ScanLine(sy + y) + 3 * (sx + x);
        return RGB(p[2], p[1], p[0]);
    };
    const int box = list.ViewImage().ImageWidth();
    const COLORREF back = pixel(box - 1, box - 1);
    int left = box, right = -1;
    for (int y = (box + 48) / 2 + 1; y < box; ++y)
        for (int x = box / 2; x < box; ++x)
            if (pixel(x, y) != back) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    const int side = ui::ScaleDpi(16, dpi);
    EXPECT_GT(right - left + 1, side / 2);
    EXPECT_LE(right - left + 1, side);
}

// The hint of a folder label: its font and its strip follow the dpi.
TEST_F(DpiTest, TheHintIsDrawnAtTheDpi) {
    const ui::THintWindow* hint = RestMouseOn(Form().StaticText3->Handle());
    ASSERT_TRUE(hint && IsWindowVisible(hint->Handle()));
    EXPECT_EQ(Form().zHint1.Dpi, dpi);
    LOGFONTW font{};
    GetObjectW(Form().zHint1.Font(), sizeof font, &font);
    EXPECT_EQ(-font.lfHeight, ui::ScaleDpi(16, dpi));
    RECT box;
    GetWindowRect(hint->Handle(), &box);
    EXPECT_GE(box.bottom - box.top, ui::ScaleDpi(16 + 6, dpi) - 1);
    Screenshot(hint->Handle(), "dpi-" + std::to_string(dpi) + "-hint");
    ui::Application().CancelHint();
}

}  // namespace
}  // namespace pim::test

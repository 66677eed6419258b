// The adjustment tab: the preview shows what the run would write, a text or
// no selection gives its error box and the list tab back with its panels,
// a large picture opens whole and zooms around the pointer, and at 1:1 a
// click brings the clicked point to the middle.
#include "AppFixture.h"
#include "tests/app/TestPictures.h"
#include "graphics/Jpeg.h"

namespace pim::test {
namespace {

class PreviewTest : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("preview");
        WriteBmpFile(folder + "\\a-white.bmp", 60, 40, RGB(255, 255, 255));
        WriteBmpFile(folder + "\\b-large.bmp", 1200, 900, RGB(0, 0, 255));
        WriteTextFile(folder + "\\c-notes.txt", "memo\r\n");
        WritePngFile(folder + "\\d-glass.png", 50, 30, RGB(255, 0, 0), 128);
        WriteTextFile(folder + "\\e-huge.png", PngHeaderOnly(60000, 60000));  // too large to hold
        Open(folder);
    }
    std::string folder;
};

TEST_F(PreviewTest, GreyscaleOfWhiteShows252AndTheOriginalShowsTheFile) {
    TForm1& f = Form();
    SelectOnly(0);
    Click(*f.CheckBox2);
    PickTab(*f.PageControl1, 1);  // opening the tab previews
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 1);
    EXPECT_FALSE(f.Panel1->Visible());
    EXPECT_FALSE(f.Panel2->Visible());
    ASSERT_EQ(f.Image1->PictureWidth(), 60);
    EXPECT_EQ(f.Image1->PixelAt(30, 20), RGB(252, 252, 252));
    EXPECT_EQ(f.Image1->Width(), 60);  // sized to its picture

    // On the screen, too.
    Screenshot(f.Handle(), "gui-adjust-tab");
    HDC dc = GetDC(f.Image1->Handle());
    EXPECT_EQ(GetPixel(dc, 30, 20), RGB(252, 252, 252));
    ReleaseDC(f.Image1->Handle(), dc);

    Click(*f.Button6);
    EXPECT_EQ(f.Image1->PixelAt(30, 20), RGB(255, 255, 255));
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 1);

    // A change of an adjustment shows by itself a moment later, as the run
    // would write it (grey 252 made darker by 55).
    f.ScrollBar1->SetPosition(-55);
    EXPECT_EQ(f.Image1->PixelAt(30, 20), RGB(255, 255, 255));  // not at every step of a drag
    for (int i = 0; i < 100 && f.Image1->PixelAt(30, 20) == RGB(255, 255, 255); ++i) {
        Sleep(20);
        Pump();
    }
    EXPECT_EQ(f.Image1->PixelAt(30, 20), RGB(197, 197, 197));

    PickTab(*f.PageControl1, 0);
    EXPECT_TRUE(f.Panel1->Visible());
    EXPECT_TRUE(f.Panel2->Visible());
}

// A PNG shows over white, in the preview (re-encoded) and as it is.
TEST_F(PreviewTest, APngShowsOverWhite) {
    TForm1& f = Form();
    SelectOnly(3);
    Click(*f.Button5);
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(f.Image1->PictureWidth(), 50);
    const COLORREF preview = f.Image1->PixelAt(25, 15);
    EXPECT_NEAR(GetRValue(preview), 255, 4);
    EXPECT_NEAR(GetGValue(preview), 127, 4);
    Click(*f.Button6);
    EXPECT_EQ(f.Image1->PixelAt(25, 15), RGB(255, 127, 127));
}

TEST_F(PreviewTest, TextOrNothingSelectedGivesItsErrorAndTheListTabWithItsPanels) {
    TForm1& f = Form();
    SelectOnly(2);
    PickTab(*f.PageControl1, 1);
    EXPECT_EQ(errors, std::vector<std::string>{Ansi("テキストは選択出来ません")});
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 0);
    EXPECT_TRUE(f.Panel1->Visible());
    EXPECT_TRUE(f.Panel2->Visible());

    errors.clear();
    SelectOnly(-1);
    Click(*f.Button5);
    EXPECT_EQ(errors, std::vector<std::string>{Ansi("画像を選択して下さい")});
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 0);
    EXPECT_TRUE(f.Panel2->Visible());

    errors.clear();
    SelectOnly(2);
    Click(*f.Button6);
    EXPECT_EQ(errors, std::vector<std::string>{Ansi("画像を選択して下さい")});

    // A picture too large to hold says so, both ways.
    errors.clear();
    SelectOnly(4);
    Click(*f.Button5);
    Click(*f.Button6);
    EXPECT_EQ(errors, std::vector<std::string>(2, Ansi("画像が大きすぎるためプレビュー出来ません")));
    EXPECT_TRUE(f.Panel1->Visible());
}

// A double click on the image, at x, y of it.
void DoubleClick(ui::TImage& image, int x, int y) {
    SendMessageA(image.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    SendMessageA(image.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(image.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST_F(PreviewTest, ClickBringsThePointToTheMiddleWithinTheRangesAtOneToOne) {
    TForm1& f = Form();
    SelectOnly(1);
    Click(*f.Button5);
    ASSERT_EQ(f.Image1->PictureWidth(), 1200);
    EXPECT_LT(f.Image1->Width(), 468);  // fitted
    DoubleClick(*f.Image1, 10, 10);
    ASSERT_EQ(f.Image1->Width(), 1200);
    const auto click = [&](int x, int y) {
        SendMessageA(f.Image1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(f.Image1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    };
    click(600, 450);
    EXPECT_EQ(f.ScrollBox1->HorzPosition(), 600 - 468 / 2);
    EXPECT_EQ(f.ScrollBox1->VertPosition(), 450 - 369 / 2);
    // The image moved with the box: the same picture point is under the middle.
    RECT image = RectInParent(f.Image1->Handle());
    EXPECT_EQ(image.left, -(600 - 468 / 2));

    click(10, 10);
    EXPECT_EQ(f.ScrollBox1->HorzPosition(), 0);
    EXPECT_EQ(f.ScrollBox1->VertPosition(), 0);
    click(1199, 899);
    const SIZE client = f.ScrollBox1->ClientSize();
    EXPECT_EQ(f.ScrollBox1->HorzPosition(), 1200 - client.cx);
    EXPECT_EQ(f.ScrollBox1->VertPosition(), 900 - client.cy);

    // The wheel scrolls the box.
    SendMessageA(f.ScrollBox1->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_LT(f.ScrollBox1->VertPosition(), 900 - client.cy);
}

TEST_F(PreviewTest, APhotoOpensWholeAndZoomsAroundThePointerTo400Percent) {
    // 3000 x 2000, red in the top left corner and green in the bottom right.
    TBitmap photo(3000, 2000, TPixelFormat::pf24bit);
    for (int y = 0; y < 2000; ++y) {
        std::uint8_t* row = photo.ScanLine(y);
        for (int x = 0; x < 3000; ++x) {
            const bool red = x < 300 && y < 300;
            const bool green = x >= 2700 && y >= 1700;
            row[3 * x] = static_cast<std::uint8_t>(red || green ? 0 : 255 * y / 2000);
            row[3 * x + 1] = static_cast<std::uint8_t>(green ? 255 : red ? 0 : 200);
            row[3 * x + 2] = static_cast<std::uint8_t>(red ? 255 : green ? 0 : 255 - 255 * y / 2000);
        }
    }
    TJPEGImage jpeg;
    jpeg.Assign(photo);
    jpeg.SaveToFile(folder + "\\d-photo.jpg");
    Open(folder);
    TForm1& f = Form();
    SelectOnly(4);
    PickTab(*f.PageControl1, 1);
    ASSERT_EQ(f.Image1->PictureWidth(), 3000);

    // The whole photo inside the box, nothing to scroll, in its proportions.
    RECT box, image;
    GetClientRect(f.ScrollBox1->Handle(), &box);
    image = RectInParent(f.Image1->Handle());
    EXPECT_GE(image.left, 0);
    EXPECT_GE(image.top, 0);
    EXPECT_LE(image.right, box.right);
    EXPECT_LE(image.bottom, box.bottom);
    EXPECT_EQ(image.right - image.left, box.right);  // as wide as the box
    EXPECT_NEAR((image.right - image.left) * 2000.0 / 3000, image.bottom - image.top, 1);
    Screenshot(f.Handle(), "gui-preview-fit");
    HDC dc = GetDC(f.Image1->Handle());
    const COLORREF red = GetPixel(dc, 5, 5);
    const COLORREF corner = GetPixel(dc, image.right - image.left - 5, image.bottom - image.top - 5);
    ReleaseDC(f.Image1->Handle(), dc);
    EXPECT_TRUE(GetRValue(red) > 215 && GetGValue(red) < 40 && GetBValue(red) < 40) << std::hex << red;
    EXPECT_TRUE(GetRValue(corner) < 40 && GetGValue(corner) > 215 && GetBValue(corner) < 40) << std::hex << corner;

    // The wheel zooms in around the pointer: the photo's point under it stays.
    const POINT at{200, 150};
    // Where a point of the photo is shown now, in the box.
    const auto shownAt = [&](double x) { return RectInParent(f.Image1->Handle()).left + x * f.Image1->Zoom(); };
    const double before = (at.x - RectInParent(f.Image1->Handle()).left) / f.Image1->Zoom();
    POINT screen = at;
    ClientToScreen(f.ScrollBox1->Handle(), &screen);
    SendMessageA(f.ScrollBox1->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    EXPECT_GT(f.Image1->Zoom(), 0.15);
    EXPECT_NEAR(shownAt(before), at.x, 1);
    // Up to 1:1, where the wheel scrolls as before. The point stays within
    // what one pixel was before the step.
    const double zoomed = f.Image1->Zoom();
    SendMessageA(f.ScrollBox1->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 20 * WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(f.Image1->Zoom(), 1);
    EXPECT_NEAR(shownAt(before), at.x, 1 / zoomed + 1);
    const int scrolled = f.ScrollBox1->VertPosition();
    SendMessageA(f.ScrollBox1->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    EXPECT_EQ(f.Image1->Zoom(), 1);
    EXPECT_GT(f.ScrollBox1->VertPosition(), scrolled);

    // "+" goes beyond, to 400 % at most; "-" comes back. The keys go to the
    // box, as after a click on the picture.
    SetFocus(f.ScrollBox1->Handle());
    for (int i = 0; i < 10; ++i) {
        PostMessageA(f.ScrollBox1->Handle(), WM_KEYDOWN, VK_ADD, 0);
        Pump();
    }
    EXPECT_EQ(f.Image1->Zoom(), 4);
    EXPECT_EQ(f.Image1->Width(), 12000);
    PostMessageA(f.ScrollBox1->Handle(), WM_KEYDOWN, VK_SUBTRACT, 0);
    Pump();
    EXPECT_EQ(f.Image1->Zoom(), 4 / 1.25);

    // A double click fits the photo again, a second one shows it at 1:1.
    DoubleClick(*f.Image1, 40, 40);
    EXPECT_EQ(RectInParent(f.Image1->Handle()).right - RectInParent(f.Image1->Handle()).left, box.right);
    DoubleClick(*f.Image1, 40, 40);
    EXPECT_EQ(f.Image1->Zoom(), 1);
    EXPECT_EQ(f.Image1->Width(), 3000);
}

}  // namespace
}  // namespace pim::test

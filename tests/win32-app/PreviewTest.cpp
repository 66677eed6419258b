// The adjustment tab: the preview shows what the run would write, a text or
// no selection gives its error box and the list tab back with its panels,
// and a click brings the clicked point to the middle.
#include "AppFixture.h"

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
    EXPECT_EQ(errors, std::vector<std::string>{"テキストは選択出来ません"});
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 0);
    EXPECT_TRUE(f.Panel1->Visible());
    EXPECT_TRUE(f.Panel2->Visible());

    errors.clear();
    SelectOnly(-1);
    Click(*f.Button5);
    EXPECT_EQ(errors, std::vector<std::string>{"画像を選択して下さい"});
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 0);
    EXPECT_TRUE(f.Panel2->Visible());

    errors.clear();
    SelectOnly(2);
    Click(*f.Button6);
    EXPECT_EQ(errors, std::vector<std::string>{"画像を選択して下さい"});
}

TEST_F(PreviewTest, ClickBringsThePointToTheMiddleWithinTheRanges) {
    TForm1& f = Form();
    SelectOnly(1);
    Click(*f.Button5);
    ASSERT_EQ(f.Image1->PictureWidth(), 1200);
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

}  // namespace
}  // namespace pim::test

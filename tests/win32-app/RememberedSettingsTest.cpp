// What the main window remembers between starts: the settings the user
// changed come back at the next start (the image folder when none is given),
// the window stays on the screen, and a Pim.ini that cannot be written is
// reported once. A damaged Pim.ini is settings-e2e.sh's.
#include "AppFixture.h"

namespace pim::test {
namespace {

class RememberedSettings : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("remembered");
        WriteBmpFile(folder + "\\a.bmp", 20, 10, RGB(0, 0, 255));
        WriteJpegFile(folder + "\\b.jpg", 20, 10, RGB(255, 0, 0));
    }
    // Closes the window as its close box does (it is not the main form here,
    // so no quit message is left for the next test).
    void CloseWindow() {
        ui::Application().SetMainForm(nullptr);
        SendMessageA(Form().Handle(), WM_CLOSE, 0, 0);
        Pump();
    }
    std::string folder;
};

TEST_F(RememberedSettings, WhatTheUserChangedComesBackAtTheNextStart) {
    Open(folder);
    TForm1& f = Form();
    Click(*f.CheckBox4);
    Pick(*f.ComboBox1, 2);
    Pick(*f.ComboBox2, 1);
    f.ScrollBar1->SetPosition(-40);
    f.ScrollBar2->SetPosition(75);
    Click(*f.CheckBox1);
    // Photos stand upright when nothing is remembered; the user turns it off.
    EXPECT_TRUE(f.CheckBox8->Checked());
    EXPECT_TRUE(f.ImgListView1->AutoOrient());
    Click(*f.CheckBox8);
    EXPECT_FALSE(f.ImgListView1->AutoOrient());
    Click(*f.CheckBox2);
    Click(*f.SpeedButton2);
    SetWindowPos(f.Handle(), nullptr, 30, 20, 900, 600, SWP_NOZORDER);
    f.LabeledEdit1->SetText(Ansi("表題"));
    CloseWindow();
    EXPECT_NE(ReadWholeFile(SettingsFile()).find("Brightness=-40"), std::string::npos);

    Open("");  // no folder given: the remembered one
    TForm1& g = Form();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(TextOf(g.StaticText3->Handle()), folder);
    EXPECT_EQ(Rows(), std::vector<std::string>{"b.jpg"});
    EXPECT_TRUE(g.CheckBox3->Checked());
    EXPECT_FALSE(g.CheckBox4->Checked());
    EXPECT_EQ(g.FileTypeBits(), ftAll & ~2);  // all but bmp
    EXPECT_EQ(g.ComboBox1->ItemIndex(), 2);
    EXPECT_EQ(g.ImgListView1->SortType(), TSortTypeEx::istSize);
    EXPECT_TRUE(g.ImgListView1->Descend());
    EXPECT_EQ(g.ScrollBar1->Position(), -40);
    EXPECT_EQ(TextOf(g.StaticText8->Handle()), "-40");
    EXPECT_EQ(g.ScrollBar2->Position(), 75);
    EXPECT_TRUE(g.CheckBox1->Checked());
    EXPECT_FALSE(g.CheckBox8->Checked());
    EXPECT_FALSE(g.ImgListView1->AutoOrient());  // the thumbnails stand as the pages will
    EXPECT_TRUE(g.CheckBox2->Checked());
    EXPECT_TRUE(g.SpeedButton2->Down());
    EXPECT_EQ(TextOf(g.LabeledEdit6->Handle()), "remembered");
    EXPECT_EQ(TextOf(g.LabeledEdit1->Handle()), "");  // the document properties are not kept
    RECT r;
    GetWindowRect(g.Handle(), &r);
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 900);
    EXPECT_EQ(r.bottom - r.top, 600);
    EXPECT_FALSE(IsZoomed(g.Handle()));

    // Maximised, it comes back maximised, over the same normal place.
    ShowWindow(g.Handle(), SW_MAXIMIZE);
    CloseWindow();
    EXPECT_NE(ReadWholeFile(SettingsFile()).find("Window=30,20,900,600,1"), std::string::npos);
    Open(folder);
    EXPECT_TRUE(IsZoomed(Form().Handle()));
    WINDOWPLACEMENT placement{sizeof placement};
    GetWindowPlacement(Form().Handle(), &placement);
    EXPECT_EQ(placement.rcNormalPosition.left, 30);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 900);

    // A place on no monitor any more: the window comes back onto the screen.
    CloseWindow();
    WritePrivateProfileStringA("Main", "Window", "5000,-3000,900,600", SettingsFile().c_str());
    Open(folder);
    GetWindowRect(Form().Handle(), &r);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(r.right - r.left, 900);
}

TEST_F(RememberedSettings, AFileThatCannotBeWrittenIsReportedOnce) {
    CreateDirectoryA(SettingsFile().c_str(), nullptr);  // a folder where the file should be
    Open(folder);
    TForm1& f = Form();
    Click(*f.CheckBox1);
    f.ScrollBar1->SetPosition(10);
    Sleep(1200);  // the delayed save
    Pump();
    Click(*f.CheckBox2);
    CloseWindow();
    EXPECT_EQ(errors, std::vector<std::string>{Ansi("設定を保存出来ません\r\n") + SettingsFile()});
}

}  // namespace
}  // namespace pim::test

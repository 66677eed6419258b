// The shell utilities on their own: the drop target with real HDROP blocks,
// Pim's hint window (placement, wrapping, pixels) and the real folder
// browser, answered from another thread.
#include "AppFixture.h"

#include <shlobj.h>

#include <thread>

#include "ProofWindow.h"
#include "shellutil/DropDst.h"
#include "shellutil/SelectFolder.h"
#include "shellutil/zHint.h"

namespace pim::test {
namespace {

void PostDrop(HWND window, const std::vector<std::u16string>& paths, POINT point) {
    PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropFiles(paths, point)), 0);
}

class DropTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::Application().OnError = [this](const std::string& m) { errors.push_back(m); };
    }
    void TearDown() override { ui::Application().OnError = nullptr; }
    ui::TForm form{{.Caption = "drop target", .ClientWidth = 200, .ClientHeight = 100}};
    std::vector<std::string> errors;
};

TEST_F(DropTest, ADropGivesEveryPathInOrderAndThePointAlsoAfterTheHandleIsMadeAgain) {
    TDropDst drop(form);
    drop.SetTarget(THookTarget::htForm);
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    std::vector<std::vector<std::string>> drops;
    POINT at{};
    drop.OnFileDrop = [&](const std::vector<std::string>& files, int x, int y) {
        drops.push_back(files);
        at = {x, y};
    };
    PostDrop(form.Handle(), {u"C:\\a.jpg", u"C:\\folder", u"C:\\c.txt"}, {17, 23});
    ui::Application().ProcessMessages();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0], (std::vector<std::string>{"C:\\a.jpg", "C:\\folder", "C:\\c.txt"}));
    EXPECT_EQ(at.x, 17);
    EXPECT_EQ(at.y, 23);

    const HWND old = form.Handle();
    form.RecreateHandle();
    ASSERT_NE(form.Handle(), nullptr);
    EXPECT_FALSE(IsWindow(old));
    ui::Application().ProcessMessages();
    EXPECT_EQ(drop.HookedHandle(), form.Handle());
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    PostDrop(form.Handle(), {u"D:\\again.bmp"}, {1, 2});
    ui::Application().ProcessMessages();
    ASSERT_EQ(drops.size(), 2u);
    EXPECT_EQ(drops[1], std::vector<std::string>{"D:\\again.bmp"});
}

TEST_F(DropTest, NotAcceptingUnregistersAndDropsWithoutHandlerOrWithAFailingOneAreFinished) {
    TDropDst drop(form);
    drop.SetTarget(THookTarget::htForm);
    drop.SetAcceptDrop(false);
    EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    drop.SetAcceptDrop(true);

    PostDrop(form.Handle(), {u"C:\\nobody.jpg"}, {0, 0});  // no handler: finished, nothing else
    ui::Application().ProcessMessages();
    EXPECT_TRUE(errors.empty());

    drop.OnFileDrop = [](const std::vector<std::string>&, int, int) { throw Exception("drop handler failed"); };
    PostDrop(form.Handle(), {u"C:\\boom.jpg"}, {0, 0});
    ui::Application().ProcessMessages();
    EXPECT_EQ(errors, std::vector<std::string>{"drop handler failed"});
    EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST_F(DropTest, AFormTargetThatCannotBeFoundIsAnError) {
    TDropDst drop(form);
    ui::TStaticText orphan({.Parent = nullptr});  // no form above it
    drop.SetControl(&orphan);
    try {
        drop.SetTarget(THookTarget::htForm);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), Ansi("フック先を特定できません。"));
    }
}

// ---- The hint window -------------------------------------------------------------

TEST(HintTest, TheHintGoesToTheSideOfTheCursorFacingTheMiddle) {
    const SIZE screen{1024, 768};
    int quadrant = -1;
    RECT r = TzHintWindow::Placement({100, 100}, screen, 80, 30, quadrant);
    EXPECT_EQ(quadrant, 1);
    EXPECT_EQ(r.left, 112);
    EXPECT_EQ(r.top, 112);
    EXPECT_EQ(r.right, 192);
    EXPECT_EQ(r.bottom, 142);
    r = TzHintWindow::Placement({900, 100}, screen, 80, 30, quadrant);
    EXPECT_EQ(quadrant, 0);
    EXPECT_EQ(r.left, 900 - 80 - 5);
    EXPECT_EQ(r.top, 105);
    r = TzHintWindow::Placement({900, 700}, screen, 80, 30, quadrant);
    EXPECT_EQ(quadrant, 2);
    EXPECT_EQ(r.right, 895);
    EXPECT_EQ(r.bottom, 695);
    EXPECT_EQ(r.top, 700 - 30 - 5);
    r = TzHintWindow::Placement({100, 700}, screen, 80, 30, quadrant);
    EXPECT_EQ(quadrant, 3);
    EXPECT_EQ(r.left, 105);
    EXPECT_EQ(r.bottom, 695);
}

TEST(HintTest, InstallsItselfWrapsAtItsWidthAndPaintsStripArrowAndFrame) {
    TzHint hint;
    EXPECT_EQ(ui::Application().HintPause, 500);
    EXPECT_EQ(ui::Application().HintShortPause, 25);
    EXPECT_EQ(ui::Application().HintHidePause, 5000);
    hint.MaxHintWidth = 600;
    hint.SetFont(ui::kPGothic, 16);
    const std::unique_ptr<ui::THintWindow> made = ui::Application().HintWindowClass();
    auto* window = dynamic_cast<TzHintWindow*>(made.get());
    ASSERT_NE(window, nullptr);

    std::u16string path = u"Z:\\";
    for (int i = 0; i < 12; ++i) path += u"フォルダの名前 " + std::u16string(1, u'A' + i) + u"\\";
    const SIZE wrapped = window->MeasureHint(path);
    EXPECT_LE(wrapped.cx - 22, 578);
    EXPECT_GT(wrapped.cx - 22, 450);
    EXPECT_GT(wrapped.cy - 6, 2 * 16);  // more than one line

    SetCursorPos(100, 100);  // top-left quarter: strip on the left, arrow up-left
    window->ActivateHint({}, u"ヒント");
    ui::Application().ProcessMessages();
    EXPECT_EQ(window->Quadrant(), 1);
    RECT frame;
    GetWindowRect(window->Handle(), &frame);
    EXPECT_EQ(frame.left, 112);
    EXPECT_EQ(frame.top, 112);
    const Capture shot = CaptureWindow(window->Handle());
    WriteBmp(shot, OutputPath("gui-hint.bmp"));
    const int h = shot.height;
    EXPECT_EQ(shot.Pixel(0, 0), RGB(0, 0, 0));                     // frame
    EXPECT_EQ(shot.Pixel(3, 3), RGB(0, 0, 0));                     // the arrow's point: strip left + 2, top + 2
    EXPECT_EQ(shot.Pixel(3, 9), RGB(0, 0, 0));                     // (0, 6)
    EXPECT_EQ(shot.Pixel(9, 3), RGB(0, 0, 0));                     // (6, 0)
    EXPECT_EQ(shot.Pixel(12, h - 3), RGB(255, 210, 83));           // strip
    EXPECT_EQ(shot.Pixel(shot.width - 3, 2), RGB(255, 255, 255));  // text area
}

// ---- The folder browser --------------------------------------------------------------

// Waits for the browser from another thread, then does something to it.
std::thread AnswerBrowser(std::function<void(HWND)> action) {
    return std::thread([action] {
        for (int i = 0; i < 500; ++i, Sleep(20)) {
            HWND browser = FindWindowA("#32770", Ansi("フォルダーの参照").c_str());
            if (!browser || !IsWindowVisible(browser)) continue;
            Sleep(200);
            action(browser);
            return;
        }
    });
}

TEST(FolderDialogTest, OkReturnsTheFolderCancelKeepsTheFormerOneAndCanCloseCanRefuse) {
    ui::TForm owner({.Caption = "owner", .ClientWidth = 100, .ClientHeight = 50});
    owner.ShowForm();
    TSelectFolderDialog dialog;
    wchar_t personal[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, personal)));
    dialog.SetSelectSpecialFolder(TSpecialFolder::sfPersonal);
    bool ownerDisabled = false;
    dialog.OnShow = [&] { ownerDisabled = !IsWindowEnabled(owner.Handle()); };
    std::thread ok = AnswerBrowser([](HWND browser) {
        WriteBmp(CaptureWindow(browser), OutputPath("gui-browser.bmp"));
        PostMessageA(browser, WM_COMMAND, IDOK, 0);
    });
    EXPECT_TRUE(dialog.Execute(owner.Handle()));
    ok.join();
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    const std::string chosen = dialog.SelectedPath();
    std::string expected = ui::Narrow(reinterpret_cast<const char16_t*>(personal));
    EXPECT_EQ(chosen.substr(0, expected.size()), expected);
    EXPECT_LE(chosen.size(), expected.size() + 1);  // Wine adds a separator
    EXPECT_EQ(dialog.SelectSpecialFolder(), TSpecialFolder::sfPersonal);

    // OK refused: the browser stays; then Cancel: false, the former choice stays.
    int asked = 0;
    dialog.OnCanClose = [&](bool& canClose) {
        ++asked;
        canClose = false;
    };
    bool stillOpen = false;
    std::thread refuse = AnswerBrowser([&](HWND browser) {
        SendMessageA(browser, WM_COMMAND, IDOK, 0);
        Sleep(300);
        stillOpen = IsWindow(browser) && IsWindowVisible(browser);
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_FALSE(dialog.Execute(owner.Handle()));
    refuse.join();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialog.SelectedPath(), chosen);
}

}  // namespace
}  // namespace pim::test

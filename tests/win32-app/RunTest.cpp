// The PDF run started from the window: the progress dialog through its
// states, a stop from the dialog, a failure that keeps the main window
// disabled until the dialog is closed, and "ＰＤＦ作成(選択画像)".
#include <thread>

#include "AppFixture.h"
#include "ProofWindow.h"
#include "app/MainModel.h"
#include "app/win32/ShellOpen.h"
#include "tests/app/PdfFacts.h"

namespace pim::test {
namespace {

class RunTest : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("window-run");
        WriteJpegFile(folder + "\\1-red.jpg", 64, 48, RGB(220, 20, 20));
        WriteBmpFile(folder + "\\2-green.bmp", 32, 24, RGB(20, 220, 20));
        WriteTextFile(folder + "\\3-text.txt", Ansi("こんにちは\r\n"));
        pdf = folder + "\\default.pdf";
    }
    std::string folder, pdf;
};

// Runs once, inside the run's first message pass: the dialog is open then.
class DuringRun {
public:
    explicit DuringRun(std::function<void()> action) : action_(std::move(action)) {
        window_ = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
        PostMessageA(window_, WM_APP, 0, 0);
    }
    ~DuringRun() { DestroyWindow(window_); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            reinterpret_cast<DuringRun*>(GetWindowLongPtrA(window, GWLP_USERDATA))->action_();
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_;
    std::function<void()> action_;
};

// The text without its line breaks: long lines are wrapped where shown.
std::string Unwrapped(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 2);
    return text;
}

TEST_F(RunTest, PdfButtonRunsToTheFinishedDialogAndClosingItGivesTheWindowBack) {
    Open(folder);
    Click(*Form().Button4);
    TForm2* dialog = Form().Form2();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(TextOf(dialog->Handle()), Ansi("ＰＤＦ作成終了"));
    EXPECT_EQ(TextOf(dialog->StaticText1->Handle()), FinishedLabel());
    EXPECT_TRUE(dialog->Button2->Visible());
    EXPECT_TRUE(dialog->Button3->Visible());
    EXPECT_EQ(dialog->ProgressBar1->Position(), 3);
    EXPECT_EQ(dialog->ProgressBar1->Max(), 3);
    EXPECT_TRUE(GetWindowLongA(dialog->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Widened for the PDF's name and the three buttons.
    EXPECT_EQ(TextOf(dialog->StaticText2->Handle()), "default.pdf");
    EXPECT_EQ(ui::Narrow(dialog->StaticText2->Hint()), pdf);
    EXPECT_FALSE(dialog->ProgressBar1->Visible());
    EXPECT_TRUE(dialog->Button4->Visible());
    RECT client;
    GetClientRect(dialog->Handle(), &client);
    EXPECT_EQ(client.right, 335);
    EXPECT_EQ(client.bottom, 102);
    EXPECT_EQ(RectInParent(dialog->Button2->Handle()).left, 228);
    // Centred on the main window.
    RECT main, box;
    GetWindowRect(Form().Handle(), &main);
    GetWindowRect(dialog->Handle(), &box);
    EXPECT_EQ(box.left, main.left + (main.right - main.left) / 2 - (box.right - box.left) / 2);
    EXPECT_EQ(box.top, main.top + (main.bottom - main.top) / 2 - (box.bottom - box.top) / 2);
    EXPECT_FALSE(IsWindowEnabled(Form().Handle()));
    EXPECT_EQ(PdfPageCount(pdf), 3);
    Screenshot(dialog->Handle(), "gui-finished-dialog");

    // "PDFを起動" asks the shell to open the quoted output path, then closes.
    std::u16string opened;
    ShellOpenHook = [&](HWND, const std::u16string& file) { opened = file; };
    Click(*dialog->Button3);
    Pump();
    ShellOpenHook = nullptr;
    EXPECT_EQ(ui::Narrow(opened), "\"" + pdf + "\"");
    EXPECT_EQ(Form().Form2(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));

    // "フォルダを開く" shows the PDF in its folder, then closes.
    Click(*Form().Button4);
    std::u16string shown;
    ShellShowInFolderHook = [&](HWND, const std::u16string& file) { shown = file; };
    Click(*Form().Form2()->Button4);
    Pump();
    ShellShowInFolderHook = nullptr;
    EXPECT_EQ(ui::Narrow(shown), pdf);
    EXPECT_EQ(Form().Form2(), nullptr);
}

// "PDF作成" pressed as soon as a folder is dropped, before its listing
// landed, makes the PDF of that folder's files, not of an empty list.
TEST_F(RunTest, ARunStartedWhileTheFolderIsListedTakesItsFiles) {
    Open(FreshFolder("window-run-before"));
    SendMessageW(Form().Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropFiles({ui::Widen(folder)})), 0);
    ASSERT_TRUE(Form().ImgListView1->Model().Listing());
    Click(*Form().Button4);
    ASSERT_NE(Form().Form2(), nullptr);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(PdfPageCount(pdf), 3);
}

// A PDF the shell cannot open (here: deleted meanwhile) is reported with the
// system's reason, and the dialog stays.
TEST_F(RunTest, APdfTheShellCannotOpenIsReportedAndTheDialogStays) {
    Open(folder);
    Click(*Form().Button4);
    ASSERT_NE(Form().Form2(), nullptr);
    DeleteFileA(pdf.c_str());
    Click(*Form().Form2()->Button3);
    Pump();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind(Ansi("開けませんでした: ") + pdf + Ansi("\r\n原因: "), 0), 0u) << errors[0];
    EXPECT_NE(Form().Form2(), nullptr);
    Click(*Form().Form2()->Button2);
    Pump();
}

TEST_F(RunTest, StopFromTheDialogWritesNothingAndKeepsTheOldPdf) {
    WriteTextFile(pdf, "%PDF-1.2 the old one");
    Open(folder);
    const DuringRun stop([&] {
        ASSERT_NE(Form().Form2(), nullptr);
        EXPECT_EQ(TextOf(Form().Form2()->Handle()), Ansi("ＰＤＦ作成中...."));
        EXPECT_FALSE(Form().Form2()->Button2->Visible());
        Click(*Form().Form2()->Button1);
    });
    Click(*Form().Button4);
    Pump();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(infos, std::vector<std::string>{Ansi("中止しました")});
    EXPECT_EQ(ReadWholeFile(pdf), "%PDF-1.2 the old one");
    EXPECT_EQ(Form().Form2(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));
}

// A PDF that another program holds open (a viewer sharing no deletion) is
// found before any page is read: the box and the dialog's label name it and
// say so, the progress bar never moved, and the old PDF stays.
TEST_F(RunTest, APdfHeldOpenByAViewerIsReportedBeforeAnyPage) {
    WriteTextFile(pdf, "%PDF-1.2 the old one");
    const HANDLE viewer =
        CreateFileA(pdf.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    Open(folder);
    Click(*Form().Button4);
    Pump();
    CloseHandle(viewer);
    const std::string text = Ansi("ＰＤＦを作成できませんでした。\r\n書き込めないＰＤＦ: ") + pdf +
                             Ansi("\r\n原因: ＰＤＦが他のアプリで開かれています");
    EXPECT_EQ(errors, std::vector<std::string>{text});
    TForm2* dialog = Form().Form2();
    ASSERT_NE(dialog, nullptr);
    // The label wraps a long path (how long depends on where the tests run).
    EXPECT_EQ(Unwrapped(TextOf(dialog->StaticText1->Handle())), Unwrapped(text));
    EXPECT_EQ(dialog->ProgressBar1->Position(), 0);  // three files: 2 once they were read
    Click(*dialog->Button2);
    Pump();
    EXPECT_EQ(ReadWholeFile(pdf), "%PDF-1.2 the old one");
}

// The main window is enabled again as soon as the dialog closes; a second
// PDF作成 (a click, or an Enter already queued) while the stopped run unwinds
// starts nothing inside it.
TEST_F(RunTest, ClosingTheDialogDuringTheRunStopsItAndStartsNoSecondRun) {
    Open(folder);
    const DuringRun close([&] {
        SendMessageA(Form().Form2()->Handle(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(IsWindowEnabled(Form().Handle()));
        Click(*Form().Button4);
        EXPECT_EQ(Form().Form2(), nullptr);
    });
    Click(*Form().Button4);
    Pump();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(infos, std::vector<std::string>{Ansi("中止しました")});
    EXPECT_EQ(GetFileAttributesA(pdf.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));
}

// The keyboard answers the dialog: while the run goes on "強制終了" is the
// default button and has the focus, so Escape stops; at the end "閉じる"
// takes its place, with the focus.
TEST_F(RunTest, EscapeStopsTheRunAndAtTheEndClosesTheDialog) {
    WriteTextFile(pdf, "%PDF-1.2 the old one");
    Open(folder);
    const DuringRun escape([&] {
        TForm2* dialog = Form().Form2();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetFocus(), dialog->Button1->Handle());
        EXPECT_EQ(GetWindowLongA(dialog->Button1->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    Click(*Form().Button4);
    Pump();
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(infos, std::vector<std::string>{Ansi("中止しました")});
    EXPECT_EQ(ReadWholeFile(pdf), "%PDF-1.2 the old one");

    errors.clear();
    Click(*Form().Button4);
    TForm2* dialog = Form().Form2();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetFocus(), dialog->Button2->Handle());
    EXPECT_EQ(GetWindowLongA(dialog->Button2->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_FALSE(dialog->Button1->Visible());
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(Form().Form2(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(Form().Handle()));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(PdfPageCount(pdf), 3);
}

// Answers the next error box from another thread, as a user would, and
// keeps its text.
class BoxAnswerer {
public:
    BoxAnswerer()
        : thread_([this] {
              for (int i = 0; i < 500; ++i, Sleep(20)) {
                  HWND box = FindWindowA("#32770", Ansi("エラー").c_str());
                  if (!box) continue;
                  EnumChildWindows(box, &CollectText, reinterpret_cast<LPARAM>(&text_));
                  GetWindowRect(box, &rect_);
                  PostMessageA(box, WM_COMMAND, IDOK, 0);
                  return;
              }
          }) {}
    ~BoxAnswerer() { Text(); }
    std::string Text() {
        if (thread_.joinable()) thread_.join();
        return text_;
    }
    RECT Rect() {
        Text();
        return rect_;
    }

private:
    static BOOL CALLBACK CollectText(HWND child, LPARAM out) {
        if (ClassOf(child) == "Static" && !TextOf(child).empty()) *reinterpret_cast<std::string*>(out) = TextOf(child);
        return TRUE;
    }
    std::string text_;
    RECT rect_{};
    std::thread thread_;
};

RECT WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A failure leaves the dialog open, saying it failed, with "閉じる" and the
// main window disabled; the error box is the real one, and it and the
// dialog's label say which file could not be read and why, in Japanese with
// the reader's words after it. A long name is wrapped: both stay on the screen.
TEST_F(RunTest, AfterAFailureTheDialogSaysSoUntilItCloses) {
    const std::string name = "0-broken-" + std::string(150, 'x') + ".jpg";
    WriteTextFile(folder + "\\" + name, "not a JPEG at all");
    Open(folder);
    ui::Application().OnError = nullptr;
    RECT screen{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    for (const bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox ? "close box" : "閉じる");
        BoxAnswerer answer;
        Click(*Form().Button4);
        const std::string text = answer.Text();
        EXPECT_EQ(Unwrapped(text).rfind(Ansi("ＰＤＦを作成できませんでした。読み込めないファイル: ") + name +
                                            Ansi("原因: JPEG画像ではありません（JPEG error: Not a JPEG file"),
                                        0),
                  0u)
            << text;
        EXPECT_TRUE(Inside(answer.Rect(), screen));
        TForm2* dialog = Form().Form2();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(Unwrapped(TextOf(dialog->StaticText1->Handle())), Unwrapped(text));
        EXPECT_EQ(TextOf(dialog->Handle()), Ansi("ＰＤＦ作成失敗"));
        EXPECT_TRUE(Inside(WindowRectOf(dialog->Handle()), screen));
        const ui::TBounds label = dialog->StaticText1->Bounds();
        EXPECT_GE(label.Height, dialog->StaticText1->TextHeight(label.Width));  // the whole message shows
        EXPECT_TRUE(dialog->Button2->Visible());
        EXPECT_FALSE(dialog->Button1->Visible());
        EXPECT_FALSE(IsWindowEnabled(Form().Handle()));
        EXPECT_EQ(Form().PageControl1->ActivePageIndex(), 0);
        if (byCloseBox)
            SendMessageA(dialog->Handle(), WM_CLOSE, 0, 0);
        else
            Click(*dialog->Button2);
        Pump();
        EXPECT_EQ(Form().Form2(), nullptr);
        EXPECT_TRUE(IsWindowEnabled(Form().Handle()));
    }
    EXPECT_EQ(GetFileAttributesA(pdf.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(RunTest, SelectedRowsMakeTheirOwnPdfAndEndAMoveRegistration) {
    Open(folder);
    SelectOnly(1);
    Form().N4->SetEnabled(true);
    Form().N1->OnClick();
    EXPECT_FALSE(Form().N4->Enabled());
    ASSERT_NE(Form().Form2(), nullptr);
    EXPECT_EQ(TextOf(Form().Form2()->Handle()), Ansi("ＰＤＦ作成終了"));
    EXPECT_EQ(PdfPageCount(pdf), 1);
    Click(*Form().Form2()->Button2);
    Pump();

    // No row selected: nothing to put in a PDF, and no dialog.
    SelectOnly(-1);
    Form().N1->OnClick();
    EXPECT_EQ(errors, std::vector<std::string>{Ansi("画像が存在しません")});
    EXPECT_EQ(Form().Form2(), nullptr);
}

// The popup's turns, chosen with keys in the real menu after a right click:
// greyed with nothing selected; a turn belongs to the item (a text item
// takes none) and turns its page in the next PDF, "PDF作成" and the
// selected rows' alike.
TEST_F(RunTest, ThePopupTurnsTheSelectedPicturesAndTheirPages) {
    Open(folder);
    TForm1& f = Form();
    const HWND list = f.ImgListView1->Handle();
    const auto rightClick = [&](POINT at, std::vector<WPARAM> keys) {
        MenuSeen seen{.keys = std::move(keys)};
        WithOpenMenu(seen, [&] {
            // The list view waits for the button to come up before it tells of the click.
            PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        });
        return seen;
    };
    const auto pageSizes = [&](const std::string& file) {
        Click(*f.Form2()->Button2);
        Pump();
        const TPdfFacts facts = TPdfFacts::FromFile(file);
        std::vector<std::pair<int, int>> sizes;
        for (const int page : facts.Pages()) sizes.push_back(facts.PageSize(page));
        return sizes;
    };
    const std::vector<std::string> turns = {Ansi("右に90°回転"), Ansi("左に90°回転"), Ansi("回転を元に戻す")};
    TImgListItems& items = f.ImgListView1->ImgItems();

    RECT client;
    GetClientRect(list, &client);
    LVHITTESTINFO empty{.pt = {client.right - 4, client.bottom - 4}};
    ASSERT_EQ(ListView_HitTest(list, &empty), -1);
    SelectOnly(-1);
    const MenuSeen none = rightClick(empty.pt, {VK_ESCAPE});
    ASSERT_EQ(none.entries.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(none.entries.begin() + 5, none.entries.begin() + 8), turns);
    EXPECT_EQ(std::vector<bool>(none.grayed.begin() + 5, none.grayed.begin() + 8), std::vector<bool>(3, true));
    EXPECT_FALSE(none.grayed[9]);  // a blank page goes in without a chosen row (at the end)

    // Down: ＰＤＦ作成(選択画像), 画像移動（登録）, the greyed 画像移動（移動）, 右に90°回転.
    RECT jpeg;
    ListView_GetItemRect(list, 0, &jpeg, LVIR_BOUNDS);
    const MenuSeen right = rightClick({(jpeg.left + jpeg.right) / 2, (jpeg.top + jpeg.bottom) / 2},
                                      {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(std::vector<bool>(right.grayed.begin() + 5, right.grayed.begin() + 8), std::vector<bool>(3, false));
    EXPECT_EQ(items[0]->Turn, 1);
    // Left on all three: the JPEG back, the bitmap a quarter anticlockwise, the text as it was.
    for (int row = 0; row < 3; ++row) f.ImgListView1->SetSelected(row, true);
    f.N7->OnClick();
    f.N7->OnClick();
    f.N6->OnClick();
    EXPECT_EQ(std::vector<int>({items[0]->Turn, items[1]->Turn, items[2]->Turn}), std::vector<int>({0, 3, 0}));
    Click(*f.Button4);
    EXPECT_EQ(pageSizes(pdf), (std::vector<std::pair<int, int>>{{64, 48}, {24, 32}, {480, 680}}));

    SelectOnly(1);
    f.N8->OnClick();
    EXPECT_EQ(items[1]->Turn, 0);
    SelectOnly(0);
    f.N6->OnClick();
    f.N1->OnClick();
    EXPECT_EQ(pageSizes(pdf), (std::vector<std::pair<int, int>>{{48, 64}}));
}

TEST_F(RunTest, TheSaveFolderAndTheTypedNameDecideWhereThePdfGoes) {
    const std::string elsewhere = FreshFolder("window-run-save");
    Open(folder);
    SendMessageA(Form().CheckBox6->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    Form().StaticText2->SetText(elsewhere);
    Form().LabeledEdit6->SetText("book");
    // The typed name comes back from the folder's name; the hint says where
    // the PDF goes.
    Click(*Form().SpeedButton2);
    EXPECT_EQ(Form().LabeledEdit6->Text(), folder.substr(folder.find_last_of('\\') + 1));
    Click(*Form().SpeedButton1);
    EXPECT_EQ(Form().LabeledEdit6->Text(), "book");
    EXPECT_EQ(Form().LabeledEdit6->Hint(), ui::Widen(Ansi("保存先: ") + elsewhere + "\\book.pdf"));
    Click(*Form().Button4);
    Click(*Form().Form2()->Button2);
    Pump();
    EXPECT_EQ(PdfPageCount(elsewhere + "\\book.pdf"), 3);
    EXPECT_EQ(GetFileAttributesA(pdf.c_str()), INVALID_FILE_ATTRIBUTES);

    // A PDF that exists is replaced only after a はい: いいえ starts no run.
    EXPECT_TRUE(questions.empty());
    const std::string old = ReadWholeFile(elsewhere + "\\book.pdf");
    answer = false;
    Click(*Form().Button4);
    Pump();
    EXPECT_EQ(questions, std::vector<std::string>{Ansi("「book.pdf」は既にあります。\r\n置き換えますか？")});
    EXPECT_EQ(Form().Form2(), nullptr);
    EXPECT_EQ(ReadWholeFile(elsewhere + "\\book.pdf"), old);
    answer = true;
    Click(*Form().Button4);
    ASSERT_NE(Form().Form2(), nullptr);
    EXPECT_EQ(TextOf(Form().Form2()->Handle()), Ansi("ＰＤＦ作成終了"));
    Click(*Form().Form2()->Button2);
    Pump();
    EXPECT_EQ(questions.size(), 2u);
}

}  // namespace
}  // namespace pim::test

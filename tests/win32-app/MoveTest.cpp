// The main window's remaining actions: pictures moved with the popup's
// "画像移動（登録）" and "画像移動（移動）", folders and files dropped on the
// window, the save folder chosen in the browser, the folder labels opened.
#include "AppFixture.h"

#include <commctrl.h>

#include <thread>

#include "ProofWindow.h"
#include "app/MainModel.h"
#include "app/win32/ShellOpen.h"
#include "imagelist/FileFacts.h"

namespace pim::test {
namespace {

class MoveTest : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("moves");
        for (char c = 'a'; c <= 'h'; ++c) WriteTextFile(folder + "\\" + c + ".txt", std::string(1, c));
        Open(folder);
    }
    void Select(std::initializer_list<int> rows) {
        SelectOnly(-1);
        for (int row : rows) Form().ImgListView1->SetSelected(row, true);
    }
    std::string Order() {
        std::string order;
        for (const std::string& row : Rows()) order += row.front();
        return order;
    }
    std::string folder;
};

TEST_F(MoveTest, RegisteredRowsLandInTheirOrderAtTheChosenRow) {
    TForm1& f = Form();
    Select({5, 6});
    f.N3->OnClick();
    EXPECT_TRUE(f.N4->Enabled());
    Select({1});
    f.N4->OnClick();
    EXPECT_EQ(Order(), "afgbcdeh");
    EXPECT_FALSE(f.N4->Enabled());
    EXPECT_EQ(f.ImgListView1->SelCount(), 0);
    EXPECT_EQ(f.ImgListView1->ImgItems()[1]->DisplayName(), "f.txt");  // the page order follows

    // Towards the end: the registered pictures stay together and in order,
    // before the picture pointed at (d).
    Select({0, 1});
    f.N3->OnClick();
    Select({5});
    f.N4->OnClick();
    EXPECT_EQ(Order(), "gbcafdeh");
    // To the last row: before it.
    Select({0, 2});
    f.N3->OnClick();
    Select({7});
    f.N4->OnClick();
    EXPECT_EQ(Order(), "bafdegch");
    // The target registered itself: before the first row after it that is not.
    Select({6, 7});
    f.N3->OnClick();
    Select({6});
    f.N4->OnClick();
    EXPECT_EQ(Order(), "bafdegch");
    Select({0, 7});
    f.N3->OnClick();
    Select({7});
    f.N4->OnClick();  // nothing after it: the end
    EXPECT_EQ(Order(), "afdegcbh");
}

// Home and End go to the first and the last row. Shift+F10 and the menu key
// ask for the popup with WM_CONTEXTMENU at -1 (the system makes it of the
// keys; keyboard-e2e.sh presses them): the window's own menu opens on the
// focused row.
TEST_F(MoveTest, TheKeyboardReachesTheEndsOfTheListAndThePopup) {
    TForm1& f = Form();
    const HWND list = f.ImgListView1->Handle();
    SetFocus(list);
    const auto press = [&](WPARAM key) {
        SendMessageW(list, WM_KEYDOWN, key, 0);
        return ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    };
    EXPECT_EQ(press(VK_END), 7);
    EXPECT_EQ(press(VK_HOME), 0);
    EXPECT_EQ(press(VK_DOWN), 1);
    EXPECT_TRUE(f.ImgListView1->Selected(1));
    MenuSeen seen{.keys = {VK_ESCAPE}};
    WithOpenMenu(seen, [&] { SendMessageW(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1); });
    ASSERT_EQ(seen.entries.size(), 13u);
    EXPECT_EQ(seen.entries[5], Ansi("右に90°回転"));
    EXPECT_FALSE(seen.grayed[5]);
    EXPECT_EQ(seen.entries[8], "-");
    EXPECT_EQ(seen.entries[9], Ansi("白紙ページを挿入"));
    EXPECT_FALSE(seen.grayed[9]);
    RECT row;
    ListView_GetItemRect(list, 1, &row, LVIR_BOUNDS);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
    EXPECT_TRUE(PtInRect(&row, POINT{seen.place.left, seen.place.top}));
}

// "白紙ページを挿入" puts a blank item before the focused row (at the end
// when none has the focus), selected and focused: a white page in the list
// whose path is empty for the run. It moves like a picture (registered or
// dragged alone), takes no turn and no new name, is not counted in 画像合計,
// and Delete takes it out of the list without touching a file.
TEST_F(MoveTest, ABlankPageGoesBeforeTheFocusedRowMovesAndLeavesOnDelete) {
    TForm1& f = Form();
    TImgListView& view = *f.ImgListView1;
    const HWND list = view.Handle();
    auto pages = [&] {  // the rows, a blank one as "-"
        std::string order;
        for (const std::string& row : Rows()) order += row == Ansi("（白紙）") ? '-' : row.front();
        return order;
    };
    SelectOnly(2);
    f.N10->OnClick();
    EXPECT_EQ(pages(), "ab-cdefgh");
    EXPECT_EQ(view.SelCount(), 1);
    EXPECT_TRUE(view.Selected(2));
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 2);
    EXPECT_EQ(ListedFiles(view.ImgItems())[2], "");
    EXPECT_EQ(f.StatusBar1->PanelText(0), TotalStatusText(8));
    EXPECT_EQ(f.StatusBar1->PanelText(1), SelectedStatusText(1));
    EXPECT_EQ(ListView_EditLabel(list, 2), nullptr);
    // On the screen: a white page with a grey edge in the middle of its cell.
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT cell;
    ListView_GetItemRect(list, 2, &cell, LVIR_ICON);
    const HDC dc = GetDC(list);
    const int y = (cell.top + cell.bottom) / 2;
    int x = (cell.left + cell.right) / 2;
    EXPECT_EQ(GetPixel(dc, x, y), RGB(255, 255, 255));
    while (x > cell.left && GetPixel(dc, x, y) == RGB(255, 255, 255)) --x;
    EXPECT_EQ(GetPixel(dc, x, y), RGB(128, 128, 128));
    EXPECT_GT(x, cell.left + 6);  // inside the cell's frame
    ReleaseDC(list, dc);
    f.N6->OnClick();
    EXPECT_EQ(view.ImgItems()[2]->Turn, 0);

    // Registered with a picture and moved to the end, in their order.
    Select({2, 4});
    f.N3->OnClick();
    Select({8});
    f.N4->OnClick();
    EXPECT_EQ(pages(), "abcefg-dh");
    // Dragged alone to the front: nothing another program could take, and
    // over the list it lands where the pointer is.
    bool offered = true;
    view.DragDrop().RunDragLoop = [&](IDataObject* data, IDropSource* source, DWORD, DWORD*) {
        offered = OffersFiles(data);
        RECT r;
        ListView_GetItemRect(list, 0, &r, LVIR_BOUNDS);
        POINT p{r.left + 2, r.top + 2};  // its first half, whichever way rows run
        ClientToScreen(list, &p);
        SetCursorPos(p.x, p.y);
        source->QueryContinueDrag(FALSE, 0);
        return S_OK;
    };
    Select({6});
    RECT r;
    ListView_GetItemRect(list, 6, &r, LVIR_ICON);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    view.DragDrop().MouseMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    view.DragDrop().MouseMessage(WM_MOUSEMOVE, MK_LBUTTON, at + 30);
    EXPECT_FALSE(offered);
    EXPECT_EQ(pages(), "-abcefgdh");

    // Delete: the blank leaves the list; every file stays.
    Select({0});
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(pages(), "abcefgdh");
    for (char c = 'a'; c <= 'h'; ++c) EXPECT_TRUE(FileExists(folder + "\\" + c + ".txt")) << c;

    // Without a focused row: at the end. Without a folder: none.
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    f.N10->OnClick();
    EXPECT_EQ(pages(), "abcefgdh-");
    view.Model().LeaveFolder();
    MenuSeen seen{.keys = {VK_ESCAPE}};
    WithOpenMenu(seen, [&] { f.ImgListView1ContextPopup({0, 0}); });
    ASSERT_EQ(seen.entries.size(), 13u);
    EXPECT_EQ(std::vector<bool>(seen.grayed.begin() + 9, seen.grayed.end()),
              std::vector<bool>({true, false, true, true}));
    f.N10->OnClick();
    EXPECT_EQ(view.ImgItems().Count(), 0);
}

TEST_F(MoveTest, WithoutASelectedRowNothingIsRegisteredOrMoved) {
    TForm1& f = Form();
    Select({});
    f.N3->OnClick();
    EXPECT_FALSE(f.N4->Enabled());
    Select({2});
    f.N3->OnClick();
    Select({});
    f.N4->OnClick();
    EXPECT_EQ(Order(), "abcdefgh");
    EXPECT_TRUE(f.N4->Enabled());  // the registration stays
    // A registration whose rows are gone (the filter changed) moves only what is there.
    Click(*f.CheckBox5);
    Click(*f.CheckBox5);
    Select({0});
    f.N4->OnClick();
    EXPECT_EQ(Order(), "cabdefgh");
}

// Selected rows dragged with the left button and let go over the list land
// where the insertion mark showed, and stay selected; Escape, or a drop
// elsewhere, moves nothing.
TEST_F(MoveTest, DraggingSelectedRowsWithinTheListMovesThemWhereTheMarkShows) {
    TForm1& f = Form();
    TImgListView& view = *f.ImgListView1;
    const HWND list = view.Handle();
    auto lowerHalf = [&](int row) {  // screen point just above row+1
        RECT r;
        ListView_GetItemRect(list, row, &r, LVIR_BOUNDS);
        POINT p{(r.left + r.right) / 2, r.bottom - 3};
        ClientToScreen(list, &p);
        return p;
    };
    std::vector<HRESULT> answers;
    std::vector<std::pair<POINT, BOOL>> steps;  // the pointer and Escape; the last lets go
    TImgDragDrop::TInsertion shown;
    COLORREF bar = CLR_INVALID;  // the pixel where the mark shows
    view.DragDrop().RunDragLoop = [&](IDataObject*, IDropSource* source, DWORD, DWORD*) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            SetCursorPos(steps[i].first.x, steps[i].first.y);
            const bool last = i + 1 == steps.size();
            answers.push_back(source->QueryContinueDrag(steps[i].second, last ? 0 : MK_LBUTTON));
            if (i == 0) {
                shown = view.DragDrop().Insertion();
                POINT p = steps[0].first;
                ScreenToClient(list, &p);
                const HDC dc = GetDC(list);
                bar = GetPixel(dc, p.x, p.y + 2);
                ReleaseDC(list, dc);
            }
        }
        return S_OK;
    };
    auto drag = [&](std::vector<std::pair<POINT, BOOL>> path) {
        steps = std::move(path);
        answers.clear();
        RECT r;
        ListView_GetItemRect(list, 1, &r, LVIR_ICON);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        view.DragDrop().MouseMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        view.DragDrop().MouseMessage(WM_MOUSEMOVE, MK_LBUTTON, at + 30);
    };

    Select({1, 2});
    drag({{lowerHalf(5), FALSE}, {lowerHalf(5), FALSE}});
    EXPECT_EQ(shown.At, 6);
    EXPECT_EQ(shown.Row, 5);
    EXPECT_TRUE(shown.After);
    EXPECT_EQ(bar, GetSysColor(COLOR_HIGHLIGHT));
    ASSERT_EQ(answers, (std::vector<HRESULT>{S_OK, DRAGDROP_S_CANCEL}));  // ours: no one else takes the files
    EXPECT_EQ(Order(), "adefbcgh");
    EXPECT_EQ(view.ImgItems()[4]->DisplayName(), "b.txt");  // the page order follows
    EXPECT_EQ(view.SelCount(), 2);
    EXPECT_TRUE(view.Selected(4) && view.Selected(5));
    EXPECT_EQ(view.DragDrop().Insertion().At, -1);

    // Letting go outside the list, or Escape, moves nothing: the shell's
    // drag goes on as before. Near the right edge the columns scroll (the
    // list made narrower than its columns).
    RECT window;
    GetWindowRect(f.Handle(), &window);
    drag({{lowerHalf(0), FALSE}, {POINT{window.left + 5, window.bottom - 5}, FALSE}});
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers.back(), DRAGDROP_S_DROP);
    RECT area;
    GetClientRect(list, &area);
    SetWindowPos(list, nullptr, 0, 0, 200, area.bottom, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(list, &area);
    POINT edge{area.right - 4, area.bottom / 2};
    ClientToScreen(list, &edge);
    drag({{lowerHalf(0), FALSE}, {edge, FALSE}, {edge, TRUE}});
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers.back(), DRAGDROP_S_CANCEL);
    EXPECT_GT(GetScrollPos(list, SB_HORZ), 0);
    // The scroll ended: the list names every row again, not only the focused one.
    for (const std::string& row : Rows()) EXPECT_FALSE(row.empty());
    EXPECT_EQ(view.DragDrop().Insertion().Row, -1);
    std::string pages;
    for (int i = 0; i < view.ImgItems().Count(); ++i) pages += view.ImgItems()[i]->DisplayName().front();
    EXPECT_EQ(pages, "adefbcgh");
}

// A drop made inside the program, as the shell hands it over.
void Drop(HWND window, const std::vector<std::string>& paths) {
    std::vector<std::u16string> wide;
    for (const auto& p : paths) wide.push_back(ui::Widen(p));
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropFiles(wide)), 0);
}

TEST_F(MoveTest, ADroppedFileOpensItsFolderRollsTheWindowDownAndTheNamesFollow) {
    TForm1& f = Form();
    const std::string other = FreshFolder("dropped");
    WriteTextFile(other + "\\x.txt", "x");
    WriteTextFile(other + "\\y.txt", "y");
    Click(*f.SpeedButton2);  // "フォルダ名": the output name follows the folder
    SendMessageA(f.Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    RECT rolled;
    GetWindowRect(f.Handle(), &rolled);
    ASSERT_EQ(rolled.bottom - rolled.top, f.RolledHeight);

    Drop(f.Handle(), {other + "\\y.txt", folder});  // only the first counts
    RECT after;
    GetWindowRect(f.Handle(), &after);
    EXPECT_EQ(after.bottom - after.top, f.SavedHeight);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"x.txt", "y.txt"}));
    EXPECT_EQ(f.StatusBar1->PanelText(0), Ansi("画像合計：2"));
    EXPECT_EQ(TextOf(f.StaticText3->Handle()), other);
    EXPECT_EQ(TextOf(f.StaticText2->Handle()), other);
    EXPECT_EQ(TextOf(f.LabeledEdit6->Handle()), "dropped");

    // While "保存先変更" is ticked the save folder stays; unticked it follows.
    SendMessageA(f.CheckBox6->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    Drop(f.Handle(), {folder});
    EXPECT_EQ(TextOf(f.StaticText3->Handle()), folder);
    EXPECT_EQ(TextOf(f.StaticText2->Handle()), other);
    Click(*f.CheckBox6);
    EXPECT_EQ(TextOf(f.StaticText2->Handle()), folder);
}

TEST_F(MoveTest, CancellingTheFolderBrowserLeavesTheBoxUnticked) {
    TForm1& f = Form();
    std::thread cancel([] {
        for (int i = 0; i < 500; ++i, Sleep(20))
            if (HWND browser = FindWindowA("#32770", Ansi("フォルダーの参照").c_str());
                browser && IsWindowVisible(browser)) {
                Sleep(200);
                PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
                return;
            }
    });
    f.StaticText2->SetText("Z:\\somewhere");
    Click(*f.CheckBox6);
    cancel.join();
    EXPECT_FALSE(f.CheckBox6->Checked());
    EXPECT_EQ(TextOf(f.StaticText2->Handle()), folder);
}

TEST_F(MoveTest, TheSaveFolderIsChosenInTheFolderBrowser) {
    TForm1& f = Form();
    f.SelectFolderDialog1.SetSelectSpecialFolder(TSpecialFolder::sfPersonal);
    std::thread ok([] {
        for (int i = 0; i < 500; ++i, Sleep(20))
            if (HWND browser = FindWindowA("#32770", Ansi("フォルダーの参照").c_str());
                browser && IsWindowVisible(browser)) {
                Sleep(200);
                PostMessageA(browser, WM_COMMAND, IDOK, 0);
                return;
            }
    });
    Click(*f.CheckBox6);
    ok.join();
    EXPECT_TRUE(f.CheckBox6->Checked());
    const std::string chosen = TextOf(f.StaticText2->Handle());
    EXPECT_NE(chosen, folder);
    EXPECT_EQ(chosen, f.SelectFolderDialog1.SelectedPath());
    EXPECT_NE(chosen.find("Documents"), std::string::npos);
    // A drop changes the image folder; the chosen save folder stays.
    WriteTextFile(folder + "\\z.txt", "z");
    SendMessageA(f.Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    SendMessageA(f.Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    f.UpdateStatus();
    EXPECT_EQ(TextOf(f.StaticText2->Handle()), chosen);
}

// "参照...": the browser opens on the image folder (OK at once keeps it);
// another folder chosen there is taken as a dropped one.
TEST_F(MoveTest, BrowseChoosesTheImageFolderStartingAtTheCurrentOne) {
    TForm1& f = Form();
    const std::string other = FreshFolder("moves-other");
    WriteTextFile(other + "\\x.txt", "x");
    const auto answer = [](const std::string& choose) {
        return std::thread([choose] {
            for (int i = 0; i < 500; ++i, Sleep(20))
                if (HWND browser = FindWindowA("#32770", Ansi("フォルダーの参照").c_str());
                    browser && IsWindowVisible(browser)) {
                    Sleep(200);
                    if (!choose.empty())
                        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(choose.c_str()));
                    PostMessageA(browser, WM_COMMAND, IDOK, 0);
                    return;
                }
        });
    };
    std::thread keep = answer("");
    Click(*f.Button7);
    keep.join();
    EXPECT_EQ(TextOf(f.StaticText3->Handle()), folder);
    EXPECT_EQ(Rows().size(), 8u);

    std::thread change = answer(other);
    Click(*f.Button7);
    change.join();
    EXPECT_EQ(TextOf(f.StaticText3->Handle()), other);
    EXPECT_EQ(Rows(), std::vector<std::string>{"x.txt"});
    EXPECT_EQ(f.StatusBar1->PanelText(0), Ansi("画像合計：1"));
}

TEST_F(MoveTest, DoubleClickOnEitherFolderLabelOpensTheImageFolder) {
    std::vector<std::string> opened;
    ShellOpenHook = [&](HWND, const std::u16string& path) { opened.push_back(ui::Narrow(path)); };
    SendMessageA(Form().StaticText3->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(Form().StaticText2->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    ShellOpenHook = nullptr;
    EXPECT_EQ(opened, (std::vector<std::string>{"\"" + folder + "\"", "\"" + folder + "\""}));
}

}  // namespace
}  // namespace pim::test

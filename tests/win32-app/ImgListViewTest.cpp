// The thumbnail list on its own: cell layout, thumbnails made off the GUI
// thread and drawn in their frames, icons for kinds without thumbnails,
// column sorting, the selection keys, and following the folder.
#include "AppFixture.h"

#include <commctrl.h>

#include "ProofWindow.h"

namespace pim::test {
namespace {

class ImgListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = FreshFolder("list-view");
        WriteBmpFile(folder + "\\a-red.bmp", 60, 40, RGB(220, 0, 0));
        WriteJpegFile(folder + "\\b-blue.jpg", 400, 300, RGB(0, 0, 230));
        WriteTextFile(folder + "\\c-notes.txt", "memo\r\n");
        form.ShowForm();
    }
    // land: the folder's listing is waited for.
    TImgListView& Make(ui::TViewStyle style, bool land = true) {
        list = std::make_unique<TImgListView>(TImgListView::Params{.Parent = &form,
                                                                   .Bounds = {0, 0, 640, 360},
                                                                   .ViewStyle = style,
                                                                   .IconStyle = TIconStyle::iisImage,
                                                                   .MultiSelect = true});
        list->DispTypes().SetFolders(false);
        list->Setup();
        list->SetFolderPath(folder);
        if (land) list->Model().FinishListing();
        return *list;
    }
    // Pumps until every item's picture is settled.
    void Settle() {
        for (int i = 0; i < 200; ++i) {
            bool settled = true;
            for (int k = 0; k < list->ImgItems().Count(); ++k) settled = settled && list->ImgItems()[k]->Resolved;
            if (settled && !list->Threads().Busy()) break;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            ui::Application().ProcessMessages();
        }
        RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ui::Application().ProcessMessages();
    }
    std::vector<std::string> Rows() {
        list->Model().FinishListing();
        std::vector<std::string> rows;
        for (int i = 0; i < ListView_GetItemCount(list->Handle()); ++i) {
            char text[MAX_PATH] = {};
            ListView_GetItemText(list->Handle(), i, 0, text, sizeof text);
            rows.emplace_back(text);
        }
        return rows;
    }
    COLORREF ScreenPixel(int x, int y) {
        HDC dc = GetDC(list->Handle());
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(list->Handle(), dc);
        return c;
    }

    ui::TForm form{{.Caption = "list view", .ClientWidth = 640, .ClientHeight = 360}};
    std::unique_ptr<TImgListView> list;
    std::string folder;
};

TEST_F(ImgListViewTest, CellsAreTheBoxWithItsFramesAndIconViewSpacesThem) {
    TImgListView& view = Make(ui::TViewStyle::vsIcon);
    EXPECT_EQ(view.CellSize().Width, 100);
    EXPECT_EQ(view.CellSize().Height, 100);
    int w = 0, h = 0;
    ImageList_GetIconSize(ListView_GetImageList(view.Handle(), LVSIL_NORMAL), &w, &h);
    EXPECT_EQ(w, 84);
    EXPECT_EQ(h, 96);
    const DWORD spacing = ListView_GetItemSpacing(view.Handle(), FALSE);
    EXPECT_EQ(LOWORD(spacing), 115);
    EXPECT_EQ(HIWORD(spacing), 132);
    // A blank space of 5 on the left widens the cell.
    view.ViewImage().BlankSpace().SetLeft(5);
    EXPECT_EQ(view.CellSize().Width, 105);
}

TEST_F(ImgListViewTest, ThumbnailsArriveFromTheWorkerAndTextWithoutThumbnailsGetsItsIcon) {
    TImgListView& view = Make(ui::TViewStyle::vsList);
    view.ViewImage().SetDispImage(kAllImageTypes & ~DispImageOf(TImageType::iitTxt));
    ASSERT_EQ(Rows(), (std::vector<std::string>{"a-red.bmp", "b-blue.jpg", "c-notes.txt"}));
    Settle();
    TImgListItems& items = view.ImgItems();
    EXPECT_GE(items[0]->ThumbIndex, 0);
    EXPECT_EQ(items[1]->SourceWidth, 400);  // made from the whole picture
    EXPECT_GE(items[1]->ThumbIndex, 0);
    EXPECT_LT(items[2]->ThumbIndex, 0);  // a text file here gets its shell icon
    EXPECT_GE(items[2]->SmallIconIndex, 0);
    // On the screen: each picture in the middle of its cell.
    for (int row : {0, 1}) {
        RECT icon;
        ASSERT_TRUE(ListView_GetItemRect(view.Handle(), row, &icon, LVIR_ICON));
        const COLORREF middle = ScreenPixel((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
        const COLORREF want = row == 0 ? RGB(220, 0, 0) : RGB(0, 0, 230);  // the JPEG within its loss
        EXPECT_NEAR(GetRValue(middle), GetRValue(want), 6) << "row " << row;
        EXPECT_NEAR(GetGValue(middle), GetGValue(want), 6) << "row " << row;
        EXPECT_NEAR(GetBValue(middle), GetBValue(want), 6) << "row " << row;
    }
    // A selected row has the 3-pixel frame in the highlight colour; the
    // others the 1-pixel frame in the inactive-border colour, inside it.
    view.SetSelected(0, true);
    SetFocus(view.Handle());
    RedrawWindow(view.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT cell0, cell1;
    ListView_GetItemRect(view.Handle(), 0, &cell0, LVIR_ICON);
    ListView_GetItemRect(view.Handle(), 1, &cell1, LVIR_ICON);
    const int mid0 = (cell0.top + cell0.bottom) / 2;
    for (int x = 0; x < 3; ++x) EXPECT_EQ(ScreenPixel(cell0.left + x, mid0), GetSysColor(COLOR_HIGHLIGHT)) << x;
    EXPECT_NE(ScreenPixel(cell0.left + 3, mid0), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_FALSE(view.Selected(1));
    EXPECT_EQ(view.SelCount(), 1);
    EXPECT_EQ(ScreenPixel(cell1.left + 2, (cell1.top + cell1.bottom) / 2), GetSysColor(COLOR_INACTIVEBORDER));
    WriteBmp(CaptureWindow(form.Handle()), OutputPath("gui-thumbnails.bmp"));
}

TEST_F(ImgListViewTest, ColumnClicksSortAndKeysSelect) {
    TImgListView& view = Make(ui::TViewStyle::vsReport);
    const char* const captions[] = {"名前", "サイズ", "ファイルの種類", "更新日時"};
    for (int i = 0; i < 4; ++i) {
        char text[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(view.Handle(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_EQ(std::string(text), Ansi(captions[i]));
    }
    NMLISTVIEW click{};
    click.hdr = {view.Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(view.Handle())), static_cast<UINT>(LVN_COLUMNCLICK)};
    click.iSubItem = 1;  // "サイズ"
    SendMessageA(form.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(view.SortType(), TSortTypeEx::istSize);
    EXPECT_FALSE(view.Descend());
    SendMessageA(form.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(view.Descend());
    view.DefaultExec().SetColumnSort(false);
    click.iSubItem = 0;
    SendMessageA(form.Handle(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(view.SortType(), TSortTypeEx::istSize);

    SetFocus(view.Handle());
    const auto press = [&](BYTE key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageA(view.Handle(), WM_KEYDOWN, key, 0);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    press('A');
    EXPECT_EQ(view.SelCount(), 3);
    view.SetSelected(0, false);
    press('I');
    EXPECT_EQ(view.SelCount(), 1);
    EXPECT_TRUE(view.Selected(0));
}

// The folder is entered at once; its rows come with the message the
// listing's thread posts, and only the last folder asked for lands.
TEST_F(ImgListViewTest, RowsArriveWhenTheListingOfTheLastFolderAskedForEnds) {
    const std::string other = FreshFolder("list-view-other");
    WriteTextFile(other + "\\other.txt", "x");
    TImgListView& view = Make(ui::TViewStyle::vsList, false);
    int changes = 0;
    view.OnListChanged = [&] { ++changes; };
    view.SetFolderPath(other);
    view.SetFolderPath(folder);
    EXPECT_TRUE(view.Model().Listing());
    EXPECT_EQ(ListView_GetItemCount(view.Handle()), 0);
    for (int i = 0; i < 250 && view.Model().Listing(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        ui::Application().ProcessMessages();
    }
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a-red.bmp", "b-blue.jpg", "c-notes.txt"}));
    EXPECT_EQ(changes, 1);
}

TEST_F(ImgListViewTest, AChangeInTheFolderIsListedAndKeepsAManualOrder) {
    TImgListView& view = Make(ui::TViewStyle::vsList);
    ASSERT_TRUE(view.Watching());
    view.ImgItems().Move(2, 0);
    view.Repaint();
    ASSERT_EQ(Rows().front(), "c-notes.txt");
    ASSERT_TRUE(MoveFileA((folder + "\\a-red.bmp").c_str(), (folder + "\\d-red.bmp").c_str()));
    for (int i = 0; i < 100 && Rows().size() == 3 && Rows()[1] != "d-red.bmp"; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        ui::Application().ProcessMessages();
    }
    // d goes right after c, the item before it in name order.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"c-notes.txt", "d-red.bmp", "b-blue.jpg"}));
    // Leaving for a folder without a path (the desktop) stops watching.
    view.Model().EnterDesktop();
    EXPECT_FALSE(view.Watching());
}

// One long name must not widen every column: it is cut with "…", and
// resting on its row shows it whole as the list's hint.
TEST_F(ImgListViewTest, TheListColumnFitsTheWidestNameUpToALimitAndACutNameIsTheHint) {
    for (int i = 0; i < 60; ++i) WriteTextFile(folder + "\\n" + std::to_string(100 + i) + ".txt", "x");
    const std::string late = "zz-a-longer-name.txt";
    const std::string huge = "zzz-" + std::string(180, 'w') + ".txt";
    WriteTextFile(folder + "\\" + late, "x");
    WriteTextFile(folder + "\\" + huge, "x");
    TImgListView& view = Make(ui::TViewStyle::vsList);
    HDC dc = GetDC(view.Handle());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(view.Handle(), WM_GETFONT, 0, 0)));
    SIZE first{}, last{}, whole{};
    GetTextExtentPoint32A(dc, "c-notes.txt", 11, &first);
    GetTextExtentPoint32A(dc, late.c_str(), static_cast<int>(late.size()), &last);
    GetTextExtentPoint32A(dc, huge.c_str(), static_cast<int>(huge.size()), &whole);
    SelectObject(dc, old);
    ReleaseDC(view.Handle(), dc);
    const int icon = view.CellSize().Width;

    // The first screen's step is posted, so it comes before the first paint;
    // the rest waits for the timer.
    MSG msg;
    while (PeekMessageW(&msg, view.Handle(), WM_APP, 0xBFFF, PM_REMOVE)) DispatchMessageW(&msg);
    const int firstWidth = ListView_GetColumnWidth(view.Handle(), 0);
    EXPECT_GE(firstWidth, first.cx + icon);
    EXPECT_LT(firstWidth, last.cx + icon);
    for (int i = 0; i < 100 && ListView_GetColumnWidth(view.Handle(), 0) == firstWidth; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        ui::Application().ProcessMessages();
    }
    const int count = view.ImgItems().Count();
    ASSERT_EQ(Rows()[count - 2], late);
    ASSERT_EQ(Rows()[count - 1], huge);
    RECT label{LVIR_LABEL};
    ASSERT_TRUE(ListView_GetItemRect(view.Handle(), count - 2, &label, LVIR_LABEL));
    EXPECT_GE(label.right - label.left, last.cx);
    EXPECT_LT(ListView_GetColumnWidth(view.Handle(), 0), whole.cx / 2);

    const auto restOn = [&](int row) {
        ListView_EnsureVisible(view.Handle(), row, FALSE);
        RECT r{LVIR_LABEL};
        ListView_GetItemRect(view.Handle(), row, &r, LVIR_LABEL);
        SendMessageW(view.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        return view.ShowHint ? ui::Narrow(view.Hint()) : std::string("(none)");
    };
    EXPECT_EQ(restOn(count - 1), huge);
    EXPECT_EQ(restOn(count - 2), "(none)");  // shown whole
    EXPECT_EQ(restOn(count - 1), huge);
}

}  // namespace
}  // namespace pim::test

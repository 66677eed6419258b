// The main window's list while other programs change its folder: what the
// user made of the list (order, selection, thumbnails, a label being edited)
// survives, bursts of changes cost one refresh, pictures that cannot be
// decoded are settled once, the counts follow the list, and the watcher
// follows the folder when it is deleted, made again or renamed.
#include "AppFixture.h"

#include <commctrl.h>

#include "app/MainModel.h"
#include "tests/app/SortFolder.h"

namespace pim::test {
namespace {

class ListRefreshTest : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("refresh");
    }
    TImgListView& List() { return *Form().ImgListView1; }
    // Pumps messages until done() or ms pass; false on the time-out.
    template <typename Done>
    bool WaitFor(Done done, int ms = 5000) {
        const DWORD start = GetTickCount();
        while (!done()) {
            if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        return true;
    }
    // Every picture settled and no refresh waiting.
    bool Settled() {
        TImgListItems& items = List().ImgItems();
        for (int i = 0; i < items.Count(); ++i)
            if (!items[i]->Resolved) return false;
        return !List().Threads().Busy() && !List().RefreshPending();
    }
    void Settle() {
        // Paint, so that every row asks for its picture.
        RedrawWindow(List().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ASSERT_TRUE(WaitFor([&] { return Settled(); }, 20000));
    }
    void Select(std::initializer_list<int> rows) {
        SelectOnly(-1);
        for (int row : rows) List().SetSelected(row, true);
    }
    std::vector<int> SelectedRows() {
        std::vector<int> rows;
        for (int row = 0; row < List().RowCount(); ++row)
            if (List().Selected(row)) rows.push_back(row);
        return rows;
    }
    // A status panel's text in UTF-8, as the expectations are written.
    std::string Panel(int index) {
        Listed();
        return AnsiToUtf8(Form().StatusBar1->PanelText(index));
    }
    std::string folder;
};

TEST_F(ListRefreshTest, AChangeKeepsTheUsersOrderSelectionAndThumbnails) {
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "h.jpg"})
        WriteJpegFile(folder + "\\" + name, 64, 48, RGB(0, 90, 200));
    Open(folder);
    Settle();
    TForm1& f = Form();
    // The user's order: h, then the rest; b and h selected.
    Select({3});
    f.N3->OnClick();
    Select({0});
    f.N4->OnClick();
    ASSERT_EQ(Rows(), (std::vector<std::string>{"h.jpg", "b.jpg", "d.jpg", "f.jpg"}));
    Select({0, 1});
    const int thumbB = List().ImgItems()[1]->ThumbIndex;
    ASSERT_GE(thumbB, 0);
    int loads = 0;
    List().OnImageLoad = [&](TImgListItem&) { ++loads; };
    int changes = 0;
    List().OnListChanged = [&] {
        ++changes;
        f.ImgListView1ListChanged();
    };

    WriteJpegFile(folder + "\\e.jpg", 64, 48, RGB(200, 0, 0));
    WriteTextFile(folder + "\\c.txt", "c");
    ASSERT_TRUE(DeleteFileA((folder + "\\f.jpg").c_str()));
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 5; }));
    Settle();
    // h keeps its place; each new file goes right after the item before it
    // in name order; f left.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"h.jpg", "b.jpg", "c.txt", "d.jpg", "e.jpg"}));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
    EXPECT_EQ(List().ImgItems()[1]->ThumbIndex, thumbB);  // not made again
    EXPECT_EQ(loads, 2);                                  // only the new files were decoded
    EXPECT_EQ(changes, 1);                                // one refresh for the burst
    EXPECT_EQ(Panel(0), "画像合計：5");
    EXPECT_EQ(Panel(1), "選択合計：2");

    // A PDF of the program's own in the folder changes nothing.
    changes = 0;
    WriteTextFile(folder + "\\out.pdf", "%PDF-1.4");
    Sleep(400);
    Pump();
    EXPECT_TRUE(WaitFor([&] { return !List().RefreshPending(); }));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Rows().front(), "h.jpg");

    // A file deleted under the selection: the count follows.
    ASSERT_TRUE(DeleteFileA((folder + "\\b.jpg").c_str()));
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 4; }));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{0}));
    EXPECT_EQ(Panel(0), "画像合計：4");
    EXPECT_EQ(Panel(1), "選択合計：1");
    // Sorting ends the user's order.
    Pick(*f.ComboBox2, 1);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"h.jpg", "e.jpg", "d.jpg", "c.txt"}));
}

TEST_F(ListRefreshTest, ABurstOfChangesIsListedOnceItSettles) {
    for (int i = 0; i < 5; ++i) WriteTextFile(folder + "\\base" + std::to_string(i) + ".txt", "x");
    Open(folder);
    int changes = 0;
    List().OnListChanged = [&] { ++changes; };
    const DWORD start = GetTickCount();
    // Changes for 1.5 seconds, one every 50 ms: never 200 ms of quiet.
    for (int i = 0; i < 30; ++i) {
        WriteTextFile(folder + "\\burst" + std::to_string(i) + ".txt", "x");
        const DWORD until = start + 50 * static_cast<DWORD>(i + 1);
        while (static_cast<LONG>(GetTickCount() - until) < 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            Pump();
        }
    }
    // Never starved: at least one refresh while the changes went on, at most
    // one a second.
    EXPECT_GE(changes, 1);
    EXPECT_LE(changes, 2);
    ASSERT_TRUE(WaitFor([&] { return !List().RefreshPending() && Rows().size() == 35; }));
    EXPECT_LE(changes, 3);
}

TEST_F(ListRefreshTest, APictureThatCannotBeDecodedIsSettledOnce) {
    WriteJpegFile(folder + "\\good1.jpg", 64, 48, RGB(0, 160, 0));
    WriteTextFile(folder + "\\empty.jpg", "");
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919 + 13) % 251);
    WriteTextFile(folder + "\\noise.jpg", noise);
    // A BMP that declares 100000 x 100000 pixels.
    std::string bmp(54, '\0');
    auto put = [&](int at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) bmp[static_cast<std::size_t>(at + k)] = static_cast<char>(v >> (8 * k));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, 54);
    put(10, 54);
    put(14, 40);
    put(18, 100000);
    put(22, 100000);
    bmp[26] = 1;
    bmp[28] = 24;
    WriteTextFile(folder + "\\huge.bmp", bmp);
    WriteJpegFile(folder + "\\good2.jpg", 64, 48, RGB(0, 160, 0));
    Open(folder);
    int loads = 0;
    List().OnImageLoad = [&](TImgListItem&) { ++loads; };
    Settle();
    const int settled = loads;
    EXPECT_LE(settled, 5);
    // Painting again and again asks for nothing more.
    for (int k = 0; k < 10; ++k) RedrawWindow(List().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(200);
    Pump();
    EXPECT_EQ(loads, settled);
    EXPECT_FALSE(List().Threads().Busy());
    TImgListItems& items = List().ImgItems();
    for (int i = 0; i < items.Count(); ++i) {
        const std::string name = items[i]->DisplayName();
        EXPECT_TRUE(items[i]->Resolved) << name;
        if (name.rfind("good", 0) == 0) {
            EXPECT_GE(items[i]->ThumbIndex, 0) << name;
        } else {
            EXPECT_LT(items[i]->ThumbIndex, 0) << name;
        }
    }
    Screenshot(Form().Handle(), "gui-bad-pictures");
    // Saved again as a good picture (deleted and written anew, as programs
    // save), the file is made again.
    ASSERT_TRUE(DeleteFileA((folder + "\\empty.jpg").c_str()));
    WriteJpegFile(folder + "\\empty.jpg", 64, 48, RGB(0, 0, 200));
    ASSERT_TRUE(WaitFor([&] { return loads > settled; }));
    Settle();
    for (int i = 0; i < items.Count(); ++i) {
        if (items[i]->DisplayName() == "empty.jpg") {
            EXPECT_GE(items[i]->ThumbIndex, 0);
        }
    }
}

// The rename race: a label is being edited when another program changes the
// folder. The rename goes to the file whose label was edited, or nowhere.
TEST_F(ListRefreshTest, ARenameGoesToTheEditedFileOrNowhere) {
    for (const char* name : {"b1.jpg", "b2.jpg", "b3.jpg"})
        WriteJpegFile(folder + "\\" + name, 32, 32, RGB(90, 90, 90));
    Open(folder);
    HWND list = List().Handle();
    auto edit = [&](int row, const char* text) {
        Select({row});
        SetFocus(list);
        ListView_SetItemState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageA(list, WM_KEYDOWN, VK_F2, 0);  // as the user starts it
        HWND box = ListView_GetEditControl(list);
        EXPECT_TRUE(box);
        if (box) SetWindowTextA(box, text);
        return box;
    };
    auto enter = [&](HWND box) {
        if (IsWindow(box)) SendMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
        Pump();
    };

    // A file added before the edited row: the row under the edit box now
    // holds b2; the edit ends and nothing is renamed.
    HWND box = edit(2, "renamed.jpg");
    WriteJpegFile(folder + "\\a0.jpg", 32, 32, RGB(90, 90, 90));
    List().RefreshFolder();  // what the change's refresh does
    Listed();
    EXPECT_FALSE(ListView_GetEditControl(list));
    enter(box);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a0.jpg", "b1.jpg", "b2.jpg", "b3.jpg"}));

    // A file added after it: the edit stays, and Enter renames b3 itself.
    box = edit(3, "renamed.jpg");
    WriteJpegFile(folder + "\\z9.jpg", 32, 32, RGB(90, 90, 90));
    List().RefreshFolder();
    Listed();
    ASSERT_TRUE(ListView_GetEditControl(list));
    enter(box);
    EXPECT_TRUE(GetFileAttributesA((folder + "\\renamed.jpg").c_str()) != INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((folder + "\\b3.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA((folder + "\\b2.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    // The renamed row keeps its place and its selection.
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a0.jpg", "b1.jpg", "b2.jpg", "renamed.jpg", "z9.jpg"}));
    EXPECT_EQ(SelectedRows(), (std::vector<int>{3}));
    ASSERT_TRUE(WaitFor([&] { return !List().RefreshPending(); }));
    EXPECT_EQ(Rows()[3], "renamed.jpg");

    // A name taken says so; not a name gives the system's reason; nothing changes.
    ASSERT_TRUE(errors.empty());
    enter(edit(1, "b2.jpg"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Ansi("「b2.jpg」という名前は既に使われています。"));
    enter(edit(1, "a/b.jpg"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_FALSE(errors[1].empty());
    EXPECT_NE(errors[1], errors[0]);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a0.jpg", "b1.jpg", "b2.jpg", "renamed.jpg", "z9.jpg"}));
    EXPECT_NE(GetFileAttributesA((folder + "\\b1.jpg").c_str()), INVALID_FILE_ATTRIBUTES);

    // An extension changed or dropped is asked about first; いいえ keeps the name.
    answer = false;
    enter(edit(1, "b1.png"));
    enter(edit(1, "b1"));
    const std::string question = Ansi("拡張子を変更すると、ファイルが使えなくなる可能性があります。\r\n変更しますか？");
    EXPECT_EQ(questions, std::vector<std::string>(2, question));
    EXPECT_NE(GetFileAttributesA((folder + "\\b1.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(errors.size(), 2u);
}

// Renamed away and back, from elsewhere. (Deleted and made again is driven
// from outside Wine by gui-e2e.sh: a folder deleted inside Wine stays until
// the last handle on it, the watcher's, is closed, as on Windows.)
TEST_F(ListRefreshTest, TheWatcherFollowsTheFolderWhenItGoesAndComesBack) {
    for (const char* name : {"p1.jpg", "p2.jpg", "p3.jpg"})
        WriteJpegFile(folder + "\\" + name, 32, 32, RGB(10, 10, 10));
    Open(folder);
    ASSERT_EQ(Rows().size(), 3u);
    ASSERT_TRUE(List().Watching());
    // The window made the folder its current directory, which Windows will
    // not let go: the other program works from the parent folder.
    const std::string parent = folder.substr(0, folder.find_last_of('\\'));
    const std::string away = folder + "-away";
    RemoveDirectoryA(away.c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(parent.c_str()));
    ASSERT_TRUE(MoveFileA(folder.c_str(), away.c_str())) << GetLastError();
    // Gone: the list empties, the status bar says so, and PDF作成 finds no pictures.
    ASSERT_TRUE(WaitFor([&] { return List().FolderMissing(); }));
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(List().Watching());
    EXPECT_EQ(Panel(0), "画像合計：0");
    EXPECT_EQ(Panel(2), text::StatusNoFolder.view());
    Click(*Form().Button4);
    Pump();
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), std::string(kMsgNoImages));
    // There again: watched and listed again.
    ASSERT_TRUE(MoveFileA(away.c_str(), folder.c_str())) << GetLastError();
    ASSERT_TRUE(WaitFor([&] { return !List().FolderMissing() && Rows().size() == 3; }));
    EXPECT_EQ(Panel(2), "");
    EXPECT_TRUE(List().Watching());
    for (int i = 4; i <= 9; ++i) WriteJpegFile(folder + "\\p" + std::to_string(i) + ".jpg", 32, 32, RGB(10, 10, 10));
    ASSERT_TRUE(WaitFor([&] { return Rows().size() == 9; }));
    EXPECT_EQ(Panel(0), "画像合計：9");
}

// The sort boxes give the order pim gives on Linux and pim.exe under Wine.
TEST_F(ListRefreshTest, TheSortBoxesGiveTheProgramsOwnOrder) {
    MakeSortFolder(folder);
    Open(folder);
    TForm1& f = Form();
    const char* const keys[] = {"name", "date", "size", "type"};  // the box's items, in order
    for (int index = 0; index < 4; ++index) {
        Pick(*f.ComboBox1, index);
        const std::vector<std::string> names = SortedNames(keys[index]);
        EXPECT_EQ(Rows(), names) << keys[index];
        Pick(*f.ComboBox2, 1);
        EXPECT_EQ(Rows(), std::vector<std::string>(names.rbegin(), names.rend())) << keys[index];
        Pick(*f.ComboBox2, 0);
    }
}

TEST_F(ListRefreshTest, TheCountsFollowFiltersAndSorts) {
    for (const char* name : {"a.jpg", "b.jpg", "c.txt"}) WriteTextFile(folder + "\\" + name, "x");
    Open(folder);
    TForm1& f = Form();
    Select({0, 1, 2});
    EXPECT_EQ(Panel(1), "選択合計：3");
    Click(*f.CheckBox5);  // "txt" off: the rebuild clears the selection
    EXPECT_EQ(Panel(0), "画像合計：2");
    EXPECT_EQ(Panel(1), "選択合計：0");
    Click(*f.CheckBox3);
    EXPECT_EQ(Panel(0), "画像合計：0");
    Click(*f.CheckBox3);
    Click(*f.CheckBox5);
    EXPECT_EQ(Panel(0), "画像合計：3");
    Pick(*f.ComboBox1, 2);
    EXPECT_EQ(Panel(0), "画像合計：3");
}

}  // namespace
}  // namespace pim::test

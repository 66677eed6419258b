// The main window read back through the Win32 API against its table of
// controls, then driven with real messages: type filter, sorting, output
// name, roll-up, status counts.
#include "AppFixture.h"

#include <commctrl.h>
#include "app/MainModel.h"
#include "base/win32/WideNames.h"

namespace pim::test {
namespace {

constexpr int kAny = -1;

struct ControlRow {
    const char* name;
    HWND handle;
    const char* className;
    std::string text;
    int checked = kAny;  // BM_GETCHECK for check boxes and speed buttons
};

class MainWindowTest : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        folder = FreshFolder("main-window");
        WriteJpegFile(folder + "\\b-photo.jpg", 40, 30, RGB(200, 30, 30));
        WriteBmpFile(folder + "\\a-picture.bmp", 120, 90, RGB(30, 200, 30));
        WriteTextFile(folder + "\\c-notes.txt", "memo\r\n");
        WritePngFile(folder + "\\d-shot.png", 50, 40, RGB(30, 30, 200), 128);
        WriteTextFile(folder + "\\d-other.dat", "not listed");
        Open(folder);
    }
    std::string folder;
};

// The visible windows directly inside `parent`.
std::vector<HWND> VisibleChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child)) children.push_back(child);
    return children;
}

std::string NameOf(HWND window) {
    const ui::TWindow* object = ui::TWindow::FromHandle(window);
    return object && !object->Name.empty() ? object->Name : ClassOf(window) + " \"" + TextOf(window) + "\"";
}

// The width the window's caption needs in its own font, with what the
// control draws beside it (a check box's box, a button's edges).
int CaptionWidthNeeded(HWND window) {
    const std::string text = TextOf(window);
    if (text.empty()) return 0;
    const std::u16string wide = AnsiToUtf16(text);
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(wide.c_str()), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    if (_stricmp(ClassOf(window).c_str(), "Button") != 0) return size.cx;
    switch (style & BS_TYPEMASK) {
        case BS_GROUPBOX: return size.cx + 16;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            if (!(style & BS_PUSHLIKE)) return size.cx + GetSystemMetrics(SM_CXMENUCHECK) + 2;
            [[fallthrough]];
        default: return size.cx + 4;  // a push button's edges
    }
}

// What a person sees of the window's layout as the form's table makes it:
// every control inside its parent, no two side by side on top of each
// other, every caption whole. The page control lies under the two panels
// by design (they are made after it and stay in front); the folder labels
// grow with their path past the panel's edge (the image folder's under
// "参照..."), and their hints show it whole.
TEST_F(MainWindowTest, EveryControlLiesInsideItsParentAlongsideTheOthersWithItsCaptionWhole) {
    TForm1& f = Form();
    const auto overlapAllowed = [&](HWND a, HWND b) {
        const auto isPanel = [&](HWND w) { return w == f.Panel1->Handle() || w == f.Panel2->Handle(); };
        const auto pair = [&](HWND x, HWND y) { return (a == x && b == y) || (a == y && b == x); };
        return (a == f.PageControl1->Handle() && isPanel(b)) || (b == f.PageControl1->Handle() && isPanel(a)) ||
               pair(f.StaticText3->Handle(), f.Button7->Handle());
    };
    int checked = 0;
    std::vector<HWND> parents = {f.Handle()};
    while (!parents.empty()) {
        const HWND parent = parents.back();
        parents.pop_back();
        RECT client;
        GetClientRect(parent, &client);
        const std::vector<HWND> children = VisibleChildren(parent);
        for (HWND child : children) {
            SCOPED_TRACE(NameOf(child) + " in " + NameOf(parent));
            ++checked;
            const RECT r = RectInParent(child);
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            if (child != f.StaticText3->Handle() && child != f.StaticText2->Handle()) {
                EXPECT_LE(r.right, client.right);
            }
            EXPECT_LE(r.bottom, client.bottom);
            EXPECT_LE(CaptionWidthNeeded(child), r.right - r.left) << TextOf(child);
            for (HWND other : children) {
                RECT both;
                const RECT o = RectInParent(other);
                if (other < child && !overlapAllowed(child, other)) {
                    EXPECT_FALSE(IntersectRect(&both, &r, &o)) << "over " << NameOf(other);
                }
            }
            parents.push_back(child);
        }
    }
    EXPECT_GE(checked, 38);
}

TEST_F(MainWindowTest, EveryControlHasItsClassCaptionAndState) {
    TForm1& f = Form();
    const std::vector<ControlRow> table = {
        {"GroupBox1", f.GroupBox1->Handle(), "Button", "文章のプロパティ"},
        {"LabeledEdit1", f.LabeledEdit1->Handle(), "Edit", ""},
        {"LabeledEdit2", f.LabeledEdit2->Handle(), "Edit", ""},
        {"LabeledEdit3", f.LabeledEdit3->Handle(), "Edit", ""},
        {"LabeledEdit4", f.LabeledEdit4->Handle(), "Edit", ""},
        {"GroupBox2", f.GroupBox2->Handle(), "Button", "ファイル名(拡張子は省く)"},
        {"LabeledEdit6", f.LabeledEdit6->Handle(), "Edit", ""},
        {"CheckBox6", f.CheckBox6->Handle(), "Button", "保存先変更", BST_UNCHECKED},
        {"SpeedButton1", f.SpeedButton1->Handle(), "Button", "ユーザ設定", BST_CHECKED},
        {"SpeedButton2", f.SpeedButton2->Handle(), "Button", "フォルダ名", BST_UNCHECKED},
        {"GroupBox3", f.GroupBox3->Handle(), "Button", "画像の調整"},
        {"StaticText7", f.StaticText7->Handle(), "Static", "明るさ"},
        {"ScrollBar1", f.ScrollBar1->Handle(), "ScrollBar", ""},
        {"StaticText8", f.StaticText8->Handle(), "Static", "0"},
        {"StaticText6", f.StaticText6->Handle(), "Static", "画質"},
        {"ScrollBar2", f.ScrollBar2->Handle(), "ScrollBar", ""},
        {"StaticText9", f.StaticText9->Handle(), "Static", "100"},
        {"CheckBox2", f.CheckBox2->Handle(), "Button", "グレイスケール", BST_UNCHECKED},
        {"Button5", f.Button5->Handle(), "Button", "効果確認"},
        {"Button6", f.Button6->Handle(), "Button", "元の画像"},
        {"CheckBox1", f.CheckBox1->Handle(), "Button", "JPEG再変換", BST_UNCHECKED},
        {"CheckBox8", f.CheckBox8->Handle(), "Button", "EXIF回転", BST_CHECKED},
        {"Button4", f.Button4->Handle(), "Button", "PDF作成"},
        {"PageControl1", f.PageControl1->Handle(), "SysTabControl32", ""},
        {"ImgListView1", f.ImgListView1->Handle(), "SysListView32", ""},
        {"ScrollBox1", f.ScrollBox1->Handle(), "PimScrollBox", ""},
        {"Image1", f.Image1->Handle(), "PimImage", ""},
        {"GroupBox4", f.GroupBox4->Handle(), "Button", "本の綴じ方と表示"},
        {"ComboBox3", f.ComboBox3->Handle(), "ComboBox", "左綴じ"},
        {"ComboBox4", f.ComboBox4->Handle(), "ComboBox", "連続"},
        {"GroupBox5", f.GroupBox5->Handle(), "Button", "サブフォルダ"},
        {"Button8", f.Button8->Handle(), "Button", "サブフォルダごとにPDF作成"},
        {"Button9", f.Button9->Handle(), "Button", "すべてを1つのPDFに"},
        {"Panel1", f.Panel1->Handle(), "PimPanel", ""},
        {"ComboBox2", f.ComboBox2->Handle(), "ComboBox", "昇順"},
        {"ComboBox1", f.ComboBox1->Handle(), "ComboBox", "名前"},
        {"CheckBox3", f.CheckBox3->Handle(), "Button", "jpg", BST_CHECKED},
        {"CheckBox4", f.CheckBox4->Handle(), "Button", "bmp", BST_CHECKED},
        {"CheckBox5", f.CheckBox5->Handle(), "Button", "txt", BST_CHECKED},
        {"CheckBox7", f.CheckBox7->Handle(), "Button", "png", BST_CHECKED},
        {"CheckBox9", f.CheckBox9->Handle(), "Button", "tif/gif/webp", BST_CHECKED},
        {"Panel2", f.Panel2->Handle(), "PimPanel", ""},
        {"StaticText11", f.StaticText11->Handle(), "Static", "画像フォルダ"},
        {"StaticText3", f.StaticText3->Handle(), "Static", folder},
        {"StaticText1", f.StaticText1->Handle(), "Static", "保存先フォルダ"},
        {"StaticText2", f.StaticText2->Handle(), "Static", folder},
        {"StatusBar1", f.StatusBar1->Handle(), "msctls_statusbar32", "画像合計：4"},
    };
    for (const ControlRow& row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_STRCASEEQ(ClassOf(row.handle).c_str(), row.className);
        EXPECT_EQ(TextOf(row.handle), Ansi(row.text));
        EXPECT_TRUE(GetWindowLongA(row.handle, GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(IsWindowEnabled(row.handle));
        if (row.checked != kAny) {
            EXPECT_EQ(SendMessageA(row.handle, BM_GETCHECK, 0, 0), row.checked);
        }
    }
    // Containers: the labels beside their edits, the tabs, the status panels.
    const struct {
        ui::TLabeledEdit* edit;
        const char* caption;
    } labels[] = {{f.LabeledEdit1, "タイトル"},
                  {f.LabeledEdit2, "サブタイトル"},
                  {f.LabeledEdit3, "作成者"},
                  {f.LabeledEdit4, "キーワード"},
                  {f.LabeledEdit6, ".pdf"}};
    for (const auto& l : labels) {
        SCOPED_TRACE(l.caption);
        EXPECT_EQ(TextOf(l.edit->EditLabel().Handle()), Ansi(l.caption));
        const RECT label = RectInParent(l.edit->EditLabel().Handle());
        const RECT edit = RectInParent(l.edit->Handle());
        if (l.edit == f.LabeledEdit6) {
            EXPECT_EQ(label.left, edit.right + 3);
        } else {
            EXPECT_EQ(label.right, edit.left - 3);
        }
    }
    EXPECT_EQ(GetParent(f.ImgListView1->Handle()), f.TabSheet1->Handle());
    EXPECT_EQ(GetParent(f.Image1->Handle()), f.ScrollBox1->Handle());
    EXPECT_EQ(f.PageControl1->PageCount(), 3);
    EXPECT_EQ(f.TabSheet1->Caption(), Ansi("画像一覧"));
    EXPECT_EQ(f.TabSheet2->Caption(), Ansi("画像調整"));
    EXPECT_EQ(f.TabSheet3->Caption(), Ansi("PDF設定"));
    EXPECT_EQ(f.PageControl1->ActivePageIndex(), 0);
    EXPECT_TRUE(GetWindowLongA(f.PageControl1->Handle(), GWL_STYLE) & TCS_BUTTONS);
    int edges[4] = {};
    ASSERT_EQ(SendMessageA(f.StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 4);
    EXPECT_EQ(edges[0], 150);
    EXPECT_EQ(edges[1], 300);
    EXPECT_EQ(edges[2], 560);
    EXPECT_EQ(f.StatusBar1->PanelText(0), Ansi("画像合計：4"));
    EXPECT_EQ(f.StatusBar1->PanelText(1), Ansi("選択合計：0"));
    EXPECT_EQ(f.StatusBar1->PanelText(2), "");
    EXPECT_EQ(f.StatusBar1->PanelText(3), Ansi("Pim-ピム-"));
    EXPECT_EQ(f.ComboBox1->Count(), 4);
    EXPECT_EQ(f.ComboBox1->Item(3), Ansi("種類"));
    // The sort boxes take no typed text: they are drop-down lists.
    for (const HWND box : {f.ComboBox1->Handle(), f.ComboBox2->Handle()})
        EXPECT_EQ(GetWindowLongA(box, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    EXPECT_EQ(f.N4->Enabled(), false);
    EXPECT_EQ(f.ScrollBar1->Min(), -255);
    EXPECT_EQ(f.ScrollBar1->Max(), 255);
    EXPECT_EQ(f.ScrollBar2->Position(), 100);
}

TEST_F(MainWindowTest, WindowHasItsCaptionBorderButtonsClientSizeAndFont) {
    const HWND window = Form().Handle();
    EXPECT_EQ(TextOf(window), Ansi("Pim-ピム-"));
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 782);
    EXPECT_EQ(client.bottom, 442);
    // Centred on the screen by integer halves.
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_EQ(frame.left, GetSystemMetrics(SM_CXSCREEN) / 2 - (frame.right - frame.left) / 2);
    EXPECT_EQ(frame.top, GetSystemMetrics(SM_CYSCREEN) / 2 - (frame.bottom - frame.top) / 2);

    for (HWND control : {Form().LabeledEdit1->Handle(), Form().Button4->Handle(), Form().StaticText3->Handle(),
                         Form().ImgListView1->Handle()}) {
        LOGFONTA font{};
        ASSERT_NE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font), 0);
        EXPECT_EQ(font.lfHeight, -12);
        EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
        EXPECT_EQ(std::string(font.lfFaceName), Ansi("ＭＳ Ｐゴシック"));
    }
    Screenshot(window, "gui-main-window");
}

TEST_F(MainWindowTest, TypeBoxesFilterTheListAndTheCountsFollow) {
    TForm1& f = Form();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a-picture.bmp", "b-photo.jpg", "c-notes.txt", "d-shot.png"}));
    Click(*f.CheckBox3);
    Click(*f.CheckBox4);
    Click(*f.CheckBox5);
    EXPECT_EQ(f.ImgListView1->DispTypes().Ext(), "*.png;*.tif;*.tiff;*.gif;*.webp");
    Click(*f.CheckBox9);
    EXPECT_EQ(f.ImgListView1->DispTypes().Ext(), "*.png");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"d-shot.png"}));
    Click(*f.CheckBox7);
    EXPECT_EQ(f.FileTypeBits(), 0);
    EXPECT_EQ(f.ImgListView1->DispTypes().Ext(), "*.pim");
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(f.StatusBar1->PanelText(0), Ansi("画像合計：0"));

    Click(*f.CheckBox3);
    Click(*f.CheckBox4);
    EXPECT_EQ(f.ImgListView1->DispTypes().Ext(), "*.jpg;*.bmp");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a-picture.bmp", "b-photo.jpg"}));
    EXPECT_EQ(f.StatusBar1->PanelText(0), Ansi("画像合計：2"));
    Click(*f.CheckBox7);
    EXPECT_EQ(f.ImgListView1->DispTypes().Ext(), "*.jpg;*.bmp;*.png");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"a-picture.bmp", "b-photo.jpg", "d-shot.png"}));
    Click(*f.CheckBox9);
    EXPECT_EQ(f.FileTypeBits(), ftAll & ~ftTxt);
}

TEST_F(MainWindowTest, SortBoxesSetTheKeyAndTheDirection) {
    TForm1& f = Form();
    Pick(*f.ComboBox1, 2);
    EXPECT_EQ(f.ImgListView1->SortType(), TSortTypeEx::istSize);
    Pick(*f.ComboBox1, 1);
    EXPECT_EQ(f.ImgListView1->SortType(), TSortTypeEx::istDate);
    Pick(*f.ComboBox1, 0);
    Pick(*f.ComboBox2, 1);
    EXPECT_TRUE(f.ImgListView1->Descend());
    EXPECT_EQ(Rows(), (std::vector<std::string>{"d-shot.png", "c-notes.txt", "b-photo.jpg", "a-picture.bmp"}));
    EXPECT_EQ(f.ImgListView1->ImgItems()[0]->DisplayName(), "d-shot.png");  // the page order follows
    Pick(*f.ComboBox2, 0);
    EXPECT_EQ(Rows().front(), "a-picture.bmp");
}

TEST_F(MainWindowTest, OutputNameButtonsFormARadioPairAndFolderNameTakesTheLastComponent) {
    TForm1& f = Form();
    Click(*f.SpeedButton2);
    EXPECT_TRUE(f.SpeedButton2->Down());
    EXPECT_FALSE(f.SpeedButton1->Down());
    EXPECT_EQ(TextOf(f.LabeledEdit6->Handle()), "main-window");
    Click(*f.SpeedButton1);
    EXPECT_TRUE(f.SpeedButton1->Down());
    EXPECT_FALSE(f.SpeedButton2->Down());
    EXPECT_EQ(TextOf(f.LabeledEdit6->Handle()), "");
    // A drive root ends in its separator: the name is empty.
    f.ImgListView1->SetFolderPath("Z:\\");
    Click(*f.SpeedButton2);
    EXPECT_EQ(TextOf(f.LabeledEdit6->Handle()), "");
}

TEST_F(MainWindowTest, CaptionDoubleClickRollsTheWindowUpAndDown) {
    const HWND window = Form().Handle();
    RECT before;
    GetWindowRect(window, &before);
    SendMessageA(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    RECT rolled;
    GetWindowRect(window, &rolled);
    EXPECT_EQ(rolled.bottom - rolled.top, 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(rolled.right - rolled.left, before.right - before.left);
    EXPECT_EQ(rolled.top, before.top);
    SendMessageA(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    RECT restored;
    GetWindowRect(window, &restored);
    EXPECT_EQ(restored.bottom - restored.top, before.bottom - before.top);
    EXPECT_FALSE(IsIconic(window));
}

// A larger window gives its growth to the list side: the list area grows by
// as much as the window, the sort bar keeps to the right edge, the folder
// labels to the bottom, and the left column does not move. The roll-up
// works from that size, and the window is never made smaller than its design.
TEST_F(MainWindowTest, ResizingGrowsTheListAreaAndLeavesTheLeftColumnWhereItIs) {
    TForm1& f = Form();
    const HWND window = f.Handle();
    const std::vector<HWND> left = {f.GroupBox1->Handle(), f.GroupBox2->Handle(), f.GroupBox3->Handle(),
                                    f.CheckBox1->Handle(), f.CheckBox8->Handle(), f.Button4->Handle()};
    std::vector<RECT> leftBefore;
    for (HWND control : left) leftBefore.push_back(RectInParent(control));
    const RECT list = RectInParent(f.ImgListView1->Handle());
    const RECT sortBar = RectInParent(f.Panel1->Handle());
    const RECT labels = RectInParent(f.Panel2->Handle());
    RECT frame;
    GetWindowRect(window, &frame);

    // The screen may hold less than 1200 x 800: the system keeps the window on it.
    SetWindowPos(window, nullptr, 0, 0, 1200, 800, SWP_NOZORDER);
    RECT large;
    GetWindowRect(window, &large);
    const int dx = (large.right - large.left) - (frame.right - frame.left);
    const int dy = (large.bottom - large.top) - (frame.bottom - frame.top);
    ASSERT_GT(dx, 200);
    ASSERT_GT(dy, 200);
    const RECT grown = RectInParent(f.ImgListView1->Handle());
    EXPECT_EQ(grown.right - grown.left, list.right - list.left + dx);
    EXPECT_EQ(grown.bottom - grown.top, list.bottom - list.top + dy);
    EXPECT_EQ(RectInParent(f.Panel1->Handle()).left, sortBar.left + dx);
    EXPECT_EQ(RectInParent(f.Panel2->Handle()).top, labels.top + dy);
    EXPECT_EQ(RectInParent(f.Panel2->Handle()).right, labels.right + dx);
    for (std::size_t i = 0; i < left.size(); ++i) {
        const RECT now = RectInParent(left[i]);
        EXPECT_EQ(
            std::vector<LONG>({now.left, now.top, now.right, now.bottom}),
            std::vector<LONG>({leftBefore[i].left, leftBefore[i].top, leftBefore[i].right, leftBefore[i].bottom}));
    }
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(RectInParent(f.StatusBar1->Handle()).bottom, client.bottom);
    EXPECT_EQ(RectInParent(f.StatusBar1->Handle()).right, client.right);
    Screenshot(window, "gui-resized");

    SendMessageA(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    RECT rolled;
    GetWindowRect(window, &rolled);
    EXPECT_EQ(rolled.bottom - rolled.top, 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
    SendMessageA(window, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    RECT restored;
    GetWindowRect(window, &restored);
    EXPECT_EQ(restored.bottom - restored.top, large.bottom - large.top);
    EXPECT_EQ(RectInParent(f.ImgListView1->Handle()).bottom, grown.bottom);

    // The smallest size a border drag leaves is the design's.
    MINMAXINFO limits{};
    SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    EXPECT_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
}

TEST_F(MainWindowTest, SelectingRowsUpdatesTheSelectedCount) {
    const HWND list = Form().ImgListView1->Handle();
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(Form().StatusBar1->PanelText(1), Ansi("選択合計：2"));
    EXPECT_EQ(Form().ImgListView1->ItemIndex(), 0);
}

// The folder labels keep the whole path as their hint: resting the mouse on
// one shows it, however long the path.
TEST_F(MainWindowTest, RestingTheMouseOnAFolderLabelShowsItsPathAsAHint) {
    const ui::THintWindow* hint = RestMouseOn(Form().StaticText3->Handle());
    ASSERT_NE(hint, nullptr);
    EXPECT_NE(dynamic_cast<const TzHintWindow*>(hint), nullptr);  // Pim's own hint window
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));
    EXPECT_EQ(ui::Narrow(hint->Caption()), folder);
    ui::Application().CancelHint();
    EXPECT_FALSE(IsWindowVisible(hint->Handle()));
}

// The folder on the command line, however long; one that cannot be opened
// is said so and nothing is listed, never the program's own folder.
class FolderArgumentTest : public MainWindow {};

TEST_F(FolderArgumentTest, AFolderPastTheOldPathLimitIsListedAndGetsItsPdf) {
    std::string folder = FreshFolder("long-folder");
    for (const char c : {'a', 'b', 'c', 'd', 'e'}) {
        folder += "\\" + std::string(55, c);
        const std::wstring wide = WidePath(folder);
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ASSERT_GT(folder.size(), 300u);
    DeleteFileW(WidePath(folder + "\\default.pdf").c_str());  // a former run's
    WriteJpegFile(folder + "\\photo.jpg", 40, 30, RGB(200, 30, 30));
    Open(folder);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(Rows(), std::vector<std::string>{"photo.jpg"});
    EXPECT_EQ(TextOf(Form().StaticText3->Handle()), folder);
    Click(*Form().Button4);
    ASSERT_NE(Form().Form2(), nullptr);
    EXPECT_EQ(TextOf(Form().Form2()->Handle()), Ansi("ＰＤＦ作成終了"));
    Click(*Form().Form2()->Button2);
    Pump();
    // Read back by the same wide path the program wrote it by.
    std::string pdf;
    if (FILE* file = _wfopen(WidePath(folder + "\\default.pdf").c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) pdf.append(buffer, n);
        fclose(file);
    }
    EXPECT_TRUE(pdf.starts_with("%PDF-1.2"));
    EXPECT_NE(pdf.find("/Count 1"), std::string::npos);
}

TEST_F(FolderArgumentTest, AFolderThatCannotBeOpenedListsNothingAndSaysSo) {
    const std::string missing = FreshFolder("missing-folder") + "\\not-there";
    Open(missing);
    EXPECT_EQ(errors, std::vector<std::string>{Ansi("フォルダを開けません\r\n") + missing});
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Form().ImgListView1->FolderPath(), "");
    EXPECT_EQ(TextOf(Form().StaticText3->Handle()), "");
    EXPECT_EQ(Form().StatusBar1->PanelText(0), Ansi("画像合計：0"));
}

}  // namespace
}  // namespace pim::test

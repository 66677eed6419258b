// The main window: its controls as the window's table places them, its
// events, and the window-wide algorithms (start-up, status, roll-up).
#include "app/win32/Unit1.h"

#include <commctrl.h>

#include "app/MainModel.h"
#include "app/win32/Unit2.h"
#include "base/CodePage.h"
#include "base/Paths.h"
#include "imagelist/FileFacts.h"

namespace pim {

using namespace ui;

namespace {

// The error box when the folder on the command line cannot be listed.
constexpr char kMsgFolderNotOpened[] = "フォルダを開けません";

// The thumbnail list's own design values: picture box, frames, bevel.
constexpr int kThumbnailSize = 94;
constexpr int kThumbnailFrame = 1;
constexpr int kThumbnailSelectFrame = 3;
constexpr int kThumbnailBevel = 1;
// The file-kind mark in the thumbnail's corner: its side and its gap.
constexpr int kThumbnailMark = 16;
constexpr int kThumbnailMarkSpace = 2;

}  // namespace

TForm1::TForm1()
    : TForm({.Caption = std::string(kAppTitle),
             .ClientWidth = 782,
             .ClientHeight = 442,
             .MaximizeBox = true,
             .Sizable = true}),
      PopupMenu1(*this),
      DropDst1(*this),
      PdfRun(std::make_unique<TPdfRun>()) {
    CreateControls();
    zHint1.MaxHintWidth = 600;
    zHint1.SetFont(kPGothic, 16);
    DropDst1.SetTarget(THookTarget::htForm);
    WireEvents();
    SetupSettings();
    ScaleToMonitor();
}

TForm1::~TForm1() { DestroyHandle(); }

void TForm1::CreateControls() {
    GroupBox1 = Make<TGroupBox>({.Parent = this, .Bounds = {8, 8, 281, 153}, .Caption = Ansi("文章のプロパティ")});
    LabeledEdit1 = Make<TLabeledEdit>({.Parent = GroupBox1,
                                       .Bounds = {88, 24, 185, 20},
                                       .LabelCaption = Ansi("タイトル"),
                                       .LabelPosition = TLabelPosition::lpLeft});
    LabeledEdit2 = Make<TLabeledEdit>({.Parent = GroupBox1,
                                       .Bounds = {88, 56, 185, 20},
                                       .LabelCaption = Ansi("サブタイトル"),
                                       .LabelPosition = TLabelPosition::lpLeft});
    LabeledEdit3 = Make<TLabeledEdit>({.Parent = GroupBox1,
                                       .Bounds = {88, 88, 185, 20},
                                       .LabelCaption = Ansi("作成者"),
                                       .LabelPosition = TLabelPosition::lpLeft});
    LabeledEdit4 = Make<TLabeledEdit>({.Parent = GroupBox1,
                                       .Bounds = {88, 120, 185, 20},
                                       .LabelCaption = Ansi("キーワード"),
                                       .LabelPosition = TLabelPosition::lpLeft});

    GroupBox2 =
        Make<TGroupBox>({.Parent = this, .Bounds = {8, 168, 281, 81}, .Caption = Ansi("ファイル名(拡張子は省く)")});
    LabeledEdit6 = Make<TLabeledEdit>({.Parent = GroupBox2,
                                       .Bounds = {32, 21, 217, 20},
                                       .LabelCaption = ".pdf",
                                       .LabelPosition = TLabelPosition::lpRight});
    CheckBox6 = Make<TCheckBox>({.Parent = GroupBox2, .Bounds = {16, 48, 89, 25}, .Caption = Ansi("保存先変更")});
    SpeedButton1 = Make<TSpeedButton>({.Parent = GroupBox2,
                                       .Bounds = {120, 48, 73, 23},
                                       .Caption = Ansi("ユーザ設定"),
                                       .GroupIndex = 1,
                                       .Down = true});
    SpeedButton2 = Make<TSpeedButton>(
        {.Parent = GroupBox2, .Bounds = {200, 48, 73, 23}, .Caption = Ansi("フォルダ名"), .GroupIndex = 1});

    GroupBox3 = Make<TGroupBox>({.Parent = this, .Bounds = {8, 256, 281, 129}, .Caption = Ansi("画像の調整")});
    StaticText7 = Make<TStaticText>({.Parent = GroupBox3, .Bounds = {22, 28}, .Caption = Ansi("明るさ")});
    ScrollBar1 = Make<TScrollBar>({.Parent = GroupBox3, .Bounds = {64, 24, 113, 17}, .Min = -255, .Max = 255});
    StaticText8 = Make<TStaticText>({.Parent = GroupBox3,
                                     .Bounds = {182, 26, 27, 16},
                                     .Caption = "0",
                                     .Sunken = true,
                                     .Alignment = TAlignment::taRightJustify});
    StaticText6 = Make<TStaticText>({.Parent = GroupBox3, .Bounds = {30, 60}, .Caption = Ansi("画質")});
    ScrollBar2 =
        Make<TScrollBar>({.Parent = GroupBox3, .Bounds = {64, 56, 113, 17}, .Min = 0, .Max = 100, .Position = 100});
    StaticText9 = Make<TStaticText>({.Parent = GroupBox3,
                                     .Bounds = {182, 56, 27, 16},
                                     .Caption = "100",
                                     .Sunken = true,
                                     .Alignment = TAlignment::taRightJustify});
    CheckBox2 = Make<TCheckBox>({.Parent = GroupBox3, .Bounds = {16, 96, 97, 20}, .Caption = Ansi("グレイスケール")});
    Button5 = Make<TButton>({.Parent = GroupBox3, .Bounds = {120, 90, 73, 23}, .Caption = Ansi("効果確認")});
    Button6 = Make<TButton>({.Parent = GroupBox3, .Bounds = {200, 90, 73, 23}, .Caption = Ansi("元の画像")});

    CheckBox1 = Make<TCheckBox>({.Parent = this, .Bounds = {96, 392, 89, 25}, .Caption = Ansi("JPEG再変換")});
    CheckBox8 =
        Make<TCheckBox>({.Parent = this, .Bounds = {8, 392, 81, 25}, .Caption = Ansi("EXIF回転"), .Checked = true});
    CheckBox8->SetHint(Ansi("JPEGを撮影時の向き(EXIF)どおりに回転します（PDFと一覧の画像）"));
    CheckBox8->ShowHint = true;
    Button4 = Make<TButton>({.Parent = this, .Bounds = {192, 392, 97, 25}, .Caption = Ansi("PDF作成")});

    PageControl1 = Make<TPageControl>({.Parent = this, .Bounds = {296, 8, 484, 409}, .ButtonTabs = true});
    TabSheet1 = PageControl1->AddSheet(Ansi("画像一覧"));
    ImgListView1 = Make<TImgListView>({.Parent = TabSheet1,
                                       .Bounds = {0, 30, 468, 307},
                                       .ViewStyle = TViewStyle::vsList,
                                       .IconStyle = TIconStyle::iisImage,
                                       .MultiSelect = true,
                                       .GridLines = true});
    ConfigureList();
    TabSheet2 = PageControl1->AddSheet(Ansi("画像調整"));
    ScrollBox1 = Make<TScrollBox>({.Parent = TabSheet2, .Bounds = {0, 8, 468, 369}});
    Image1 = Make<TImage>({.Parent = ScrollBox1});
    TabSheet3 = PageControl1->AddSheet(Ansi("PDF設定"));
    CreatePdfSettingsTab();

    // A larger window gives the list side its growth: the tabs and the list
    // grow, the sort bar keeps to the right edge and the folder labels to
    // the bottom; the left column stays as it is.
    PageControl1->Anchors = ImgListView1->Anchors = ScrollBox1->Anchors = akLeft | akTop | akRight | akBottom;

    // The panels lie over the page control: made after it, they stay in front.
    // The sort and type bar is the list's own: it heads the list tab, right
    // above the list, so that the tab row has room for every tab. Each type
    // box is as wide as its box and caption need at every dpi, with a pixel
    // or two to spare ("bmp" needs 43 at 96 dpi).
    Panel1 = Make<TPanel>({.Parent = this, .Bounds = {342, 34, 422, 27}, .BevelInner = TBevel::bvLowered});
    ComboBox2 = Make<TComboBox>(
        {.Parent = Panel1, .Bounds = {9, 4, 57}, .Items = {Ansi("昇順"), Ansi("降順")}, .ItemIndex = 0});
    ComboBox1 = Make<TComboBox>({.Parent = Panel1,
                                 .Bounds = {73, 4, 81},
                                 .Items = {Ansi("名前"), Ansi("更新日時"), Ansi("サイズ"), Ansi("種類")},
                                 .ItemIndex = 0});
    CheckBox3 = Make<TCheckBox>({.Parent = Panel1, .Bounds = {158, 2, 40, 23}, .Caption = "jpg", .Checked = true});
    CheckBox4 = Make<TCheckBox>({.Parent = Panel1, .Bounds = {198, 2, 46, 23}, .Caption = "bmp", .Checked = true});
    CheckBox5 = Make<TCheckBox>({.Parent = Panel1, .Bounds = {246, 2, 35, 23}, .Caption = "txt", .Checked = true});
    CheckBox7 = Make<TCheckBox>({.Parent = Panel1, .Bounds = {282, 2, 42, 23}, .Caption = "png", .Checked = true});
    // The scanners' and the web's kinds share one box.
    CheckBox9 =
        Make<TCheckBox>({.Parent = Panel1, .Bounds = {324, 2, 92, 23}, .Caption = "tif/gif/webp", .Checked = true});

    Panel2 = Make<TPanel>({.Parent = this, .Bounds = {300, 374, 468, 39}, .BevelOuter = TBevel::bvNone});
    StaticText11 = Make<TStaticText>({.Parent = Panel2,
                                      .Bounds = {0, 1, 85, 16},
                                      .Caption = Ansi("画像フォルダ"),
                                      .Sunken = true,
                                      .Alignment = TAlignment::taCenter});
    StaticText3 = Make<TStaticText>({.Parent = Panel2, .Bounds = {88, 0}, .Sunken = true, .ShowHint = true});
    StaticText1 = Make<TStaticText>({.Parent = Panel2,
                                     .Bounds = {0, 20, 83, 16},
                                     .Caption = Ansi("保存先フォルダ"),
                                     .Sunken = true,
                                     .Alignment = TAlignment::taCenter});
    StaticText2 = Make<TStaticText>({.Parent = Panel2, .Bounds = {88, 20}, .Sunken = true, .ShowHint = true});

    // Over the end of the image folder's path, whose whole text is its hint.
    Button7 = Make<TButton>({.Parent = Panel2, .Bounds = {413, 0, 55, 18}, .Caption = Ansi("参照...")});
    Button7->SetHint(Ansi("画像フォルダを選ぶ"));
    Button7->ShowHint = true;
    Button7->Anchors = akTop | akRight;

    Panel1->Anchors = akTop | akRight;
    Panel2->Anchors = akLeft | akRight | akBottom;

    StatusBar1 = Make<TStatusBar>({.Parent = this, .Height = 21, .PanelWidths = {150, 150, 260, 73}});
    StatusBar1->SetPanelText(3, kAppTitle);

    // Tab follows the layout: the left column top to bottom, then the list
    // side (tabs, sort and type boxes, the list). "EXIF回転", left of
    // "JPEG再変換" only because the row has room there, comes after it.
    TabOrder = {LabeledEdit1, LabeledEdit2, LabeledEdit3, LabeledEdit4, LabeledEdit6, CheckBox6,
                SpeedButton1, SpeedButton2, ScrollBar1,   ScrollBar2,   CheckBox2,    Button5,
                Button6,      CheckBox1,    CheckBox8,    Button4,      PageControl1, ComboBox2,
                ComboBox1,    CheckBox3,    CheckBox4,    CheckBox5,    CheckBox7,    CheckBox9,
                ImgListView1, ComboBox3,    ComboBox4,    Button8,      Button9,      Button7};

    N1 = PopupMenu1.Add(Ansi("ＰＤＦ作成(選択画像)"));
    N2 = PopupMenu1.Add("-");
    N3 = PopupMenu1.Add(Ansi("画像移動（登録）"));
    N4 = PopupMenu1.Add(Ansi("画像移動（移動）"), false);
    N5 = PopupMenu1.Add("-");
    N6 = PopupMenu1.Add(Ansi("右に90°回転"));
    N7 = PopupMenu1.Add(Ansi("左に90°回転"));
    N8 = PopupMenu1.Add(Ansi("回転を元に戻す"));
    N9 = PopupMenu1.Add("-");
    N10 = PopupMenu1.Add(Ansi("白紙ページを挿入"));
    N11 = PopupMenu1.Add("-");
    N12 = PopupMenu1.Add(Ansi("サブフォルダごとにPDF作成"));
    N13 = PopupMenu1.Add(Ansi("すべてを1つのPDFに"));
}

// The PDF設定 tab: how the book is bound and shown, and the commands over
// the image folder's sub-folders. The right half is kept for the paper.
void TForm1::CreatePdfSettingsTab() {
    GroupBox4 = Make<TGroupBox>({.Parent = TabSheet3, .Bounds = {0, 8, 232, 89}, .Caption = Ansi("本の綴じ方と表示")});
    StaticText12 = Make<TStaticText>({.Parent = GroupBox4, .Bounds = {12, 28}, .Caption = Ansi("綴じ方向")});
    ComboBox3 = Make<TComboBox>(
        {.Parent = GroupBox4, .Bounds = {96, 24, 128}, .Items = {Ansi("左綴じ"), Ansi("右綴じ")}, .ItemIndex = 0});
    ComboBox3->SetHint(Ansi("右綴じ：右から左へ読む本（漫画、縦書きの小説）。見開きも右から左に並びます"));
    StaticText13 = Make<TStaticText>({.Parent = GroupBox4, .Bounds = {12, 60}, .Caption = Ansi("ページの表示")});
    ComboBox4 = Make<TComboBox>({.Parent = GroupBox4,
                                 .Bounds = {96, 56, 128},
                                 .Items = {Ansi("連続"), Ansi("単ページ"), Ansi("見開き"), Ansi("見開き・表紙は単独")},
                                 .ItemIndex = 0});
    ComboBox4->SetHint(Ansi("PDFを開いたときのページの並べ方。見開き・表紙は単独：表紙のあとを2ページずつ"));

    GroupBox5 = Make<TGroupBox>({.Parent = TabSheet3, .Bounds = {0, 104, 232, 89}, .Caption = Ansi("サブフォルダ")});
    Button8 =
        Make<TButton>({.Parent = GroupBox5, .Bounds = {12, 24, 208, 25}, .Caption = Ansi("サブフォルダごとにPDF作成")});
    Button8->SetHint(Ansi("画像フォルダの中のフォルダごとに、そのフォルダ名のPDFを作ります"));
    Button9 = Make<TButton>({.Parent = GroupBox5, .Bounds = {12, 56, 208, 25}, .Caption = Ansi("すべてを1つのPDFに")});
    Button9->SetHint(Ansi("画像フォルダの中のフォルダを順にまとめ、フォルダごとのしおりを付けて1つのPDFにします"));
    for (TWindow* control : {static_cast<TWindow*>(ComboBox3), static_cast<TWindow*>(ComboBox4),
                             static_cast<TWindow*>(Button8), static_cast<TWindow*>(Button9)})
        control->ShowHint = true;
}

// The list as this window uses it: thumbnails shrunk into their boxes for
// every kind but libraries, made ahead while the folder is read; text
// thumbnails in the window's Gothic at 16 pixels; no column sorting, no
// drops onto the list and no shell menu (the window has its own popup);
// only the picture and text files, no folders.
// The hint and the thumbnails are drawn by their own code: they take the
// form's dpi from here.
void TForm1::ChangeScale(int dpi) {
    TForm::ChangeScale(dpi);
    zHint1.SetFont(kPGothic, ScaleDpi(16, dpi));
    zHint1.MaxHintWidth = ScaleDpi(600, dpi);
    zHint1.Dpi = dpi;
    TViewImage& image = ImgListView1->ViewImage();
    image.ImgUtil().Font = {.Name = kPGothic, .Charset = SHIFTJIS_CHARSET, .Height = -ScaleDpi(16, dpi)};
    image.Frame().SetWidth(ScaleDpi(kThumbnailFrame, dpi));
    image.SelectFrame().SetWidth(ScaleDpi(kThumbnailSelectFrame, dpi));
    image.SetBevelWidth(ScaleDpi(kThumbnailBevel, dpi));
    image.SetImageWidth(ScaleDpi(kThumbnailSize, dpi));
    image.SetImageHeight(ScaleDpi(kThumbnailSize, dpi));
    image.SmallIcon().SetSize(ScaleDpi(kThumbnailMark, dpi));
    image.SmallIcon().SetSpace(ScaleDpi(kThumbnailMarkSpace, dpi));
}

void TForm1::ConfigureList() {
    TViewImage& image = ImgListView1->ViewImage();
    image.SetLookAhead(true);
    image.SetDispImage(kAllImageTypes & ~DispImageOf(TImageType::iitDll));
    image.ImgUtil().GetType = TGetType::igtPreview;
    image.ImgUtil().Font = {.Name = kPGothic, .Charset = SHIFTJIS_CHARSET, .Height = -16};
    ImgListView1->DefaultExec().SetColumnSort(false);
    ImgListView1->DefaultExec().SetDropTarget(false);
    ImgListView1->ImgPopupMenu().SetEnabled(false);
    ImgListView1->DispTypes().SetFolders(false);
    ImgListView1->DispTypes().SetExt(*MaskOfFileTypeBits(ftAll));
    ImgListView1->Setup();
}

void TForm1::WireEvents() {
    OnShow = [this] { FormShow(); };
    OnClose = [this](TCloseAction& action) { FormClose(action); };
    OnNcMessage = [this](UINT message, WPARAM, LPARAM) {
        if (message != WM_NCLBUTTONDBLCLK) return false;
        ToggleRollUp();
        return true;
    };
    // Ctrl+Tab and Ctrl+Shift+Tab turn the tabs from anywhere in the window;
    // "+" and "-" zoom the preview.
    OnShortCut = [this](const MSG& msg) {
        if (PreviewKey(msg)) return true;
        if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0) return false;
        PageControl1->SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
        return true;
    };
    CheckBox6->OnClick = [this] { CheckBox6Click(); };
    LabeledEdit6->OnChange = [this] { ShowOutputPlace(); };
    // An empty name box shows the name the PDF then takes (its hint, where).
    SendMessageW(LabeledEdit6->Handle(), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"default"));
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    SpeedButton2->OnClick = [this] { SpeedButton2Click(); };
    ScrollBar1->OnChange = [this] { ScrollBar1Change(); };
    ScrollBar2->OnChange = [this] { ScrollBar2Change(); };
    CheckBox2->OnClick = [this] { AdjustmentChanged(); };
    Button5->OnClick = [this] { Button5Click(); };
    Button6->OnClick = [this] { Button6Click(); };
    CheckBox8->OnClick = [this] { CheckBox8Click(); };
    Button4->OnClick = [this] { Button4Click(); };
    PageControl1->OnChange = [this] { PageControl1Change(); };
    ScrollBox1->OnMouseWheelDown = [this](int x, int y) { return ScrollBox1MouseWheelDown(x, y); };
    ScrollBox1->OnMouseWheel = [this](int notches, int x, int y) { return ScrollBox1MouseWheel(notches, x, y); };
    ScrollBox1->OnResize = [this] {
        if (previewFits_ && !Image1->Empty()) FitPreview();
    };
    Image1->OnDblClick = [this](int x, int y) { Image1DblClick(x, y); };
    previewTimer_ = AddHook({.Message = [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_TIMER || wParam != kPreviewTimer) return false;
        if (PageControl1->ActivePageIndex() == 1)
            ShowPreview(true, true);  // still on the adjustment tab
        else
            KillTimer(Handle(), kPreviewTimer);
        result = 0;
        return true;
    }});
    Image1->OnMouseDown = [this](TMouseButton button, int x, int y) { Image1MouseDown(button, x, y); };
    ComboBox2->OnClick = [this] { ComboBox2Click(); };
    ComboBox1->OnClick = [this] { ComboBox1Click(); };
    CheckBox3->OnClick = [this] { CheckBox3Click(); };
    CheckBox4->OnClick = [this] { CheckBox4Click(); };
    CheckBox5->OnClick = [this] { CheckBox5Click(); };
    CheckBox7->OnClick = [this] { CheckBox7Click(); };
    CheckBox9->OnClick = [this] { Check_Attrib(); };
    StaticText3->OnDblClick = [this] { StaticText3DblClick(); };
    StaticText2->OnDblClick = [this] { StaticText3DblClick(); };
    Button7->OnClick = [this] { Button7Click(); };
    DropDst1.OnFileDrop = [this](const std::vector<std::string>& files, int x, int y) {
        DropDst1FileDrop(files, x, y);
    };
    ImgListView1->OnSelectItem = [this](int item, bool selected) { ImgListView1SelectItem(item, selected); };
    ImgListView1->OnListChanged = [this] { ImgListView1ListChanged(); };
    ImgListView1->OnContextPopup = [this](POINT screen) { ImgListView1ContextPopup(screen); };
    N1->OnClick = [this] { N1Click(); };
    N3->OnClick = [this] { N3Click(); };
    N4->OnClick = [this] { N4Click(); };
    N6->OnClick = [this] { N6Click(); };
    N7->OnClick = [this] { N7Click(); };
    N8->OnClick = [this] { N8Click(); };
    N10->OnClick = [this] { N10Click(); };
    Button8->OnClick = N12->OnClick = [this] { Button8Click(); };
    Button9->OnClick = N13->OnClick = [this] { Button9Click(); };
}

// ---- Window ---------------------------------------------------------------------

void TForm1::FormShow() {
    ImgListView1->SetSortType(TSortTypeEx::istName);
    ImgListView1->SetDescend(false);
    const int width = Width();
    const int height = Height();
    SetPosition(GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);
    RestoreSettings();
    const std::string argument = Application().Args.empty() ? std::string() : Application().Args.front();
    if (argument.empty()) {
        ImgListView1->SetFolderPath(rememberedFolder_.empty() ? std::string(ExtractFilePath(ProgramFileName()))
                                                              : rememberedFolder_);
    } else {
        // The folder asked for, or none: falling back to the program's own
        // folder would make "PDF作成" put the program's files in a PDF.
        const std::string folder = FileExists(argument) ? std::string(ExtractFilePath(argument)) : argument;
        TImgListModel& list = ImgListView1->Model();
        list.SetFolderPath(folder);
        // The list stays on the desktop it entered when made: the folder was not opened.
        if (list.FolderIdList().IsDesktop()) {
            list.LeaveFolder();
            Application().ShowError(Ansi(kMsgFolderNotOpened) + "\r\n" + Narrow(Utf8ToUtf16(folder)));
        }
        ImgListView1->Repaint();
    }
    UpdateStatus();
    SettingsShown();
}

void TForm1::FormClose(TCloseAction&) {
    PdfRun->FormClose();
    SaveSettings();
}

void TForm1::UpdateStatus() {
    StatusBar1->SetPanelText(0, TotalStatusText(ImgListView1->ImgItems().EntryCount()));
    StatusBar1->SetPanelText(1, SelectedStatusText(ImgListView1->SelCount()));
    const std::u16string folder = Utf8ToUtf16(ImgListView1->FolderPath());
    StaticText3->SetTextW(folder);
    StaticText3->SetHintW(folder);
    if (!CheckBox6->Checked()) {
        StaticText2->SetTextW(StaticText3->TextW());
        StaticText2->SetHintW(StaticText3->TextW());
    }
    ActivateListTab();
    Image1->Clear();
    ShowOutputPlace();
}

void TForm1::ToggleRollUp() {
    RolledHeight = 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    const TBounds b = Bounds();
    if (b.Height > RolledHeight) {
        SavedHeight = b.Height;
        // Rolled up, the window is lower than the least a border drag allows.
        KeepMinimumHeight = false;
        SetBounds({b.Left, b.Top, b.Width, RolledHeight});
    } else {
        SetBounds({b.Left, b.Top, b.Width, SavedHeight});
        KeepMinimumHeight = true;
    }
}

std::string TForm1::ImageFolder() const { return Utf16ToUtf8(StaticText3->TextW()); }

}  // namespace pim

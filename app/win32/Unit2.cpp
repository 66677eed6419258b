#include "app/win32/Unit2.h"

#include "app/MainModel.h"
#include "base/CodePage.h"
#include "base/LineBreak.h"
#include "app/win32/ShellOpen.h"
#include "imagelist/ImgShare.h"

namespace pim {

using namespace ui;

namespace {

// What the finished dialog grows by: room for "フォルダを開く" between
// "PDFを起動" and "閉じる".
constexpr int kFinishedGrowth = 100;
// What a batch's summary widens the dialog by: room for folder names.
constexpr int kSummaryGrowth = 215;
// The failed dialog's caption.
constexpr char kCaptionFailed[] = "ＰＤＦ作成失敗";

}  // namespace

TForm2::TForm2(TForm& owner, TPReport& report)
    : TForm({.Caption = Ansi("PDF作成中"),
             .ClientWidth = 235,
             .ClientHeight = 102,
             .MinimizeBox = false,
             .StayOnTop = true,
             .Owner = &owner}),
      report_(report) {
    StaticText1 = Make<TStaticText>({.Parent = this, .Bounds = {8, 8, 225, 33}, .Sunken = true});
    ProgressBar1 = Make<TProgressBar>({.Parent = this, .Bounds = {8, 48, 225, 17}});
    Button1 = Make<TButton>({.Parent = this, .Bounds = {128, 72, 97, 25}, .Caption = Ansi("強制終了")});
    // "閉じる", made after "強制終了", lies in front of it.
    Button2 = Make<TButton>({.Parent = this, .Bounds = {128, 72, 97, 25}, .Caption = Ansi("閉じる")});
    Button3 = Make<TButton>({.Parent = this, .Bounds = {16, 72, 97, 25}, .Caption = Ansi("PDFを起動")});
    StaticText2 = Make<TStaticText>({.Parent = this, .Bounds = {8, 50, 225, 16}, .ShowHint = true});
    Button4 = Make<TButton>({.Parent = this, .Bounds = {121, 72, 97, 25}, .Caption = Ansi("フォルダを開く")});
    StaticText2->Hide();
    Button4->Hide();
    // When the finished dialog widens, the texts take the width and "閉じる"
    // keeps to the right edge.
    StaticText1->Anchors = StaticText2->Anchors = akLeft | akTop | akRight;
    Button2->Anchors = akTop | akRight;
    // While the run goes on, Enter and Escape both stop it.
    TabOrder = {Button3, Button4, Button1, Button2};
    SetDefaultButton(Button1);
    CancelButton = Button1;
    ScaleToMonitor();

    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    Button3->OnClick = [this] { Button3Click(); };
    Button4->OnClick = [this] { Button4Click(); };
    OnClose = [this](TCloseAction& action) { FormClose(action); };
}

TForm2::~TForm2() { DestroyHandle(); }

void TForm2::Button1Click() {
    report_.AbortDocument();
    if (OnStop) OnStop();
    Close();
}

void TForm2::Button2Click() { Close(); }

void TForm2::Button3Click() {
    // A PDF the shell cannot open (no program registered for it) leaves the
    // dialog open behind the error box.
    ShellOpen(Handle(), report_.FileName());
    Close();
}

void TForm2::Button4Click() {
    if (summary_)
        ShellOpen(Handle(), OutputFolder);
    else
        ShellShowInFolder(Handle(), report_.FileName());
    Close();
}

void TForm2::ShowFinished() {
    const std::string& pdf = report_.FileName();
    StaticText2->SetTextW(Utf8ToUtf16(ExtractFileName(pdf)));
    StaticText2->SetHintW(Utf8ToUtf16(pdf));
    ProgressBar1->Hide();
    StaticText2->Show();
    // "閉じる" takes the place of "強制終了", with the focus: Enter and Escape
    // close the dialog.
    Button1->Hide();
    Button2->Show();
    Button3->Show();
    Button4->Show();
    // Wider about the same centre, so it stays centred on the main window.
    const TBounds before = Bounds();
    SetClientSize(ScaleDpi(235 + kFinishedGrowth, Dpi()), ClientSize().cy);
    SetPosition(before.Left - (Bounds().Width - before.Width) / 2, before.Top);
    SetDefaultButton(Button2);
    CancelButton = Button2;
    FocusControl(*Button2);
}

void TForm2::ShowFailed(const std::string& message) { ShowMessage(Ansi(kCaptionFailed), message, kFinishedGrowth); }

void TForm2::ShowSummary(const std::string& summary) {
    summary_ = true;
    ShowMessage(kCaptionFinished, summary, kSummaryGrowth);
    const TBounds close = Button2->Bounds();
    const TBounds open = Button4->Bounds();
    Button4->SetBounds({close.Left - ScaleDpi(8, Dpi()) - open.Width, close.Top, open.Width, open.Height});
    Button4->Show();
}

void TForm2::ShowMessage(const std::string& caption, const std::string& message, int growth) {
    SetText(caption);
    ProgressBar1->Hide();
    Button1->Hide();
    Button2->Show();
    // As wide as the finished dialog, and as tall as the message needs: its
    // lines wrapped to the label's width, the button below them.
    const int dpi = Dpi();
    const TBounds before = Bounds();
    const int width = ScaleDpi(235 + growth, dpi);
    const int margin = ScaleDpi(8, dpi);
    const int labelWidth = width - 2 * margin;
    StaticText1->SetText(WrapColumns(message, StaticText1->ColumnsIn(labelWidth)));
    const int labelHeight = StaticText1->TextHeight(labelWidth);
    const TBounds button = Button2->Bounds();
    // Sized first: the anchored controls follow a resize.
    SetClientSize(width, 3 * margin + labelHeight + button.Height);
    StaticText1->SetBounds({margin, margin, labelWidth, labelHeight});
    Button2->SetBounds({width - margin - button.Width, 2 * margin + labelHeight, button.Width, button.Height});
    // About the same centre, kept on the monitor.
    const TBounds after = Bounds();
    SetPosition(before.Left - (after.Width - before.Width) / 2, before.Top - (after.Height - before.Height) / 2);
    KeepOnMonitor();
    SetDefaultButton(Button2);
    CancelButton = Button2;
    FocusControl(*Button2);
}

void TForm2::FormClose(TCloseAction& action) {
    if (OnCloseRequest) OnCloseRequest();
    action = TCloseAction::caFree;
    if (TForm* main = Application().MainForm()) main->SetEnabled(true);
}

// ---- TProgressLink -------------------------------------------------------------

void TProgressLink::SetCaption(const std::string& text) {
    if (dialog_) dialog_->SetText(text);
}

void TProgressLink::SetLabel(const std::string& text) {
    if (dialog_) dialog_->StaticText1->SetText(text);
}

void TProgressLink::SetMaximum(int value) {
    if (dialog_) dialog_->ProgressBar1->SetMax(value);
}

void TProgressLink::SetPosition(int value) {
    if (dialog_) dialog_->ProgressBar1->SetPosition(value);
}

void TProgressLink::ShowFinishButtons() {
    if (dialog_) dialog_->ShowFinished();
}

void TProgressLink::ShowFailure(const std::string& message) {
    if (dialog_) dialog_->ShowFailed(message);
}

void TProgressLink::ShowSummary(const std::string& text) {
    if (dialog_) dialog_->ShowSummary(text);
}

void TProgressLink::ProcessMessages() { Application().ProcessMessages(); }

}  // namespace pim

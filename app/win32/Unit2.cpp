#include "app/win32/Unit2.h"

#include "app/win32/ShellOpen.h"

namespace pim {

using namespace ui;

TForm2::TForm2(TForm& owner, TPReport& report)
    : TForm({.Caption = "PDF作成中", .ClientWidth = 235, .ClientHeight = 102, .MinimizeBox = false,
             .StayOnTop = true, .Owner = &owner}),
      report_(report) {
    StaticText1 = Make<TStaticText>({.Parent = this, .Bounds = {8, 8, 225, 33}, .Sunken = true});
    ProgressBar1 = Make<TProgressBar>({.Parent = this, .Bounds = {8, 48, 225, 17}});
    Button1 = Make<TButton>({.Parent = this, .Bounds = {128, 72, 97, 25}, .Caption = "強制終了"});
    // "閉じる", made after "強制終了", lies in front of it.
    Button2 = Make<TButton>({.Parent = this, .Bounds = {128, 72, 97, 25}, .Caption = "閉じる"});
    Button3 = Make<TButton>({.Parent = this, .Bounds = {16, 72, 97, 25}, .Caption = "PDFを起動"});
    // While the run goes on, Enter and Escape both stop it.
    TabOrder = {Button3, Button1, Button2};
    SetDefaultButton(Button1);
    CancelButton = Button1;
    ScaleToMonitor();

    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    Button3->OnClick = [this] { Button3Click(); };
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
    ShellOpen(Handle(), report_.FileName());
    Close();
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
    if (!dialog_) return;
    // "閉じる" takes the place of "強制終了", with the focus: Enter and Escape
    // close the dialog.
    dialog_->Button1->Hide();
    dialog_->Button2->Show();
    dialog_->Button3->Show();
    dialog_->SetDefaultButton(dialog_->Button2);
    dialog_->CancelButton = dialog_->Button2;
    dialog_->FocusControl(*dialog_->Button2);
}

void TProgressLink::ProcessMessages() { Application().ProcessMessages(); }

}  // namespace pim

// The main window's side of the PDF run: the working list, the settings the
// run reads from the controls, and the progress dialog.
#include "app/MainModel.h"
#include "app/win32/Unit1.h"
#include "app/win32/Unit2.h"
#include "base/CodePage.h"
#include "imagelist/FileFacts.h"
#include "imagelist/ImgShare.h"

namespace pim {

using namespace ui;

// A click or an Enter queued while a stopped run unwinds (the main window is
// enabled again by then) must not start a second run inside the first: the
// nested run would free the dialog the outer one still reports to.
void TForm1::Button4Click() {
    if (running_) return;
    // Pressed as a big folder is entered: its files, not the empty list.
    ImgListView1->Model().FinishListing();
    ListBox1.Clear();
    for (const std::string& file : ListedFiles(ImgListView1->ImgItems())) ListBox1.Add(file);
    CreatePdf(ListedTurns(ImgListView1->ImgItems()));
}

void TForm1::N1Click() {
    if (running_) return;
    ListBox1.Clear();
    std::vector<int> turns;
    TImgListItems& items = ImgListView1->ImgItems();
    for (int i = 0; i < items.Count(); ++i)
        if (ImgListView1->Selected(i)) {
            ListBox1.Add(items[i]->FullPath());
            turns.push_back(items[i]->Turn);
        }
    CreatePdf(turns);
}

void TForm1::CreatePdf(const std::vector<int>& turns) {
    // The working list no longer holds a move registration.
    if (ListBox1.Count() > 0) N4->SetEnabled(false);
    TPdfRunSettings s;
    s.Title = LabeledEdit1->Text();
    s.Subject = LabeledEdit2->Text();
    s.Author = LabeledEdit3->Text();
    s.Keywords = LabeledEdit4->Text();
    s.ImageFolder = ImageFolder();
    s.SaveFolder = Utf16ToUtf8(StaticText2->TextW());
    s.UseSaveFolder = CheckBox6->Checked();
    s.OutputName = Utf16ToUtf8(LabeledEdit6->TextW());
    s.ReencodeJpeg = CheckBox1->Checked();
    s.AutoOrient = CheckBox8->Checked();
    s.Adjust = {ScrollBar1->Position(), ScrollBar2->Position(), CheckBox2->Checked()};
    // An existing PDF is replaced only when the user says so.
    const std::string pdf = OutputFileName(s.UseSaveFolder ? s.SaveFolder : s.ImageFolder, s.OutputName);
    if (ListBox1.Count() > 0 && FileExists(pdf) &&
        !Application().Confirm(Ansi("「") + Utf8ToAnsi(ExtractFileName(pdf)) +
                               Ansi("」は既にあります。\r\n置き換えますか？")))
        return;
    running_ = true;
    struct TRunningFlag {
        bool& running;
        ~TRunningFlag() { running = false; }
    } flag{running_};
    PdfRun->CreatePdf(*this, {ListBox1.begin(), ListBox1.end()}, s, turns);
    Image1->Clear();
}

TPdfRunProgress& TForm1::OpenProgress() {
    form2_ = std::make_unique<TForm2>(*this, *PdfRun->PReport1);
    progress_ = std::make_unique<TProgressLink>(*form2_);
    TForm2& dialog = *form2_;
    dialog.OnStop = [this] { progress_->Stop(); };
    dialog.OnCloseRequest = [this] {
        // Closing the dialog while the run goes on stops it: the main window
        // comes back, and it must not start a second run inside this one.
        if (running_) {
            progress_->Stop();
            PdfRun->PReport1->AbortDocument();
        }
    };
    dialog.OnFreed = [this](TForm&) {
        progress_->Detach();
        Application().Release(std::move(form2_));
    };
    const TBounds main = Bounds();
    const TBounds box = dialog.Bounds();
    dialog.SetPosition(main.Left + main.Width / 2 - box.Width / 2, main.Top + main.Height / 2 - box.Height / 2);
    dialog.ShowForm();
    dialog.Button2->Hide();
    dialog.Button3->Hide();
    SetEnabled(false);
    return *progress_;
}

void TForm1::ShowError(const std::string& message) { Application().ShowError(message); }

// A stop the user asked for is no error: it is told as information.
void TForm1::ShowFailure(const TPdfRunResult& result) {
    if (result.Outcome == TPdfRunOutcome::roStopped)
        Application().ShowInfo(Ansi("中止しました"));
    else
        ShowError(result.Message);
}

// The list comes back whole: its sort and type bar and its folder row were
// hidden while the adjustment tab was shown.
void TForm1::ActivateListTab() {
    PageControl1->SetActivePageIndex(0);
    Panel1->Show();
    Panel2->Show();
}

}  // namespace pim

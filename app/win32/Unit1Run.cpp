// The main window's side of the PDF run: the working list, the settings the
// run reads from the controls, and the progress dialog.
#include <algorithm>

#include "app/MainModel.h"
#include "app/win32/Unit1.h"
#include "app/win32/Unit2.h"
#include "base/CodePage.h"
#include "base/Paths.h"
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

namespace {

// Set while a run or a batch goes on.
struct TRunningFlag {
    explicit TRunningFlag(bool& running) : running_(running) { running_ = true; }
    ~TRunningFlag() { running_ = false; }
    bool& running_;
};

}  // namespace

TPdfRunSettings TForm1::RunSettings() const {
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
    s.Binding = ComboBox3->ItemIndex() == 1 ? TBinding::bRight : TBinding::bLeft;
    s.PageDisplay = static_cast<TPageDisplay>(std::max(0, ComboBox4->ItemIndex()));
    return s;
}

std::string TForm1::OutputFolder(const TPdfRunSettings& s) { return s.UseSaveFolder ? s.SaveFolder : s.ImageFolder; }

// One question for all the PDFs that are there already, naming the first.
bool TForm1::MayReplace(const std::vector<std::string>& pdfs) {
    std::vector<std::string> taken;
    for (const std::string& pdf : pdfs)
        if (FileExists(pdf)) taken.push_back(pdf);
    if (taken.empty()) return true;
    const std::string first = Ansi("「") + Utf8ToAnsi(ExtractFileName(taken.front()));
    const std::string question = taken.size() == 1 ? first + Ansi("」は既にあります。\r\n置き換えますか？")
                                                   : first + Ansi("」など") + std::to_string(taken.size()) +
                                                         Ansi("個のPDFは既にあります。\r\n置き換えますか？");
    return Application().Confirm(question);
}

void TForm1::CreatePdf(const std::vector<int>& turns) {
    // The working list no longer holds a move registration.
    if (ListBox1.Count() > 0) N4->SetEnabled(false);
    const TPdfRunSettings s = RunSettings();
    // An existing PDF is replaced only when the user says so.
    if (ListBox1.Count() > 0 && !MayReplace({OutputFileName(OutputFolder(s), s.OutputName)})) return;
    TRunningFlag flag(running_);
    PdfRun->CreatePdf(*this, {ListBox1.begin(), ListBox1.end()}, s, turns);
    Image1->Clear();
}

// The sub-folders are listed as the list lists the image folder: its type
// boxes and its sort.
static TListingOptions ListingOf(TImgListView& list) {
    return {list.DispTypes().Ext(), list.SortType(), list.Descend(), list.DispTypes().Hidden()};
}

void TForm1::Button8Click() {
    if (running_) return;
    ImgListView1->Model().FinishListing();
    const TPdfRunSettings s = RunSettings();
    const TListingOptions listing = ListingOf(*ImgListView1);
    std::vector<std::string> pdfs;
    for (const std::string& folder : SubfolderPaths(s.ImageFolder, listing))
        pdfs.push_back(OutputFileName(OutputFolder(s), FolderNameOf(folder)));
    if (!MayReplace(pdfs)) return;
    TRunningFlag flag(running_);
    CreatePdfPerSubfolder(*PdfRun, *this, s, listing);
    Image1->Clear();
}

void TForm1::Button9Click() {
    if (running_) return;
    ImgListView1->Model().FinishListing();
    const TPdfRunSettings s = RunSettings();
    if (!MayReplace({OutputFileName(OutputFolder(s), FolderNameOf(s.ImageFolder))})) return;
    TRunningFlag flag(running_);
    CreatePdfOfAllSubfolders(*PdfRun, *this, ListedFiles(ImgListView1->ImgItems()),
                             ListedTurns(ImgListView1->ImgItems()), s, ListingOf(*ImgListView1));
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
    dialog.OutputFolder = OutputFolder(RunSettings());
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

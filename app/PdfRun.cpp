#include "app/PdfRun.h"

#include <algorithm>
#include <new>

#include "app/AppPlatform.h"
#include "app/MainModel.h"
#include "base/DateUtils.h"
#include "pdf/PdfFonts.h"
#include "pdf/PdfGBFonts.h"
#include "pdf/PdfImages.h"
#include "pdf/PdfJpFonts.h"
#include "pdf/PdfJpegImage.h"

namespace pim {

namespace {

// The design-time values of the form's components.
constexpr TDateTime kDesignCreationDate = 37772.7400285764;  // 31 May 2003 17:45:38
constexpr int kTextPageWidth = 480;
constexpr int kTextPageHeight = 680;
constexpr const char* kCutOffJpeg =
    "the JPEG data end before the image does (the file is cut off); the page shows only what is there";

template <class T>
T* Placed(T* control, TWinControl* parent) {
    control->SetParent(parent);
    control->SetBounds(0, 0, control->Width(), control->Height());
    return control;
}

// Lends the working objects to AdjustImage for the time of one file.
class TLend {
public:
    TLend(TWorkObjects*& slot, TWorkObjects& work) : slot_(slot) { slot_ = &work; }
    ~TLend() { slot_ = nullptr; }
    TLend(const TLend&) = delete;
    TLend& operator=(const TLend&) = delete;

private:
    TWorkObjects*& slot_;
};

std::string CauseOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

}  // namespace

void RegisterPdfClasses() {
    RegisterStandardFonts();
    RegisterJapaneseFonts();
    RegisterChineseFonts();
    RegisterPdfBitmapImage();
    RegisterPdfJpegImage();
}

TPdfRun::TPdfRun()
    : PReport1(CreateComponent<TPReport>("PReport1")),
      PRPage1(CreateComponent<TPRPage>("PRPage1")),
      PRLayoutPanel1(Placed(CreateComponent<TPRLayoutPanel>("PRLayoutPanel1"), PRPage1)),
      PRJpegImage1(Placed(CreateComponent<TPRJpegImage>("PRJpegImage1"), PRLayoutPanel1)),
      PRImage1(Placed(CreateComponent<TPRImage>("PRImage1"), PRLayoutPanel1)),
      PRText1(Placed(CreateComponent<TPRText>("PRText1"), PRLayoutPanel1)) {
    RegisterPdfClasses();
    PReport1->SetFileName("default.pdf");
    PReport1->SetAuthor("1234");
    PReport1->SetCreationDate(kDesignCreationDate);
    PReport1->SetCreator(std::string(kAppTitle));
    PReport1->SetKeywords("1234");
    PReport1->SetSubject("1234");
    PReport1->SetTitle("1234");
    PReport1->SetPageLayout(plOneColumn);
    PReport1->SetUseOutlines(true);
    PReport1->SetViewerPreference(ViewerPreferenceBit(vpFitWindow) | ViewerPreferenceBit(vpCenterWindow));

    PRPage1->SetBounds(0, 0, 217, 121);
    PRPage1->SetVisible(false);
    PRPage1->OnPrintPage = [this](TPRPage& sender, TPRCanvas& canvas) { PRPage1PrintPage(sender, canvas); };

    for (TPRImage* item : {static_cast<TPRImage*>(PRJpegImage1), PRImage1}) {
        item->SetStretch(false);
        item->SetSharedImage(false);
    }
    PRText1->SetFontName(TPRFontName::fnPGothic);
    PRText1->SetFontSize(12);
    PRText1->SetLeading(14);
}

TPdfRun::~TPdfRun() {
    // The document refers to the spool: it goes first.
    PReport1->AbortDocument();
}

void TPdfRun::ListItems(TShellItems& items) {
    ListBox1.Clear();
    for (int i = 0; i < items.Count(); ++i) ListBox1.Add(items[i]->FullPath());
}

TPdfRunResult TPdfRun::CreatePdf(TPdfRunHost& host) {
    TPdfRunResult result;
    host.ActivateListTab();
    const int count = ListBox1.Count();
    if (count == 0) {
        result.Outcome = TPdfRunOutcome::roNoFiles;
        result.Message = kMsgNoImages;
        host.ShowError(result.Message);
        return result;
    }

    TPdfRunProgress& progress = host.OpenProgress();
    progress.SetCaption(std::string(kCaptionRunning));
    progress.SetMaximum(count);
    try {
        PReport1->SetTitle(Settings.Title);
        PReport1->SetSubject(Settings.Subject);
        PReport1->SetAuthor(Settings.Author);
        PReport1->SetKeywords(Settings.Keywords);
        PReport1->SetCreationDate(Now());
        const std::string& folder = Settings.UseSaveFolder ? Settings.SaveFolder : Settings.ImageFolder;
        PReport1->SetFileName(OutputFileName(folder, Settings.OutputName));

        spool_ = std::make_unique<TPageSpool>(TemporaryFolder());
        unchangedJpegs_.clear();
        warnings_.clear();
        PReport1->BeginDocument();
        for (int i = 0; i < count; ++i) {
            progress.ProcessMessages();
            if (progress.Stopped()) {
                result.Outcome = TPdfRunOutcome::roStopped;
                break;
            }
            progress.SetPosition(i);
            progress.SetLabel(ReadingLabel(i, count));
            LoadPageSource(i);
            PrintCurrentPage();
        }
        if (result.Outcome == TPdfRunOutcome::roDone) {
            result.WhileSaving = true;
            PReport1->SaveAbandoned = SaveAbandoned;
            PReport1->EndDocument();
        }
    } catch (...) {
        result.Outcome = result.WhileSaving && SaveAbandoned && SaveAbandoned() ? TPdfRunOutcome::roStopped
                                                                               : TPdfRunOutcome::roFailed;
        result.FailedFile = result.WhileSaving ? PReport1->FileName() : CurrentFile;
        result.Cause = CauseOf(std::current_exception());
    }
    PReport1->SaveAbandoned = nullptr;
    if (result.Outcome != TPdfRunOutcome::roDone) {
        PReport1->AbortDocument();
        spool_.reset();
        result.Message = kMsgStopped;
        host.ShowError(result.Message);
        Image1.Clear();
        host.UpdateStatus();
        return result;
    }
    spool_.reset();
    for (const auto& [page, data] : unchangedJpegs_)
        if (data->CutOff()) warnings_.push_back({page, {ListBox1[page], kCutOffJpeg}});
    unchangedJpegs_.clear();
    // In page order: pages decoded at load and pages copied at the save interleave.
    std::stable_sort(warnings_.begin(), warnings_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [page, warning] : warnings_) result.Warnings.push_back(std::move(warning));
    warnings_.clear();
    progress.SetPosition(count);
    progress.ShowFinishButtons();
    progress.SetCaption(std::string(kCaptionFinished));
    progress.SetLabel(FinishedLabel());
    Image1.Clear();
    return result;
}

void TPdfRun::PrintCurrentPage() {
    PReport1->PrintPage(*PRPage1);
    // The page's image bytes wait for the save in the scratch file, not in memory.
    if (spool_) spool_->SpoolPageImages(*PReport1->Doc()->GetCanvas()->GetPage());
}

void TPdfRun::LoadPageSource(int index) {
    CurrentFile = ListBox1[index];
    CurrentExt = CurrentExtOf(CurrentFile);
    pageIndex_ = index;
    TWorkObjects work;  // released on every path, failures included
    const TLend lend(work_, work);

    if (Settings.ReencodeJpeg) {
        AdjustImage();
    } else if (CurrentExt == "txt") {
        PRText1->Lines().LoadFromFile(CurrentFile);
    } else if (CurrentExt != "jpg") {
        Image1.LoadFromFile(CurrentFile);
    } else {
        work.WorkJpeg.LoadFromFile(CurrentFile);
        // PDF viewers take DCT data behind /DeviceRGB as three components:
        // greyscale files, and CMYK or YCCK ones as scanners make, are
        // decoded and encoded again in colour.
        const TJpegHeader& header = work.WorkJpeg.Header();
        if (work.WorkJpeg.Grayscale() || header.components != 3) {
            AdjustImage();
        } else {
            Image1.SetGraphic(&work.WorkJpeg);  // the file's own bytes reach the PDF
            unchangedJpegs_.emplace_back(index, work.WorkJpeg.Data());
        }
    }
    ArmPage();
}

void TPdfRun::ArmPage() {
    PRJpegImage1->SetPrintable(false);
    PRImage1->SetPrintable(false);
    PRText1->SetPrintable(false);
    if (CurrentExt == "txt") {
        PRText1->SetPrintable(true);
        PRPage1->SetBounds(PRPage1->Left(), PRPage1->Top(), kTextPageWidth, kTextPageHeight);
        PRLayoutPanel1->SetBounds(0, 0, kTextPageWidth, kTextPageHeight);
        PRText1->SetBounds(0, 0, kTextPageWidth, kTextPageHeight);
        return;
    }
    // One pixel is one point: the page is the picture's size and the
    // picture covers it from the top-left corner, margins not applied.
    const int width = Image1.Width();
    const int height = Image1.Height();
    PRPage1->SetBounds(PRPage1->Left(), PRPage1->Top(), width, height);
    PRLayoutPanel1->SetBounds(0, 0, width, height);
    TPRImage* item = CurrentExt == "jpg" ? PRJpegImage1 : CurrentExt == "bmp" ? PRImage1 : nullptr;
    if (!item) throw EInvalidGraphic("Unknown picture file extension (." + CurrentExt + ")");
    item->SetPrintable(true);
    item->SetPicture(Image1);
    item->SetBounds(0, 0, width, height);
}

void TPdfRun::AdjustImage() {
    TWorkObjects fresh;
    TWorkObjects& work = work_ ? *work_ : fresh;
    pim::AdjustImage({CurrentFile, CurrentExt, Image1, PRText1->Lines()}, Settings.Adjust, work);
    if (work.SourceCutOff) warnings_.push_back({pageIndex_, {CurrentFile, kCutOffJpeg}});
}

void TPdfRun::PRPage1PrintPage(TPRPage& /*sender*/, TPRCanvas& /*canvas*/) {
    if (PReport1->CurrentPageNumber() == 1) {
        PReport1->SetOpenAction(PReport1->CreateDestination());
        PReport1->OpenAction()->SetDestinationType(dtXYZ);
        PReport1->OpenAction()->SetZoom(1.0f);
    }
    TPROutlineEntry* entry = PReport1->OutlineRoot()->AddChild();
    entry->SetDest(PReport1->CreateDestination());
    entry->Dest()->SetTop(0);
    // A name code page 932 cannot hold keeps its true characters.
    if (std::u16string title = UnicodeBookmarkTitleOf(CurrentFile); !title.empty())
        entry->SetUnicodeTitle(std::move(title));
    else
        entry->SetTitle(BookmarkTitleOf(CurrentFile));
}

}  // namespace pim

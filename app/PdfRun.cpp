#include "app/PdfRun.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>
#include <optional>
#include <thread>
#include <tuple>

#include "app/AppPlatform.h"
#include "app/MainModel.h"
#include "app/OrderedWorkers.h"
#include "base/CodePage.h"
#include "base/DateUtils.h"
#include "base/FileSystem.h"
#include "graphics/BmpFile.h"
#include "graphics/Exif.h"
#include "pdf/PdfFonts.h"
#include "pdf/PdfGBFonts.h"
#include "pdf/PdfImages.h"
#include "pdf/PdfJpFonts.h"
#include "pdf/PdfJpegImage.h"
#include "pdf/PdfPngImage.h"
#include "pdf/PdfRasterImage.h"
#include "report/FileCommit.h"

namespace pim {

namespace {

// The design-time values of the form's components.
constexpr TDateTime kDesignCreationDate = 37772.7400285764;  // 31 May 2003 17:45:38
constexpr int kTextPageWidth = 480;
constexpr int kTextPageHeight = 680;
constexpr const char* kCutOffJpeg =
    "the JPEG data end before the image does (the file is cut off); the page shows only what is there";
constexpr const char* kCutOffPng =
    "the PNG file ends before its image does (the file is cut off); the page shows only what is there";

template <class T>
T* Placed(T* control, TWinControl* parent) {
    control->SetParent(parent);
    control->SetBounds(0, 0, control->Width(), control->Height());
    return control;
}

int WorkerCount(int jobs) {
    if (jobs > 0) return jobs;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// The cause of a PDF that another program holds open (UTF-8 here, code
// page 932 when shown).
constexpr const char* kPdfInUse = "ＰＤＦが他のアプリで開かれています";

// The error's words (the system's own when it refused a call) and the
// kind of trouble it is.
std::pair<std::string, TFault> CauseOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const EFileInUse&) {
        return {kPdfInUse, TFault::fUnknown};
    } catch (const EStreamError& e) {
        return {e.SystemReason().empty() ? std::string(e.what()) : e.SystemReason(), e.Fault()};
    } catch (const Exception& e) {
        return {e.what(), e.Fault()};
    } catch (const std::bad_alloc&) {
        return {"out of memory", TFault::fOutOfMemory};
    } catch (const std::exception& e) {
        return {e.what(), TFault::fUnknown};
    } catch (...) {
        return {"unknown error", TFault::fUnknown};
    }
}

// The cause in Japanese for the common kinds of trouble (UTF-8); empty for
// the rest. `file` names the kind of picture that was expected.
std::string JapaneseCause(TFault fault, const std::string& file) {
    switch (fault) {
        case TFault::fNotItsKind: {
            const std::string ext = CurrentExtOf(file);
            const TFileKind fileKind = FileKindOf(file);
            const char* kind = ext == "jpg"                    ? "JPEG"
                               : ext == "png"                  ? "PNG"
                               : ext == "bmp"                  ? "BMP"
                               : fileKind == TFileKind::fkTiff ? "TIFF"
                               : fileKind == TFileKind::fkGif  ? "GIF"
                               : fileKind == TFileKind::fkWebp ? "WebP"
                                                               : "";
            return std::string(kind) + "画像ではありません";
        }
        case TFault::fCutOff: return "ファイルが途中で切れています";
        case TFault::fDamaged: return "ファイルが壊れています";
        case TFault::fTooLarge: return "画像が大きすぎます";
        case TFault::fUnsupported: return "対応していない形式の画像です";
        case TFault::fNoPermission: return "アクセスが許可されていません";
        case TFault::fDiskFull: return "ディスクの空き容量が足りません";
        case TFault::fOutOfMemory: return "メモリが足りません";
        case TFault::fUnknown: break;
    }
    return {};
}

// Fails (EStreamError with the system's reason) unless a new file can be
// made in the folder: a probe file of the temporary file's kind, created
// exclusively and removed at once.
void ProbeFolder(const std::string& folder) {
    std::unique_ptr<TFileStream> probe = CreateUniqueFile(folder, kTemporaryPrefix, kTemporarySuffix);
    const std::string name = probe->FileName();
    probe.reset();
    RemoveFile(name);
}

// Texts of the failure message (UTF-8 here, code page 932 when shown).
constexpr const char* kNotMade = "ＰＤＦを作成できませんでした。";
constexpr const char* kUnreadable = "読み込めないファイル: ";
constexpr const char* kUnwritable = "書き込めないＰＤＦ: ";
constexpr const char* kCauseLabel = "原因: ";

}  // namespace

std::string FailureMessage(const TPdfRunResult& result) {
    switch (result.Outcome) {
        case TPdfRunOutcome::roDone: return {};
        case TPdfRunOutcome::roNoFiles: return std::string(kMsgNoImages);
        case TPdfRunOutcome::roStopped: return std::string(kMsgStopped);
        case TPdfRunOutcome::roFailed: break;
    }
    std::string text = Utf8ToAnsi(kNotMade) + "\r\n";
    if (result.Stage == TPdfRunStage::rsReading)
        text += Utf8ToAnsi(kUnreadable) + Utf8ToAnsi(ExtractFileName(result.FailedFile));
    else
        text += Utf8ToAnsi(kUnwritable) + Utf8ToAnsi(result.FailedFile);
    text += "\r\n" + Utf8ToAnsi(kCauseLabel);
    const std::string japanese = JapaneseCause(result.CauseFault, result.FailedFile);
    if (result.NameProblem)
        text += NameProblemTextAnsi(result.NameProblem);
    else if (!japanese.empty())
        text += Utf8ToAnsi(japanese + "（" + result.Cause + "）");
    else
        text += Utf8ToAnsi(result.Cause);
    return text;
}

// What PreparePage makes of one file.
struct TPdfRun::TPreparedPage {
    TFileKind Kind = TFileKind::fkOther;             // the run's currentKind_
    std::unique_ptr<TGraphic> Picture;               // an image's picture, as Image1 takes it
    TStringList Lines;                               // a text file's lines
    std::shared_ptr<const TJpegData> UnchangedJpeg;  // the file's own JPEG bytes go into the PDF
    bool CutOff = false;                             // a decoded JPEG ended early
    std::string Warning;                             // else what was wrong with the file (a PNG's data, a BMP's fields)
    int Orientation = 0;                             // the source JPEG's EXIF orientation, 0 none
    TDensity Density;                                // what the file states (none for a text)
    TScanWebMorePages More;                          // a multi-page file's further pages (on its first)
    int PageOfFile = 0;                              // which page of the file this is
};

TPdfPageLayout PageLayoutOf(TPageDisplay display) {
    switch (display) {
        case TPageDisplay::pdContinuous: break;
        case TPageDisplay::pdSingle: return plSinglePage;
        case TPageDisplay::pdSpread: return plTwoColumnLeft;
        case TPageDisplay::pdSpreadCover: return plTwoColumnRight;
    }
    return plOneColumn;
}

void RegisterPdfClasses() {
    RegisterStandardFonts();
    RegisterJapaneseFonts();
    RegisterChineseFonts();
    RegisterPdfBitmapImage();
    RegisterPdfJpegImage();
    RegisterPdfPngImage();
    RegisterPdfRasterImage();
}

TPdfRun::TPdfRun()
    : PReport1(CreateComponent<TPReport>("PReport1")),
      PRPage1(CreateComponent<TPRPage>("PRPage1")),
      PRLayoutPanel1(Placed(CreateComponent<TPRLayoutPanel>("PRLayoutPanel1"), PRPage1)),
      PRJpegImage1(Placed(CreateComponent<TPRJpegImage>("PRJpegImage1"), PRLayoutPanel1)),
      PRImage1(Placed(CreateComponent<TPRImage>("PRImage1"), PRLayoutPanel1)),
      PRText1(Placed(CreateComponent<TPRText>("PRText1"), PRLayoutPanel1)),
      PRPngImage1(Placed(CreateComponent<TPRPngImage>("PRPngImage1"), PRLayoutPanel1)),
      PRRasterImage1(Placed(CreateComponent<TPRRasterImage>("PRRasterImage1"), PRLayoutPanel1)) {
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

    for (TPRImage* item : {static_cast<TPRImage*>(PRJpegImage1), PRImage1, static_cast<TPRImage*>(PRPngImage1),
                           static_cast<TPRImage*>(PRRasterImage1)}) {
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

std::vector<std::string> ListedFiles(TShellItems& items) {
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) files.push_back(items[i]->FullPath());
    return files;
}

std::vector<int> ListedTurns(const TImgListItems& items) {
    std::vector<int> turns;
    turns.reserve(static_cast<std::size_t>(items.Count()));
    for (int i = 0; i < items.Count(); ++i) turns.push_back(items[i]->Turn);
    return turns;
}

TPdfRunResult TPdfRun::CreatePdf(TPdfRunHost& host, const std::vector<std::string>& files,
                                 const TPdfRunSettings& settings, const std::vector<int>& turns) {
    files_ = files;
    turns_ = turns;
    settings_ = settings;
    // Chapters in file order, whatever order they came in.
    std::stable_sort(settings_.Chapters.begin(), settings_.Chapters.end(),
                     [](const TPdfChapter& a, const TPdfChapter& b) { return a.First < b.First; });
    TPdfRunResult result = Run(host);
    files_.clear();
    turns_.clear();
    currentFile_.clear();
    currentKind_ = TFileKind::fkOther;
    return result;
}

TPdfRunResult TPdfRun::Run(TPdfRunHost& host) {
    TPdfRunResult result;
    host.ActivateListTab();
    const int count = static_cast<int>(files_.size());
    if (count == 0) {
        result.Outcome = TPdfRunOutcome::roNoFiles;
        result.Message = FailureMessage(result);
        host.ShowFailure(result);
        return result;
    }

    TPdfRunProgress& progress = host.OpenProgress();
    progress.SetCaption(std::string(kCaptionRunning));
    progress.SetMaximum(count);
    try {
        PReport1->SetTitle(settings_.Title);
        PReport1->SetSubject(settings_.Subject);
        PReport1->SetAuthor(settings_.Author);
        PReport1->SetKeywords(settings_.Keywords);
        PReport1->SetCreationDate(Now());
        PReport1->SetPageLayout(PageLayoutOf(settings_.PageDisplay));
        PReport1->SetDirection(settings_.Binding == TBinding::bRight ? pdR2L : pdL2R);
        const std::string& folder = settings_.UseSaveFolder ? settings_.SaveFolder : settings_.ImageFolder;
        PReport1->SetFileName(OutputFileName(folder, settings_.OutputName));

        // The output before the first page: its name as Windows takes it, the
        // folder taking a new file, the PDF's own name taken by the system.
        result.Stage = TPdfRunStage::rsOutput;
        result.NameProblem = CheckOutputName(settings_.OutputName);
        if (result.NameProblem) throw EStreamError(NameProblemText(result.NameProblem));
        ProbeFolder(folder);
        CheckCommitTarget(CommitTargetOf(PReport1->FileName()));
        result.Stage = TPdfRunStage::rsReading;

        spool_ = std::make_unique<TPageSpool>(TemporaryFolder());
        unchangedJpegs_.clear();
        warnings_.clear();
        nextChapter_ = 0;
        chapterEntry_ = nullptr;
        PReport1->BeginDocument();
        // Workers prepare the pages ahead; the pages are armed and printed
        // here, in order, as they would be without them. Unless told to
        // prepare each page in its turn, files are read on a worker even
        // when there is one: a read that blocks then never holds the stop.
        const int jobs = std::min(WorkerCount(settings_.Jobs), count);
        std::unique_ptr<TOrderedWorkers<TPreparedPage>> workers;
        if (settings_.Jobs != 1) {
            workers = std::make_unique<TOrderedWorkers<TPreparedPage>>(
                count, jobs, 2 * jobs, [files = files_, settings = settings_](int i) {
                    const std::string& file = files[static_cast<std::size_t>(i)];
                    return file.empty() ? TPreparedPage{} : PreparePage(file, settings);  // a blank reads nothing
                });
        }
        // The size of the last page printed, and the blanks that came before
        // any real page: they wait for the first one's size.
        std::optional<TPrintedSize> lastSize;
        std::vector<int> pendingBlanks;
        for (int i = 0; i < count; ++i) {
            progress.ProcessMessages();
            if (progress.Stopped()) {
                result.Outcome = TPdfRunOutcome::roStopped;
                break;
            }
            progress.SetPosition(i);
            progress.SetLabel(ReadingLabel(i, count));
            const bool blank = files_[static_cast<std::size_t>(i)].empty();
            if (workers) {
                currentFile_ = files_[static_cast<std::size_t>(i)];  // named if its preparation failed
                // The dialog stays live while the page is read: a stop or a
                // close leaves a read that does not end behind.
                std::optional<TPreparedPage> page = workers->Take(i, [&] { return progress.WaitingForRead(); });
                if (!page) {
                    result.Outcome = TPdfRunOutcome::roStopped;
                    break;
                }
                if (!blank) ArmPreparedPage(i, std::move(*page));
            } else if (!blank) {
                LoadPageSource(i);
            }
            if (blank) {
                if (lastSize)
                    PrintBlankPage(i, *lastSize);
                else
                    pendingBlanks.push_back(i);
                continue;
            }
            // Blanks before the first real page take its size; a blank after
            // a file, the size of the file's last page.
            for (int b : pendingBlanks) PrintBlankPage(b, {PRPage1->Width(), PRPage1->Height(), PRPage1->Paper()});
            pendingBlanks.clear();
            pageIndex_ = i;
            PrintCurrentPage();
            lastSize = TPrintedSize{PRPage1->Width(), PRPage1->Height(), PRPage1->Paper()};
        }
        if (result.Outcome == TPdfRunOutcome::roDone)
            for (int b : pendingBlanks)
                PrintBlankPage(
                    b, {kTextPageWidth, kTextPageHeight, PaperFor(kTextPageWidth, kTextPageHeight, {72, 72}, false)});
        workers.reset();  // pages still in progress after a stop or a failure are left to end on their own
        if (result.Outcome == TPdfRunOutcome::roDone) {
            result.Stage = TPdfRunStage::rsSaving;
            result.WhileSaving = true;
            PReport1->SaveAbandoned = SaveAbandoned;
            PReport1->EndDocument();
        }
    } catch (...) {
        result.Outcome = result.WhileSaving && SaveAbandoned && SaveAbandoned() ? TPdfRunOutcome::roStopped
                                                                                : TPdfRunOutcome::roFailed;
        result.FailedFile = result.Stage == TPdfRunStage::rsReading ? currentFile_ : PReport1->FileName();
        std::tie(result.Cause, result.CauseFault) = CauseOf(std::current_exception());
    }
    PReport1->SaveAbandoned = nullptr;
    if (result.Outcome != TPdfRunOutcome::roDone) {
        PReport1->AbortDocument();
        spool_.reset();
        result.Message = FailureMessage(result);
        if (result.Outcome == TPdfRunOutcome::roFailed) progress.ShowFailure(result.Message);
        host.ShowFailure(result);
        image1_.Clear();
        host.UpdateStatus();
        return result;
    }
    spool_.reset();
    for (const auto& [page, data] : unchangedJpegs_)
        if (data->CutOff()) warnings_.push_back({page, {files_[static_cast<std::size_t>(page)], kCutOffJpeg}});
    unchangedJpegs_.clear();
    // In page order: pages decoded at load and pages copied at the save interleave.
    std::stable_sort(warnings_.begin(), warnings_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [page, warning] : warnings_) result.Warnings.push_back(std::move(warning));
    warnings_.clear();
    progress.SetPosition(count);
    progress.ShowFinishButtons();
    progress.SetCaption(std::string(kCaptionFinished));
    progress.SetLabel(FinishedLabel());
    image1_.Clear();
    return result;
}

void TPdfRun::PrintCurrentPage() {
    if (currentKind_ == TFileKind::fkText) {
        // A text goes on as many pages as it needs; its bookmark marks the first.
        std::vector<TStringList> pages = PRText1->Pages();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            PRText1->Lines() = std::move(pages[i]);
            continuation_ = i > 0;
            PReport1->PrintPage(*PRPage1);
        }
        continuation_ = false;
        return;
    }
    PReport1->PrintPage(*PRPage1);
    // The page's image bytes wait for the save in the scratch file, not in memory.
    if (spool_) spool_->SpoolPageImages(*PReport1->Doc()->GetCanvas()->GetPage());
    // A multi-page TIFF's further pages, each made in its turn.
    for (int n = pageOfFile_ + 1; n < morePages_.Count; ++n) {
        TPreparedPage page;
        page.Kind = currentKind_;
        page.PageOfFile = n;
        TScanWebPage made = PrepareScanWebPage(morePages_, n, settings_.Adjust, settings_.ReencodeJpeg);
        page.Picture = std::move(made.Picture);
        page.Warning = std::move(made.Warning);
        page.Density = made.Density;
        ArmPreparedPage(pageIndex_, std::move(page));
        PReport1->PrintPage(*PRPage1);
        if (spool_) spool_->SpoolPageImages(*PReport1->Doc()->GetCanvas()->GetPage());
    }
}

void TPdfRun::PrintBlankPage(int index, const TPrintedSize& size) {
    // Nothing printable, the page sized; then the armed page as it was.
    TPRItem* const items[] = {PRJpegImage1, PRImage1, PRText1, PRPngImage1, PRRasterImage1};
    bool printable[std::size(items)];
    for (std::size_t i = 0; i < std::size(items); ++i) {
        printable[i] = items[i]->Printable();
        items[i]->SetPrintable(false);
    }
    const TRect page = PRPage1->BoundsRect();
    const TRect panel = PRLayoutPanel1->BoundsRect();
    const std::optional<TPRPage::TPaper> paper = PRPage1->Paper();
    PRPage1->SetBounds(page.Left, page.Top, size.Width, size.Height);
    PRPage1->SetPaper(size.Paper);
    PRLayoutPanel1->SetBounds(0, 0, size.Width, size.Height);
    pageIndex_ = index;
    blank_ = true;
    PReport1->PrintPage(*PRPage1);
    blank_ = false;
    PRPage1->SetPaper(paper);
    PRPage1->SetBounds(page.Left, page.Top, page.Right - page.Left, page.Bottom - page.Top);
    PRLayoutPanel1->SetBounds(panel.Left, panel.Top, panel.Right - panel.Left, panel.Bottom - panel.Top);
    for (std::size_t i = 0; i < std::size(items); ++i) items[i]->SetPrintable(printable[i]);
}

TPdfRun::TPreparedPage TPdfRun::PreparePage(const std::string& file, const TPdfRunSettings& settings) {
    TPreparedPage page;
    page.Kind = FileKindOf(file);
    TWorkObjects work;  // WorkJpeg, WorkBitmap, WorkStream: released on every path, failures included
    TPicture image1;
    const auto adjust = [&] {
        pim::AdjustImage({file, page.Kind, image1, page.Lines}, settings.Adjust, work);
        page.CutOff = work.SourceCutOff;
        page.Warning = work.SourceWarning;
        page.Orientation = work.SourceOrientation;
        page.Density = work.SourceDensity;
    };
    if (IsScanWebKind(page.Kind)) {
        TScanWebPage made = PrepareScanWebPage(file, page.Kind, settings.Adjust, settings.ReencodeJpeg, page.More);
        image1.SetGraphic(std::move(made.Picture));
        page.Warning = std::move(made.Warning);
        page.Density = made.Density;
    } else if (settings.ReencodeJpeg) {
        adjust();
    } else if (page.Kind == TFileKind::fkText) {
        LoadTextLines(file, page.Lines);
    } else if (page.Kind == TFileKind::fkBmp) {
        page.Warning = LoadBmpFile(file, image1.Bitmap());
        page.Density = image1.Bitmap().Density();
    } else if (page.Kind != TFileKind::fkJpeg) {
        image1.LoadFromFile(file);
        if (image1.Graphic()) page.Density = image1.Graphic()->Density();
    } else {
        work.WorkJpeg.LoadFromFile(file);
        // PDF viewers take DCT data behind /DeviceRGB as three components:
        // greyscale files, and CMYK or YCCK ones as scanners make, are
        // decoded and encoded again in colour.
        const TJpegHeader& header = work.WorkJpeg.Header();
        if (work.WorkJpeg.Grayscale() || header.components != 3) {
            adjust();
        } else {
            image1.SetGraphic(&work.WorkJpeg);  // the file's own bytes reach the PDF
            page.UnchangedJpeg = work.WorkJpeg.Data();
            page.Orientation = header.orientation;
            page.Density = header.density;
        }
    }
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(image1.Graphic()); jpeg && !jpeg->HasData()) {
        // A picture left for the PDF writer to encode is encoded here, as the
        // page's JPEG item would encode it (a copy: default settings,
        // quality 90): the same bytes, made off the run's thread.
        TJPEGImage item(*jpeg);
        item.JPEGNeeded();
        item.DropBitmap();  // a page waiting its turn holds only its bytes
        image1.SetGraphic(&item);
    }
    if (auto* png = dynamic_cast<TPngImage*>(image1.Graphic())) {
        // A kind that is decoded is decoded and compressed here, off the
        // run's thread; the others are inflated once, keeping nothing, to
        // check their data, and decoded too when those fail.
        png->CheckData();
        if (!png->Lossless()) png->FlateSamples();
        page.CutOff = png->CutOff();
        if (!page.CutOff) page.Warning = png->Damage();
    }
    if (image1.Graphic()) page.Picture = image1.Graphic()->Clone();
    return page;
}

void TPdfRun::ArmPreparedPage(int index, TPreparedPage page) {
    currentFile_ = files_[static_cast<std::size_t>(index)];
    currentKind_ = page.Kind;
    if (page.PageOfFile == 0) morePages_ = std::move(page.More);
    pageOfFile_ = page.PageOfFile;
    if (currentKind_ == TFileKind::fkText) PRText1->Lines() = std::move(page.Lines);
    if (page.Picture) image1_.SetGraphic(page.Picture.get());
    if (page.UnchangedJpeg) unchangedJpegs_.emplace_back(index, std::move(page.UnchangedJpeg));
    if (page.CutOff)
        warnings_.push_back(
            {index, {currentFile_, FileKindOf(currentFile_) == TFileKind::fkPng ? kCutOffPng : kCutOffJpeg}});
    if (!page.Warning.empty()) warnings_.push_back({index, {currentFile_, std::move(page.Warning)}});
    // The user's turn goes on top of the way the picture stands: its EXIF
    // orientation with auto-orient, else as stored.
    const int stored = settings_.AutoOrient ? page.Orientation : 1;
    const auto at = static_cast<std::size_t>(index);
    orientation_ = TurnOrientation(stored, at < turns_.size() ? turns_[at] : 0);
    density_ = page.Density;
    ArmPage();
    if (scaledFrom_.first > 0 && PRPage1->Paper()) {
        // At its density: the page's size is the paper's, not whole units.
        const TPRPage::TPaper& paper = *PRPage1->Paper();
        const auto units = [](double v) { return std::to_string(static_cast<long long>(std::lround(v))); };
        warnings_.push_back(
            {index,
             {currentFile_, "the picture is " + std::to_string(scaledFrom_.first) + " x " +
                                std::to_string(scaledFrom_.second) + " pixels, larger at its density than the " +
                                std::to_string(kMaxPageSide) + " units PDF viewers accept for a page side; the page " +
                                "is scaled down to about " + units(paper.Width) + " x " + units(paper.Height) +
                                " (the picture's data unchanged)"}});
    } else if (scaledFrom_.first > 0) {
        warnings_.push_back(
            {index,
             {currentFile_, "the picture is " + std::to_string(scaledFrom_.first) + " x " +
                                std::to_string(scaledFrom_.second) + " pixels, more than the " +
                                std::to_string(kMaxPageSide) +
                                " units PDF viewers accept for a page side; the page is " + "scaled down to " +
                                std::to_string(PRPage1->Width()) + " x " + std::to_string(PRPage1->Height()) +
                                " (the picture's data unchanged)"}});
    }
}

void TPdfRun::LoadPageSource(int index) {
    currentFile_ = files_[static_cast<std::size_t>(index)];  // named if its preparation fails
    ArmPreparedPage(index, PreparePage(currentFile_, settings_));
}

void TPdfRun::ArmPage() {
    scaledFrom_ = {0, 0};
    PRJpegImage1->SetPrintable(false);
    PRImage1->SetPrintable(false);
    PRText1->SetPrintable(false);
    PRPngImage1->SetPrintable(false);
    PRRasterImage1->SetPrintable(false);
    if (currentKind_ == TFileKind::fkText) {
        // On paper the text page keeps its layout, scaled as a picture of
        // its size at 72 dpi is.
        PRText1->SetPrintable(true);
        PRPage1->SetBounds(PRPage1->Left(), PRPage1->Top(), kTextPageWidth, kTextPageHeight);
        PRPage1->SetPaper(PaperFor(kTextPageWidth, kTextPageHeight, {72, 72}, false));
        PRLayoutPanel1->SetBounds(0, 0, kTextPageWidth, kTextPageHeight);
        PRText1->SetBounds(0, 0, kTextPageWidth, kTextPageHeight);
        return;
    }
    // One pixel is one point: the page is the picture's size and the
    // picture covers it from the top-left corner, margins not applied. A
    // picture stored turned (auto-orient) stands upright on a page as wide
    // as the picture is high.
    const bool turned = orientation_ >= 5;
    int width = turned ? image1_.Height() : image1_.Width();
    int height = turned ? image1_.Width() : image1_.Height();
    // A page past what viewers accept is scaled down, its aspect kept: only
    // the page size and the drawing matrix change, never the picture.
    // Elsewhere than in pixels mode the layout stays the picture's own size
    // and the paper's matrix puts it on the page.
    std::optional<TPRPage::TPaper> paper = PaperFor(image1_.Width(), image1_.Height(), density_, turned);
    bool scaled = false;
    if (paper && settings_.Paper.Size == TPageSize::psDpi &&
        PlacePage(image1_.Width(), image1_.Height(), density_, turned, settings_.Paper).Capped) {
        scaledFrom_ = {width, height};
    }
    if (!paper) {
        const TPagePlacement page = PlacePage(image1_.Width(), image1_.Height(), {}, turned, settings_.Paper);
        scaled = page.Capped;
        if (scaled) scaledFrom_ = {width, height};
        width = static_cast<int>(page.Width);
        height = static_cast<int>(page.Height);
    }
    PRPage1->SetPaper(std::move(paper));
    PRPage1->SetBounds(PRPage1->Left(), PRPage1->Top(), width, height);
    PRLayoutPanel1->SetBounds(0, 0, width, height);
    TPRImage* item = currentKind_ == TFileKind::fkJpeg  ? PRJpegImage1
                     : currentKind_ == TFileKind::fkBmp ? PRImage1
                     : currentKind_ == TFileKind::fkPng ? static_cast<TPRImage*>(PRPngImage1)
                     : !IsScanWebKind(currentKind_)     ? nullptr
                     : image1_.IsJpeg()                 ? static_cast<TPRImage*>(PRJpegImage1)
                                                        : static_cast<TPRImage*>(PRRasterImage1);
    if (!item)
        throw EInvalidGraphic("Unknown picture file extension (" + std::string(ExtractFileExt(currentFile_)) + ")");
    item->SetStretch(scaled);
    item->SetPrintable(true);
    item->SetPicture(image1_);
    item->SetOrientation(orientation_);
    item->SetBounds(0, 0, width, height);
}

std::optional<TPRPage::TPaper> TPdfRun::PaperFor(int width, int height, TDensity density, bool turned) const {
    if (settings_.Paper.Size == TPageSize::psPixels) return std::nullopt;
    const TPagePlacement page = PlacePage(width, height, density, turned, settings_.Paper);
    const double layoutWidth = turned ? height : width;
    const double layoutHeight = turned ? width : height;
    const TPageRect& at = page.Picture;
    return TPRPage::TPaper{
        page.Width, page.Height, {at.Width / layoutWidth, 0, 0, at.Height / layoutHeight, at.Left, at.Bottom}};
}

void TPdfRun::PRPage1PrintPage(TPRPage& /*sender*/, TPRCanvas& /*canvas*/) {
    if (PReport1->CurrentPageNumber() == 1) {
        PReport1->SetOpenAction(PReport1->CreateDestination());
        PReport1->OpenAction()->SetDestinationType(dtXYZ);
        PReport1->OpenAction()->SetZoom(1.0f);
    }
    TPROutlineEntry* parent = OutlineParentFor(pageIndex_);
    if (continuation_ || blank_) return;
    TPROutlineEntry* entry = parent->AddChild();
    entry->SetDest(PReport1->CreateDestination());
    entry->Dest()->SetTop(0);
    // A name code page 932 cannot hold keeps its true characters.
    const std::string page = PageBookmarkSuffix(pageOfFile_, morePages_.Count);  // " (n/N)" in a multi-page file
    if (std::u16string title = UnicodeBookmarkTitleOf(currentFile_); !title.empty())
        entry->SetUnicodeTitle(std::move(title) + std::u16string(page.begin(), page.end()));
    else
        entry->SetTitle(BookmarkTitleOf(currentFile_) + page);
}

}  // namespace pim

namespace pim {

TPROutlineEntry* TPdfRun::OutlineParentFor(int index) {
    const std::vector<TPdfChapter>& chapters = settings_.Chapters;
    // The last chapter starting at or before this page; those passed over
    // on the way have no page.
    bool opened = false;
    while (nextChapter_ < chapters.size() && chapters[nextChapter_].First <= index) {
        ++nextChapter_;
        opened = true;
    }
    if (opened) {
        chapterEntry_ = PReport1->OutlineRoot()->AddChild();
        chapterEntry_->SetDest(PReport1->CreateDestination());
        chapterEntry_->Dest()->SetTop(0);
        // A name code page 932 cannot hold keeps its true characters.
        const std::string& title = chapters[nextChapter_ - 1].Title;
        const std::u16string wide = Utf8ToUtf16(title);
        if (AnsiToUtf16(Utf16ToAnsi(wide)) == wide)
            chapterEntry_->SetTitle(Utf8ToAnsi(title));
        else
            chapterEntry_->SetUnicodeTitle(wide);
    }
    return chapterEntry_ ? chapterEntry_ : PReport1->OutlineRoot();
}

}  // namespace pim

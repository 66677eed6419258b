// The PDF creation run: the main window's non-visual parts (the report, its
// hidden page with one layout panel and three printable items) and the run
// that turns the listed files into one PDF, one file per page. The window and
// the command line call the same object with what they read from their own
// controls or options; each brings its own progress display through
// TPdfRunHost.
//
//   TPdfRun run;
//   TPdfRunSettings settings;
//   settings.ImageFolder = model.FolderPath();
//   TPdfRunResult result = run.CreatePdf(host, ListedFiles(model.ImgItems()), settings,
//                                        ListedTurns(model.ImgItems()));
//
// Texts the document shows (title fields) are code page 932; paths and the
// output name are in the platform's file-name encoding.
//
// An EMPTY path in the files is a blank page (the list's blank items have an
// empty FullPath): a white page with nothing drawn and no bookmark, the size
// of the page before it; blanks at the start take the size of the first
// real page after them, and a list with no real page at all gives 480 x 680.
// A blank counts as a page in the progress.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ImageAdjust.h"
#include "app/MainModel.h"
#include "app/PageGeometry.h"
#include "app/PageSpool.h"
#include "app/ScanWebPages.h"
#include "base/Classes.h"
#include "graphics/Picture.h"
#include "imagelist/ImgUtils.h"
#include "report/PRJpegImage.h"
#include "report/PRPngImage.h"
#include "report/PRRasterImage.h"
#include "report/PReport.h"

namespace pim {

enum class TPdfRunOutcome {
    roDone,     // the PDF was written
    roNoFiles,  // the working list was empty: no dialog, no document
    roFailed,   // a file could not be read or printed, or the PDF not written
    roStopped,  // the user stopped the run
};

// A file whose page was made, but not as the file should have made it.
struct TPdfRunWarning {
    std::string File;   // the source file, in the file-name encoding
    std::string Cause;  // what is wrong with it (English)
};

// Where a failure came from.
enum class TPdfRunStage {
    rsReading,  // a listed file could not be read or made into a page
    rsOutput,   // the output was refused before the first page was read
    rsSaving,   // the PDF could not be written
};

// How a run ended. A failure also says where and why.
struct TPdfRunResult {
    TPdfRunOutcome Outcome = TPdfRunOutcome::roDone;
    // The error box's whole text (code page 932), empty when done: made by
    // FailureMessage, shown as it is by every front end.
    std::string Message;
    TPdfRunStage Stage = TPdfRunStage::rsReading;
    bool WhileSaving = false;  // Stage is rsSaving
    std::string FailedFile;    // the source file being read, or the PDF's path (file-name encoding)
    // Why, in the file-name encoding: the system's own words for a system
    // error ("No space left on device"), else the error's own message, or
    // the broken name rule (English).
    std::string Cause;
    TFault CauseFault = TFault::fUnknown;  // what kind of trouble Cause tells of
    TNameProblem NameProblem;              // rsOutput: the name rule the output name broke, if that was the cause
    // Pages made from damaged files (a JPEG or PNG cut off, a PNG's short or
    // damaged image data, a BMP's untrue header fields), in page order.
    std::vector<TPdfRunWarning> Warnings;
};

// The error box's text for a run that ended as `result` says, in code page
// 932: "強制終了されました" for a stop, "画像が存在しません" for an empty
// list; for a failure three lines: that the PDF was not made, the file read
// (its name) or the PDF (its path), and the cause: a broken name rule in
// Japanese; for the common kinds of trouble (not a picture of its kind, cut
// off, damaged, too large, unsupported, no permission, disk full, no memory)
// a Japanese sentence with Cause after it in parentheses; else Cause as the
// system or the reader worded it.
std::string FailureMessage(const TPdfRunResult& result);

// The progress dialog as the run sees it. It must stay usable until CreatePdf
// returns, also after the user has closed the dialog (calls then do nothing).
class TPdfRunProgress {
public:
    virtual ~TPdfRunProgress() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetLabel(const std::string& text) = 0;
    virtual void SetMaximum(int value) = 0;
    virtual void SetPosition(int value) = 0;
    // The finished state: "閉じる" in place of "強制終了", and "PDFを起動".
    virtual void ShowFinishButtons() = 0;
    // Lets pending window messages through; called once per file, before it
    // is read. A click on the stop button takes effect here.
    virtual void ProcessMessages() = 0;
    // True once the user asked to stop.
    virtual bool Stopped() const = 0;
    // Asked again and again (every 50 ms) while the run waits for a file
    // still being read, so that the dialog, its stop button and its closing
    // work during any read: false (the user stopped) leaves the read behind.
    virtual bool WaitingForRead() {
        ProcessMessages();
        return !Stopped();
    }
    // The failed state (a failure other than a stop): the label shows the
    // error box's text, FailureMessage's.
    virtual void ShowFailure(const std::string& message) { SetLabel(message); }
    // The finished state of a batch of runs (app/PdfBatch.h), a stopped one
    // too: the finish buttons, the finished caption, and the batch's summary
    // (code page 932, CR LF between lines: the PDFs made, then one line per
    // skipped or failed folder) as the label, which may need more room than
    // the finished label has.
    virtual void ShowSummary(const std::string& text) {
        ShowFinishButtons();
        SetCaption(std::string(kCaptionFinished));
        SetLabel(text);
    }
};

// What the run needs from the window that starts it.
class TPdfRunHost {
public:
    virtual ~TPdfRunHost() = default;
    // Creates and shows the progress dialog (centred on the main window, only
    // its stop button visible) and disables the main window.
    virtual TPdfRunProgress& OpenProgress() = 0;
    // A modal error box with one OK button.
    virtual void ShowError(const std::string& message) = 0;
    // How the run's end is told when it did not make the PDF: the error
    // box with the result's Message.
    virtual void ShowFailure(const TPdfRunResult& result) { ShowError(result.Message); }
    // The list tab (PageControl1 page 0) becomes the active one.
    virtual void ActivateListTab() {}
    // Status bar counts and folder labels are refreshed (after a failure).
    virtual void UpdateStatus() {}
};

// The side the book is bound on. Right: the pages read right to left
// (/Direction /R2L, which makes the file PDF 1.3), so a viewer lays each
// spread out as a Japanese book opens.
enum class TBinding { bLeft, bRight };

// How the viewer first shows the pages (/PageLayout).
enum class TPageDisplay {
    pdContinuous,   // one column, scrolled (/OneColumn)
    pdSingle,       // one page at a time (/SinglePage)
    pdSpread,       // two pages side by side, odd pages on the left (/TwoColumnLeft)
    pdSpreadCover,  // side by side, the cover alone first (/TwoColumnRight)
};
TPdfPageLayout PageLayoutOf(TPageDisplay display);

// Files from First up to the next chapter's First belong to the chapter
// called Title (a folder's name, file-name encoding). The chapter gets one
// top-level bookmark, pointing at its first page, whose children are its
// pages' bookmarks; a chapter with no file gets none.
struct TPdfChapter {
    std::string Title;
    int First = 0;
};

// What a run is told besides its files: the window fills it from its
// controls, the command line from its options.
struct TPdfRunSettings {
    std::string Title;           // LabeledEdit1 "タイトル"
    std::string Subject;         // LabeledEdit2 "サブタイトル"
    std::string Author;          // LabeledEdit3 "作成者"
    std::string Keywords;        // LabeledEdit4 "キーワード"
    std::string ImageFolder;     // StaticText3: the list's FolderPath
    std::string SaveFolder;      // StaticText2
    bool UseSaveFolder = false;  // CheckBox6 "保存先変更"
    std::string OutputName;      // LabeledEdit6, without ".pdf"; empty: "default.pdf"
    bool ReencodeJpeg = false;   // CheckBox1 "JPEG再変換"
    TAdjustSettings Adjust;      // group "画像の調整"
    // Worker threads that read, decode, adjust and encode the next pages
    // while the run assembles the PDF in page order: 0 one per processor
    // (at least one, so that a read that blocks never holds the progress
    // dialog), 1 none (each page is prepared in its turn). The PDF is the
    // same byte for byte; a few pages at most are prepared ahead.
    int Jobs = 0;
    // A JPEG's EXIF orientation is applied: the page stands upright (its
    // width and height swapped when the picture is stored turned), the JPEG
    // bytes unchanged. Off: pages are the pictures as stored.
    bool AutoOrient = true;
    TBinding Binding = TBinding::bLeft;                     // 綴じ方向
    TPageDisplay PageDisplay = TPageDisplay::pdContinuous;  // ページの表示
    // ページサイズ, 向き, 余白 and 拡大しない: the size of the pages and where
    // each picture (or text page) goes on its page. The default, one pixel
    // a unit, makes the pages the pictures' own size, as always.
    TPaperSettings Paper;
    // Chapters in file order; files before the first one have their page
    // bookmarks at the top level. Empty: every bookmark is top level.
    std::vector<TPdfChapter> Chapters;
};

// Registers the font classes and image builders the PDF writer creates by
// name (done when the program starts; repeating it does no harm).
void RegisterPdfClasses();

// "PDF作成": the FullPath of every listed item, in list order.
std::vector<std::string> ListedFiles(TShellItems& items);
// The quarter turns the user gave every listed item, in list order.
std::vector<int> ListedTurns(const TImgListItems& items);

class TPdfRun : public TComponent {
public:
    TPdfRun();
    ~TPdfRun() override;
    const char* ClassName() const override { return "TPdfRun"; }

    // The components of the form, owned by this object.
    TPReport* const PReport1;
    TPRPage* const PRPage1;
    TPRLayoutPanel* const PRLayoutPanel1;
    TPRJpegImage* const PRJpegImage1;
    TPRImage* const PRImage1;
    TPRText* const PRText1;
    TPRPngImage* const PRPngImage1;        // a PNG page's item
    TPRRasterImage* const PRRasterImage1;  // a TIFF, GIF or WebP page's item

    // Asked while the PDF is being written: true gives the save up, and the
    // run ends as stopped with no file written. The command line answers
    // true once it is told to end (SIGTERM, SIGHUP, the console closing);
    // left empty, a stop during the save waits for it, as the window's does.
    std::function<bool()> SaveAbandoned;

    // The run over `files` (full paths, one page each, in page order). The
    // output is checked before the first page is read (the name rules, a
    // probe file in the folder, the PDF's own name). Every failure, a stop
    // included, ends in one error box (through the host, with
    // FailureMessage's text, which the progress dialog's label shows too)
    // and leaves no new file and any old one untouched. `turns`: the
    // clockwise quarter turns the user gave each file's picture, put on top
    // of its orientation (files past its end, and text pages, are not turned).
    TPdfRunResult CreatePdf(TPdfRunHost& host, const std::vector<std::string>& files, const TPdfRunSettings& settings,
                            const std::vector<int>& turns = {});
    // The picture on its way to the page being made; empty between runs.
    const TPicture& Picture() const { return image1_; }
    // The main window closes: any document in progress is discarded.
    void FormClose() { PReport1->AbortDocument(); }

private:
    struct TPreparedPage;
    // The page event: the open action on page 1, a bookmark on every page.
    void PRPage1PrintPage(TPRPage& sender, TPRCanvas& canvas);
    TPdfRunResult Run(TPdfRunHost& host);
    // Prepares the page for entry `index` of the files.
    void LoadPageSource(int index);
    // Reading the file and making its picture (or lines), which needs none
    // of the run's objects: done on a worker thread, or in the page's turn.
    static TPreparedPage PreparePage(const std::string& file, const TPdfRunSettings& settings);
    // The prepared page becomes the current one: Image1 or PRText1, the
    // items armed and sized.
    void ArmPreparedPage(int index, TPreparedPage page);
    void PrintCurrentPage();
    // The size a page was printed at: its layout's bounds and, on paper,
    // the paper it went on.
    struct TPrintedSize {
        int Width = 0;
        int Height = 0;
        std::optional<TPRPage::TPaper> Paper;
    };
    // A white page of that size for the blank entry `index`; the armed page waits.
    void PrintBlankPage(int index, const TPrintedSize& size);
    // The paper for a layout of width x height units showing a picture of
    // that many pixels at that density (`turned` as PlacePage takes it);
    // none in pixels mode.
    std::optional<TPRPage::TPaper> PaperFor(int width, int height, TDensity density, bool turned) const;
    // The outline entry the page of file `index` hangs under: its chapter's
    // (made on the chapter's first page) or the root.
    TPROutlineEntry* OutlineParentFor(int index);
    void ArmPage();

    // The call being run: its files and settings, the file being prepared
    // and the last three characters of its name, lower-cased, and the
    // picture (the window's Image1) each prepared image passes through.
    std::vector<std::string> files_;
    std::vector<int> turns_;
    TPdfRunSettings settings_;
    std::string currentFile_;
    TFileKind currentKind_ = TFileKind::fkOther;
    TPicture image1_;
    std::unique_ptr<TPageSpool> spool_;
    // A cut-off JPEG shows while it is decoded, or, when its bytes go into
    // the PDF unchanged, while they are copied at the save: such pages keep
    // their data here until then.
    std::vector<std::pair<int, std::shared_ptr<const TJpegData>>> unchangedJpegs_;  // page index, data
    std::vector<std::pair<int, TPdfRunWarning>> warnings_;                          // page index, warning
    int orientation_ = 1;                                                           // of the current page's picture
    TDensity density_;                                                              // what its file states
    bool continuation_ = false;                // printing a text's second or later page: no bookmark
    bool blank_ = false;                       // printing a blank page: no bookmark
    int pageIndex_ = 0;                        // the file entry of the page being printed
    std::size_t nextChapter_ = 0;              // settings_.Chapters not opened yet start here
    TPROutlineEntry* chapterEntry_ = nullptr;  // the open chapter's bookmark (owned by the document)
    TScanWebMorePages morePages_;              // a multi-page file's pages after the first
    int pageOfFile_ = 0;                       // the page of such a file being printed
    std::pair<int, int> scaledFrom_{0, 0};     // the page's size before ArmPage scaled it down; 0 when it did not
};

}  // namespace pim

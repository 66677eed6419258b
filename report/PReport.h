// Page-layout components: an application describes a PDF page as a small
// tree of controls (a page holding panels holding items) and prints it
// through TPReport, which owns one PDF document per run.
//
// Coordinates here are integer points with the origin at the page's
// top-left corner, y growing downwards; items convert to PDF user space
// (y up) with y_pdf = page height - y.
//
// No visual designer exists in this product, so the controls have no
// on-screen drawing: a page is only a description of a page.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "base/Classes.h"
#include "base/DateUtils.h"
#include "graphics/Picture.h"
#include "pdf/PdfDoc.h"
#include "report/Controls.h"

namespace pim {

class TPRPage;
class TPRPanel;
class TPRGridPanel;

// The handle given to page and panel print events: the canvas of the page
// being printed. Not owned; it stays set after the page is printed.
class TPRCanvas {
public:
    TPdfCanvas* PageCanvas() const { return pageCanvas_; }
    void SetPageCanvas(TPdfCanvas* canvas) { pageCanvas_ = canvas; }

private:
    TPdfCanvas* pageCanvas_ = nullptr;
};

using TPRPrintPageEvent = std::function<void(TPRPage& sender, TPRCanvas& canvas)>;
// The rectangle is a copy: a handler that changes it changes only its own.
using TPRPrintPanelEvent = std::function<void(TPRPanel& sender, TPRCanvas& canvas, TRect rect)>;
using TPRPrintChildPanelEvent =
    std::function<void(TPRGridPanel& sender, TPRCanvas& canvas, int col, int row, TRect rect)>;

// ---- Outline and destination wrappers ---------------------------------------
// Each wraps one PDF object, which owns it (through its Reference), so a
// wrapper lives exactly as long as the document. Use them only while the
// document is open.

class TPRDestination : public TPdfOwnedObject {
public:
    explicit TPRDestination(TPdfDestination& data) : data_(&data) {}
    TPdfDestination& Data() const { return *data_; }

    TPdfDestinationType DestinationType() const { return data_->DestinationType(); }
    void SetDestinationType(TPdfDestinationType value) { data_->SetDestinationType(value); }
    // Left and Right are stored as given; Top and Bottom are distances from
    // the top edge of the page and stored as page height - value.
    void SetLeft(int value) { data_->SetLeft(value); }
    void SetRight(int value) { data_->SetRight(value); }
    void SetTop(int value) { data_->SetTop(data_->PageHeight() - value); }
    void SetBottom(int value) { data_->SetBottom(data_->PageHeight() - value); }
    int Left() const { return data_->Left(); }
    int Right() const { return data_->Right(); }
    int Top() const { return data_->PageHeight() - data_->Top(); }
    int Bottom() const { return data_->PageHeight() - data_->Bottom(); }
    float Zoom() const { return data_->Zoom(); }
    void SetZoom(float value) { data_->SetZoom(value); }

private:
    TPdfDestination* data_;
};

class TPROutlineEntry : public TPdfOwnedObject {
public:
    explicit TPROutlineEntry(TPdfOutlineEntry& data) : data_(&data) {}
    TPdfOutlineEntry& Data() const { return *data_; }

    // Appends a new last child and returns its wrapper.
    TPROutlineEntry* AddChild();
    // The destination must belong to the same document
    // ("SetDest --internal docs are not equal.").
    void SetDest(TPRDestination* value);
    TPRDestination* Dest() const;
    const std::string& Title() const { return data_->Title(); }
    void SetTitle(std::string value) { data_->SetTitle(std::move(value)); }
    // A title code page 932 cannot hold (see TPdfOutlineEntry).
    void SetUnicodeTitle(std::u16string value) { data_->SetUnicodeTitle(std::move(value)); }

private:
    TPdfOutlineEntry* data_;
};

class TPROutlineRoot : public TPROutlineEntry {
public:
    using TPROutlineEntry::TPROutlineEntry;
};

// The matrix that draws a stored picture (the image's unit square) into the
// w x h box of the picture standing upright, for an EXIF orientation 1-8.
std::array<double, 6> OrientationMatrix(int orientation, double w, double h);

// ---- The report driver -------------------------------------------------------

class TAbstractPReport : public TComponent {
public:
    const char* ClassName() const override { return "TAbstractPReport"; }
};

// The temporary file EndDocument writes beside the target before it takes
// the target's place: "~pim" + 8 random hexadecimal digits + ".tmp".
inline constexpr const char* kTemporaryPrefix = "~pim";
inline constexpr const char* kTemporarySuffix = ".tmp";

// Owns one PDF document from BeginDocument until EndDocument (which writes
// FileName) or AbortDocument (which discards it). The document properties
// can only be changed while no document is open.
class TPReport : public TAbstractPReport {
public:
    TPReport();
    ~TPReport() override;
    const char* ClassName() const override { return "TPReport"; }

    void BeginDocument();
    // Appends a page and prints `page` onto it.
    void PrintPage(TPRPage& page);
    // Writes the document to FileName and releases it. The file is written
    // beside the target under a temporary name and put in its place only
    // once complete: a failed save leaves no new file and any old one
    // untouched (the document then stays open).
    void EndDocument();
    void AbortDocument();
    // Asked between pieces of the file while EndDocument writes it, and
    // last just before the finished file is renamed into place; true gives
    // the save up as a failure ("Save abandoned"), leaving no file.
    std::function<bool()> SaveAbandoned;

    // A destination on the page being printed, 10 points above its top edge, zoom 1.
    TPRDestination* CreateDestination();
    TPRDestination* OpenAction() const;
    void SetOpenAction(TPRDestination* value);
    TPROutlineRoot* OutlineRoot() const;
    int CurrentPageNumber() const { return currentPageNumber_; }
    TPRCanvas& Canvas() { return canvas_; }
    // The document in progress, or none.
    TPdfDoc* Doc() const { return doc_.get(); }

    // Plain fields: take effect at the next BeginDocument or EndDocument.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string value) { fileName_ = std::move(value); }
    TPdfCompressionMethod CompressionMethod() const { return compressionMethod_; }
    void SetCompressionMethod(TPdfCompressionMethod value) { compressionMethod_ = value; }

    // Guarded: raise EPdfInvalidOperation while a document is open.
    const std::string& Author() const { return author_; }
    void SetAuthor(std::string value);
    TDateTime CreationDate() const { return creationDate_; }
    void SetCreationDate(TDateTime value);
    const std::string& Creator() const { return creator_; }
    void SetCreator(std::string value);
    const std::string& Keywords() const { return keywords_; }
    void SetKeywords(std::string value);
    TDateTime ModDate() const { return modDate_; }
    void SetModDate(TDateTime value);
    const std::string& Subject() const { return subject_; }
    void SetSubject(std::string value);
    const std::string& Title() const { return title_; }
    void SetTitle(std::string value);
    TPdfPageLayout PageLayout() const { return pageLayout_; }
    void SetPageLayout(TPdfPageLayout value);
    TPdfPageMode PageMode() const { return pageMode_; }
    void SetPageMode(TPdfPageMode value);
    TPdfPageMode NonFullScreenPageMode() const { return nonFullScreenPageMode_; }
    // pmFullScreen is stored as pmUseNone.
    void SetNonFullScreenPageMode(TPdfPageMode value);
    bool UseOutlines() const { return useOutlines_; }
    void SetUseOutlines(bool value);
    TPdfViewerPreferences ViewerPreference() const { return viewerPreference_; }
    void SetViewerPreference(TPdfViewerPreferences value);
    // Right to left adds /Direction /R2L to the viewer preferences (and makes
    // the file PDF 1.3); left to right writes nothing.
    TPdfDirection Direction() const { return direction_; }
    void SetDirection(TPdfDirection value);

private:
    void CheckIdle(const char* setter) const;
    void FreeDoc();

    std::string fileName_ = "default.pdf";
    int currentPageNumber_ = 0;
    std::string author_;
    TDateTime creationDate_;
    std::string creator_;
    std::string keywords_;
    TDateTime modDate_ = 0.0;
    std::string subject_;
    std::string title_;
    TPRCanvas canvas_;
    std::unique_ptr<TPdfDoc> doc_;
    TPdfPageMode pageMode_ = pmUseNone;
    TPdfPageMode nonFullScreenPageMode_ = pmUseNone;
    TPdfPageLayout pageLayout_ = plSinglePage;
    TPdfCompressionMethod compressionMethod_ = cmNone;
    bool useOutlines_ = false;
    TPROutlineRoot* outlineRoot_ = nullptr;  // owned by the document
    TPRDestination* openAction_ = nullptr;   // owned by the document
    TPdfViewerPreferences viewerPreference_ = 0;
    TPdfDirection direction_ = pdL2R;
};

// ---- Page and panels ---------------------------------------------------------

// One page: its Width and Height, in points, are the PDF page size.
class TPRPage : public TWinControl {
public:
    TPRPage();
    const char* ClassName() const override { return "TPRPage"; }

    // Sizes the PDF page, fires OnPrintPage, then prints the panels placed
    // directly on the page in child-index order. Called by TPReport::PrintPage.
    void PrintContents(TPRCanvas& canvas);

    // Inner margins; they affect only aligned children. A value that is
    // negative, unchanged, or not less than Width div 2 is ignored.
    int MarginTop() const { return marginTop_; }
    int MarginLeft() const { return marginLeft_; }
    int MarginRight() const { return marginRight_; }
    int MarginBottom() const { return marginBottom_; }
    void SetMarginTop(int value) { SetMargin(marginTop_, value); }
    void SetMarginLeft(int value) { SetMargin(marginLeft_, value); }
    void SetMarginRight(int value) { SetMargin(marginRight_, value); }
    void SetMarginBottom(int value) { SetMargin(marginBottom_, value); }

    TPRPrintPageEvent OnPrintPage;

    // The page on paper: a PDF page of Width x Height units (not whole
    // numbers as the control's bounds are), the page's layout drawn through
    // Matrix (a b c d e f, from the layout's units with their origin at the
    // bottom left). Unset (the default): the PDF page is the bounds, 1 to 1.
    struct TPaper {
        double Width = 0;
        double Height = 0;
        std::array<double, 6> Matrix{1, 0, 0, 1, 0, 0};
    };
    const std::optional<TPaper>& Paper() const { return paper_; }
    void SetPaper(std::optional<TPaper> value) { paper_ = value; }

protected:
    TRect AlignRect() const override;

private:
    void SetMargin(int& margin, int value);

    std::optional<TPaper> paper_;

    int marginTop_ = 32;
    int marginLeft_ = 32;
    int marginRight_ = 32;
    int marginBottom_ = 32;
};

class TPRPanel : public TWinControl {
public:
    TPRPanel();
    const char* ClassName() const override { return "TPRPanel"; }

    // Prints the children in child-index order: panels recursively, items
    // that are Printable; rect is this panel's rectangle on the page.
    virtual void PrintPanel(TPRCanvas& canvas, TRect rect);
    // The page this panel is on (walking up through panels).
    TPRPage& PageOfItem() const;
};

// The inner panel of a grid: one cell.
class TPRChildPanel : public TPRPanel {
public:
    const char* ClassName() const override { return "TPRChildPanel"; }
};

class TPRLayoutPanel : public TPRPanel {
public:
    const char* ClassName() const override { return "TPRLayoutPanel"; }
    void PrintPanel(TPRCanvas& canvas, TRect rect) override;

    TPRPrintPanelEvent BeforePrint;
    TPRPrintPanelEvent AfterPrint;

protected:
    // Allowed on none, a panel (a grid's cell panel for a grid) or a page.
    TWinControl* ResolveParent(TWinControl* requested) override;
};

enum class TPrintDirection { pdHorz, pdVert };

// A grid of equal cells; its child panel describes one cell and is printed
// once per cell, so the same items print in every cell.
class TPRGridPanel : public TPRPanel {
public:
    TPRGridPanel();
    const char* ClassName() const override { return "TPRGridPanel"; }
    void PrintPanel(TPRCanvas& canvas, TRect rect) override;

    int ColCount() const { return colCount_; }
    // Raises "invalid colcount" for values <= 0 or cells narrower than 10 points.
    void SetColCount(int value);
    int RowCount() const { return rowCount_; }
    // Raises "invalid rowcount" for values <= 0 or cells lower than 10 points.
    void SetRowCount(int value);
    TPrintDirection PrintDirection() const { return printDirection_; }
    void SetPrintDirection(TPrintDirection value) { printDirection_ = value; }
    // Items and layout panels placed on the grid go here.
    TPRChildPanel& ChildPanel() const { return *childPanel_; }

    TPRPrintPanelEvent BeforePrint;
    TPRPrintPanelEvent AfterPrint;
    TPRPrintChildPanelEvent BeforePrintChild;
    TPRPrintChildPanelEvent AfterPrintChild;

protected:
    TWinControl* ResolveParent(TWinControl* requested) override;
    // The first cell: aligned children always have the size of one cell.
    TRect AlignRect() const override;

private:
    void PrintCell(TPRCanvas& canvas, const TRect& rect, int col, int row);

    int colCount_ = 1;
    int rowCount_ = 1;
    TPrintDirection printDirection_ = TPrintDirection::pdHorz;
    TPRChildPanel* childPanel_;  // owned as a component of the grid
};

// ---- Items ---------------------------------------------------------------------

class TPRItem : public TGraphicControl {
public:
    TPRItem();
    const char* ClassName() const override { return "TPRItem"; }

    // Turns the item into PDF content; rect is its rectangle on the page.
    virtual void PrintItem(TPRCanvas& canvas, TRect rect);
    bool Printable() const { return printable_; }
    void SetPrintable(bool value) { printable_ = value; }
    TPRPage& PageOfItem() const;

protected:
    // Allowed on none or a panel (a grid's cell panel for a grid).
    TWinControl* ResolveParent(TWinControl* requested) override;

private:
    bool printable_ = true;
};

enum class TPRFontName { fnFixedWidth, fnArial, fnTimesRoman, fnGothic, fnMincyo, fnPGothic, fnPMincyo };

// The registered PDF font name for a family and style ("PGothic,Bold").
const char* PdfFontName(TPRFontName name, bool bold, bool italic);
// A text with its leading and trailing blanks and control characters taken
// off, as one block: what a text item sets.
std::string TrimText(std::string_view s);

class TPRCustomLabel : public TPRItem {
public:
    const char* ClassName() const override { return "TPRCustomLabel"; }

    // RGB, red in the low byte; negative values (system colours) print black.
    std::int32_t FontColor() const { return fontColor_; }
    // Raises EPdfInvalidValue "the color you selected is not allowed." above 0x0FFFFFFF.
    void SetFontColor(std::int32_t value);
    TPRFontName FontName() const { return fontName_; }
    void SetFontName(TPRFontName value) { fontName_ = value; }
    float FontSize() const { return fontSize_; }
    // Values <= 0 are ignored.
    void SetFontSize(float value);
    bool FontBold() const { return fontBold_; }
    void SetFontBold(bool value) { fontBold_ = value; }
    bool FontItalic() const { return fontItalic_; }
    void SetFontItalic(bool value) { fontItalic_ = value; }
    // Any value is stored; the canvas checks the range (-30..300) at print time.
    float CharSpace() const { return charSpace_; }
    void SetCharSpace(float value) { charSpace_ = value; }
    float WordSpace() const { return wordSpace_; }
    // Negative values are ignored.
    void SetWordSpace(float value);

private:
    std::int32_t fontColor_ = 0;
    TPRFontName fontName_ = TPRFontName::fnGothic;
    float fontSize_ = 12;
    bool fontBold_ = false;
    bool fontItalic_ = false;
    float charSpace_ = 0;
    float wordSpace_ = 0;
};

class TPRText : public TPRCustomLabel {
public:
    const char* ClassName() const override { return "TPRText"; }
    void PrintItem(TPRCanvas& canvas, TRect rect) override;

    // Baseline to baseline, in points. Negative values are ignored.
    float Leading() const { return leading_; }
    void SetLeading(float value);
    TStringList& Lines() { return lines_; }
    const TStringList& Lines() const { return lines_; }
    void SetLines(const TStringList& value) { lines_ = value; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value) { wordWrap_ = value; }
    // The lines as pages of this item's size, for a text that would not fit
    // it: each line too wide wrapped at the width (a Latin word kept whole,
    // no line starting with a closing mark or ending with an opening
    // bracket), then as many lines a page as the item's height holds. A text
    // that fits is one page of the lines as they are.
    std::vector<TStringList> Pages() const;

private:
    float leading_ = 14;
    TStringList lines_;
    bool wordWrap_ = false;
};

// A bitmap picture. With SharedImage every page that prints the item uses
// one image object named after the component; otherwise each print makes a
// new image under a free name: Name followed by a number.
class TPRImage : public TPRItem {
public:
    TPRImage();
    const char* ClassName() const override { return "TPRImage"; }
    void PrintItem(TPRCanvas& canvas, TRect rect) override;

    // The holder itself: code may load or assign into it directly, which
    // skips the class check of SetPicture (print time checks again).
    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }
    // Copies the picture; raises "only bitmap image is allowed." when it
    // holds another kind of graphic.
    virtual void SetPicture(const TPicture& value);
    bool SharedImage() const { return sharedImage_; }
    void SetSharedImage(bool value) { sharedImage_ = value; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value) { stretch_ = value; }
    // How the picture stands, as EXIF numbers it: 1 (the default) as
    // stored; 2 to 8 turned and mirrored when drawn, so that it stands
    // upright (the picture's bytes stay as they are). From 5 to 8 the drawn
    // picture is as wide as the stored one is high. Other values count as 1.
    int Orientation() const { return orientation_; }
    void SetOrientation(int value) { orientation_ = value >= 1 && value <= 8 ? value : 1; }

    // A free name `base` + n: n starts at `start` and counts up, wrapping from
    // 65534 to 0, for at most 65535 probes; raises "image count over max
    // value.." when every probe hits a taken name.
    static std::string FindFreeSequentialName(const std::string& base, int start,
                                              const std::function<bool(const std::string&)>& taken);

protected:
    // Registers (or, when shared, finds) the image and draws it.
    void PrintPicture(TPRCanvas& canvas, const TRect& rect, const char* builder);
    // The name a new image object is added under.
    virtual std::string FreeImageName(const TPdfDoc& doc);
    // The source of the numbers in names, started afresh for every document,
    // so the same pages make the same names in every run of the process.
    std::mt19937& Random(const TPdfDoc& doc);

private:
    TPicture picture_;
    int orientation_ = 1;
    bool sharedImage_ = true;
    bool stretch_ = true;
    std::mt19937 random_;
    std::uint64_t randomDocument_ = 0;  // the Serial of the document random_ serves
};

}  // namespace pim

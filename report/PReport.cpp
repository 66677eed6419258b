// The report driver, the page and the outline and destination wrappers.
// Panels are in PRPanels.cpp, items in PRItems.cpp.
#include "report/PReport.h"

#include <cstdio>
#include <random>

#include "base/FileSystem.h"
#include "pdf/PdfImages.h"
#include "pdf/PdfJpFonts.h"
#include "pdf/PdfJpegImage.h"
#include "pdf/PdfPngImage.h"
#include "report/FileCommit.h"

namespace pim {

// ---- Outline wrappers ---------------------------------------------------------

TPROutlineEntry* TPROutlineEntry::AddChild() {
    TPdfOutlineEntry* child = data_->AddChild();
    auto wrapper = std::make_unique<TPROutlineEntry>(*child);
    TPROutlineEntry* result = wrapper.get();
    child->SetReference(std::move(wrapper));
    return result;
}

void TPROutlineEntry::SetDest(TPRDestination* value) {
    if (value && value->Data().Doc() != data_->Doc())
        throw EPdfInvalidOperation("SetDest --internal docs are not equal.");
    data_->SetDest(value ? &value->Data() : nullptr);
}

TPRDestination* TPROutlineEntry::Dest() const {
    TPdfDestination* dest = data_->Dest();
    return dest ? dynamic_cast<TPRDestination*>(dest->Reference()) : nullptr;
}

// ---- TPReport -----------------------------------------------------------------

namespace {

// The classes the items create by name. The program registers them when it
// starts; the report makes sure of them so it also works on its own.
void RegisterItemClasses() {
    if (!FindPdfClass("Pdf-Bitmap")) RegisterPdfBitmapImage();
    if (!FindPdfClass("Pdf-Jpeg")) RegisterPdfJpegImage();
    if (!FindPdfClass("Pdf-Png")) RegisterPdfPngImage();
    if (!FindPdfClass("PGothic")) RegisterJapaneseFonts();
}

}  // namespace

TPReport::TPReport() : creationDate_(Now()) { RegisterItemClasses(); }

TPReport::~TPReport() { FreeDoc(); }

void TPReport::CheckIdle(const char* setter) const {
    if (doc_) throw EPdfInvalidOperation(std::string(setter) + " --invalid operation.");
}

void TPReport::SetAuthor(std::string value) {
    CheckIdle("SetAuthor");
    author_ = std::move(value);
}

void TPReport::SetCreationDate(TDateTime value) {
    CheckIdle("SetCreationDate");
    creationDate_ = value;
}

void TPReport::SetCreator(std::string value) {
    CheckIdle("SetCreator");
    creator_ = std::move(value);
}

void TPReport::SetKeywords(std::string value) {
    CheckIdle("SetKeyWords");
    keywords_ = std::move(value);
}

void TPReport::SetModDate(TDateTime value) {
    CheckIdle("SetModDate");
    modDate_ = value;
}

void TPReport::SetSubject(std::string value) {
    CheckIdle("SetSubject");
    subject_ = std::move(value);
}

void TPReport::SetTitle(std::string value) {
    CheckIdle("SetTitle");
    title_ = std::move(value);
}

void TPReport::SetPageLayout(TPdfPageLayout value) {
    CheckIdle("SetPageLayout");
    pageLayout_ = value;
}

void TPReport::SetPageMode(TPdfPageMode value) {
    CheckIdle("SetPageMode");
    pageMode_ = value;
}

void TPReport::SetNonFullScreenPageMode(TPdfPageMode value) {
    CheckIdle("SetNonFullScreenPageMode");
    nonFullScreenPageMode_ = value == pmFullScreen ? pmUseNone : value;
}

void TPReport::SetUseOutlines(bool value) {
    CheckIdle("SetUseOutlines");
    useOutlines_ = value;
}

void TPReport::SetViewerPreference(TPdfViewerPreferences value) {
    CheckIdle("SetViewerPreference");
    viewerPreference_ = value;
}

void TPReport::SetDirection(TPdfDirection value) {
    CheckIdle("SetDirection");
    direction_ = value;
}

void TPReport::FreeDoc() {
    // The wrappers belong to the document's objects and go with them.
    outlineRoot_ = nullptr;
    openAction_ = nullptr;
    canvas_.SetPageCanvas(nullptr);
    doc_.reset();
}

void TPReport::BeginDocument() {
    FreeDoc();
    auto doc = std::make_unique<TPdfDoc>();
    doc->SetUseOutlines(useOutlines_);
    doc->SetCompressionMethod(compressionMethod_);
    doc->NewDocument();
    if (useOutlines_) {
        TPdfOutlineRoot* root = doc->GetOutlineRoot();
        auto wrapper = std::make_unique<TPROutlineRoot>(*root);
        outlineRoot_ = wrapper.get();
        root->SetReference(std::move(wrapper));
    }
    TPdfCatalog* catalog = doc->GetRoot();
    catalog->SetPageMode(pageMode_);
    catalog->SetPageLayout(pageLayout_);
    if (nonFullScreenPageMode_ != pmUseNone) catalog->SetNonFullScreenPageMode(nonFullScreenPageMode_);
    if (viewerPreference_ != 0) catalog->SetViewerPreference(viewerPreference_);
    if (direction_ != pdL2R) catalog->SetDirection(direction_);
    TPdfInfo* info = doc->GetInfo();
    info->SetAuthor(author_);
    info->SetCreationDate(creationDate_);
    info->SetCreator(creator_);
    info->SetKeywords(keywords_);
    info->SetModDate(modDate_);
    info->SetSubject(subject_);
    info->SetTitle(title_);
    doc_ = std::move(doc);
    currentPageNumber_ = 0;
}

void TPReport::PrintPage(TPRPage& page) {
    if (!doc_) throw EPdfInvalidOperation("PrintPage --invalid operation.");
    doc_->AddPage();
    ++currentPageNumber_;
    canvas_.SetPageCanvas(doc_->GetCanvas());
    page.PrintContents(canvas_);
}

namespace {

// The file being written, given up between two writes when asked to.
class TAbandonableStream : public TStream {
public:
    TAbandonableStream(TStream& target, const std::function<bool()>& abandoned)
        : target_(target), abandoned_(abandoned) {}
    std::size_t Read(void* buffer, std::size_t count) override { return target_.Read(buffer, count); }
    void Write(const void* buffer, std::size_t count) override {
        if (abandoned_ && abandoned_()) throw EStreamError("Save abandoned");
        target_.Write(buffer, count);
    }
    using TStream::Write;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override { return target_.Seek(offset, origin); }
    std::int64_t Size() override { return target_.Size(); }

private:
    TStream& target_;
    const std::function<bool()>& abandoned_;
};

}  // namespace

void TPReport::EndDocument() {
    if (!doc_) throw EInvalidOperation("document is null..");
    // Beside the target, so the rename stays on one file system; a short
    // name of its own, whatever the target is called; created exclusively.
    // A failure or a stop before the rename leaves no file of the save's.
    TFileCommit commit(CommitTargetOf(fileName_), kTemporaryPrefix, kTemporarySuffix);
    TAbandonableStream out(commit.File(), SaveAbandoned);
    doc_->SaveToStream(out);
    commit.Commit(SaveAbandoned);
    FreeDoc();
}

void TPReport::AbortDocument() { FreeDoc(); }

TPRDestination* TPReport::CreateDestination() {
    if (!doc_) throw EPdfInvalidOperation("CreateDestination --invalid operation.");
    TPdfDestination* dest = doc_->CreateDestination();
    auto wrapper = std::make_unique<TPRDestination>(*dest);
    TPRDestination* result = wrapper.get();
    dest->SetReference(std::move(wrapper));
    result->SetTop(-10);
    result->SetZoom(1);
    return result;
}

TPRDestination* TPReport::OpenAction() const {
    if (!doc_) throw EPdfInvalidOperation("GetOpenAction --invalid operation.");
    return openAction_;
}

void TPReport::SetOpenAction(TPRDestination* value) {
    if (!doc_) throw EPdfInvalidOperation("SetOpenAction --invalid operation.");
    doc_->GetRoot()->SetOpenAction(value ? &value->Data() : nullptr);
    openAction_ = value;
}

TPROutlineRoot* TPReport::OutlineRoot() const {
    if (!doc_ || !outlineRoot_) throw EPdfInvalidOperation("GetOutlineRoot --invalid operation.");
    return outlineRoot_;
}

// ---- TPRPage --------------------------------------------------------------------

TPRPage::TPRPage() { SetBounds(0, 0, 596, 842); }

void TPRPage::SetMargin(int& margin, int value) {
    // Every margin, the top and bottom ones included, is measured against
    // half the width.
    if (value == margin || value < 0 || value >= Width() / 2) return;
    margin = value;
    Realign();
}

TRect TPRPage::AlignRect() const {
    const TRect r = ClientRect();
    return {r.Left + marginLeft_, r.Top + marginTop_, r.Right - marginRight_, r.Bottom - marginBottom_};
}

void TPRPage::PrintContents(TPRCanvas& canvas) {
    TPdfCanvas* pdf = canvas.PageCanvas();
    if (paper_) {
        pdf->SetPageSize(paper_->Width, paper_->Height);
    } else {
        pdf->SetPageHeight(Height());
        pdf->SetPageWidth(Width());
    }
    if (OnPrintPage) OnPrintPage(*this, canvas);
    if (paper_) {
        pdf->SaveState();
        pdf->ConcatFineMatrix(paper_->Matrix);
    }
    for (int i = 0; i < ControlCount(); ++i) {
        if (auto* panel = dynamic_cast<TPRPanel*>(Controls(i))) panel->PrintPanel(canvas, panel->BoundsRect());
    }
    if (paper_) pdf->RestoreState();
}

}  // namespace pim

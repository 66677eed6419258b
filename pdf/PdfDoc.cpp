#include "pdf/PdfDoc.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "pdf/PdfFonts.h"

namespace pim {

const char* const PDF_PAGE_LAYOUT_NAMES[4] = {"SinglePage", "OneColumn", "TwoColumnLeft", "TwoColumnRight"};
const char* const PDF_PAGE_MODE_NAMES[4] = {"UseNone", "UseOutlines", "UseThumbs", "FullScreen"};
const char* const PDF_VIEWER_PREFERENCE_NAMES[5] = {"HideToolbar", "HideMenubar", "HideWindowUI", "FitWindow",
                                                    "CenterWindow"};
const char* const PDF_ANNOTATION_SUBTYPE_NAMES[13] = {"Text",   "Link",           "Sound",     "FreeText",  "Stamp",
                                                      "Square", "Circle",         "StrikeOut", "Highlight", "Underline",
                                                      "Ink",    "FileAttachment", "Popup"};
const char* const PDF_DESTINATION_TYPE_NAMES[8] = {"XYZ", "Fit", "FitH", "FitV", "FitR", "FitB", "FitBH", "FitBV"};

namespace {

// The largest byte offset the ten-digit cross-reference field can hold.
constexpr std::int64_t kMaxXrefOffset = 9999999999;

// Buffers the many small writes of a save and keeps the position without
// asking the destination; large blocks (image data) pass straight through.
class TSaveBuffer : public TStream {
public:
    explicit TSaveBuffer(TStream& out) : out_(out), base_(out.Position()) { buffer_.reserve(kCapacity); }
    std::size_t Read(void*, std::size_t) override { throw EStreamError("Stream read error"); }
    void Write(const void* data, std::size_t count) override {
        if (buffer_.size() + count > kCapacity) Flush();
        if (count >= kCapacity) {
            out_.Write(data, count);
            base_ += static_cast<std::int64_t>(count);
        } else {
            buffer_.append(static_cast<const char*>(data), count);
        }
    }
    using TStream::Write;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        if (offset != 0 || origin != TSeekOrigin::soCurrent) throw EStreamError("Stream seek error");
        return base_ + static_cast<std::int64_t>(buffer_.size());
    }
    std::int64_t Size() override { return Seek(0, TSeekOrigin::soCurrent); }
    void Flush() {
        if (buffer_.empty()) return;
        out_.Write(buffer_.data(), buffer_.size());
        base_ += static_cast<std::int64_t>(buffer_.size());
        buffer_.clear();
    }

private:
    static constexpr std::size_t kCapacity = 256 * 1024;
    TStream& out_;
    std::int64_t base_;
    std::string buffer_;
};

std::unique_ptr<TPdfText> Text(const std::string& s) { return std::make_unique<TPdfText>(s); }

}  // namespace

// ---- Header, cross-reference table, trailer ------------------------------------

namespace {

// The version each feature first appeared in.
struct TFeatureVersion {
    TPdfFeature Feature;
    int MinorVersion;
};
constexpr TFeatureVersion kFeatureVersions[] = {
    {pfDirection, 3},
};

}  // namespace

int PdfMinorVersionFor(TPdfFeatures features) {
    int minor = 2;
    for (const TFeatureVersion& f : kFeatureVersions)
        if (features & PdfFeatureBit(f.Feature)) minor = std::max(minor, f.MinorVersion);
    return minor;
}

void TPdfHeader::WriteToStream(TStream& stream) const {
    WriteRaw("%PDF-1." + std::to_string(MinorVersion) + " \r\n", stream);
}

TPdfXref::TPdfXref() {
    TPdfXrefEntry free;
    free.EntryType = "f";
    free.GenerationNumber = 65535;
    entries_.push_back(std::move(free));
}

TPdfObject* TPdfXref::AddObject(std::unique_ptr<TPdfObject> object) {
    if (!object || !object->IsDirect()) {
        if (object && object->ObjectKind() == okIndirect) (void)object.release();  // has an owner
        throw EPdfInvalidOperation("AddObject --wrong object type.");
    }
    TPdfXrefEntry entry;
    entry.GenerationNumber = object->GenerationNumber();
    object->SetObjectNumber(static_cast<int>(entries_.size()));
    entry.Value = std::move(object);
    entries_.push_back(std::move(entry));
    return entries_.back().Value.get();
}

TPdfObject* TPdfXref::GetObject(int number) const {
    if (number < 0 || number >= static_cast<int>(entries_.size())) return nullptr;
    return entries_[static_cast<std::size_t>(number)].Value.get();
}

void TPdfXref::WriteToStream(TStream& stream) const {
    WriteRaw("xref\r\n0 " + std::to_string(entries_.size()) + "\r\n", stream);
    char line[32];
    for (const TPdfXrefEntry& e : entries_) {
        long long offset = e.ByteOffset < 0 ? 0 : static_cast<long long>(e.ByteOffset);
        std::snprintf(line, sizeof line, "%010lld %05d %s\r\n", offset, static_cast<int>(e.GenerationNumber),
                      e.EntryType.c_str());
        WriteRaw(line, stream);
    }
}

TPdfTrailer::TPdfTrailer(TPdfObjectMgr* objectMgr) : attributes_(std::make_unique<TPdfDictionary>(objectMgr)) {
    attributes_->PutNumber("Size", 0);
}

void TPdfTrailer::WriteToStream(TStream& stream) {
    WriteRaw("trailer\r\n", stream);
    attributes_->WriteTo(stream);
    WriteRaw("\r\nstartxref\r\n" + std::to_string(XrefAddress) + "\r\n%%EOF\r\n", stream);
}

// ---- Wrappers --------------------------------------------------------------------

void TPdfDictionaryWrapper::AddNameItems(TPdfDictionary& dictionary, std::span<const TPDF_STR_TBL> table) {
    for (const auto& r : table) dictionary.Put(r.Key, std::make_unique<TPdfName>(r.Value));
}

void TPdfDictionaryWrapper::AddNumberItems(TPdfDictionary& dictionary, std::span<const TPDF_INT_TBL> table) {
    for (const auto& r : table) dictionary.Put(r.Key, std::make_unique<TPdfNumber>(r.Value));
}

void TPdfInfo::SetAuthor(const std::string& value) { Data()->Put("Author", Text(value)); }
void TPdfInfo::SetCreator(const std::string& value) { Data()->Put("Creator", Text(value)); }
void TPdfInfo::SetTitle(const std::string& value) { Data()->Put("Title", Text(value)); }
void TPdfInfo::SetSubject(const std::string& value) { Data()->Put("Subject", Text(value)); }
void TPdfInfo::SetKeywords(const std::string& value) { Data()->Put("Keywords", Text(value)); }
void TPdfInfo::SetCreationDate(TDateTime value) { Data()->Put("CreationDate", Text(PdfDate(value))); }
void TPdfInfo::SetModDate(TDateTime value) { Data()->Put("ModDate", Text(PdfDate(value))); }

namespace {

// Sets the name under key in place (keeping its position) or puts it.
void SetNameInPlace(TPdfDictionary& dictionary, const char* key, const char* value) {
    if (TPdfName* name = dictionary.LookupName(key))
        name->SetValue(value);
    else
        dictionary.PutName(key, value);
}

}  // namespace

void TPdfCatalog::SetPageLayout(TPdfPageLayout layout) {
    SetNameInPlace(*Data(), "PageLayout", PDF_PAGE_LAYOUT_NAMES[layout]);
}

void TPdfCatalog::SetPageMode(TPdfPageMode mode) { SetNameInPlace(*Data(), "PageMode", PDF_PAGE_MODE_NAMES[mode]); }

void TPdfCatalog::SetNonFullScreenPageMode(TPdfPageMode mode) {
    TPdfDictionary* prefs = Data()->LookupDictionary("ViewerPreferences");
    if (!prefs) prefs = Data()->Put("ViewerPreferences", std::make_unique<TPdfDictionary>(Data()->ObjectMgr()));
    if (mode == pmUseOutlines || mode == pmUseThumbs)
        SetNameInPlace(*prefs, "NonFullScreenPageMode", PDF_PAGE_MODE_NAMES[mode]);
    else
        prefs->Remove("NonFullScreenPageMode");
}

void TPdfCatalog::SetViewerPreference(TPdfViewerPreferences preferences) {
    TPdfDictionary* prefs = Data()->LookupDictionary("ViewerPreferences");
    if (!prefs) {
        if (preferences == 0) return;
        prefs = Data()->Put("ViewerPreferences", std::make_unique<TPdfDictionary>(Data()->ObjectMgr()));
    }
    for (int p = vpHideToolbar; p <= vpCenterWindow; ++p) {
        const char* key = PDF_VIEWER_PREFERENCE_NAMES[p];
        if (preferences & ViewerPreferenceBit(static_cast<TPdfViewerPreference>(p)))
            prefs->Put(key, std::make_unique<TPdfBoolean>(true));
        else
            prefs->Remove(key);
    }
}

void TPdfCatalog::SetDirection(TPdfDirection direction) {
    TPdfDictionary* prefs = Data()->LookupDictionary("ViewerPreferences");
    if (direction == pdL2R) {
        if (prefs) prefs->Remove("Direction");
        return;
    }
    if (!prefs) prefs = Data()->Put("ViewerPreferences", std::make_unique<TPdfDictionary>(Data()->ObjectMgr()));
    SetNameInPlace(*prefs, "Direction", "R2L");
}

void TPdfCatalog::SetPages(TPdfDictionary* pages) {
    if (DictionaryType(pages) == "Pages") Data()->Put("Pages", pages);
}

void TPdfCatalog::SaveOpenAction() {
    if (openAction_)
        Data()->Put("OpenAction", openAction_->GetValue());
    else
        Data()->Remove("OpenAction");
}

// ---- Fonts -------------------------------------------------------------------------

TPdfFont::TPdfFont(TPdfObjectMgr*, std::string name) : name_(std::move(name)) {}

int TPdfFont::WidthOfCharAt(std::string_view, int) const { return 0; }

// ---- TPdfDoc -----------------------------------------------------------------------

TPdfDoc::TPdfDoc() : canvas_(std::make_unique<TPdfCanvas>(this)) { RegisterStandardFonts(); }

TPdfDoc::~TPdfDoc() { FreeDocument(); }

void TPdfDoc::NewDocument() {
    FreeDocument();
    static std::atomic<std::uint64_t> documents{0};
    serial_ = ++documents;
    xref_ = std::make_unique<TPdfXref>();
    header_ = std::make_unique<TPdfHeader>();
    trailer_ = std::make_unique<TPdfTrailer>(xref_.get());
    xObjectList_ = std::make_unique<TPdfArray>(xref_.get());

    auto* catalog = xref_->AddObject(std::make_unique<TPdfDictionary>(xref_.get()));
    catalog->PutName("Type", "Catalog");
    trailer_->Attributes().Put("Root", catalog);
    root_ = AdoptObject(std::make_unique<TPdfCatalog>());
    root_->SetData(catalog);

    if (useOutlines_) {
        outlineRoot_ = TPdfOutlineRoot::Create(this);
        catalog->Put("Outlines", outlineRoot_->Data());
    }
    CreateInfo();
    info_->SetCreationDate(Now());

    currentPages_ = CreatePages(nullptr);
    root_->SetPages(currentPages_);
    hasDoc_ = true;
}

void TPdfDoc::CreateInfo() {
    auto* dictionary = xref_->AddObject(std::make_unique<TPdfDictionary>(xref_.get()));
    dictionary->Put("Producer", Text("Quillet version 0.9"));
    trailer_->Attributes().Put("Info", dictionary);
    info_ = AdoptObject(std::make_unique<TPdfInfo>());
    info_->SetData(dictionary);
}

void TPdfDoc::FreeDocument() {
    if (!hasDoc_) return;
    xObjectIndex_.clear();
    xObjectList_.reset();
    while (!fontList_.empty()) fontList_.pop_back();
    while (!objectList_.empty()) objectList_.pop_back();
    xref_.reset();
    header_.reset();
    trailer_.reset();
    info_ = nullptr;
    root_ = nullptr;
    outlineRoot_ = nullptr;
    currentPages_ = nullptr;
    canvas_->Detach();
    hasDoc_ = false;
}

TPdfDictionary* TPdfDoc::CreatePages(TPdfDictionary* parent) {
    auto* pages = xref_->AddObject(std::make_unique<TPdfDictionary>(xref_.get()));
    pages->PutName("Type", "Pages");
    pages->Put("Kids", std::make_unique<TPdfArray>(xref_.get()));
    pages->PutNumber("Count", 0);
    if (parent && DictionaryType(parent) == "Pages")
        AddKid(*parent, pages);
    else
        root_->SetPages(pages);
    return pages;
}

void TPdfDoc::AddKid(TPdfDictionary& node, TPdfDictionary* child) {
    TPdfArray* kids = node.LookupArray("Kids");
    kids->Append(child);
    node.LookupNumber("Count")->SetValue(kids->Count());
}

void TPdfDoc::AddPage() {
    if (!currentPages_) throw EPdfInvalidOperation("AddPage --current pages null.");
    auto* page = xref_->AddObject(std::make_unique<TPdfDictionary>(xref_.get()));
    AddKid(*currentPages_, page);
    page->PutName("Type", "Page");
    page->Put("Parent", currentPages_);
    page->Put("MediaBox", CreateNumberArray(xref_.get(), {0, 0, defaultPageWidth_, defaultPageHeight_}));
    auto resources = std::make_unique<TPdfDictionary>(xref_.get());
    resources->Put("Font", std::make_unique<TPdfDictionary>(xref_.get()));
    resources->Put("XObject", std::make_unique<TPdfDictionary>(xref_.get()));
    auto procSet = std::make_unique<TPdfArray>(xref_.get());
    for (const char* name : {"PDF", "Text", "ImageC"}) procSet->Append(std::make_unique<TPdfName>(name));
    resources->Put("ProcSet", std::move(procSet));
    page->Put("Resources", std::move(resources));
    auto* contents = xref_->AddObject(std::make_unique<TPdfStream>(xref_.get()));
    page->Put("Contents", contents);
    canvas_->SetPage(page);
}

TPdfCanvas* TPdfDoc::GetCanvas() {
    if (!hasDoc_) throw EPdfInvalidOperation("GetCanvas --Document is null");
    return canvas_.get();
}

TPdfInfo* TPdfDoc::GetInfo() {
    if (!hasDoc_) throw EPdfInvalidOperation("GetInfo --this method can not use this state..");
    if (!info_) CreateInfo();
    return info_;
}

TPdfCatalog* TPdfDoc::GetRoot() {
    if (!hasDoc_) throw EPdfInvalidOperation("GetRoot --this method can not use this state..");
    return root_;
}

TPdfOutlineRoot* TPdfDoc::GetOutlineRoot() {
    if (!hasDoc_) throw EPdfInvalidOperation("GetOutlineRoot --document is null..");
    if (!useOutlines_) throw EPdfInvalidOperation("GetOutlineRoot --not use outline mode..");
    return outlineRoot_;
}

TPdfFont* TPdfDoc::GetFont(const std::string& name) {
    if (!hasDoc_) throw EPdfInvalidOperation("GetFont --document is null.");
    for (const auto& font : fontList_)
        if (font->Name() == name) return font.get();
    return CreateFont(name);
}

TPdfFont* TPdfDoc::CreateFont(const std::string& name) {
    const auto* factory = FindPdfClassOf<TPdfFont, TPdfObjectMgr*, const std::string&>(name);
    if (!factory) throw Exception("CreateFont --InvalidFontName:" + name);
    std::unique_ptr<TPdfFont> font = factory->Create(xref_.get(), name);
    std::string resourceName = "F";
    resourceName += std::to_string(fontList_.size());
    font->Data()->PutName("Name", std::move(resourceName));
    fontList_.push_back(std::move(font));
    return fontList_.back().get();
}

TPdfImage* TPdfDoc::AddImage(const std::string& name, std::unique_ptr<TPdfImage> image) {
    if (FindXObject(name)) throw Exception("AddImage --the image named " + name + " is already exists..");
    if (!image || DictionaryType(&image->Attributes()) != "XObject" || !image->Attributes().LookupName("Subtype") ||
        image->Attributes().LookupName("Subtype")->Value() != "Image")
        throw Exception("AddImage --the image is not valid TPdfImage..");
    TPdfImage* registered = xref_->AddObject(std::move(image));
    RegisterXObject(registered, name);
    return registered;
}

TPdfXObject* TPdfDoc::RegisterXObject(std::unique_ptr<TPdfXObject> object, const std::string& name) {
    if (!object) throw EPdfInvalidValue("RegisterXObject --AObject is null");
    if (DictionaryType(&object->Attributes()) != "XObject") throw EPdfInvalidValue("RegisterXObject --not XObject");
    if (!object->Attributes().Lookup("Name") && FindXObject(name))
        throw EPdfInvalidValue("RegisterXObject --dupulicate name: " + name);
    TPdfXObject* registered = xref_->AddObject(std::move(object));
    RegisterXObject(registered, name);
    return registered;
}

void TPdfDoc::RegisterXObject(TPdfXObject* object, const std::string& name) {
    if (!object) throw EPdfInvalidValue("RegisterXObject --AObject is null");
    if (DictionaryType(&object->Attributes()) != "XObject") throw EPdfInvalidValue("RegisterXObject --not XObject");
    // A direct object here belongs to someone else; only the owning overload may register it.
    if (object->IsDirect()) throw EPdfInvalidOperation("AddObject --wrong object type.");
    if (object->Attributes().Lookup("Name")) return;
    if (FindXObject(name)) throw EPdfInvalidValue("RegisterXObject --dupulicate name: " + name);
    xObjectList_->Append(object);
    object->Attributes().PutName("Name", name);
    xObjectIndex_.emplace(name, object);
}

TPdfXObject* TPdfDoc::FindXObject(const std::string& name) const {
    auto it = xObjectIndex_.find(name);
    return it == xObjectIndex_.end() ? nullptr : it->second;
}

TPdfDestination* TPdfDoc::CreateDestination() { return AdoptObject(std::make_unique<TPdfDestination>(this)); }

TPdfCanvas* TPdfDoc::CreateMeasuringCanvas() {
    NewDocument();
    AddPage();
    canvas_->SetIsVirtual(true);
    return canvas_.get();
}

void TPdfDoc::SaveToStream(TStream& stream) {
    if (!hasDoc_) throw EPdfInvalidOperation("SaveToStream --there is no document to save.");
    canvas_->GetPage();  // a document without pages cannot be saved
    GetInfo()->SetModDate(Now());
    root_->SaveOpenAction();
    if (useOutlines_ && outlineRoot_) outlineRoot_->Save();

    header_->MinorVersion = PdfMinorVersionFor(Features());
    stream.SetPosition(0);
    TSaveBuffer out(stream);
    header_->WriteToStream(out);
    WriteObjects(out);
    trailer_->XrefAddress = out.Position();
    if (trailer_->XrefAddress > kMaxXrefOffset) throw EPdfInvalidOperation("SaveToStream --the document is too large.");
    xref_->WriteToStream(out);
    trailer_->Attributes().LookupNumber("Size")->SetValue(xref_->EntryCount());
    trailer_->WriteToStream(out);
    out.Flush();
}

TPdfFeatures TPdfDoc::Features() const {
    TPdfFeatures features = notedFeatures_;
    if (root_ && root_->HasData()) {
        // Any /Direction is a PDF 1.3 key, whichever way it reads.
        if (const TPdfDictionary* prefs = root_->Data()->LookupDictionary("ViewerPreferences");
            prefs && prefs->Lookup("Direction"))
            features |= PdfFeatureBit(pfDirection);
    }
    return features;
}

void TPdfDoc::WriteObjects(TStream& out) {
    for (int i = 1; i < xref_->EntryCount(); ++i) {
        TPdfXrefEntry& entry = xref_->EntryAt(i);
        entry.ByteOffset = out.Position();
        // Past ten digits the table could not point at the object.
        if (entry.ByteOffset > kMaxXrefOffset) throw EPdfInvalidOperation("SaveToStream --the document is too large.");
        entry.Value->WriteDefinition(out);
    }
}

}  // namespace pim

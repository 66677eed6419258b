// A PDF document in memory: numbered objects, catalog, page tree, document
// information, pages with their resources, fonts and images registered by
// name, the page canvas, destinations and outlines; and the one-pass save
// (header, numbered objects, cross-reference table, trailer).
//
// The document owns everything it creates: indirect objects through its
// cross-reference table, fonts through its font list, and wrappers
// (catalog, info, destinations, outline entries) through its object list.
// Callers receive plain pointers that stay valid until FreeDocument.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/PdfTypes.h"

namespace pim {

class TPdfDoc;
class TPdfCanvas;
class TPdfDestination;
class TPdfOutlineRoot;

enum TPdfPageLayout : std::uint8_t { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum TPdfPageMode : std::uint8_t { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };
enum TPdfViewerPreference : std::uint8_t { vpHideToolbar, vpHideMenubar, vpHideWindowUI, vpFitWindow, vpCenterWindow };
// A set of viewer preferences: bit (1 << preference).
using TPdfViewerPreferences = std::uint8_t;
constexpr TPdfViewerPreferences ViewerPreferenceBit(TPdfViewerPreference p) {
    return static_cast<TPdfViewerPreferences>(1u << p);
}
// The reading order of the pages (/ViewerPreferences /Direction): a book bound
// on the right (Japanese manga, vertical text) reads right to left, and a
// viewer that honours it lays each spread out that way.
enum TPdfDirection : std::uint8_t { pdL2R, pdR2L };
enum TPdfCompressionMethod : std::uint8_t { cmNone };
enum TPdfDestinationType : std::uint8_t { dtXYZ, dtFit, dtFitH, dtFitV, dtFitR, dtFitB, dtFitBH, dtFitBV };

extern const char* const PDF_PAGE_LAYOUT_NAMES[4];
extern const char* const PDF_PAGE_MODE_NAMES[4];
extern const char* const PDF_VIEWER_PREFERENCE_NAMES[5];
extern const char* const PDF_ANNOTATION_SUBTYPE_NAMES[13];
extern const char* const PDF_DESTINATION_TYPE_NAMES[8];

// Records for filling dictionaries from tables.
struct TPDF_STR_TBL {
    const char* Key;
    const char* Value;
};
struct TPDF_INT_TBL {
    const char* Key;
    std::int32_t Value;
};

// What a document may use that the oldest version it is written as (1.2)
// does not have; each needs the version PdfMinorVersionFor gives it.
enum TPdfFeature : std::uint8_t {
    pfDirection,  // /ViewerPreferences /Direction (PDF 1.3)
};
// A set of features: bit (1 << feature).
using TPdfFeatures = std::uint32_t;
constexpr TPdfFeatures PdfFeatureBit(TPdfFeature f) { return static_cast<TPdfFeatures>(1u << f); }

// The header's version for a document using `features`, as the number after
// "1.": 2 unless a feature needs a later one, then the latest any needs. A
// document is never marked newer than what it holds, so that the oldest
// readers keep opening what they always opened.
int PdfMinorVersionFor(TPdfFeatures features);

// "%PDF-1.2 " CR LF, or the version the document needs.
class TPdfHeader {
public:
    int MinorVersion = 2;
    void WriteToStream(TStream& stream) const;
};

struct TPdfXrefEntry {
    std::string EntryType = "n";   // "n" in use, "f" free
    std::int64_t ByteOffset = -1;  // 64-bit: a file may pass 2 GiB
    std::int32_t GenerationNumber = 0;
    std::unique_ptr<TPdfObject> Value;  // owned; none for the free entry
};

// The cross-reference table: entry n holds object n and owns it.
class TPdfXref : public TPdfObjectMgr {
public:
    TPdfXref();
    using TPdfObjectMgr::AddObject;
    // The object must be direct ("AddObject --wrong object type.").
    TPdfObject* AddObject(std::unique_ptr<TPdfObject> object) override;
    TPdfObject* GetObject(int number) const override;
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    TPdfXrefEntry& EntryAt(int index) { return entries_.at(index); }
    // "xref", the subsection header and one 20-byte line per entry.
    void WriteToStream(TStream& stream) const;

private:
    std::vector<TPdfXrefEntry> entries_;
};

class TPdfTrailer {
public:
    explicit TPdfTrailer(TPdfObjectMgr* objectMgr);
    TPdfDictionary& Attributes() { return *attributes_; }
    std::int64_t XrefAddress = 0;
    void WriteToStream(TStream& stream);

private:
    std::unique_ptr<TPdfDictionary> attributes_;
};

// A typed view on one (indirect) dictionary, which it does not own.
class TPdfDictionaryWrapper : public TPdfOwnedObject {
public:
    virtual void SetData(TPdfDictionary* dictionary) { dictionary_ = dictionary; }
    TPdfDictionary* Data() const { return dictionary_; }
    bool HasData() const { return dictionary_ != nullptr; }

    static void AddNameItems(TPdfDictionary& dictionary, std::span<const TPDF_STR_TBL> table);
    static void AddNumberItems(TPdfDictionary& dictionary, std::span<const TPDF_INT_TBL> table);

private:
    TPdfDictionary* dictionary_ = nullptr;
};

// The document information dictionary; every setter replaces its key and
// moves it last.
class TPdfInfo : public TPdfDictionaryWrapper {
public:
    void SetAuthor(const std::string& value);
    void SetCreator(const std::string& value);
    void SetTitle(const std::string& value);
    void SetSubject(const std::string& value);
    void SetKeywords(const std::string& value);
    void SetCreationDate(TDateTime value);
    void SetModDate(TDateTime value);
};

class TPdfCatalog : public TPdfDictionaryWrapper {
public:
    void SetPageLayout(TPdfPageLayout layout);
    void SetPageMode(TPdfPageMode mode);
    void SetNonFullScreenPageMode(TPdfPageMode mode);
    void SetViewerPreference(TPdfViewerPreferences preferences);
    // /Direction in /ViewerPreferences: /R2L is put, left to right (the
    // default every reader assumes) removes the key rather than writing it.
    void SetDirection(TPdfDirection direction);
    // Puts "Pages" when the dictionary is a page-tree node.
    void SetPages(TPdfDictionary* pages);
    // Puts the open action's destination array, or removes "OpenAction".
    void SaveOpenAction();

    TPdfDestination* OpenAction() const { return openAction_; }
    void SetOpenAction(TPdfDestination* destination) { openAction_ = destination; }

private:
    TPdfDestination* openAction_ = nullptr;  // owned by the document
};

// What every font offers the canvas and the document: a registered
// dictionary (with "Name", the resource name, added by the document) and the
// advance width of a character.
class TPdfFont : public TPdfDictionaryWrapper {
public:
    // The concrete font builds and registers its dictionary and calls SetData.
    TPdfFont(TPdfObjectMgr* objectMgr, std::string name);
    // The name the class was created under ("Arial").
    const std::string& Name() const { return name_; }
    // Thousandths of the font size of the character starting at the 1-based
    // byte position (whole width on a lead byte, 0 on a trail byte).
    virtual int WidthOfCharAt(std::string_view text, int position) const;

private:
    std::string name_;
};

using TPdfFontFactory = TPdfFactoryOf<TPdfFont, TPdfObjectMgr*, const std::string&>;

// Registers font class F (constructible from (TPdfObjectMgr*, name)).
template <class F>
void RegisterPdfFontClass(const std::string& name) {
    RegisterPdfClass(name, std::make_unique<TPdfFontFactory>(
                               [](TPdfObjectMgr* mgr, const std::string& n) -> std::unique_ptr<TPdfFont> {
                                   return std::make_unique<F>(mgr, n);
                               }));
}

struct TPdfRect {
    float Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TPdfRect MakePdfRect(float left, float top, float right, float bottom);

// The text state the canvas needs to measure text.
class TPdfCanvasAttribute {
public:
    void SetWordSpace(float x);
    void SetCharSpace(float x);
    void SetFontSize(float x);
    void SetHorizontalScaling(int n);
    void SetLeading(float x);
    void SetFont(TPdfFont* font) { font_ = font; }

    float WordSpace() const { return wordSpace_; }
    float CharSpace() const { return charSpace_; }
    float FontSize() const { return fontSize_; }
    TPdfFont* Font() const { return font_; }
    float Leading() const { return leading_; }
    int HorizontalScaling() const { return horizontalScaling_; }

    float TextWidth(std::string_view text) const;
    // Bytes of text that fit in width (never splits a double-byte character).
    int CharsThatFit(std::string_view text, float width) const;

private:
    // Advance of the byte at 0-based index i, character and word spacing
    // included; `trail`: the byte is the second of a double-byte character
    // (read as Shift_JIS from the text's start, as the fonts read it).
    double Advance(std::string_view text, std::size_t i, bool trail) const;

    float wordSpace_ = 0;
    float charSpace_ = 0;
    float fontSize_ = 0;
    TPdfFont* font_ = nullptr;
    float leading_ = 0;
    int horizontalScaling_ = 0;
};

// Appends page-description operators to the current page's content stream.
class TPdfCanvas {
public:
    explicit TPdfCanvas(TPdfDoc* doc) : doc_(doc) {}

    void SaveState();
    void RestoreState();
    void ConcatMatrix(double a, double b, double c, double d, double e, double f);
    // As ConcatMatrix, each number to six decimals instead of two: a scale
    // such as a page's layout put on paper needs them (0.18 for 0.1795
    // would move the picture by units).
    void ConcatFineMatrix(const std::array<double, 6>& matrix);
    void AppendRectangle(double x, double y, double w, double h);
    void ClipPath();
    void EndPath();
    void BeginText();
    void EndText();
    void MoveTextPoint(double x, double y);
    void MoveToNextLine();
    void ShowText(std::string_view text);
    void InvokeXObject(std::string_view name);
    void WriteFontOperator(std::string_view resourceName, double size);
    // RGB with red in the low byte; negative (a system colour) is black.
    void SetFillColor(std::int32_t color);
    void SetCharSpace(float x);
    void SetWordSpace(float x);
    void SetLeading(float x);

    void SetPage(TPdfDictionary* page);
    TPdfDictionary* GetPage() const;
    TPdfDoc* GetDoc() const;
    void SetPageWidth(int width);
    void SetPageHeight(int height);
    // Both sides at once, in any units: whole numbers are written as
    // SetPageWidth/Height write them, others as reals.
    void SetPageSize(double width, double height);
    void SelectFont(const std::string& name, float size);
    float TextWidth(std::string_view text) const { return attr_.TextWidth(text); }
    int CharsThatFit(std::string_view text, float width) const { return attr_.CharsThatFit(text, width); }
    // The word at the 1-based position with its delimiter; advances position.
    static std::string NextWord(std::string_view text, int& position);
    void ShowTextInRect(const TPdfRect& rect, std::string_view text, bool wordWrap);
    void DrawXObject(double x, double y, double width, double height, const std::string& name);
    void DrawXObjectEx(double x, double y, double width, double height, double clipX, double clipY, double clipWidth,
                       double clipHeight, const std::string& name);
    // As DrawXObjectEx, through any matrix (a b c d e f) from the image's
    // unit square: a picture turned or mirrored.
    void DrawXObjectMatrix(const std::array<double, 6>& matrix, double clipX, double clipY, double clipWidth,
                           double clipHeight, const std::string& name);

    TPdfCanvasAttribute& Attribute() { return attr_; }
    const TPdfCanvasAttribute& Attribute() const { return attr_; }
    TPdfStream* Contents() const { return contents_; }
    bool IsVirtual() const { return isVirtual_; }
    void SetIsVirtual(bool value) { isVirtual_ = value; }
    // Leaves the page without saving state (the document is being freed).
    void Detach();

private:
    void EmitText(std::string_view text);
    void EmitNumbers(std::initializer_list<double> values, std::string_view op);
    void DrawXObjectImpl(const char* operation, const std::array<double, 6>& matrix, const double* clip,
                         const std::string& name);
    void ShowClipped(std::string_view line, const TPdfRect& rect);

    TPdfStream* contents_ = nullptr;
    TPdfDictionary* page_ = nullptr;
    TPdfDoc* doc_;
    TPdfCanvasAttribute attr_;
    bool isVirtual_ = false;
};

// A place in the document: a page and a view of it.
class TPdfDestination : public TPdfOwnedObject {
public:
    // Needs an open document with a page.
    explicit TPdfDestination(TPdfDoc* doc);

    int GetElement(int index) const;
    void SetElement(int index, int value);
    int Left() const { return values_[0]; }
    int Top() const { return values_[1]; }
    int Right() const { return values_[2]; }
    int Bottom() const { return values_[3]; }
    void SetLeft(int v) { SetElement(0, v); }
    void SetTop(int v) { SetElement(1, v); }
    void SetRight(int v) { SetElement(2, v); }
    void SetBottom(int v) { SetElement(3, v); }
    float Zoom() const { return zoom_; }
    void SetZoom(float x);
    TPdfDestinationType DestinationType() const { return type_; }
    void SetDestinationType(TPdfDestinationType t) { type_ = t; }
    TPdfDictionary* Page() const { return page_; }
    TPdfDoc* Doc() const { return doc_; }
    int PageHeight() const;
    // A new direct array [page /Type params...]; the caller's container owns it.
    std::unique_ptr<TPdfArray> GetValue();

    TPdfOwnedObject* Reference() const { return reference_.get(); }
    void SetReference(std::unique_ptr<TPdfOwnedObject> reference) { reference_ = std::move(reference); }

private:
    TPdfDoc* doc_;
    TPdfDictionary* page_ = nullptr;
    TPdfDestinationType type_ = dtXYZ;
    int values_[4] = {0, 0, 0, 0};
    float zoom_ = 1.0f;
    std::unique_ptr<TPdfOwnedObject> reference_;
};

// A bookmark. Links and counts live in the object; Save copies them into
// the dictionaries.
class TPdfOutlineEntry : public TPdfDictionaryWrapper {
public:
    // A new entry under parent, owned by the parent's document.
    static TPdfOutlineEntry* Create(TPdfOutlineEntry* parent);
    // A new last child.
    TPdfOutlineEntry* AddChild();
    // Writes the keys of this entry, its descendants and its following
    // siblings, walking without recursion.
    virtual void Save();

    TPdfOutlineEntry* Parent() const { return parent_; }
    TPdfOutlineEntry* Next() const { return next_; }
    TPdfOutlineEntry* Prev() const { return prev_; }
    TPdfOutlineEntry* First() const { return first_; }
    TPdfOutlineEntry* Last() const { return last_; }
    TPdfDestination* Dest() const { return dest_; }
    void SetDest(TPdfDestination* dest) { dest_ = dest; }
    TPdfDoc* Doc() const { return doc_; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) {
        title_ = std::move(title);
        unicodeTitle_.clear();
    }
    // A title code page 932 cannot hold, as the true text: written in UTF-16;
    // Title() becomes its code page 932 form.
    const std::u16string& UnicodeTitle() const { return unicodeTitle_; }
    void SetUnicodeTitle(std::u16string title);
    bool Opened() const { return opened_; }
    void SetOpened(bool opened) { opened_ = opened; }
    int Count() const { return count_; }

    TPdfOwnedObject* Reference() const { return reference_.get(); }
    void SetReference(std::unique_ptr<TPdfOwnedObject> reference) { reference_ = std::move(reference); }

protected:
    explicit TPdfOutlineEntry(TPdfDoc* doc);
    // Puts this entry's own keys.
    virtual void SaveKeys();
    void Register();

    TPdfOutlineEntry* parent_ = nullptr;
    TPdfOutlineEntry* next_ = nullptr;
    TPdfOutlineEntry* prev_ = nullptr;
    TPdfOutlineEntry* first_ = nullptr;
    TPdfOutlineEntry* last_ = nullptr;
    TPdfDestination* dest_ = nullptr;
    TPdfDoc* doc_;
    std::string title_;
    std::u16string unicodeTitle_;
    bool opened_ = false;
    int count_ = 0;
    std::unique_ptr<TPdfOwnedObject> reference_;
};

class TPdfOutlineRoot : public TPdfOutlineEntry {
public:
    // The root of doc's outline, owned by doc; its dictionary has /Type /Outlines.
    static TPdfOutlineRoot* Create(TPdfDoc* doc);

protected:
    explicit TPdfOutlineRoot(TPdfDoc* doc);
    void SaveKeys() override;
};

class TPdfDoc {
public:
    TPdfDoc();
    ~TPdfDoc();
    TPdfDoc(const TPdfDoc&) = delete;
    TPdfDoc& operator=(const TPdfDoc&) = delete;

    void NewDocument();
    void FreeDocument();
    void AddPage();
    TPdfCanvas* GetCanvas();
    TPdfInfo* GetInfo();
    TPdfCatalog* GetRoot();
    TPdfOutlineRoot* GetOutlineRoot();
    // The document's font of that registered name, created on first use.
    TPdfFont* GetFont(const std::string& name);
    TPdfFont* CreateFont(const std::string& name);
    // Registers the image and takes it over (freed also when this fails).
    TPdfImage* AddImage(const std::string& name, std::unique_ptr<TPdfImage> image);
    // Registers an XObject under a name (AddObject first when it is direct).
    TPdfXObject* RegisterXObject(std::unique_ptr<TPdfXObject> object, const std::string& name);
    void RegisterXObject(TPdfXObject* object, const std::string& name);
    TPdfXObject* FindXObject(const std::string& name) const;
    TPdfDestination* CreateDestination();
    void SaveToStream(TStream& stream);
    TPdfCanvas* CreateMeasuringCanvas();
    // The features the document uses: those its writers noted and those its
    // catalog's keys show. The header's version follows from them.
    TPdfFeatures Features() const;
    // A writer that puts a key of a later version says so here.
    void NoteFeature(TPdfFeature feature) { notedFeatures_ |= PdfFeatureBit(feature); }

    // A new page-tree node under parent (a Pages node) or, without one, the catalog's.
    TPdfDictionary* CreatePages(TPdfDictionary* parent);
    static void AddKid(TPdfDictionary& node, TPdfDictionary* child);

    // Keeps a wrapper alive until the document is freed.
    template <class T>
    T* AdoptObject(std::unique_ptr<T> object) {
        T* result = object.get();
        objectList_.push_back(std::move(object));
        return result;
    }

    bool HasDoc() const { return hasDoc_; }
    // A number no other document of this process had: each NewDocument
    // takes the next one (0 before the first). Whatever a document draws
    // from (image names) starts afresh when it changes.
    std::uint64_t Serial() const { return serial_; }
    TPdfXref* Xref() const { return xref_.get(); }
    TPdfTrailer* Trailer() const { return trailer_.get(); }
    TPdfDictionary* CurrentPages() const { return currentPages_; }
    const std::vector<std::unique_ptr<TPdfFont>>& FontList() const { return fontList_; }
    TPdfArray* XObjectList() const { return xObjectList_.get(); }
    std::uint16_t DefaultPageWidth() const { return defaultPageWidth_; }
    void SetDefaultPageWidth(std::uint16_t w) { defaultPageWidth_ = w; }
    std::uint16_t DefaultPageHeight() const { return defaultPageHeight_; }
    void SetDefaultPageHeight(std::uint16_t h) { defaultPageHeight_ = h; }
    bool UseOutlines() const { return useOutlines_; }
    void SetUseOutlines(bool value) { useOutlines_ = value; }
    TPdfCompressionMethod CompressionMethod() const { return compressionMethod_; }
    void SetCompressionMethod(TPdfCompressionMethod m) { compressionMethod_ = m; }

private:
    void CreateInfo();
    void WriteObjects(TStream& out);

    TPdfCatalog* root_ = nullptr;
    TPdfDictionary* currentPages_ = nullptr;
    std::unique_ptr<TPdfCanvas> canvas_;
    std::unique_ptr<TPdfHeader> header_;
    std::unique_ptr<TPdfTrailer> trailer_;
    std::unique_ptr<TPdfXref> xref_;
    TPdfInfo* info_ = nullptr;
    bool hasDoc_ = false;
    std::uint64_t serial_ = 0;
    std::vector<std::unique_ptr<TPdfFont>> fontList_;
    std::vector<std::unique_ptr<TPdfOwnedObject>> objectList_;
    TPdfOutlineRoot* outlineRoot_ = nullptr;
    std::unique_ptr<TPdfArray> xObjectList_;
    // Name -> XObject, so finding an image does not walk every image.
    std::unordered_map<std::string, TPdfXObject*> xObjectIndex_;
    std::uint16_t defaultPageWidth_ = 596;
    std::uint16_t defaultPageHeight_ = 842;
    TPdfCompressionMethod compressionMethod_ = cmNone;
    bool useOutlines_ = false;
    TPdfFeatures notedFeatures_ = 0;
};

}  // namespace pim

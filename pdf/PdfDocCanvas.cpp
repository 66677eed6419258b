// The page canvas and its text state (part of the PdfDoc unit).
#include <cmath>
#include <cstring>

#include "pdf/PdfDoc.h"

#include "base/CodePage.h"

namespace pim {

TPdfRect MakePdfRect(float left, float top, float right, float bottom) { return TPdfRect{left, top, right, bottom}; }

// ---- TPdfCanvasAttribute -----------------------------------------------------------

void TPdfCanvasAttribute::SetWordSpace(float x) {
    if (x == wordSpace_) return;
    if (x < 0) throw EPdfInvalidValue("SetWordSpace --invalid word space");
    wordSpace_ = x;
}

void TPdfCanvasAttribute::SetCharSpace(float x) {
    if (x == charSpace_) return;
    if (x < -30 || x > 300) throw EPdfInvalidValue("SetCharSpace --invalid char space");
    charSpace_ = x;
}

void TPdfCanvasAttribute::SetFontSize(float x) {
    if (x == fontSize_) return;
    if (x < 0 || x > 300) throw EPdfInvalidValue("SetCharSpace --invalid font size");
    fontSize_ = x;
}

void TPdfCanvasAttribute::SetHorizontalScaling(int n) {
    if (n == horizontalScaling_) return;
    if (n < 10 || n > 300) throw EPdfInvalidValue("SetHorizontalScaling --invalid font size");
    horizontalScaling_ = n;
}

void TPdfCanvasAttribute::SetLeading(float x) {
    if (x == leading_) return;
    if (x < 0 || x > 300) throw EPdfInvalidValue("SetLeading --invalid font size");
    leading_ = x;
}

double TPdfCanvasAttribute::Advance(std::string_view text, std::size_t i, bool trail) const {
    // The font measures the character on the shortest text that decides it:
    // from the byte itself when it starts a character, from the lead byte
    // before it when it is a trail byte. The width is the one the whole
    // text gives, found without the font looking back over a long run of
    // lead-range bytes (which made a long line of them quadratic to measure).
    const std::string_view from = trail ? text.substr(i - 1) : text.substr(i);
    double w = font_ ? font_->WidthOfCharAt(from, trail ? 2 : 1) * double(fontSize_) / 1000 : 0;
    if (horizontalScaling_ != 100) w = w * horizontalScaling_ / 100;
    // A trail byte adds neither width nor character spacing.
    double e = w > 0 ? charSpace_ + w : 0;
    if (text[i] == ' ' && wordSpace_ > 0 && i + 1 < text.size()) e += wordSpace_;
    return e;
}

float TPdfCanvasAttribute::TextWidth(std::string_view text) const {
    double sum = 0;
    bool trail = false;  // read as Shift_JIS from the start
    for (std::size_t i = 0; i < text.size(); ++i) {
        sum += Advance(text, i, trail);
        trail = !trail && IsLeadByte(static_cast<unsigned char>(text[i]));
    }
    return static_cast<float>(sum - charSpace_);
}

int TPdfCanvasAttribute::CharsThatFit(std::string_view text, float width) const {
    // Each prefix is measured exactly as TextWidth measures a text (the last
    // character's spacing left out, the sum rounded to float), so a text as
    // wide as its rectangle keeps all its characters.
    double sum = 0;
    bool trail = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        sum += Advance(text, i, trail);
        if (static_cast<float>(sum - charSpace_) > width) return static_cast<int>(i);
        trail = !trail && IsLeadByte(static_cast<unsigned char>(text[i]));
    }
    return static_cast<int>(text.size());
}

// ---- Operators ---------------------------------------------------------------------

void TPdfCanvas::EmitText(std::string_view text) {
    if (isVirtual_ || !contents_) return;
    contents_->Content().Write(text);
}

void TPdfCanvas::EmitNumbers(std::initializer_list<double> values, std::string_view op) {
    char line[256];
    std::size_t n = 0;
    for (double v : values) {
        if (n) line[n++] = ' ';
        n += FormatRealTo(line + n, v);
    }
    std::memcpy(line + n, op.data(), op.size());
    EmitText(std::string_view(line, n + op.size()));
}

void TPdfCanvas::SaveState() { EmitText("q\n"); }
void TPdfCanvas::RestoreState() { EmitText("Q\n"); }

void TPdfCanvas::ConcatMatrix(double a, double b, double c, double d, double e, double f) {
    EmitNumbers({a, b, c, d, e, f}, " cm\n");
}

void TPdfCanvas::ConcatFineMatrix(const std::array<double, 6>& matrix) {
    char line[256];
    std::size_t n = 0;
    for (double v : matrix) {
        if (n) line[n++] = ' ';
        n += FormatGeneralTo(line + n, std::round(v * 1e6) / 1e6);
    }
    std::memcpy(line + n, " cm\n", 4);
    EmitText(std::string_view(line, n + 4));
}

void TPdfCanvas::AppendRectangle(double x, double y, double w, double h) { EmitNumbers({x, y, w, h}, " re\n"); }

void TPdfCanvas::ClipPath() { EmitText("W\n"); }
void TPdfCanvas::EndPath() { EmitText("n\n"); }
void TPdfCanvas::BeginText() { EmitText("BT\n"); }
void TPdfCanvas::EndText() { EmitText("ET\n"); }
void TPdfCanvas::MoveTextPoint(double x, double y) { EmitNumbers({x, y}, " Td\n"); }
void TPdfCanvas::MoveToNextLine() { EmitText("T*\n"); }

void TPdfCanvas::ShowText(std::string_view text) {
    if (isVirtual_ || !contents_) return;
    const bool hex = HasDoubleByte(text);
    std::string op(1, hex ? '<' : '(');
    op += hex ? HexOfBytes(text) : EscapeText(text);
    op += hex ? "> Tj\n" : ") Tj\n";
    EmitText(op);
}

void TPdfCanvas::InvokeXObject(std::string_view name) {
    std::string op = "/";
    op += name;
    op += " Do\n";
    EmitText(op);
}

void TPdfCanvas::WriteFontOperator(std::string_view resourceName, double size) {
    std::string op = "/";
    op += resourceName;
    op += ' ';
    char number[40];
    op.append(number, FormatRealTo(number, size));
    op += " Tf\n";
    EmitText(op);
}

void TPdfCanvas::SetFillColor(std::int32_t color) {
    if (color < 0) color = 0;
    EmitNumbers({(color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0}, " rg\n");
}

void TPdfCanvas::SetCharSpace(float x) {
    if (x == attr_.CharSpace()) return;
    attr_.SetCharSpace(x);
    EmitNumbers({x}, " Tc\n");
}

void TPdfCanvas::SetWordSpace(float x) {
    if (x == attr_.WordSpace()) return;
    attr_.SetWordSpace(x);
    EmitNumbers({x}, " Tw\n");
}

void TPdfCanvas::SetLeading(float x) {
    if (x == attr_.Leading()) return;
    attr_.SetLeading(x);
    EmitNumbers({x}, " TL\n");
}

// ---- Pages and fonts ---------------------------------------------------------------

void TPdfCanvas::SetPage(TPdfDictionary* page) {
    if (page_) {
        // Kept in the page it belongs to, hidden from the file.
        if (attr_.Font()) page_->PutHidden("_Font", std::make_unique<TPdfName>(attr_.Font()->Name()));
        page_->PutHidden("_Font_Size", std::make_unique<TPdfReal>(attr_.FontSize()));
        page_->PutHidden("_Word_Space", std::make_unique<TPdfReal>(attr_.WordSpace()));
        page_->PutHidden("_Char_Space", std::make_unique<TPdfReal>(attr_.CharSpace()));
        page_->PutHidden("_HScalling", std::make_unique<TPdfNumber>(attr_.HorizontalScaling()));
        page_->PutHidden("_Leading", std::make_unique<TPdfReal>(attr_.Leading()));
    }
    page_ = page;
    contents_ = page ? dynamic_cast<TPdfStream*>(page->Lookup("Contents")) : nullptr;
    if (!page) return;

    if (TPdfName* font = page->LookupName("_Font")) {
        attr_.SetFont(GetDoc()->GetFont(font->Value()));
        auto real = [page](const char* key) {
            TPdfReal* r = page->LookupReal(key);
            return r ? static_cast<float>(r->Value()) : 0.0f;
        };
        attr_.SetFontSize(real("_Font_Size"));
        attr_.SetWordSpace(real("_Word_Space"));
        attr_.SetCharSpace(real("_Char_Space"));
        if (TPdfNumber* h = page->LookupNumber("_HScalling")) attr_.SetHorizontalScaling(h->Value());
        attr_.SetLeading(real("_Leading"));
    } else {
        attr_.SetFont(nullptr);
        SelectFont("Arial", 10);
        attr_.SetCharSpace(0);
        attr_.SetWordSpace(0);
        attr_.SetHorizontalScaling(100);
        attr_.SetLeading(0);
    }
}

void TPdfCanvas::Detach() {
    page_ = nullptr;
    contents_ = nullptr;
    attr_.SetFont(nullptr);
}

TPdfDictionary* TPdfCanvas::GetPage() const {
    if (!page_) throw EPdfInvalidOperation("GetPage --the Page is nil");
    return page_;
}

TPdfDoc* TPdfCanvas::GetDoc() const {
    if (!doc_) throw EPdfInvalidOperation("ERROR: GetDoc documant is nil.");
    return doc_;
}

namespace {

// One kind of the page's resources ("Font", "XObject"); a page dictionary
// made elsewhere may lack them.
TPdfDictionary* PageResources(TPdfDictionary* page, const char* kind, const char* operation) {
    TPdfDictionary* resources = page->LookupDictionary("Resources");
    TPdfDictionary* entries = resources ? resources->LookupDictionary(kind) : nullptr;
    if (!entries) throw EPdfInvalidOperation(std::string(operation) + " --the page has no " + kind + " resources.");
    return entries;
}

void SetMediaBoxItem(TPdfDictionary* page, int index, int value) {
    TPdfArray* box = page->LookupArray("MediaBox");
    if (!box) throw EPdfInvalidOperation("Can not chenge width of this page..");
    if (auto* n = dynamic_cast<TPdfNumber*>(box->ItemAt(index))) n->SetValue(value);
}

void SetMediaBoxItem(TPdfDictionary* page, int index, double value) {
    if (value == std::floor(value) && std::abs(value) < 1e9)
        return SetMediaBoxItem(page, index, static_cast<int>(value));
    TPdfArray* box = page->LookupArray("MediaBox");
    if (!box) throw EPdfInvalidOperation("Can not chenge width of this page..");
    box->Replace(index, std::make_unique<TPdfReal>(value));
}

}  // namespace

void TPdfCanvas::SetPageSize(double width, double height) {
    SetMediaBoxItem(GetPage(), 2, width);
    SetMediaBoxItem(GetPage(), 3, height);
}

void TPdfCanvas::SetPageWidth(int width) { SetMediaBoxItem(GetPage(), 2, width); }
void TPdfCanvas::SetPageHeight(int height) { SetMediaBoxItem(GetPage(), 3, height); }

void TPdfCanvas::SelectFont(const std::string& name, float size) {
    TPdfFont* font = GetDoc()->GetFont(name);
    if (font == attr_.Font() && size == attr_.FontSize()) return;
    // Checked before anything is written, so a bad size leaves the page as it was.
    if (size < 0 || size > 300) throw EPdfInvalidValue("SetCharSpace --invalid font size");
    TPdfDictionary* fonts = PageResources(GetPage(), "Font", "SelectFont");
    const std::string& key = font->Data()->LookupName("Name")->Value();
    if (!fonts->Lookup(key)) fonts->Put(key, font->Data());
    if (contents_) WriteFontOperator(key, size);
    attr_.SetFont(font);
    attr_.SetFontSize(size);
}

// ---- Text blocks -------------------------------------------------------------------

std::string TPdfCanvas::NextWord(std::string_view text, int& position) {
    const int length = static_cast<int>(text.size());
    if (position < 1 || position > length) return {};
    int end = position;  // 1-based index of the delimiter
    while (end < length) {
        char c = text[static_cast<std::size_t>(end - 1)];
        if (c == ' ') break;
        if (c == '\n' && end > 1 && text[static_cast<std::size_t>(end - 2)] == '\r') break;
        ++end;
    }
    std::string word(text.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(end - position + 1)));
    position = end + 1;
    return word;
}

void TPdfCanvas::ShowClipped(std::string_view line, const TPdfRect& rect) {
    int n = CharsThatFit(line, rect.Right - rect.Left);
    ShowText(line.substr(0, static_cast<std::size_t>(n)));
}

void TPdfCanvas::ShowTextInRect(const TPdfRect& rect, std::string_view text, bool wordWrap) {
    const int length = static_cast<int>(text.size());
    const float fontSize = attr_.FontSize();
    double lineTop = rect.Top;
    double x = rect.Left;
    BeginText();
    MoveTextPoint(rect.Left, rect.Top - fontSize * 0.85);

    int pos = 1;
    std::string line = NextWord(text, pos);
    x += TextWidth(line);
    if (!line.empty() && line.back() == ' ') x += attr_.WordSpace();

    while (pos <= length) {
        bool forced = false;
        if (line.size() > 1 && line.ends_with("\r\n")) {
            line.resize(line.size() - 2);
            forced = true;
        }
        std::string word = NextWord(text, pos);
        double w = TextWidth(word);
        if ((wordWrap && x + w > rect.Right) || forced) {
            if (!line.empty()) ShowClipped(line, rect);
            line.clear();
            MoveToNextLine();
            lineTop -= attr_.Leading();
            if (rect.Bottom + fontSize > lineTop) break;  // no room: the rest is dropped
            x = rect.Left;
        }
        x += w;
        if (!word.empty() && word.back() == ' ') x += attr_.WordSpace();
        line += word;
    }
    if (!line.empty()) ShowClipped(line, rect);
    EndText();
}

// ---- XObjects ----------------------------------------------------------------------

void TPdfCanvas::DrawXObjectImpl(const char* operation, const std::array<double, 6>& matrix, const double* clip,
                                 const std::string& name) {
    TPdfXObject* object = GetDoc()->FindXObject(name);
    if (!object) throw EPdfInvalidValue(std::string(operation) + " --XObject not found: " + name);
    TPdfDictionary* xObjects = PageResources(GetPage(), "XObject", operation);
    if (!xObjects->Lookup(name)) xObjects->Put(name, object);
    SaveState();
    if (clip) {
        AppendRectangle(clip[0], clip[1], clip[2], clip[3]);
        ClipPath();
        EndPath();
    }
    ConcatMatrix(matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]);
    InvokeXObject(object->Attributes().LookupName("Name")->Value());
    RestoreState();
}

void TPdfCanvas::DrawXObject(double x, double y, double width, double height, const std::string& name) {
    DrawXObjectImpl("DrawXObject", {width, 0, 0, height, x, y}, nullptr, name);
}

void TPdfCanvas::DrawXObjectEx(double x, double y, double width, double height, double clipX, double clipY,
                               double clipWidth, double clipHeight, const std::string& name) {
    const double clip[4] = {clipX, clipY, clipWidth, clipHeight};
    DrawXObjectImpl("DrawXObjectEx", {width, 0, 0, height, x, y}, clip, name);
}

void TPdfCanvas::DrawXObjectMatrix(const std::array<double, 6>& matrix, double clipX, double clipY, double clipWidth,
                                   double clipHeight, const std::string& name) {
    const double clip[4] = {clipX, clipY, clipWidth, clipHeight};
    DrawXObjectImpl("DrawXObjectMatrix", matrix, clip, name);
}

}  // namespace pim

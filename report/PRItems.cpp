// Printable items: text set in a rectangle, and bitmap pictures.
#include "report/PReport.h"

#include "pdf/PdfImages.h"

namespace pim {

// Leading and trailing blanks and control characters go, as one block.
std::string TrimText(std::string_view s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
    return std::string(s.substr(first, last - first));
}

namespace {

struct TFontNames {
    const char* Regular;
    const char* Bold;
    const char* Italic;
    const char* BoldItalic;
};

// Latin families use hyphenated style names, Japanese ones comma-separated.
constexpr TFontNames kFontTable[] = {
    {"FixedWidth", "FixedWidth-Bold", "FixedWidth-Italic", "FixedWidth-BoldItalic"},
    {"Arial", "Arial-Bold", "Arial-Italic", "Arial-BoldItalic"},
    {"Times-Roman", "Times-Bold", "Times-Italic", "Times-BoldItalic"},
    {"Gothic", "Gothic,Bold", "Gothic,Italic", "Gothic,BoldItalic"},
    {"Mincyo", "Mincyo,Bold", "Mincyo,Italic", "Mincyo,BoldItalic"},
    {"PGothic", "PGothic,Bold", "PGothic,Italic", "PGothic,BoldItalic"},
    {"PMincyo", "PMincyo,Bold", "PMincyo,Italic", "PMincyo,BoldItalic"},
};

constexpr int kImageNameRange = 65534;  // numbers 0 .. 65533
constexpr int kImageNameProbes = 65535;

}  // namespace

const char* PdfFontName(TPRFontName name, bool bold, bool italic) {
    const TFontNames& n = kFontTable[static_cast<int>(name)];
    return bold ? (italic ? n.BoldItalic : n.Bold) : (italic ? n.Italic : n.Regular);
}

// ---- TPRCustomLabel ------------------------------------------------------------

void TPRCustomLabel::SetFontColor(std::int32_t value) {
    if (value > 0x0FFFFFFF) throw EPdfInvalidValue("the color you selected is not allowed.");
    fontColor_ = value;
}

void TPRCustomLabel::SetFontSize(float value) {
    if (value > 0) fontSize_ = value;
}

void TPRCustomLabel::SetWordSpace(float value) {
    if (value >= 0) wordSpace_ = value;
}

// ---- TPRText ----------------------------------------------------------------------

void TPRText::SetLeading(float value) {
    if (value >= 0) leading_ = value;
}

void TPRText::PrintItem(TPRCanvas& canvas, TRect rect) {
    const float pageHeight = static_cast<float>(PageOfItem().Height());
    TPdfCanvas& pdf = *canvas.PageCanvas();
    pdf.SelectFont(PdfFontName(FontName(), FontBold(), FontItalic()), FontSize());
    pdf.SetFillColor(FontColor());
    pdf.SetCharSpace(CharSpace());
    pdf.SetWordSpace(WordSpace());
    pdf.SetLeading(leading_);
    const TPdfRect box = MakePdfRect(static_cast<float>(rect.Left), pageHeight - static_cast<float>(rect.Top),
                                     static_cast<float>(rect.Right), pageHeight - static_cast<float>(rect.Bottom));
    std::string text;
    for (int i = 0; i < lines_.Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines_[i];
    }
    pdf.ShowTextInRect(box, TrimText(text), wordWrap_);
}

// ---- TPRImage -----------------------------------------------------------------------

std::array<double, 6> OrientationMatrix(int orientation, double w, double h) {
    // Unit square (the stored picture, its first row at the top) to the
    // w x h box of the upright picture, origin at the box's bottom left.
    switch (orientation) {
        case 2: return {-w, 0, 0, h, w, 0};   // mirrored left to right
        case 3: return {-w, 0, 0, -h, w, h};  // turned half round
        case 4: return {w, 0, 0, -h, 0, h};   // mirrored top to bottom
        case 5: return {0, -h, -w, 0, w, h};  // mirrored along the diagonal
        case 6: return {0, -h, w, 0, 0, h};   // stored a quarter turn anticlockwise
        case 7: return {0, h, w, 0, 0, 0};    // mirrored along the other diagonal
        case 8: return {0, h, -w, 0, w, 0};   // stored a quarter turn clockwise
        default: return {w, 0, 0, h, 0, 0};
    }
}

// A fixed seed: the names only need to be unique within a document, and the
// same folder then makes the same file, whichever run or thread count made it.
TPRImage::TPRImage() : random_(std::mt19937::default_seed) {}

std::mt19937& TPRImage::Random(const TPdfDoc& doc) {
    if (doc.Serial() != randomDocument_) {
        random_.seed(std::mt19937::default_seed);
        randomDocument_ = doc.Serial();
    }
    return random_;
}

void TPRImage::SetPicture(const TPicture& value) {
    if (value.Graphic() && !dynamic_cast<const TBitmap*>(value.Graphic()))
        throw Exception("only bitmap image is allowed.");
    picture_.Assign(value);
}

std::string TPRImage::FindFreeSequentialName(const std::string& base, int start,
                                             const std::function<bool(const std::string&)>& taken) {
    int n = start;
    for (int probe = 0; probe < kImageNameProbes; ++probe) {
        std::string name = base + std::to_string(n);
        if (!taken(name)) return name;
        if (++n >= kImageNameRange) n = 0;
    }
    throw Exception("image count over max value..");
}

std::string TPRImage::FreeImageName(const TPdfDoc& doc) {
    const int start = std::uniform_int_distribution<int>(0, kImageNameRange - 1)(Random(doc));
    return FindFreeSequentialName(Name(), start,
                                  [&doc](const std::string& name) { return doc.FindXObject(name) != nullptr; });
}

void TPRImage::PrintPicture(TPRCanvas& canvas, const TRect& rect, const char* builder) {
    const TGraphic& graphic = *picture_.Graphic();
    TPdfCanvas& pdf = *canvas.PageCanvas();
    TPdfDoc& doc = *pdf.GetDoc();
    std::string name;
    if (sharedImage_) {
        name = Name();
        if (!doc.FindXObject(name)) doc.AddImage(name, CreateImageObject(graphic, builder));
    } else {
        name = FreeImageName(doc);
        doc.AddImage(name, CreateImageObject(graphic, builder));
    }
    const double pageHeight = PageOfItem().Height();
    if (orientation_ != 1) {
        // The box the upright picture fills, and the matrix that turns the
        // stored picture into it.
        const bool turned = orientation_ >= 5;
        const double w = stretch_ ? Width() : turned ? graphic.Height() : graphic.Width();
        const double h = stretch_ ? Height() : turned ? graphic.Width() : graphic.Height();
        std::array<double, 6> m = OrientationMatrix(orientation_, w, h);
        m[4] += rect.Left;
        m[5] += pageHeight - rect.Top - h;
        pdf.DrawXObjectMatrix(m, rect.Left, pageHeight - rect.Top - Height(), Width(), Height(), name);
    } else if (stretch_) {
        pdf.DrawXObject(rect.Left, pageHeight - rect.Bottom, Width(), Height(), name);
    } else {
        // One pixel per point from the item's top-left corner, cut to the item.
        pdf.DrawXObjectEx(rect.Left, pageHeight - rect.Top - graphic.Height(), graphic.Width(), graphic.Height(),
                          rect.Left, pageHeight - rect.Top - Height(), Width(), Height(), name);
    }
}

void TPRImage::PrintItem(TPRCanvas& canvas, TRect rect) {
    // A picture may have been put straight into the holder: check again.
    const TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty() || !dynamic_cast<const TBitmap*>(graphic)) return;
    PrintPicture(canvas, rect, "Pdf-Bitmap");
}

}  // namespace pim

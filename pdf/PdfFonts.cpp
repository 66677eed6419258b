#include "pdf/PdfFonts.h"

namespace pim {

TPdfType1Font::TPdfType1Font(TPdfObjectMgr* objectMgr, std::string name,
                             const std::string& baseFont, const TPdfStdWidths& widths)
    : TPdfFont(objectMgr, std::move(name)) {
    auto* dictionary = objectMgr->AddObject(std::make_unique<TPdfDictionary>(objectMgr));
    dictionary->PutName("Type", "Font");
    dictionary->PutName("Subtype", "Type1");
    dictionary->PutName("Encoding", "WinAnsiEncoding");
    dictionary->PutNumber("FirstChar", 32);
    dictionary->PutNumber("LastChar", 255);
    dictionary->PutName("BaseFont", baseFont);
    // Only for measuring: viewers know these fonts' widths.
    auto array = std::make_unique<TPdfArray>(objectMgr);
    for (std::uint16_t w : widths) array->Append(std::make_unique<TPdfNumber>(w));
    dictionary->PutHidden("Widths", std::move(array));
    TPdfType1Font::SetData(dictionary);
}

void TPdfType1Font::SetData(TPdfDictionary* dictionary) {
    TPdfFont::SetData(dictionary);
    TPdfNumber* missing = dictionary->LookupNumber("MissingWidth");
    widthTable_.fill(missing ? static_cast<std::uint16_t>(missing->Value()) : 0);
    TPdfNumber* first = dictionary->LookupNumber("FirstChar");
    TPdfNumber* last = dictionary->LookupNumber("LastChar");
    firstChar_ = first ? static_cast<std::uint8_t>(first->Value()) : 0;
    lastChar_ = last ? static_cast<std::uint8_t>(last->Value()) : 0;
    if (TPdfArray* widths = dictionary->LookupArray("Widths")) {
        for (int i = 0; i < widths->Count() && firstChar_ + i < 256; ++i)
            if (auto* w = dynamic_cast<TPdfNumber*>(widths->ItemAt(i)))
                widthTable_[static_cast<std::size_t>(firstChar_ + i)] =
                    static_cast<std::uint16_t>(w->Value());
    }
}

int TPdfType1Font::WidthOfCharAt(std::string_view text, int position) const {
    if (position < 1 || position > static_cast<int>(text.size())) return 0;
    return widthTable_[static_cast<unsigned char>(text[static_cast<std::size_t>(position - 1)])];
}

#define PIM_PDF_STD_FONT_IMPL(Class, BaseFont, Widths)                        \
    Class::Class(TPdfObjectMgr* objectMgr, std::string name)                  \
        : TPdfType1Font(objectMgr, std::move(name), BaseFont, Widths) {}

PIM_PDF_STD_FONT_IMPL(TPdfFixedWidth, "Courier", PDF_COURIER_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfFixedWidthBold, "Courier-Bold", PDF_COURIER_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfFixedWidthItalic, "Courier-Oblique", PDF_COURIER_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfFixedWidthBoldItalic, "Courier-BoldOblique", PDF_COURIER_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfArial, "Helvetica", PDF_HELVETICA_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfArialBold, "Helvetica-Bold", PDF_HELVETICA_BOLD_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfArialItalic, "Helvetica-Oblique", PDF_HELVETICA_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfArialBoldItalic, "Helvetica-BoldOblique", PDF_HELVETICA_BOLD_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfTimesRoman, "Times-Roman", PDF_TIMES_ROMAN_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfTimesBold, "Times-Bold", PDF_TIMES_BOLD_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfTimesItalic, "Times-Italic", PDF_TIMES_ITALIC_WIDTHS)
PIM_PDF_STD_FONT_IMPL(TPdfTimesBoldItalic, "Times-BoldItalic", PDF_TIMES_BOLD_ITALIC_WIDTHS)

#undef PIM_PDF_STD_FONT_IMPL

namespace {

const char* const kStandardFontNames[] = {
    "FixedWidth", "FixedWidth-Bold", "FixedWidth-Italic", "FixedWidth-BoldItalic",
    "Arial",      "Arial-Bold",      "Arial-Italic",      "Arial-BoldItalic",
    "Times-Roman", "Times-Bold",     "Times-Italic",      "Times-BoldItalic"};

}  // namespace

void RegisterStandardFonts() {
    if (FindPdfClass("Arial")) return;
    RegisterPdfFontClass<TPdfFixedWidth>("FixedWidth");
    RegisterPdfFontClass<TPdfFixedWidthBold>("FixedWidth-Bold");
    RegisterPdfFontClass<TPdfFixedWidthItalic>("FixedWidth-Italic");
    RegisterPdfFontClass<TPdfFixedWidthBoldItalic>("FixedWidth-BoldItalic");
    RegisterPdfFontClass<TPdfArial>("Arial");
    RegisterPdfFontClass<TPdfArialBold>("Arial-Bold");
    RegisterPdfFontClass<TPdfArialItalic>("Arial-Italic");
    RegisterPdfFontClass<TPdfArialBoldItalic>("Arial-BoldItalic");
    RegisterPdfFontClass<TPdfTimesRoman>("Times-Roman");
    RegisterPdfFontClass<TPdfTimesBold>("Times-Bold");
    RegisterPdfFontClass<TPdfTimesItalic>("Times-Italic");
    RegisterPdfFontClass<TPdfTimesBoldItalic>("Times-BoldItalic");
}

void UnregisterStandardFonts() {
    for (const char* name : kStandardFontNames) UnregisterPdfClass(name);
}

}  // namespace pim

// The twelve standard single-byte fonts every viewer has built in (Courier,
// Helvetica and Times in four styles). Nothing is embedded: the dictionary
// names the font, and an in-memory width table lets the canvas measure text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "pdf/PdfDoc.h"

namespace pim {

// Advance widths of codes 32..255, in thousandths of the font size.
using TPdfStdWidths = std::array<std::uint16_t, 224>;

class TPdfType1Font : public TPdfFont {
public:
    // Builds and registers the font dictionary naming baseFont, with the
    // widths kept as a hidden (never written) "Widths" array.
    TPdfType1Font(TPdfObjectMgr* objectMgr, std::string name, const std::string& baseFont,
                  const TPdfStdWidths& widths);

    // Reads MissingWidth, FirstChar, LastChar and Widths into the table.
    void SetData(TPdfDictionary* dictionary) override;
    int WidthOfCharAt(std::string_view text, int position) const override;

    std::uint8_t FirstChar() const { return firstChar_; }
    std::uint8_t LastChar() const { return lastChar_; }

private:
    std::uint8_t firstChar_ = 0;
    std::uint8_t lastChar_ = 0;
    std::array<std::uint16_t, 256> widthTable_{};
};

#define PIM_PDF_STD_FONT(Class)                                            \
    class Class : public TPdfType1Font {                                   \
    public:                                                                \
        Class(TPdfObjectMgr* objectMgr, std::string name);                 \
    };

PIM_PDF_STD_FONT(TPdfFixedWidth)
PIM_PDF_STD_FONT(TPdfFixedWidthBold)
PIM_PDF_STD_FONT(TPdfFixedWidthItalic)
PIM_PDF_STD_FONT(TPdfFixedWidthBoldItalic)
PIM_PDF_STD_FONT(TPdfArial)
PIM_PDF_STD_FONT(TPdfArialBold)
PIM_PDF_STD_FONT(TPdfArialItalic)
PIM_PDF_STD_FONT(TPdfArialBoldItalic)
PIM_PDF_STD_FONT(TPdfTimesRoman)
PIM_PDF_STD_FONT(TPdfTimesBold)
PIM_PDF_STD_FONT(TPdfTimesItalic)
PIM_PDF_STD_FONT(TPdfTimesBoldItalic)

#undef PIM_PDF_STD_FONT

// Width tables, generated from the core-14 metrics (PdfFontWidths.cpp).
extern const TPdfStdWidths PDF_COURIER_WIDTHS;
extern const TPdfStdWidths PDF_HELVETICA_WIDTHS;
extern const TPdfStdWidths PDF_HELVETICA_BOLD_WIDTHS;
extern const TPdfStdWidths PDF_TIMES_ROMAN_WIDTHS;
extern const TPdfStdWidths PDF_TIMES_BOLD_WIDTHS;
extern const TPdfStdWidths PDF_TIMES_ITALIC_WIDTHS;
extern const TPdfStdWidths PDF_TIMES_BOLD_ITALIC_WIDTHS;

// Registers the twelve classes under "FixedWidth", "Arial", "Times-Roman", ...
// Safe to call more than once; every document calls it when created.
void RegisterStandardFonts();
void UnregisterStandardFonts();

}  // namespace pim

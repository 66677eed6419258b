// Composite (Type0) fonts for Japanese text: Gothic, Mincyo, PGothic and
// PMincyo, each plain, bold, italic and bold italic. Nothing is embedded: the
// PDF declares a CID-keyed font of Adobe-Japan1 with Adobe's predefined CMap
// "90ms-RKSJ-H" (fixed pitch) or "90msp-RKSJ-H" (proportional), so page
// content carries the text's Shift_JIS bytes unchanged.
//
// To measure text, a font maps each character to its CID with the same code
// ranges as the declared CMap (pdf/PdfJpCMap.h) and looks the CID up in the
// width runs read back from its own "W" array.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PdfDoc.h"

namespace pim {

// One run of the width list: CIDs FirstCid..LastCid all advance RunWidth
// thousandths of the font size.
struct TPdfCIDWidthItem {
    std::int32_t FirstCid;
    std::int32_t LastCid;
    std::uint16_t RunWidth;
};

// The CID of the character at a 1-based byte position; -1 on the second byte
// of a double-byte character.
using TPdfCidConverter = std::int32_t (*)(std::string_view text, int position);

// What one font class writes into its descriptor and BaseFont.
struct TPdfType0FontStyle {
    const char* FontFamilyName;  // the BaseFont, "PGothic,Bold"
    std::int32_t Flags;
    std::int32_t ItalicAngle;
    std::int32_t StemV;
};

class TPdfType0Font : public TPdfFont {
public:
    TPdfType0Font(TPdfObjectMgr* objectMgr, std::string name);

    // Installs the code-to-CID mapping. Until one is installed, every
    // character has CID 0 (and trail bytes -1).
    virtual void SetCidConverter(TPdfCidConverter converter);
    // Attaches the Type0 dictionary and reads its descendant's "DW", its
    // descriptor's "MissingWidth" and its "W" array (EPdfInvalidValue on a
    // malformed one; the font is then left as it was).
    void SetData(TPdfDictionary* dictionary) override;
    // The width of the CID's run; a CID in no run (or with width 0) takes
    // DefaultWidth on a lead byte, MissingWidth on a single byte; a trail
    // byte is 0.
    int WidthOfCharAt(std::string_view text, int position) const override;

    std::int32_t CidOfCharAt(std::string_view text, int position) const;
    const std::vector<TPdfCIDWidthItem>& CidWidths() const { return cidWidths_; }
    std::uint16_t DefaultWidth() const { return defaultWidth_; }
    std::uint16_t MissingWidth() const { return missingWidth_; }

protected:
    // The Type0 dictionary, its descendant CIDFont and the font descriptor,
    // registered with the object manager; ends with SetData. ordering is
    // "Japan1" or "GB1".
    void BuildDictionaries(TPdfObjectMgr* objectMgr, const TPdfType0FontStyle& style,
                           const char* ordering, std::unique_ptr<TPdfArray> widths);
    // Completes the Type0 dictionary and installs the converter.
    void SetEncoding(const char* encoding, TPdfCidConverter converter);

private:
    // The run width of a CID as the first run ending at or after it gives it.
    std::uint16_t RunWidthOf(std::int32_t cid) const;

    TPdfCidConverter cidOfCharAt_ = nullptr;
    std::vector<TPdfCIDWidthItem> cidWidths_;
    // RunWidthOf for CIDs 0..size-1, precomputed from the runs (each byte the
    // canvas measures needs one); empty when the runs reach beyond 0xFFFF.
    std::vector<std::uint16_t> widthByCid_;
    std::uint16_t defaultWidth_ = 0;
    std::uint16_t missingWidth_ = 0;
};

class TPdfJpFont : public TPdfType0Font {
protected:
    // Builds the three dictionaries of an Adobe-Japan1 font with this "W".
    TPdfJpFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style,
               std::unique_ptr<TPdfArray> widths);
};

// Half-width single bytes, full-width double bytes: "W" [231 631 500],
// encoding 90ms-RKSJ-H.
class TPdfJpFixedFont : public TPdfJpFont {
protected:
    TPdfJpFixedFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style);
};

// Proportional Latin, kana and symbols: encoding 90msp-RKSJ-H and the
// proportional "W" array (the same for PGothic and PMincyo).
class TPdfJpProportionalFont : public TPdfJpFont {
protected:
    TPdfJpProportionalFont(TPdfObjectMgr* objectMgr, std::string name,
                           const TPdfType0FontStyle& style);
};

#define PIM_PDF_JP_FONT(Class, Base)                            \
    class Class : public Base {                                 \
    public:                                                     \
        Class(TPdfObjectMgr* objectMgr, std::string name);      \
    };

PIM_PDF_JP_FONT(TPdfGothic, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfGothicBold, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfGothicItalic, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfGothicBoldItalic, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfMincyo, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfMincyoBold, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfMincyoItalic, TPdfJpFixedFont)
PIM_PDF_JP_FONT(TPdfMincyoBoldItalic, TPdfJpFixedFont)

// The two proportional families; their bold and italic classes derive from
// them and differ only in their style.
class TPdfPGothic : public TPdfJpProportionalFont {
public:
    TPdfPGothic(TPdfObjectMgr* objectMgr, std::string name);

protected:
    TPdfPGothic(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style);
};

class TPdfPMincyo : public TPdfJpProportionalFont {
public:
    TPdfPMincyo(TPdfObjectMgr* objectMgr, std::string name);

protected:
    TPdfPMincyo(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style);
};

PIM_PDF_JP_FONT(TPdfPGothicBold, TPdfPGothic)
PIM_PDF_JP_FONT(TPdfPGothicItalic, TPdfPGothic)
PIM_PDF_JP_FONT(TPdfPGothicBoldItalic, TPdfPGothic)
PIM_PDF_JP_FONT(TPdfPMincyoBold, TPdfPMincyo)
PIM_PDF_JP_FONT(TPdfPMincyoItalic, TPdfPMincyo)
PIM_PDF_JP_FONT(TPdfPMincyoBoldItalic, TPdfPMincyo)

#undef PIM_PDF_JP_FONT

// Registers the sixteen classes under "Gothic", "Gothic,Bold", ...,
// "PMincyo,BoldItalic" (replacing what is there). The program calls it at
// start-up, before any document asks for these names.
void RegisterJapaneseFonts();
void UnregisterJapaneseFonts();

}  // namespace pim

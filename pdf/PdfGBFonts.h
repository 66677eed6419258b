// The Chinese composite font: an Adobe-GB1 CID font with the predefined CMap
// "GB-EUC-H", nothing embedded. It measures by the default widths only:
// 1000 for a double-byte character, 500 for a single byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/PdfJpFonts.h"

namespace pim {

class TPdfGBFont : public TPdfType0Font {
protected:
    // Builds the three dictionaries of an Adobe-GB1 font with this "W".
    TPdfGBFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style,
               std::unique_ptr<TPdfArray> widths);
};

// "W" [231 631 500], encoding GB-EUC-H.
class TPdfGBFixedFont : public TPdfGBFont {
protected:
    TPdfGBFixedFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style);
};

class TPdfChinese : public TPdfGBFixedFont {
public:
    TPdfChinese(TPdfObjectMgr* objectMgr, std::string name);
};

// The GB converter: -1 on a trail byte, 0 (no CID known) for every other
// byte. Characters are delimited by the Shift_JIS lead-byte ranges, like
// every text of the program.
std::int32_t CidOfGBCharAt(std::string_view text, int position);

// Registers TPdfChinese as "Chinese" (replacing what is there).
void RegisterChineseFonts();
void UnregisterChineseFonts();

}  // namespace pim

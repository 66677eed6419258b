#include "pdf/PdfJpFonts.h"

#include <algorithm>
#include <span>

#include "base/CodePage.h"
#include "pdf/PdfJpCMap.h"

namespace pim {

namespace {

// Widths of the proportional fonts for consecutive CIDs from the run's first.
constexpr std::int32_t kWidthsFrom1[] = {
    305, 219, 500, 500, 500, 500, 594, 203, 305, 305, 500, 500, 203, 500, 203, 500,
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 203, 203, 500, 500, 500, 453,
    668, 633, 637, 664, 648, 566, 551, 680, 641, 246, 543, 598, 539, 742, 641, 707,
    617, 707, 625, 602, 590, 641, 633, 742, 602, 590, 566, 336, 504, 336, 414, 305,
    414, 477, 496, 500, 496, 500, 305, 461, 500, 211, 219, 461, 211, 734, 500, 508,
    496, 496, 348, 461, 352, 500, 477, 648, 461, 477, 457, 234, 234, 234, 414,
};
constexpr std::int32_t kWidthsFrom326[] = {
    500, 441, 441, 441, 441, 441, 547, 523, 445, 480, 469, 516, 523, 504, 438, 500,
    641, 617, 566, 625, 598, 637, 563, 652, 539, 621, 523, 664, 590, 637, 645, 555,
    527, 602, 602, 602, 461, 645, 598, 578, 648, 492, 637, 516, 547, 613, 641, 605,
    453, 660, 508, 609, 664, 641, 520, 559, 512, 656, 566, 559, 590, 563, 250, 230,
};
constexpr std::int32_t kWidthsFrom633[] = {
    664, 664, 664, 664, 664, 500, 500, 500, 1000, 1000, 500, 500, 500, 500, 500, 500,
    1000, 1000, 746, 746, 734, 699, 1000, 1000, 1000, 1000, 1000, 961, 1000, 500, 1000, 1000,
    1000, 1000, 1000, 1000, 1000, 500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 500,
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 500, 1000, 1000, 1000, 1000,
};
constexpr std::int32_t kWidthsFrom771[] = {
    1000, 1000, 1000, 1000, 1000, 500, 500, 500,
};
constexpr std::int32_t kWidthsFrom780[] = {
    684, 684, 684, 684, 684, 684, 684, 684, 684, 684,
};
constexpr std::int32_t kWidthsFrom790[] = {
    715, 777, 742, 758, 711, 633, 773, 770, 273, 605, 754, 629, 934, 770, 805, 711,
    805, 758, 742, 617, 770, 715, 980, 652, 648, 648,
};
constexpr std::int32_t kWidthsFrom816[] = {
    574, 602, 563, 602, 563, 297, 578, 621, 250, 250, 594, 250, 938, 621, 605, 605,
    602, 379, 570, 336, 621, 512, 777, 520, 496, 508,
};
constexpr std::int32_t kWidthsFrom842[] = {
    746, 941, 805, 945, 602, 707, 750, 902, 805, 945, 1000, 1000, 844, 902, 590, 816,
    945, 980, 797, 895, 766, 883, 766, 766, 961, 980, 1000, 1000, 922, 961, 922, 922,
    863, 902, 805, 953, 957, 902, 902, 766, 883, 902, 941, 1000, 1000, 1000, 1000, 1000,
    1000, 961, 961, 961, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 891, 1000, 980,
    980, 805, 844, 1000, 844, 980, 727, 863, 805, 746, 863, 1000, 844, 863, 1000, 1000,
    1000, 855, 961,
};
constexpr std::int32_t kWidthsFrom925[] = {
    758, 898, 652, 824, 754, 941, 742, 895, 809, 934, 824, 922, 961, 965, 805, 941,
    930, 961, 797, 891, 1000, 1000, 898, 898, 902, 965, 914, 980, 805, 883, 766, 922,
    910, 961, 734, 863, 922, 887, 961, 648, 707, 941, 910, 824, 930, 707, 1000, 1000,
    1000, 766, 863, 863, 805, 883, 883, 945, 945, 945, 922, 953, 953, 902, 668,
};
constexpr std::int32_t kWidthsFrom988[] = {
    977, 719, 898, 805, 980, 813, 961, 629, 727, 809, 746, 1000, 852, 863, 766, 941,
    1000, 1000, 805, 863, 961, 727, 777,
};

struct TWidthRun {
    std::int32_t FirstCid;
    std::span<const std::int32_t> Widths;
};

constexpr TWidthRun kProportionalRuns[] = {
    {1, kWidthsFrom1},     {326, kWidthsFrom326}, {633, kWidthsFrom633}, {771, kWidthsFrom771},
    {780, kWidthsFrom780}, {790, kWidthsFrom790}, {816, kWidthsFrom816}, {842, kWidthsFrom842},
    {925, kWidthsFrom925}, {988, kWidthsFrom988}};

// The proportional "W" array: ten runs of consecutive CIDs, 461 widths.
std::unique_ptr<TPdfArray> CreateProportionalWidths(TPdfObjectMgr* objectMgr) {
    auto array = std::make_unique<TPdfArray>(objectMgr);
    for (const TWidthRun& run : kProportionalRuns) {
        array->Append(std::make_unique<TPdfNumber>(run.FirstCid));
        array->Append(CreateNumberArray(objectMgr, run.Widths));
    }
    return array;
}

// The item, or nullptr past the end (a W array may end too early).
TPdfObject* ItemOrNull(const TPdfArray& array, int index) {
    return index < array.Count() ? array.ItemAt(index) : nullptr;
}

// The runs of a "W" array: "c [w1 w2 ...]" gives one run per width,
// "c last w" one run for the range.
std::vector<TPdfCIDWidthItem> ReadWidthRuns(const TPdfArray& w) {
    std::vector<TPdfCIDWidthItem> runs;
    int index = 0;
    while (index < w.Count()) {
        auto* start = dynamic_cast<TPdfNumber*>(w.ItemAt(index));
        if (!start) throw EPdfInvalidValue("invalid W array start pos..");
        if (index + 1 == w.Count()) break;
        TPdfObject* next = w.ItemAt(index + 1);
        if (auto* last = dynamic_cast<TPdfNumber*>(next)) {
            auto* width = dynamic_cast<TPdfNumber*>(ItemOrNull(w, index + 2));
            if (!width) throw EPdfInvalidValue("invalid W array end pos..");
            runs.push_back({start->Value(), last->Value(), static_cast<std::uint16_t>(width->Value())});
            index += 3;
            continue;
        }
        auto* widths = dynamic_cast<TPdfArray*>(next);
        if (!widths) throw EPdfInvalidValue("invalid W array value..");
        for (int k = 0; k < widths->Count(); ++k) {
            auto* width = dynamic_cast<TPdfNumber*>(widths->ItemAt(k));
            if (!width) throw EPdfInvalidValue("invalid W array value..");
            const std::int32_t cid = start->Value() + k;
            runs.push_back({cid, cid, static_cast<std::uint16_t>(width->Value())});
        }
        index += 2;
    }
    return runs;
}

// RunWidthOf for every CID from 0 up to the last run's end: a CID takes the
// first run that ends at or after it, if it starts at or before it.
std::vector<std::uint16_t> IndexWidthRuns(const std::vector<TPdfCIDWidthItem>& runs) {
    std::int32_t end = -1;
    for (const auto& run : runs) end = std::max(end, run.LastCid);
    if (end < 0 || end > 0xFFFF) return {};
    std::vector<std::uint16_t> widths(static_cast<std::size_t>(end) + 1, 0);
    std::int32_t filled = 0;  // CIDs below this have met their first run
    for (const auto& run : runs) {
        for (std::int32_t cid = filled; cid <= run.LastCid; ++cid)
            widths[static_cast<std::size_t>(cid)] = cid >= run.FirstCid ? run.RunWidth : 0;
        filled = std::max(filled, run.LastCid + 1);
    }
    return widths;
}

}  // namespace

// ---- TPdfType0Font ---------------------------------------------------------------

TPdfType0Font::TPdfType0Font(TPdfObjectMgr* objectMgr, std::string name)
    : TPdfFont(objectMgr, std::move(name)) {}

void TPdfType0Font::SetCidConverter(TPdfCidConverter converter) { cidOfCharAt_ = converter; }

void TPdfType0Font::SetData(TPdfDictionary* dictionary) {
    // Read everything first, so a malformed width array changes nothing.
    std::uint16_t defaultWidth = 1000;  // the PDF default for a missing "DW"
    std::uint16_t missingWidth = 0;     // and for a missing "MissingWidth"
    std::vector<TPdfCIDWidthItem> runs;
    TPdfArray* descendants = dictionary ? dictionary->LookupArray("DescendantFonts") : nullptr;
    auto* descendant = descendants ? dynamic_cast<TPdfDictionary*>(ItemOrNull(*descendants, 0)) : nullptr;
    if (descendant) {
        if (TPdfNumber* dw = descendant->LookupNumber("DW")) defaultWidth = static_cast<std::uint16_t>(dw->Value());
        if (TPdfDictionary* descriptor = descendant->LookupDictionary("FontDescriptor"))
            if (TPdfNumber* mw = descriptor->LookupNumber("MissingWidth"))
                missingWidth = static_cast<std::uint16_t>(mw->Value());
        if (TPdfArray* w = descendant->LookupArray("W")) runs = ReadWidthRuns(*w);
    }
    TPdfFont::SetData(dictionary);
    defaultWidth_ = defaultWidth;
    missingWidth_ = missingWidth;
    widthByCid_ = IndexWidthRuns(runs);
    cidWidths_ = std::move(runs);
}

std::int32_t TPdfType0Font::CidOfCharAt(std::string_view text, int position) const {
    return (cidOfCharAt_ ? cidOfCharAt_ : CidOfUnknownCharAt)(text, position);
}

std::uint16_t TPdfType0Font::RunWidthOf(std::int32_t cid) const {
    if (!widthByCid_.empty() && cid >= 0) {
        return static_cast<std::size_t>(cid) < widthByCid_.size() ? widthByCid_[static_cast<std::size_t>(cid)] : 0;
    }
    for (const auto& run : cidWidths_) {
        if (run.LastCid >= cid) return cid >= run.FirstCid ? run.RunWidth : 0;
    }
    return 0;
}

int TPdfType0Font::WidthOfCharAt(std::string_view text, int position) const {
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) return 0;
    const std::int32_t cid = CidOfCharAt(text, position);
    if (cid == -1) return 0;
    const std::uint16_t width = RunWidthOf(cid);
    if (width != 0) return width;
    return IsLeadByte(static_cast<unsigned char>(text[static_cast<std::size_t>(position - 1)])) ? defaultWidth_
                                                                                              : missingWidth_;
}

void TPdfType0Font::BuildDictionaries(TPdfObjectMgr* objectMgr, const TPdfType0FontStyle& style,
                                      const char* ordering, std::unique_ptr<TPdfArray> widths) {
    auto* type0 = objectMgr->AddObject(std::make_unique<TPdfDictionary>(objectMgr));
    type0->PutName("BaseFont", style.FontFamilyName);

    auto* descendant = objectMgr->AddObject(std::make_unique<TPdfDictionary>(objectMgr));
    auto descendants = std::make_unique<TPdfArray>(objectMgr);
    descendants->Append(descendant);
    type0->Put("DescendantFonts", std::move(descendants));

    descendant->PutName("Type", "Font");
    descendant->PutName("Subtype", "CIDFontType2");
    descendant->PutName("WinCharSet", "128");
    descendant->PutName("BaseFont", style.FontFamilyName);
    auto systemInfo = std::make_unique<TPdfDictionary>(objectMgr);
    systemInfo->Put("Registry", std::make_unique<TPdfText>("Adobe"));
    systemInfo->Put("Ordering", std::make_unique<TPdfText>(ordering));
    systemInfo->PutNumber("Supplement", 2);
    descendant->Put("CIDSystemInfo", std::move(systemInfo));
    descendant->PutNumber("DW", 1000);
    descendant->Put("W", std::move(widths));

    auto* descriptor = objectMgr->AddObject(std::make_unique<TPdfDictionary>(objectMgr));
    descriptor->PutName("Type", "FontDescriptor");
    descriptor->PutName("FontName", style.FontFamilyName);
    descriptor->PutNumber("Ascent", 859);
    descriptor->PutNumber("CapHeight", 859);
    descriptor->PutNumber("Descent", -141);
    descriptor->PutNumber("MissingWidth", 500);
    descriptor->PutNumber("Flags", style.Flags);
    descriptor->PutNumber("ItalicAngle", style.ItalicAngle);
    descriptor->PutNumber("StemV", style.StemV);
    descriptor->Put("FontBBox", CreateNumberArray(objectMgr, {0, -141, 1000, 859}));
    descendant->Put("FontDescriptor", descriptor);

    TPdfType0Font::SetData(type0);
}

void TPdfType0Font::SetEncoding(const char* encoding, TPdfCidConverter converter) {
    Data()->PutName("Type", "Font");
    Data()->PutName("Subtype", "Type0");
    Data()->PutName("Encoding", encoding);
    SetCidConverter(converter);
}

// ---- Japanese fonts ----------------------------------------------------------------

TPdfJpFont::TPdfJpFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style,
                       std::unique_ptr<TPdfArray> widths)
    : TPdfType0Font(objectMgr, std::move(name)) {
    BuildDictionaries(objectMgr, style, "Japan1", std::move(widths));
}

TPdfJpFixedFont::TPdfJpFixedFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style)
    : TPdfJpFont(objectMgr, std::move(name), style, CreateNumberArray(objectMgr, {231, 631, 500})) {
    SetEncoding("90ms-RKSJ-H", CidOf90msCharAt);
}

TPdfJpProportionalFont::TPdfJpProportionalFont(TPdfObjectMgr* objectMgr, std::string name,
                                               const TPdfType0FontStyle& style)
    : TPdfJpFont(objectMgr, std::move(name), style, CreateProportionalWidths(objectMgr)) {
    SetEncoding("90msp-RKSJ-H", CidOf90mspCharAt);
}


namespace {

// Flags: 1 fixed pitch, 2 serif, 4 symbolic, 0x40000 force bold.
constexpr TPdfType0FontStyle kGothic{"Gothic", 5, 0, 78};
constexpr TPdfType0FontStyle kGothicBold{"Gothic,Bold", 0x40005, 0, 156};
constexpr TPdfType0FontStyle kGothicItalic{"Gothic,Italic", 5, -11, 78};
constexpr TPdfType0FontStyle kGothicBoldItalic{"Gothic,BoldItalic", 0x40005, -11, 156};
constexpr TPdfType0FontStyle kMincyo{"Mincyo", 7, 0, 78};
constexpr TPdfType0FontStyle kMincyoBold{"Mincyo,Bold", 0x40007, 0, 156};
constexpr TPdfType0FontStyle kMincyoItalic{"Mincyo,Italic", 7, -11, 78};
constexpr TPdfType0FontStyle kMincyoBoldItalic{"Mincyo,BoldItalic", 0x40007, -11, 156};
constexpr TPdfType0FontStyle kPGothic{"PGothic", 4, 0, 78};
constexpr TPdfType0FontStyle kPGothicBold{"PGothic,Bold", 0x40004, 0, 156};
constexpr TPdfType0FontStyle kPGothicItalic{"PGothic,Italic", 4, -11, 78};
constexpr TPdfType0FontStyle kPGothicBoldItalic{"PGothic,BoldItalic", 0x40004, -11, 156};
constexpr TPdfType0FontStyle kPMincyo{"PMincyo", 6, 0, 78};
constexpr TPdfType0FontStyle kPMincyoBold{"PMincyo,Bold", 0x40006, 0, 156};
constexpr TPdfType0FontStyle kPMincyoItalic{"PMincyo,Italic", 6, -11, 78};
constexpr TPdfType0FontStyle kPMincyoBoldItalic{"PMincyo,BoldItalic", 0x40006, -11, 156};

}  // namespace

#define PIM_PDF_JP_FONT_IMPL(Class, Base, Style)                  \
    Class::Class(TPdfObjectMgr* objectMgr, std::string name)      \
        : Base(objectMgr, std::move(name), Style) {}

PIM_PDF_JP_FONT_IMPL(TPdfGothic, TPdfJpFixedFont, kGothic)
PIM_PDF_JP_FONT_IMPL(TPdfGothicBold, TPdfJpFixedFont, kGothicBold)
PIM_PDF_JP_FONT_IMPL(TPdfGothicItalic, TPdfJpFixedFont, kGothicItalic)
PIM_PDF_JP_FONT_IMPL(TPdfGothicBoldItalic, TPdfJpFixedFont, kGothicBoldItalic)
PIM_PDF_JP_FONT_IMPL(TPdfMincyo, TPdfJpFixedFont, kMincyo)
PIM_PDF_JP_FONT_IMPL(TPdfMincyoBold, TPdfJpFixedFont, kMincyoBold)
PIM_PDF_JP_FONT_IMPL(TPdfMincyoItalic, TPdfJpFixedFont, kMincyoItalic)
PIM_PDF_JP_FONT_IMPL(TPdfMincyoBoldItalic, TPdfJpFixedFont, kMincyoBoldItalic)
PIM_PDF_JP_FONT_IMPL(TPdfPGothic, TPdfJpProportionalFont, kPGothic)
PIM_PDF_JP_FONT_IMPL(TPdfPGothicBold, TPdfPGothic, kPGothicBold)
PIM_PDF_JP_FONT_IMPL(TPdfPGothicItalic, TPdfPGothic, kPGothicItalic)
PIM_PDF_JP_FONT_IMPL(TPdfPGothicBoldItalic, TPdfPGothic, kPGothicBoldItalic)
PIM_PDF_JP_FONT_IMPL(TPdfPMincyo, TPdfJpProportionalFont, kPMincyo)
PIM_PDF_JP_FONT_IMPL(TPdfPMincyoBold, TPdfPMincyo, kPMincyoBold)
PIM_PDF_JP_FONT_IMPL(TPdfPMincyoItalic, TPdfPMincyo, kPMincyoItalic)
PIM_PDF_JP_FONT_IMPL(TPdfPMincyoBoldItalic, TPdfPMincyo, kPMincyoBoldItalic)

#undef PIM_PDF_JP_FONT_IMPL

TPdfPGothic::TPdfPGothic(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style)
    : TPdfJpProportionalFont(objectMgr, std::move(name), style) {}

TPdfPMincyo::TPdfPMincyo(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style)
    : TPdfJpProportionalFont(objectMgr, std::move(name), style) {}

// ---- Registration ----------------------------------------------------------------

void RegisterJapaneseFonts() {
    RegisterPdfFontClass<TPdfGothic>("Gothic");
    RegisterPdfFontClass<TPdfGothicBold>("Gothic,Bold");
    RegisterPdfFontClass<TPdfGothicItalic>("Gothic,Italic");
    RegisterPdfFontClass<TPdfGothicBoldItalic>("Gothic,BoldItalic");
    RegisterPdfFontClass<TPdfMincyo>("Mincyo");
    RegisterPdfFontClass<TPdfMincyoBold>("Mincyo,Bold");
    RegisterPdfFontClass<TPdfMincyoItalic>("Mincyo,Italic");
    RegisterPdfFontClass<TPdfMincyoBoldItalic>("Mincyo,BoldItalic");
    RegisterPdfFontClass<TPdfPGothic>("PGothic");
    RegisterPdfFontClass<TPdfPGothicBold>("PGothic,Bold");
    RegisterPdfFontClass<TPdfPGothicItalic>("PGothic,Italic");
    RegisterPdfFontClass<TPdfPGothicBoldItalic>("PGothic,BoldItalic");
    RegisterPdfFontClass<TPdfPMincyo>("PMincyo");
    RegisterPdfFontClass<TPdfPMincyoBold>("PMincyo,Bold");
    RegisterPdfFontClass<TPdfPMincyoItalic>("PMincyo,Italic");
    RegisterPdfFontClass<TPdfPMincyoBoldItalic>("PMincyo,BoldItalic");
}

void UnregisterJapaneseFonts() {
    for (const char* family : {"Gothic", "Mincyo", "PGothic", "PMincyo"}) {
        for (const char* style : {"", ",Bold", ",Italic", ",BoldItalic"}) UnregisterPdfClass(std::string(family) + style);
    }
}

}  // namespace pim

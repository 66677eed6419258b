#include "pdf/PdfGBFonts.h"

#include "pdf/PdfJpCMap.h"

namespace pim {

std::int32_t CidOfGBCharAt(std::string_view text, int position) { return CidOfUnknownCharAt(text, position); }

TPdfGBFont::TPdfGBFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style,
                       std::unique_ptr<TPdfArray> widths)
    : TPdfType0Font(objectMgr, std::move(name)) {
    BuildDictionaries(objectMgr, style, "GB1", std::move(widths));
}

TPdfGBFixedFont::TPdfGBFixedFont(TPdfObjectMgr* objectMgr, std::string name, const TPdfType0FontStyle& style)
    : TPdfGBFont(objectMgr, std::move(name), style, CreateNumberArray(objectMgr, {231, 631, 500})) {
    SetEncoding("GB-EUC-H", CidOfGBCharAt);
}

namespace {

constexpr TPdfType0FontStyle kChinese{"Chinese", 5, 0, 78};

}  // namespace

TPdfChinese::TPdfChinese(TPdfObjectMgr* objectMgr, std::string name)
    : TPdfGBFixedFont(objectMgr, std::move(name), kChinese) {}

void RegisterChineseFonts() { RegisterPdfFontClass<TPdfChinese>("Chinese"); }

void UnregisterChineseFonts() { UnregisterPdfClass("Chinese"); }

}  // namespace pim

#include "base/FileKind.h"

#include "base/Paths.h"

namespace pim {

namespace {

bool SameAsciiText(std::string_view a, std::string_view lower) {
    if (a.size() != lower.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

}  // namespace

TFileKind FileKindOf(std::string_view fileName) {
    const std::string_view ext = ExtractFileExt(fileName);
    for (const TFileKindRow& row : kFileKinds)
        if (SameAsciiText(ext, row.Extension)) return row.Kind;
    return TFileKind::fkOther;
}

TFileKind FileKindOfWord(std::string_view word) {
    for (const TFileKindRow& row : kFileKinds)
        if (word == row.Word) return row.Kind;
    return TFileKind::fkOther;
}

}  // namespace pim

#include "base/LineBreak.h"

#include <set>
#include <vector>

#include "base/CodePage.h"

namespace pim {

namespace {

// A character of code page 932 as one number: the lead byte above the
// trail byte, or the single byte.
using TCharCode = unsigned;

std::size_t CharLength(std::string_view text, std::size_t at) {
    return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

TCharCode CharCodeAt(std::string_view text, std::size_t at) {
    const auto first = static_cast<unsigned char>(text[at]);
    return CharLength(text, at) == 2 ? first << 8 | static_cast<unsigned char>(text[at + 1]) : first;
}

std::set<TCharCode> CharCodesOf(std::string_view utf8) {
    const std::string ansi = Utf8ToAnsi(utf8);
    std::set<TCharCode> codes;
    for (std::size_t i = 0; i < ansi.size(); i += CharLength(ansi, i)) codes.insert(CharCodeAt(ansi, i));
    return codes;
}

// Closing marks, small kana and the like never start a line; opening
// brackets never end one.
const std::set<TCharCode>& NeverFirst() {
    static const std::set<TCharCode> codes = CharCodesOf(
        "、。，．・：；？！゛゜ー―‐〜…‥」』】〕）］｝〉》’”ヽヾゝゞ々〻"
        "ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶ"
        ")]},.!?:;%"
        "｡｣､･ｰｧｨｩｪｫｬｭｮｯﾞﾟ");
    return codes;
}

const std::set<TCharCode>& NeverLast() {
    static const std::set<TCharCode> codes = CharCodesOf("（「『【〔［｛〈《‘“([{｢");
    return codes;
}

// A character of a Latin word: a single printable ASCII byte.
bool IsWordChar(std::string_view text, std::size_t at) {
    return CharLength(text, at) == 1 && text[at] > ' ' && static_cast<unsigned char>(text[at]) < 0x80;
}

}  // namespace

std::size_t LineBreakBefore(std::string_view text, std::size_t fit) {
    if (fit == 0) return text.empty() ? 0 : CharLength(text, 0);  // a line holds a character, however wide
    std::vector<std::size_t> starts;                              // the line's character boundaries before fit
    for (std::size_t i = 0; i < fit; i += CharLength(text, i)) starts.push_back(i);
    starts.push_back(fit);
    const std::size_t last = starts.size() - 1;  // breaking before starts[last] keeps all that fits
    std::size_t from = last;
    if (IsWordChar(text, fit) && IsWordChar(text, starts[last - 1])) {
        std::size_t k = last;
        while (k > 1 && IsWordChar(text, starts[k - 1])) --k;
        if (k > 1) from = k;  // the word goes down whole, after the space before it
    }
    for (std::size_t k = from; k >= 1; --k) {
        const bool badFirst = NeverFirst().count(CharCodeAt(text, starts[k])) > 0;
        const bool badLast = NeverLast().count(CharCodeAt(text, starts[k - 1])) > 0;
        if (!badFirst && !badLast) return starts[k];
    }
    return fit;
}

std::string WrapColumns(std::string_view text, int columns) {
    std::string wrapped;
    std::size_t lineStart = 0;  // in text
    int width = 0;              // of the line so far, in columns
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharLength(text, i);
        if (text[i] == '\r' || text[i] == '\n') {
            wrapped.append(text.substr(lineStart, i + 1 - lineStart));
            lineStart = ++i;
            width = 0;
            continue;
        }
        const int w = static_cast<int>(length);  // a double-byte character is twice as wide
        if (width + w > columns && i > lineStart) {
            const std::string_view line = text.substr(lineStart);
            const std::size_t at = lineStart + LineBreakBefore(line, i - lineStart);
            wrapped.append(text.substr(lineStart, at - lineStart));
            wrapped.append("\r\n");
            lineStart = at;
            width = 0;
            for (std::size_t k = at; k < i; k += CharLength(text, k)) width += static_cast<int>(CharLength(text, k));
        }
        width += w;
        i += length;
    }
    wrapped.append(text.substr(lineStart));
    return wrapped;
}

}  // namespace pim

// A text longer or wider than its item: its lines wrapped at the item's
// width, by the Japanese rules for where a line may break, and set on as
// many pages as they need. Measured with the item's own font, so a wrapped
// line is exactly as long as the item shows in full.
#include <algorithm>
#include <set>

#include "base/CodePage.h"
#include "report/PReport.h"

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

// Where a line that must break before `fit` (a character boundary, more than
// zero) breaks: before a Latin word rather than inside it, and never so that
// the next line starts with a closing mark or this one ends with an opening
// bracket, as long as the line keeps a character; where the width ends when
// no such place exists.
std::size_t BreakBefore(std::string_view text, std::size_t fit) {
    std::vector<std::size_t> starts;  // the line's character boundaries before fit
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

}  // namespace

std::vector<TStringList> TPRText::Pages() const {
    // The lines as the item prints them: the text trimmed as one block.
    std::string whole;
    for (int i = 0; i < lines_.Count(); ++i) {
        if (i > 0) whole += "\r\n";
        whole += lines_[i];
    }
    TStringList trimmed;
    trimmed.SetText(TrimText(whole));

    TPdfDoc measure;
    TPdfCanvas& canvas = *measure.CreateMeasuringCanvas();
    canvas.SelectFont(PdfFontName(FontName(), FontBold(), FontItalic()), FontSize());
    canvas.SetCharSpace(CharSpace());
    canvas.SetWordSpace(WordSpace());
    const auto width = static_cast<float>(Width());

    std::vector<std::string> shown;
    bool wrapped = false;
    for (int i = 0; i < trimmed.Count(); ++i) {
        std::string_view rest = trimmed[i];
        for (;;) {
            auto fit = static_cast<std::size_t>(std::max(canvas.CharsThatFit(rest, width), 0));
            if (fit >= rest.size()) break;
            if (fit == 0) fit = CharLength(rest, 0);  // a line holds a character, however wide
            else fit = BreakBefore(rest, fit);
            shown.emplace_back(rest.substr(0, fit));
            rest.remove_prefix(fit);
            wrapped = true;
        }
        shown.emplace_back(rest);
    }

    // As many lines as the canvas sets before the next would pass the bottom.
    const float fontSize = FontSize();
    int perPage = 1;
    if (leading_ <= 0) perPage = std::max(1, static_cast<int>(shown.size()));
    else for (double lineTop = Height() - leading_; fontSize <= lineTop; lineTop -= leading_) ++perPage;
    if (!wrapped && static_cast<int>(shown.size()) <= perPage) return {lines_};

    std::vector<TStringList> pages;
    for (std::size_t first = 0; first < shown.size(); first += static_cast<std::size_t>(perPage)) {
        TStringList page;
        const std::size_t end = std::min(shown.size(), first + static_cast<std::size_t>(perPage));
        for (std::size_t k = first; k < end; ++k) page.Add(shown[k]);
        pages.push_back(std::move(page));
    }
    return pages;
}

}  // namespace pim

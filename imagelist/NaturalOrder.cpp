#include "imagelist/NaturalOrder.h"

#include <array>
#include <string>

#include "base/CodePage.h"

namespace pim {

namespace {

// What a character is worth to the order: its class first (spaces and
// punctuation, digits, letters, kana, kanji), then its value in the class.
enum TCharClass { ccPunctuation, ccDigit, ccLetter, ccKana, ccKanji };

struct TSortChar {
    TCharClass Class = ccPunctuation;
    char32_t Value = 0;  // a digit's value for ccDigit
    std::size_t Length = 0;  // bytes taken from the name (two characters for ｶﾞ)
};

// One UTF-8 character at `at`; a byte that starts no valid character stands
// for itself, above every character.
char32_t DecodeAt(std::string_view s, std::size_t at, std::size_t& length) {
    const auto b = static_cast<unsigned char>(s[at]);
    length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > s.size()) {
        length = 1;
        return 0x110000 + b;
    }
    char32_t cp = length == 1 ? b : b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(s[at + k]);
        if ((c & 0xC0) != 0x80) {
            length = 1;
            return 0x110000 + b;
        }
        cp = cp << 6 | (c & 0x3F);
    }
    return cp;
}

// Half-width katakana U+FF66..U+FF9D as their full-width letters (ｦｧｨ...ﾝ).
constexpr char16_t kHalfWidthKana[] =
    u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";

// A kana as the hiragana that sorts it: katakana and hiragana side by side.
char32_t AsHiragana(char32_t c) { return c >= 0x30A1 && c <= 0x30F6 ? c - 0x60 : c; }

// JIS X 0208 (code page 932) order of the unified ideographs, as the code
// of each one; characters the code page lacks come after, by code point.
const std::array<std::uint32_t, 0xA000 - 0x4E00>& KanjiOrder() {
    static const auto order = [] {
        std::u16string all;
        for (char32_t c = 0x4E00; c < 0xA000; ++c) all.push_back(static_cast<char16_t>(c));
        const std::string ansi = Utf16ToAnsi(all);
        std::array<std::uint32_t, 0xA000 - 0x4E00> table{};
        std::size_t at = 0;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const auto lead = static_cast<unsigned char>(at < ansi.size() ? ansi[at] : 0);
            if (IsLeadByte(lead) && at + 1 < ansi.size()) {
                table[i] = static_cast<std::uint32_t>(lead << 8 | static_cast<unsigned char>(ansi[at + 1]));
                at += 2;
            } else {
                table[i] = 0x10000 + 0x4E00 + static_cast<std::uint32_t>(i);
                at += 1;
            }
        }
        return table;
    }();
    return order;
}

TSortChar SortCharAt(std::string_view s, std::size_t at) {
    TSortChar r;
    char32_t c = DecodeAt(s, at, r.Length);
    // Full-width ASCII is ASCII: ２ is a digit, Ａ the letter a.
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
    if (c < 0x80) {
        if (c >= '0' && c <= '9') return {ccDigit, c - '0', r.Length};
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        return {c >= 'a' && c <= 'z' ? ccLetter : ccPunctuation, c, r.Length};
    }
    if (c >= 0xFF66 && c <= 0xFF9D) {
        // Half-width katakana; a following sound mark makes one letter with it (ｶﾞ is ガ).
        c = kHalfWidthKana[c - 0xFF66];
        std::size_t markLength = 0;
        const char32_t mark = at + r.Length < s.size() ? DecodeAt(s, at + r.Length, markLength) : 0;
        const bool voicable = (c >= u'カ' && c <= u'ト') || (c >= u'ハ' && c <= u'ホ');
        const bool half = (c >= u'ハ' && c <= u'ホ');
        if (mark == 0xFF9E && c == u'ウ') {
            c = u'ヴ', r.Length += markLength;
        } else if (mark == 0xFF9E && voicable) {
            c += 1, r.Length += markLength;
        } else if (mark == 0xFF9F && half) {
            c += 2, r.Length += markLength;
        }
    }
    if ((c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) || c == 0x30FC) return {ccKana, AsHiragana(c), r.Length};
    if (c >= 0x4E00 && c < 0xA000) return {ccKanji, KanjiOrder()[c - 0x4E00], r.Length};
    // Japanese punctuation (、。「」・) goes with the other punctuation.
    if ((c >= 0x3000 && c <= 0x303F) || (c >= 0xFF61 && c <= 0xFF65) || c == 0x30FB) return {ccPunctuation, c, r.Length};
    return {ccLetter, c, r.Length};
}

// The digits of the run starting at `at` (full-width ones as ASCII), and
// where it ends.
std::string DigitRun(std::string_view s, std::size_t& at) {
    std::string digits;
    while (at < s.size()) {
        const TSortChar c = SortCharAt(s, at);
        if (c.Class != ccDigit) break;
        digits.push_back(static_cast<char>('0' + c.Value));
        at += c.Length;
    }
    return digits;
}

}  // namespace

int NaturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    int zeros = 0;  // first difference in leading zeros, the last resort
    while (i < a.size() && j < b.size()) {
        const TSortChar ca = SortCharAt(a, i), cb = SortCharAt(b, j);
        if (ca.Class == ccDigit && cb.Class == ccDigit) {
            const std::string runA = DigitRun(a, i), runB = DigitRun(b, j);
            const std::size_t firstA = runA.find_first_not_of('0'), firstB = runB.find_first_not_of('0');
            const std::string_view valueA = firstA == std::string::npos ? "" : std::string_view(runA).substr(firstA);
            const std::string_view valueB = firstB == std::string::npos ? "" : std::string_view(runB).substr(firstB);
            // More significant digits is the larger number; no overflow
            // however long the run.
            if (valueA.size() != valueB.size()) return valueA.size() < valueB.size() ? -1 : 1;
            if (const int c = valueA.compare(valueB); c != 0) return c < 0 ? -1 : 1;
            const std::size_t zerosA = runA.size() - valueA.size(), zerosB = runB.size() - valueB.size();
            if (zeros == 0 && zerosA != zerosB) zeros = zerosA < zerosB ? -1 : 1;
            continue;
        }
        if (ca.Class != cb.Class) return ca.Class < cb.Class ? -1 : 1;
        if (ca.Value != cb.Value) return ca.Value < cb.Value ? -1 : 1;
        i += ca.Length;
        j += cb.Length;
    }
    const bool restA = i < a.size(), restB = j < b.size();
    if (restA != restB) return restA ? 1 : -1;
    return zeros;
}

int NameCompare(std::string_view a, std::string_view b) {
    if (const int c = NaturalCompare(a, b); c != 0) return c;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace pim

#include "base/CodePage.h"
#include "base/LineBreak.h"

#include <gtest/gtest.h>

namespace pim {
namespace {

TEST(CodePage, LeadBytes) {
    EXPECT_FALSE(IsLeadByte(0x80));
    EXPECT_TRUE(IsLeadByte(0x81));
    EXPECT_TRUE(IsLeadByte(0x9F));
    EXPECT_FALSE(IsLeadByte(0xA0));
    EXPECT_FALSE(IsLeadByte(0xDF));  // half-width katakana are single bytes
    EXPECT_TRUE(IsLeadByte(0xE0));
    EXPECT_TRUE(IsLeadByte(0xFC));
    EXPECT_FALSE(IsLeadByte(0xFD));
}

TEST(CodePage, SameTextIgnoresOnlyAsciiCase) {
    EXPECT_TRUE(SameTextAnsi("MainFont", "mAINfONT"));
    EXPECT_FALSE(SameTextAnsi("Main", "Mains"));
    // "ア" (83 41) and "ッ" (83 61): trail bytes that only look like 'A' and 'a'.
    EXPECT_FALSE(SameTextAnsi("\x83\x41", "\x83\x61"));
    EXPECT_TRUE(SameTextAnsi("x\x83\x41Y", "X\x83\x41y"));
}

TEST(CodePage, ShiftJisToUtf16AndBack) {
    const std::string sjis = "PDF\x8D\xEC\x90\xAC";  // "PDF作成"
    EXPECT_EQ(AnsiToUtf16(sjis), u"PDF作成");
    EXPECT_EQ(Utf16ToAnsi(u"PDF作成"), sjis);
    // Half-width katakana and the Microsoft extensions (NEC circled digit, IBM kanji).
    EXPECT_EQ(AnsiToUtf16("\xB1\x87\x40\xFA\x5C"), u"ｱ①纊");
    EXPECT_EQ(Utf16ToAnsi(u"ｱ①纊"), "\xB1\x87\x40\xFA\x5C");
    // The backslash byte stays a backslash, as on Windows (not a yen sign).
    EXPECT_EQ(AnsiToUtf16("C:\\x"), u"C:\\x");
}

TEST(CodePage, UnrepresentableBecomesQuestionMark) {
    EXPECT_EQ(Utf16ToAnsi(u"a€b"), "a?b");
    // No look-alike: "é" taken for "e" would make two names one.
    EXPECT_EQ(Utf16ToAnsi(u"\u00E9.jpg"), "?.jpg");
    // One "?" per missing character: a surrogate pair is one character.
    EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(Utf16ToAnsi(u"\U0001F600\U00020B9F"), "??");
    EXPECT_EQ(Utf8ToAnsi("title \xF0\x9F\x98\x80"), "title ?");
    // A lone half is one character the code page lacks.
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(Utf16ToAnsi(lone), "a?b?");
}

TEST(CodePage, Utf8Edges) {
    EXPECT_EQ(Utf8ToAnsi("日本"), "\x93\xFA\x96\x7B");
    EXPECT_EQ(AnsiToUtf8("\x93\xFA\x96\x7B"), "日本");
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xF0\x9F\x98\x80z")), "a\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToUtf16("\xFFok"), u"\uFFFDok");  // invalid UTF-8 never throws
}

TEST(CodePage, TextFilesInEveryEncodingNotepadSaves) {
    const std::string sjis = "\x93\xFA\x96\x7B ok";  // 日本 ok
    const struct {
        const char* name;
        std::string bytes;
        std::string ansi;
    } cases[] = {
        {"Shift_JIS as it is", sjis, sjis},
        {"plain ASCII", "a\r\nb", "a\r\nb"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF日本 ok", sjis},
        {"UTF-8 without a mark", "日本 ok", sjis},
        {"UTF-16LE", std::string("\xFF\xFE\xE5\x65\x2C\x67 \0o\0k\0", 12), sjis},
        {"UTF-16BE", std::string("\xFE\xFF\x65\xE5\x67\x2C\0 \0o\0k", 12), sjis},
        {"half-width katakana in Shift_JIS is not UTF-8", "\xBD\xB7\xAC\xDD", "\xBD\xB7\xAC\xDD"},
        // Shift_JIS that happens to hold a valid-looking pair stays Shift_JIS
        // unless the whole file is valid UTF-8.
        {"Shift_JIS with a UTF-8-like pair", "\xC3\xA9\x93\xFA", "\xC3\xA9\x93\xFA"},
        {"an overlong UTF-8 form is not UTF-8", "\xC0\xAF", "\xC0\xAF"},
        {"a character code page 932 lacks", "\xC3\xA9t\xC3\xA9", "?t?"},
    };
    for (const auto& c : cases) EXPECT_EQ(TextFileToAnsi(c.bytes), c.ansi) << c.name;
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // a surrogate
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

// Texts shown in boxes are wrapped by columns, breaking where Japanese
// allows; a long path with nowhere to break is cut at the width.
TEST(CodePage, WrapColumnsKeepsLinesWithinTheWidth) {
    const struct {
        const char* utf8;
        int columns;
        const char* wrapped;
    } cases[] = {
        {"short", 10, "short"},
        {"C:\\pictures\\long-name.jpg", 10, "C:\\picture\r\ns\\long-nam\r\ne.jpg"},
        {"two words here", 10, "two words \r\nhere"},
        {"あいうえお。かきく", 10, "あいうえ\r\nお。かきく"},  // 。never starts a line
        {"一行目\r\n二行目です", 8, "一行目\r\n二行目で\r\nす"},
    };
    for (const auto& c : cases) EXPECT_EQ(AnsiToUtf8(WrapColumns(Utf8ToAnsi(c.utf8), c.columns)), c.wrapped) << c.utf8;
}

}  // namespace
}  // namespace pim

// The code page 932 helpers of base/ against the tables of Windows itself.
#include "base/CodePage.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace pim {
namespace {

TEST(Win32CodePage, AnsiCodePageIsShiftJis) { EXPECT_EQ(GetACP(), 932u); }

TEST(Win32CodePage, LeadBytesAgreeWithWindows) {
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(b)), IsDBCSLeadByteEx(932, static_cast<BYTE>(b)) != 0)
            << "byte " << b;
}

TEST(Win32CodePage, TextsSurviveTheRoundTripThroughUtf8) {
    const std::string sjis = "\x89\xE6\x91\x9C\x88\xEA\x97\x97 \xB1\xB2\xB3";  // "画像一覧 ｱｲｳ"
    EXPECT_EQ(AnsiToUtf8(sjis), "画像一覧 ｱｲｳ");
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(sjis)), sjis);
}

// The window's texts are written in UTF-8 and converted where they leave:
// they must reach Windows as the bytes the program has always shown, trail
// bytes 0x5C ("表", "ソ") and the full-width letters included.
TEST(Win32CodePage, WindowTextsLeaveAsTheirShiftJisBytes) {
    const struct {
        const char* utf8;
        std::string bytes;
    } texts[] = {
        {"ＭＳ Ｐゴシック", "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"},
        {"エラー", "\x83\x47\x83\x89\x81\x5b"},
        {"PDF作成", "PDF\x8D\xEC\x90\xAC"},
        {"ファイルの種類", "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x8e\xed\x97\xde"},
        {"表題", "\x95\x5c\x91\xe8"},
        {"ソート", "\x83\x5c\x81\x5b\x83\x67"},
        {"右に90°回転", "\x89\x45\x82\xc9\x39\x30\x81\x8b\x89\xf1\x93\x5d"},
        {"画像移動（登録）", "\x89\xe6\x91\x9c\x88\xda\x93\xae\x81\x69\x93\x6f\x98\x5e\x81\x6a"},
    };
    for (const auto& [utf8, bytes] : texts) EXPECT_EQ(Ansi(utf8), bytes) << utf8;
}

TEST(Win32CodePage, OneQuestionMarkPerMissingCharacter) {
    EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80\xF0\x9F\x98\x80"), "??");
    EXPECT_EQ(Utf16ToAnsi(u"a\u20ACb"), "a?b");
}

}  // namespace
}  // namespace pim

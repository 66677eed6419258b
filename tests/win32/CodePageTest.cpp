// The code page 932 helpers of base/ against the tables of Windows itself.
#include "base/CodePage.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace pim {
namespace {

TEST(Win32CodePage, AnsiCodePageIsShiftJis) {
    EXPECT_EQ(GetACP(), 932u);
}

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

TEST(Win32CodePage, OneQuestionMarkPerMissingCharacter) {
    EXPECT_EQ(Utf16ToAnsi(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80\xF0\x9F\x98\x80"), "??");
    EXPECT_EQ(Utf16ToAnsi(u"a\u20ACb"), "a?b");
}

}  // namespace
}  // namespace pim

// The Windows user interface as the program uses it, under Wine or Windows:
// ANSI controls with Shift_JIS captions, an owner-data list view, a user
// message posted from a worker thread, and the Japanese fonts.
#include "ProofWindow.h"

#include "base/CodePage.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace pim::test {
namespace {

class Win32Window : public ::testing::Test {
protected:
    ProofWindow window;
};

std::string WindowTextA(HWND hwnd) {
    char buffer[256] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

TEST_F(Win32Window, ButtonCaptionGoesThroughTheAnsiApiAsShiftJis) {
    EXPECT_EQ(WindowTextA(window.Button()), kButtonCaption);
    wchar_t wide[64] = {};
    GetWindowTextW(window.Button(), wide, 64);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide)), u"PDF作成");
    EXPECT_EQ(AnsiToUtf16(kButtonCaption), u"PDF作成");
}

TEST_F(Win32Window, OwnerDataListAsksForEachRowText) {
    ASSERT_EQ(ListView_GetItemCount(window.List()), 3);
    for (int row = 0; row < 3; ++row) {
        char text[64] = {};
        ListView_GetItemText(window.List(), row, 0, text, sizeof text);
        EXPECT_EQ(std::string(text), kRowTexts[row]) << "row " << row;
        const auto& asked = window.RowsAsked();
        EXPECT_NE(std::find(asked.begin(), asked.end(), row), asked.end()) << "row " << row;
    }
}

TEST_F(Win32Window, MessagesPostedFromAWorkerArriveInOrderWithTheirParameters) {
    const HWND target = window.Handle();
    std::thread worker([target] {
        PostMessageA(target, kUserMessage, 7, 0x5A5A0001);
        PostMessageA(target, kUserMessage, 8, -1);
    });
    worker.join();
    ASSERT_TRUE(window.PumpUntil([&] { return window.Received().size() >= 2; }));
    EXPECT_EQ(window.Received()[0].wParam, 7u);
    EXPECT_EQ(window.Received()[0].lParam, 0x5A5A0001);
    EXPECT_EQ(window.Received()[1].wParam, 8u);
    EXPECT_EQ(window.Received()[1].lParam, -1);
}

// "ＭＳ Ｐゴシック" must reach a real proportional Gothic face with the kanji
// (MS PGothic on Windows, IPAPGothic under Wine), not a fallback font.
TEST_F(Win32Window, JapaneseFontResolvesToAProportionalGothicWithTheKanji) {
    HDC dc = GetDC(window.Handle());
    HGDIOBJ old = SelectObject(dc, window.Font());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    EXPECT_EQ(metrics.tmCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(metrics.tmHeight - metrics.tmInternalLeading, 12);
    WORD glyphs[2] = {};
    GetGlyphIndicesW(dc, L"作成", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_NE(glyphs[0], 0xFFFF);
    EXPECT_NE(glyphs[1], 0xFFFF);
    std::vector<char> buffer(GetOutlineTextMetricsW(dc, 0, nullptr));
    ASSERT_FALSE(buffer.empty());
    auto* outline = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    ASSERT_NE(GetOutlineTextMetricsW(dc, static_cast<UINT>(buffer.size()), outline), 0u);
    // The name offsets are stored in the pointer fields.
    const auto offset = reinterpret_cast<std::uintptr_t>(outline->otmpFullName);
    const std::wstring fullName(reinterpret_cast<const wchar_t*>(buffer.data() + offset));
    EXPECT_NE(fullName.find(L"PGothic"), std::wstring::npos);
    SelectObject(dc, old);
    ReleaseDC(window.Handle(), dc);
}

// Leaves win32-proof.bmp in the test output folder (CTest turns it into a
// PNG) so a person can see the window as Windows drew it.
TEST_F(Win32Window, ScreenshotShowsTheControls) {
    const Capture shot = window.CaptureWindow();
    RECT frame;
    GetWindowRect(window.Handle(), &frame);
    ASSERT_EQ(shot.width, frame.right - frame.left);
    ASSERT_EQ(shot.height, frame.bottom - frame.top);
    WriteBmp(shot, OutputPath("win32-proof.bmp"));

    // Text was drawn on the button face: dark pixels inside its border.
    RECT button;
    GetWindowRect(window.Button(), &button);
    OffsetRect(&button, -frame.left, -frame.top);
    int dark = 0;
    for (int y = button.top + 4; y < button.bottom - 4; ++y)
        for (int x = button.left + 4; x < button.right - 4; ++x) {
            const COLORREF c = shot.Pixel(x, y);
            if (GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100) ++dark;
        }
    EXPECT_GT(dark, 40);
}

}  // namespace
}  // namespace pim::test

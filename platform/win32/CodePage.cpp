// Code page 932 through the Windows API: the same tables the program's
// ANSI controls and file names use.
#include "base/CodePage.h"

#include <windows.h>

namespace pim {

namespace {
constexpr UINT kCodePage = 932;
// No look-alikes: "é" becomes "?", not "e", so a lost character shows as lost
// and is never taken for another one.
constexpr DWORD kFlags = WC_NO_BEST_FIT_CHARS;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int n = MultiByteToWideChar(kCodePage, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(kCodePage, 0, ansi.data(), static_cast<int>(ansi.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

std::string Utf16ToAnsi(std::u16string_view original) {
    if (original.empty()) return {};
    // One "?" for a character outside the basic plane, not one per unit.
    const std::u16string text = SupplementaryAsQuestionMarks(original);
    const auto* w = reinterpret_cast<const wchar_t*>(text.data());
    const int n = WideCharToMultiByte(kCodePage, kFlags, w, static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kCodePage, kFlags, w, static_cast<int>(text.size()), out.data(), n, "?", nullptr);
    return out;
}

}  // namespace pim

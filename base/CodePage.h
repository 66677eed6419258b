// The Japanese ANSI code page (932, Shift_JIS) in which every text of the
// program is held, and its conversions at the edges. The conversions are
// implemented per platform (iconv on POSIX, the Windows API on Windows).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pim {

// A UTF-8 text written in a header: u8"..." is UTF-8 whatever execution
// character set the including folder compiles with, and this holds it as the
// program's char text.
//   inline constexpr TUtf8Text kTitle{u8"Pim-ピム-"};
template <std::size_t N>
struct TUtf8Text {
    char bytes[N] = {};
    consteval TUtf8Text(const char8_t (&text)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = static_cast<char>(text[i]);
    }
    constexpr std::string_view view() const { return {bytes, N - 1}; }
    constexpr operator std::string_view() const { return view(); }
};

// Lead byte of a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Equal without regard to the case of ASCII letters, walking the text by
// characters: the trail byte of a double-byte character (which may be a letter
// or ']') is compared exactly, as the character it belongs to.
bool SameTextAnsi(std::string_view a, std::string_view b);

// Code page 932 bytes to UTF-16 code units. Invalid sequences become U+30FB
// or are mapped as the platform converter maps them; never throws.
std::u16string AnsiToUtf16(std::string_view ansi);
// UTF-16 to code page 932; a character the code page cannot hold becomes
// one "?" (a surrogate pair is one character).
std::string Utf16ToAnsi(std::u16string_view text);
// Each character outside the basic plane (a surrogate pair, which code page
// 932 never holds) as a single "?"; the rest unchanged. Utf16ToAnsi's first step.
std::u16string SupplementaryAsQuestionMarks(std::u16string_view text);

// UTF-8 (the Linux terminal and file names) to and from code page 932.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view ansi);
// A text written in the source (UTF-8, as every literal is) as it leaves
// through code page 932: a caption, an error box, an "A" call.
//   button.SetText(Ansi("閉じる"));
inline std::string Ansi(std::string_view utf8) { return Utf8ToAnsi(utf8); }

// A text file's bytes as code page 932. UTF-16 with a byte-order mark (either
// order) and UTF-8 with its mark are converted; so is UTF-8 without a mark
// when the bytes are valid UTF-8 and hold a character beyond ASCII (Shift_JIS
// Japanese almost never is); anything else is taken as code page 932 as it is.
std::string TextFileToAnsi(std::string_view bytes);
// True when the bytes are well-formed UTF-8 (no overlong form, no surrogate).
bool IsValidUtf8(std::string_view bytes);

// Byte-for-byte UTF-8 <-> UTF-16, done in the core (no platform involved).
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace pim

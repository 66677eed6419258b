// Fonts and colours as the controls describe them, with no device behind
// them: what a control's font is made from and what settings store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pim {

// 0x00BBGGRR for a colour of its own; 0x80000000 + n for the system colour
// with index n; clNone and clDefault for "no colour" and "the control's own".
using TColor = std::int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clWindow = SystemColor(5);
inline constexpr TColor clWindowText = SystemColor(8);
inline constexpr TColor clBtnFace = SystemColor(15);
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// The colour's name ("clWindowText") when it has one, else "$" and eight
// upper-case hexadecimal digits ("$00123456").
std::string ColorToString(TColor color);
// A colour name (without regard to case), "$" or "0x" and hexadecimal
// digits, or a decimal number; nothing for any other text.
std::optional<TColor> StringToColor(std::string_view text);

// Font styles as a set of bits.
using TFontStyles = int;
inline constexpr TFontStyles fsBold = 1;
inline constexpr TFontStyles fsItalic = 2;
inline constexpr TFontStyles fsUnderline = 4;
inline constexpr TFontStyles fsStrikeOut = 8;
inline constexpr TFontStyles fsAllStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

// Character sets as Windows numbers them (its macros of these names clash).
inline constexpr int DefaultCharset = 1;
inline constexpr int ShiftJisCharset = 128;

struct TFont {
    std::string Name = "MS Sans Serif";  // code page 932 bytes
    int Size = 8;                        // points
    TColor Color = clWindowText;
    TFontStyles Style = 0;
    int Charset = DefaultCharset;       // 0..255

    bool operator==(const TFont&) const = default;
};

}  // namespace pim

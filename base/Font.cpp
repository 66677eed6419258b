#include "base/Font.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "base/CodePage.h"

namespace pim {

namespace {

struct TColorName {
    TColor color;
    const char* name;
};

constexpr std::array<TColorName, 47> kColorNames{{
    {clBlack, "clBlack"},        {clMaroon, "clMaroon"},          {clGreen, "clGreen"},
    {0x008080, "clOlive"},       {clNavy, "clNavy"},              {0x800080, "clPurple"},
    {0x808000, "clTeal"},        {clGray, "clGray"},              {clSilver, "clSilver"},
    {clRed, "clRed"},            {0x00FF00, "clLime"},            {0x00FFFF, "clYellow"},
    {clBlue, "clBlue"},          {0xFF00FF, "clFuchsia"},         {0xFFFF00, "clAqua"},
    {clWhite, "clWhite"},        {0xC0DCC0, "clMoneyGreen"},      {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},       {0xA4A0A0, "clMedGray"},
    {SystemColor(0), "clScrollBar"},         {SystemColor(1), "clBackground"},
    {SystemColor(2), "clActiveCaption"},     {SystemColor(3), "clInactiveCaption"},
    {SystemColor(4), "clMenu"},              {clWindow, "clWindow"},
    {SystemColor(6), "clWindowFrame"},       {SystemColor(7), "clMenuText"},
    {clWindowText, "clWindowText"},          {SystemColor(9), "clCaptionText"},
    {SystemColor(10), "clActiveBorder"},     {SystemColor(11), "clInactiveBorder"},
    {SystemColor(12), "clAppWorkSpace"},     {SystemColor(13), "clHighlight"},
    {SystemColor(14), "clHighlightText"},    {clBtnFace, "clBtnFace"},
    {SystemColor(16), "clBtnShadow"},        {SystemColor(17), "clGrayText"},
    {SystemColor(18), "clBtnText"},          {SystemColor(19), "clInactiveCaptionText"},
    {SystemColor(20), "clBtnHighlight"},     {SystemColor(21), "cl3DDkShadow"},
    {SystemColor(22), "cl3DLight"},          {SystemColor(23), "clInfoText"},
    {SystemColor(24), "clInfoBk"},           {clNone, "clNone"},
    {clDefault, "clDefault"},
}};

// The whole text as a number in the given base, within 32 bits.
std::optional<std::int64_t> ParseWhole(std::string_view text, int base) {
    std::int64_t value = 0;
    if (text.empty() || (base == 16 && text.front() == '-')) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string ColorToString(TColor color) {
    for (const auto& entry : kColorNames)
        if (entry.color == color) return entry.name;
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
    return text;
}

std::optional<TColor> StringToColor(std::string_view text) {
    for (const auto& entry : kColorNames)
        if (SameTextAnsi(text, entry.name)) return entry.color;
    std::optional<std::int64_t> value;
    if (text.starts_with('$')) {
        value = ParseWhole(text.substr(1), 16);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        value = ParseWhole(text.substr(2), 16);
    } else {
        value = ParseWhole(text.starts_with('+') ? text.substr(1) : text, 10);
        if (value && (*value < INT32_MIN || *value > INT32_MAX)) return std::nullopt;
    }
    if (!value || *value < INT32_MIN || *value > UINT32_MAX) return std::nullopt;
    return static_cast<TColor>(static_cast<std::uint32_t>(*value));
}

}  // namespace pim

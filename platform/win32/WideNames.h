// File names between the program (UTF-8) and the Windows wide API (UTF-16),
// for the Windows side of the platform layer only.
#pragma once

#include <string>
#include <string_view>

#include "base/CodePage.h"

namespace pim {

inline std::wstring WideName(std::string_view utf8) {
    const std::u16string text = Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

inline std::string Utf8Name(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace pim

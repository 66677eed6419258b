// File names between the program (UTF-8) and the Windows wide API (UTF-16),
// for the Windows side of the platform layer only. Every path that reaches a
// file call goes through WidePath, so a path past the system's old limit of
// 260 characters opens as any other, and a name is never taken for a device.
#pragma once

#include <windows.h>

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

// The extended-length prefixes: "\\?\C:\..." and "\\?\UNC\server\share\...".
inline constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
inline constexpr std::wstring_view kExtendedUncPrefix = L"\\\\?\\UNC\\";

// A path as the wide file calls take it: always the full path in the
// extended form ("\\?\C:\..." or "\\?\UNC\server\share\..."), which the
// system takes up to 32,767 characters and as it is. So a file named like a
// device ("aux.jpg", "con.png", "nul.txt", which the plain form gives to the
// device on Windows before 11 and under Wine) is the file of that name. The
// extended form is never normalised: the system makes the path full here,
// relative parts and forward slashes resolved, with a separator after it so
// that it cannot take the last name for a device; the name then follows as
// it is. A device path ("\\.\...") and a path already in the extended form
// are taken as they are.
inline std::wstring WidePath(std::string_view utf8) {
    std::wstring path = WideName(utf8);
    if (path.empty() || path.starts_with(kExtendedPrefix) || path.starts_with(L"\\\\.\\")) return path;
    const bool endsInSeparator = path.back() == L'\\' || path.back() == L'/';
    if (!endsInSeparator) path += L'\\';
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return WideName(utf8);
    std::wstring full(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return WideName(utf8);
    full.resize(n);
    // The separator added above goes again, unless it is a drive's root.
    if (!endsInSeparator && full.size() > 3 && full.back() == L'\\') full.pop_back();
    if (full.starts_with(L"\\\\")) return std::wstring(kExtendedUncPrefix) + full.substr(2);
    return std::wstring(kExtendedPrefix) + full;
}

// A path the system gave back, without the extended prefix.
inline std::wstring WithoutExtendedPrefix(std::wstring path) {
    if (path.starts_with(kExtendedUncPrefix)) return L"\\\\" + path.substr(kExtendedUncPrefix.size());
    if (path.starts_with(kExtendedPrefix)) return path.substr(kExtendedPrefix.size());
    return path;
}

}  // namespace pim

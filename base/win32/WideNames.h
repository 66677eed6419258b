// File names between the program (UTF-8) and the Windows wide API (UTF-16),
// for the Windows side of the platform layer only. Every path that reaches a
// file call goes through WidePath, so a path past the system's old limit of
// 260 characters opens as any other.
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

// A path as the wide file calls take it. One that is too long for the old
// limit (a folder may hold 248 characters, a file 259) goes in the
// extended form, which the system takes up to 32,767 characters; that form
// is never normalised, so it is made from the full path (no relative parts,
// no forward slashes).
inline std::wstring WidePath(std::string_view utf8) {
    std::wstring path = WideName(utf8);
    if (path.size() < MAX_PATH - 12 || path.starts_with(kExtendedPrefix)) return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return path;
    full.resize(n);
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

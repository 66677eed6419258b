#include "app/AppPlatform.h"

#include <windows.h>

#include "base/CodePage.h"
#include "platform/win32/WideNames.h"

namespace pim {

// File names are UTF-8 inside the program; the wide API takes them as UTF-16.
std::string NativeToAnsi(std::string_view text) { return Utf8ToAnsi(text); }
std::string AnsiToNative(std::string_view text) { return AnsiToUtf8(text); }
std::u16string NativeToUtf16(std::string_view text) { return Utf8ToUtf16(text); }
std::string Utf16ToNative(std::u16string_view text) { return Utf16ToUtf8(text); }

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return Utf8Name(std::wstring_view(buffer, n));
}

}  // namespace pim

#include "app/AppPlatform.h"

#include <windows.h>

#include "base/CodePage.h"

namespace pim {

std::string NativeToAnsi(std::string_view text) { return std::string(text); }
std::string AnsiToNative(std::string_view text) { return std::string(text); }
std::u16string NativeToUtf16(std::string_view text) { return AnsiToUtf16(text); }
std::string Utf16ToNative(std::u16string_view text) { return Utf16ToAnsi(text); }

std::string TemporaryFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(buffer, n);
}

}  // namespace pim

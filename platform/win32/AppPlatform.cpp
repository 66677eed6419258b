#include "app/AppPlatform.h"

#include <windows.h>

namespace pim {

std::string NativeToAnsi(std::string_view text) { return std::string(text); }
std::string AnsiToNative(std::string_view text) { return std::string(text); }

std::string TemporaryFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return std::string(buffer, n);
}

}  // namespace pim

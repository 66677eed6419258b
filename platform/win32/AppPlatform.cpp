#include "app/AppPlatform.h"

#include <windows.h>

#include "base/win32/WideNames.h"

namespace pim {

std::string TemporaryFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH) return {};
    return Utf8Name(std::wstring_view(buffer, n));
}

}  // namespace pim

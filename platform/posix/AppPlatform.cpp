#include "app/AppPlatform.h"

#include <filesystem>
#include <system_error>

#include "base/CodePage.h"

namespace pim {

std::string NativeToAnsi(std::string_view text) { return Utf8ToAnsi(text); }
std::string AnsiToNative(std::string_view text) { return AnsiToUtf8(text); }
std::u16string NativeToUtf16(std::string_view text) { return Utf8ToUtf16(text); }
std::string Utf16ToNative(std::u16string_view text) { return Utf16ToUtf8(text); }

std::string TemporaryFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string() : folder.string();
}

}  // namespace pim

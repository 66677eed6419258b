#include "app/AppPlatform.h"

#include <filesystem>
#include <system_error>

namespace pim {

std::string TemporaryFolder() {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::string() : folder.string();
}

}  // namespace pim

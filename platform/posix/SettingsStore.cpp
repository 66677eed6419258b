// Settings stores on Linux: ini files through the program's own reader and
// writer, which keep the Windows format; there is no registry.
#include "settings/SettingsStore.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/Classes.h"
#include "settings/IniFile.h"

namespace pim {

std::unique_ptr<TSettingsStore> OpenRegistryStore(const std::string& /*regDir*/) { return nullptr; }

std::unique_ptr<TSettingsStore> OpenIniStore(const std::string& fileName) {
    return std::make_unique<TIniFileStore>(fileName);
}

bool IniFileUnparsable(const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(fileName), ec)) return false;
    try {
        TMemoryStream bytes;
        bytes.LoadFromFile(fileName);
        return !IsIniText(bytes.View());
    } catch (const EStreamError&) {
        return true;
    }
}

void SetIniFileAside(const std::string& fileName) {
    if (std::rename(fileName.c_str(), (fileName + ".bak").c_str()) != 0)
        throw EIniFileException("Unable to write to " + fileName);
}

}  // namespace pim

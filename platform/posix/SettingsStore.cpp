// Settings stores on Linux: ini files through the program's own reader and
// writer, which keep the Windows format; there is no registry.
#include "settings/SettingsStore.h"

#include "settings/IniFile.h"

namespace pim {

std::unique_ptr<TSettingsStore> OpenRegistryStore(const std::string& /*regDir*/) { return nullptr; }

std::unique_ptr<TSettingsStore> OpenIniStore(const std::string& fileName) {
    return std::make_unique<TIniFileStore>(fileName);
}

}  // namespace pim

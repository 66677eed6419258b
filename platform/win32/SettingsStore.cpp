// Settings stores on Windows: the current user's registry (sections are
// subkeys of the manager's key) and ini files through the profile functions.
#include "settings/SettingsStore.h"

#include <windows.h>

#include <vector>

#include "base/Classes.h"
#include "base/CodePage.h"
#include "settings/IniFile.h"

namespace pim {

namespace {

// An open registry key, closed with its owner.
struct TKey {
    HKEY handle = nullptr;
    TKey() = default;
    TKey(const TKey&) = delete;
    TKey& operator=(const TKey&) = delete;
    ~TKey() {
        if (handle) RegCloseKey(handle);
    }
};

bool CreateKey(HKEY parent, const std::string& path, REGSAM access, TKey& key) {
    return RegCreateKeyExA(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           &key.handle, nullptr) == ERROR_SUCCESS;
}

struct TValue {
    DWORD type = REG_NONE;
    std::string data;
};

std::optional<TValue> QueryValue(HKEY key, const std::string& ident) {
    TValue value;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, ident.c_str(), nullptr, &value.type, nullptr, &size);
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        value.data.resize(size);
        rc = RegQueryValueExA(key, ident.c_str(), nullptr, &value.type,
                              reinterpret_cast<BYTE*>(value.data.data()), &size);
        if (rc == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
    }
    return std::nullopt;
}

class TRegistryStore : public TSettingsStore {
public:
    bool Open(const std::string& regDir) {
        // A leading backslash still means "under the current user's key".
        const std::size_t skip = regDir.find_first_not_of('\\');
        return skip != std::string::npos && CreateKey(HKEY_CURRENT_USER, regDir.substr(skip), KEY_ALL_ACCESS, root_);
    }

    std::optional<std::string> ReadString(const std::string& section, const std::string& ident) override {
        TKey key;
        if (RegOpenKeyExA(root_.handle, section.c_str(), 0, KEY_QUERY_VALUE, &key.handle) != ERROR_SUCCESS)
            return std::nullopt;
        auto value = QueryValue(key.handle, ident);
        // Values of another kind are not strings this store wrote: read as missing.
        if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::nullopt;
        while (!value->data.empty() && value->data.back() == '\0') value->data.pop_back();
        return std::move(value->data);
    }

    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override {
        SetValue(section, ident, REG_SZ, value.c_str(), value.size() + 1);
    }

    void DeleteKey(const std::string& section, const std::string& ident) override {
        TKey key;
        if (RegOpenKeyExA(root_.handle, section.c_str(), 0, KEY_SET_VALUE, &key.handle) == ERROR_SUCCESS)
            RegDeleteValueA(key.handle, ident.c_str());
    }

    std::size_t ValueCount(const std::string& section) override {
        TKey key;
        DWORD count = 0;
        if (RegOpenKeyExA(root_.handle, section.c_str(), 0, KEY_QUERY_VALUE, &key.handle) != ERROR_SUCCESS ||
            RegQueryInfoKeyA(key.handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        return count;
    }

    bool HoldsBinary() const override { return true; }

    std::optional<std::string> ReadBinary(const std::string& section, const std::string& ident) override {
        TKey key;
        if (!CreateKey(root_.handle, section, KEY_QUERY_VALUE, key)) return std::nullopt;
        auto value = QueryValue(key.handle, ident);
        if (!value || value->type != REG_BINARY) return std::nullopt;
        return std::move(value->data);
    }

    void WriteBinary(const std::string& section, const std::string& ident, const std::string& bytes) override {
        SetValue(section, ident, REG_BINARY, bytes.data(), bytes.size());
    }

private:
    void SetValue(const std::string& section, const std::string& ident, DWORD type, const void* data,
                  std::size_t size) {
        TKey key;
        if (!CreateKey(root_.handle, section, KEY_SET_VALUE, key))
            throw ERegistryException("Failed to create key " + section);
        if (RegSetValueExA(key.handle, ident.c_str(), 0, type, static_cast<const BYTE*>(data),
                           static_cast<DWORD>(size)) != ERROR_SUCCESS)
            throw ERegistryException("Failed to set data for '" + ident + "'");
    }

    TKey root_;
};

class TProfileStore : public TSettingsStore {
public:
    explicit TProfileStore(std::string fileName) : fileName_(std::move(fileName)) {}

    std::optional<std::string> ReadString(const std::string& section, const std::string& ident) override {
        // The profile functions have no "missing" answer and trim a default's
        // trailing blanks: a value that reads as two different defaults is none.
        std::string value = Get(section, ident, "\x01");
        if (value == "\x01" && Get(section, ident, "\x02") == "\x02") return std::nullopt;
        return value;
    }

    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override {
        CheckIniEntry(section, ident, value);
        if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), QuoteIniValue(value).c_str(), fileName_.c_str()))
            throw EIniFileException("Unable to write to " + fileName_);
    }

    void DeleteKey(const std::string& section, const std::string& ident) override {
        // Deleting what is not there may fail; a value that stays may not.
        if (!WritePrivateProfileStringA(section.c_str(), ident.c_str(), nullptr, fileName_.c_str()) &&
            ReadString(section, ident))
            throw EIniFileException("Unable to write to " + fileName_);
    }

    std::size_t ValueCount(const std::string& section) override {
        // The section's key names, each ended by a NUL, the list by another.
        std::vector<char> buffer(4096);
        DWORD n = 0;
        for (;;) {
            n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(),
                                         static_cast<DWORD>(buffer.size()), fileName_.c_str());
            if (n + 2 < buffer.size()) break;
            buffer.resize(buffer.size() * 2);
        }
        std::size_t count = 0;
        for (DWORD i = 0; i < n; ++i)
            if (buffer[i] == '\0') ++count;
        return count + (n > 0 && buffer[n - 1] != '\0' ? 1 : 0);
    }

    // Makes Windows write out a cached file, so other programs see it now.
    void Close() override { WritePrivateProfileStringA(nullptr, nullptr, nullptr, fileName_.c_str()); }

private:
    std::string Get(const std::string& section, const std::string& ident, const char* fallback) const {
        std::vector<char> buffer(256);
        for (;;) {
            const DWORD n = GetPrivateProfileStringA(section.c_str(), ident.c_str(), fallback, buffer.data(),
                                                     static_cast<DWORD>(buffer.size()), fileName_.c_str());
            // A full buffer may mean a longer value: read again with more room.
            if (n + 1 < buffer.size()) return std::string(buffer.data(), n);
            buffer.resize(buffer.size() * 2);
        }
    }

    std::string fileName_;
};

}  // namespace

std::unique_ptr<TSettingsStore> OpenRegistryStore(const std::string& regDir) {
    auto store = std::make_unique<TRegistryStore>();
    if (!store->Open(regDir)) return nullptr;
    return store;
}

std::unique_ptr<TSettingsStore> OpenIniStore(const std::string& fileName) {
    return std::make_unique<TProfileStore>(fileName);
}

// The ini file's name is in the ANSI code page, as the profile functions take it.
bool IniFileUnparsable(const std::string& fileName) {
    const std::string name = AnsiToUtf8(fileName);
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(name).c_str()));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    try {
        TMemoryStream bytes;
        bytes.LoadFromFile(name);
        return !IsIniText(bytes.View());
    } catch (const EStreamError&) {
        return true;
    }
}

void SetIniFileAside(const std::string& fileName) {
    const std::u16string name = Utf8ToUtf16(AnsiToUtf8(fileName));
    const std::u16string aside = name + u".bak";
    if (!MoveFileExW(reinterpret_cast<const wchar_t*>(name.c_str()), reinterpret_cast<const wchar_t*>(aside.c_str()),
                     MOVEFILE_REPLACE_EXISTING))
        throw EIniFileException("Unable to write to " + fileName);
}

}  // namespace pim

// Where settings are kept: one small interface over the current user's
// registry (Windows only) and ini files. The platform layer implements the
// factories (platform/win32/SettingsStore.cpp, platform/posix/SettingsStore.cpp).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/SysUtils.h"

namespace pim {

// A value could not be written to an ini file, or a name or value would break
// the file's lines.
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// A registry value could not be written.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// One open store. Sections and idents are never empty here (the filer checks).
// Writes may be held back until Close, which raises when they cannot be made.
class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    // The string value, or nothing when there is none.
    virtual std::optional<std::string> ReadString(const std::string& section, const std::string& ident) = 0;
    virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value) = 0;
    virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
    // How many values the section holds: a bound for stored counts, which a
    // damaged store may make huge.
    virtual std::size_t ValueCount(const std::string& section) = 0;

    // Whether the store keeps binary values (the registry); ini files keep
    // bytes as hexadecimal lines instead.
    virtual bool HoldsBinary() const { return false; }
    // Creates the section when it is missing; nothing when the value is not
    // a binary one.
    virtual std::optional<std::string> ReadBinary(const std::string& /*section*/, const std::string& /*ident*/) {
        throw EInvalidOperation("ReadBinary --the store keeps no binary values.");
    }
    virtual void WriteBinary(const std::string& /*section*/, const std::string& /*ident*/, const std::string& /*bytes*/) {
        throw EInvalidOperation("WriteBinary --the store keeps no binary values.");
    }

    virtual void Close() {}
};

// The key `regDir` under the current user's key, sections as subkeys; nothing
// when the key cannot be opened or there is no registry (Linux).
std::unique_ptr<TSettingsStore> OpenRegistryStore(const std::string& regDir);
// The ini file `fileName` (in the platform's file-name encoding).
std::unique_ptr<TSettingsStore> OpenIniStore(const std::string& fileName);

// Whether the ini file `fileName` (named as for OpenIniStore) is there but
// could not be parsed: it cannot be read, or it is no ini text (IsIniText).
// A missing file, or a folder of that name, is not such a file.
bool IniFileUnparsable(const std::string& fileName);
// Moves such a file aside, to `fileName` + ".bak" (an older one of that name
// is replaced), before a new file is written in its place. Raises
// EIniFileException ("Unable to write to <fileName>") when it stays.
void SetIniFileAside(const std::string& fileName);

}  // namespace pim

// The settings manager: named settings kept under a key of the current user's
// registry or in an ini file. Each setting is described once by an item
// (where it lives and its default); the filer reads and writes the current
// item's value as a string, boolean, integer, font, string list, stream or
// component snapshot. Every filer operation opens the store, does its work
// and closes the store again, on the calling thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Classes.h"
#include "base/Font.h"
#include "settings/Persistent.h"
#include "settings/SettingsStore.h"

namespace pim {

enum class TRegType { rtReg, rtIni };

class TRegItem {
public:
    std::string Name;          // what code asks for
    std::string Section;       // registry subkey or ini section
    std::string Ident;         // value name, and the stem of derived names
    std::string DefaultValue;  // used when nothing is stored

    void Assign(const TRegItem& source) { *this = source; }
};

class TRegItems {
public:
    TRegItem& Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TRegItem& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    // The first item of that name, without regard to case; nullptr when none.
    TRegItem* Find(std::string_view name) const;

private:
    std::vector<std::unique_ptr<TRegItem>> items_;  // items keep their address
};

class TRegManager;

class TRegFiler {
public:
    explicit TRegFiler(TRegManager& manager) : manager_(manager) {}
    virtual ~TRegFiler() = default;
    TRegFiler(const TRegFiler&) = delete;
    TRegFiler& operator=(const TRegFiler&) = delete;

    TRegManager& Manager() const { return manager_; }
    // The item the typed operations work on; none: they do nothing and give
    // their defaults.
    TRegItem* Item() const { return item_; }
    void SetItem(TRegItem* item) { item_ = item; }

    // The default when nothing is stored or section or ident is empty.
    virtual std::string ReadString(const std::string& section, const std::string& ident, const std::string& def);
    // Nothing when section or ident is empty.
    virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // True when the value is a decimal number other than 0; default "1" when the
    // item's DefaultValue is "1", "TRUE" or "YES" in any case, else "0".
    virtual bool ReadBool();
    virtual void WriteBool(bool value);  // "1" or "0"
    // The value as a decimal number, 0 when it is not one; default DefaultValue.
    virtual int ReadInteger();
    virtual void WriteInteger(int value);
    virtual std::string ReadString();  // default DefaultValue
    virtual void WriteString(const std::string& value);
    // <Ident>_FontName, _FontSize, _FontColor, _FontStyle, _FontCharset; the
    // font's own values are the defaults.
    virtual void ReadFont(TFont& font);
    virtual void WriteFont(const TFont& font);
    // <Ident>_ItemCount and <Ident>_Item0, _Item1, ...
    virtual void ReadStrings(TStrings& list);
    virtual void WriteStrings(const TStrings& list);
    // Registry: one binary value, appended at the stream's position when it
    // exists. Ini file: <Ident>_c and <Ident>_d0, _d1, ... of hexadecimal text.
    virtual void ReadStream(TStream& stream);
    virtual void WriteStream(TStream& stream);
    // A snapshot of the component's published properties (see HStreamUtils);
    // nothing for a whole form.
    virtual void ReadComponent(TPersistentComponent& control);
    virtual void WriteComponent(TPersistentComponent& component);
    virtual void DeleteKey(const std::string& section, const std::string& ident);

protected:
    // The manager's store; the error report and nothing when it cannot be had.
    virtual std::unique_ptr<TSettingsStore> OpenStore();

private:
    std::unique_ptr<TSettingsStore> OpenForItem();
    std::string ReadItemStream(TSettingsStore& store);
    void WriteItemStream(TSettingsStore& store, const std::string& bytes);

    TRegManager& manager_;
    TRegItem* item_ = nullptr;
};

class TRegManager {
public:
    TRegManager() = default;
    virtual ~TRegManager() = default;
    TRegManager(const TRegManager&) = delete;
    TRegManager& operator=(const TRegManager&) = delete;

    const std::string& IniFileName() const { return iniFileName_; }
    void SetIniFileName(std::string value) { iniFileName_ = std::move(value); }
    // Relative to the current user's key, e.g. "Software\Pim".
    const std::string& RegDir() const { return regDir_; }
    void SetRegDir(std::string value) { regDir_ = std::move(value); }
    TRegItems& RegItems() { return regItems_; }
    TRegType RegType() const { return regType_; }
    void SetRegType(TRegType value) { regType_ = value; }

    // The filer on the item of that name (on none when there is no such item),
    // e.g. RegManager1.Filer("MainFont").ReadFont(font).
    TRegFiler& Filer(std::string_view name);
    TRegFiler& Filer();

protected:
    // Made on first use, so a derived manager's filer is the one made.
    virtual std::unique_ptr<TRegFiler> CreateFiler() { return std::make_unique<TRegFiler>(*this); }

private:
    std::string iniFileName_;
    std::string regDir_;
    TRegItems regItems_;
    TRegType regType_ = TRegType::rtReg;
    std::unique_ptr<TRegFiler> filer_;
};

}  // namespace pim

#include "settings/RegMng.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "base/CodePage.h"
#include "base/ErrorReport.h"
#include "settings/HStreamUtils.h"

namespace pim {

namespace {

// A whole decimal number within 32 bits, with an optional sign.
std::optional<int> ParseInteger(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

int ToInteger(std::string_view text) { return ParseInteger(text).value_or(0); }

// The rules of the section-and-ident operations, for every read and write an
// operation makes.
std::string Read(TSettingsStore& store, const std::string& section, const std::string& ident, const std::string& def) {
    if (section.empty() || ident.empty()) return def;
    return store.ReadString(section, ident).value_or(def);
}

void Write(TSettingsStore& store, const std::string& section, const std::string& ident, const std::string& value) {
    if (!section.empty() && !ident.empty()) store.WriteString(section, ident, value);
}

void Delete(TSettingsStore& store, const std::string& section, const std::string& ident) {
    if (!section.empty() && !ident.empty()) store.DeleteKey(section, ident);
}

// A stored count of values: never below 0, and never more than the section
// can hold, so a damaged count cannot make a read or a delete run for ever.
int StoredCount(TSettingsStore& store, const std::string& section, const std::string& countIdent) {
    const int count = ToInteger(Read(store, section, countIdent, "0"));
    if (count <= 0 || section.empty()) return 0;
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), store.ValueCount(section)));
}

// A counted list: <countIdent> and <stem>0, <stem>1, ...
std::vector<std::string> ReadCounted(TSettingsStore& store, const std::string& section, const std::string& countIdent,
                                     const std::string& stem) {
    std::vector<std::string> lines;
    const int count = StoredCount(store, section, countIdent);
    for (int k = 0; k < count; ++k) lines.push_back(Read(store, section, stem + std::to_string(k), ""));
    return lines;
}

void WriteCounted(TSettingsStore& store, const std::string& section, const std::string& countIdent,
                  const std::string& stem, const std::vector<std::string>& lines) {
    const int count = static_cast<int>(lines.size());
    for (int k = StoredCount(store, section, countIdent) - 1; k >= count; --k)
        Delete(store, section, stem + std::to_string(k));
    if (count == 0) {
        Delete(store, section, countIdent);
        return;
    }
    Write(store, section, countIdent, std::to_string(count));
    for (int k = 0; k < count; ++k) Write(store, section, stem + std::to_string(k), lines[static_cast<std::size_t>(k)]);
}

}  // namespace

// ---- TRegItems ------------------------------------------------------------

TRegItem& TRegItems::Add() { return *items_.emplace_back(std::make_unique<TRegItem>()); }

TRegItem* TRegItems::Find(std::string_view name) const {
    for (const auto& item : items_)
        if (SameTextAnsi(item->Name, name)) return item.get();
    return nullptr;
}

// ---- TRegFiler ------------------------------------------------------------

std::unique_ptr<TSettingsStore> TRegFiler::OpenStore() {
    if (manager_.RegType() == TRegType::rtReg) {
        auto store = manager_.RegDir().empty() ? nullptr : OpenRegistryStore(manager_.RegDir());
        if (!store) ShowErrorReport("can not create Registry object.");
        return store;
    }
    if (manager_.IniFileName().empty()) {
        ShowErrorReport("can not create Inifile object.");
        return nullptr;
    }
    return OpenIniStore(manager_.IniFileName());
}

std::unique_ptr<TSettingsStore> TRegFiler::OpenForItem() { return item_ ? OpenStore() : nullptr; }

std::string TRegFiler::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
    auto store = OpenStore();
    return store ? Read(*store, section, ident, def) : def;
}

void TRegFiler::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    if (auto store = OpenStore()) {
        Write(*store, section, ident, value);
        store->Close();
    }
}

void TRegFiler::DeleteKey(const std::string& section, const std::string& ident) {
    if (auto store = OpenStore()) {
        Delete(*store, section, ident);
        store->Close();
    }
}

bool TRegFiler::ReadBool() {
    if (!item_) return false;
    const std::string& d = item_->DefaultValue;
    const bool on = SameTextAnsi(d, "1") || SameTextAnsi(d, "TRUE") || SameTextAnsi(d, "YES");
    auto store = OpenStore();
    return store ? ToInteger(Read(*store, item_->Section, item_->Ident, on ? "1" : "0")) != 0 : on;
}

void TRegFiler::WriteBool(bool value) { WriteString(value ? "1" : "0"); }

int TRegFiler::ReadInteger() { return ToInteger(ReadString()); }

void TRegFiler::WriteInteger(int value) { WriteString(std::to_string(value)); }

std::string TRegFiler::ReadString() {
    if (!item_) return {};
    auto store = OpenStore();
    return store ? Read(*store, item_->Section, item_->Ident, item_->DefaultValue) : item_->DefaultValue;
}

void TRegFiler::WriteString(const std::string& value) {
    if (auto store = OpenForItem()) {
        Write(*store, item_->Section, item_->Ident, value);
        store->Close();
    }
}

void TRegFiler::ReadFont(TFont& font) {
    auto store = OpenForItem();
    if (!store) return;
    const std::string& section = item_->Section;
    const std::string& ident = item_->Ident;
    TFont read = font;
    read.Name = Read(*store, section, ident + "_FontName", font.Name);
    read.Size = ParseInteger(Read(*store, section, ident + "_FontSize", std::to_string(font.Size))).value_or(font.Size);
    // A colour that is neither a name nor a number keeps the current one.
    read.Color = StringToColor(Read(*store, section, ident + "_FontColor", ColorToString(font.Color))).value_or(font.Color);
    read.Style = ToInteger(Read(*store, section, ident + "_FontStyle", std::to_string(font.Style))) & fsAllStyles;
    const int charset = ToInteger(Read(*store, section, ident + "_FontCharset", std::to_string(font.Charset)));
    read.Charset = charset >= 0 && charset <= 255 ? charset : 0;
    font = read;
}

void TRegFiler::WriteFont(const TFont& font) {
    auto store = OpenForItem();
    if (!store) return;
    const std::string& section = item_->Section;
    const std::string& ident = item_->Ident;
    Write(*store, section, ident + "_FontName", font.Name);
    Write(*store, section, ident + "_FontSize", std::to_string(font.Size));
    Write(*store, section, ident + "_FontColor", ColorToString(font.Color));
    Write(*store, section, ident + "_FontStyle", std::to_string(font.Style));
    Write(*store, section, ident + "_FontCharset", std::to_string(font.Charset));
    store->Close();
}

void TRegFiler::ReadStrings(TStrings& list) {
    auto store = OpenForItem();
    if (!store) return;
    list.Clear();
    for (auto& line : ReadCounted(*store, item_->Section, item_->Ident + "_ItemCount", item_->Ident + "_Item"))
        list.Add(std::move(line));
}

void TRegFiler::WriteStrings(const TStrings& list) {
    auto store = OpenForItem();
    if (!store) return;
    WriteCounted(*store, item_->Section, item_->Ident + "_ItemCount", item_->Ident + "_Item",
                 std::vector<std::string>(list.begin(), list.end()));
    store->Close();
}

std::string TRegFiler::ReadItemStream(TSettingsStore& store) {
    const std::string& section = item_->Section;
    const std::string& ident = item_->Ident;
    if (store.HoldsBinary())
        return section.empty() || ident.empty() ? std::string() : store.ReadBinary(section, ident).value_or("");
    std::string bytes;
    for (const auto& line : ReadCounted(store, section, ident + "_c", ident + "_d")) AppendHexLineBytes(line, bytes);
    return bytes;
}

void TRegFiler::WriteItemStream(TSettingsStore& store, const std::string& bytes) {
    const std::string& section = item_->Section;
    const std::string& ident = item_->Ident;
    if (store.HoldsBinary()) {
        if (!section.empty() && !ident.empty()) store.WriteBinary(section, ident, bytes);
    } else {
        WriteCounted(store, section, ident + "_c", ident + "_d", BytesToHexLines(bytes));
    }
    store.Close();
}

void TRegFiler::ReadStream(TStream& stream) {
    if (auto store = OpenForItem()) stream.Write(ReadItemStream(*store));
}

void TRegFiler::WriteStream(TStream& stream) {
    if (auto store = OpenForItem()) WriteItemStream(*store, StreamBytes(stream));
}

void TRegFiler::ReadComponent(TPersistentComponent& control) {
    auto store = OpenForItem();
    if (!store) return;
    const std::string bytes = ReadItemStream(*store);
    store.reset();
    if (!bytes.empty()) ReadComponentSnapshot(bytes, control);
}

void TRegFiler::WriteComponent(TPersistentComponent& component) {
    if (component.IsForm()) return;
    auto store = OpenForItem();
    if (!store) return;
    TMemoryStream snapshot;
    WriteComponentSnapshot(snapshot, component);
    WriteItemStream(*store, std::string(snapshot.View()));
}

// ---- TRegManager ----------------------------------------------------------

TRegFiler& TRegManager::Filer() {
    if (!filer_) filer_ = CreateFiler();
    return *filer_;
}

TRegFiler& TRegManager::Filer(std::string_view name) {
    TRegFiler& filer = Filer();
    filer.SetItem(regItems_.Find(name));
    return filer;
}

}  // namespace pim

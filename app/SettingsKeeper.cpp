#include "app/SettingsKeeper.h"

#include <algorithm>
#include <charconv>

#include "base/CodePage.h"
#include "settings/HStreamUtils.h"

namespace pim {

namespace {

constexpr std::string_view kUtf8Prefix = "utf-8:";

}  // namespace

TSettingsKeeper::TSettingsKeeper(TRegManager& manager, std::string section, std::vector<TKeptSetting> settings)
    : manager_(manager), settings_(std::move(settings)) {
    for (const TKeptSetting& setting : settings_) {
        TRegItem& item = manager_.RegItems().Add();
        item = {setting.Ident, section, setting.Ident, ""};
    }
}

void TSettingsKeeper::Restore() {
    unparsable_ = manager_.RegType() == TRegType::rtIni && !manager_.IniFileName().empty() &&
                  IniFileUnparsable(manager_.IniFileName());
    for (const TKeptSetting& setting : settings_) {
        const std::string text = manager_.Filer(setting.Ident).ReadString();
        if (text.empty()) continue;
        try {
            setting.Set(text);
        } catch (const std::exception&) {
            // Taken as a text that is no value of the setting.
        }
    }
}

void TSettingsKeeper::Changed() {
    if (armed_) pending_ = true;
}

void TSettingsKeeper::Save() {
    if (!pending_) return;
    try {
        if (unparsable_) {
            SetIniFileAside(manager_.IniFileName());
            unparsable_ = false;
        }
        for (const TKeptSetting& setting : settings_) manager_.Filer(setting.Ident).WriteString(setting.Get());
        pending_ = false;
    } catch (const std::exception& e) {
        // Still pending: the next change or the close tries again.
        if (reported_) return;
        reported_ = true;
        if (OnWriteFailed) OnWriteFailed(e.what());
    }
}

std::optional<int> SettingInteger(std::string_view text, int min, int max) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<bool> SettingBoolOf(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

std::string WindowPlaceText(const TWindowPlace& p) {
    return std::to_string(p.Left) + "," + std::to_string(p.Top) + "," + std::to_string(p.Width) + "," +
           std::to_string(p.Height) + (p.Maximized ? ",1" : "");
}

std::optional<TWindowPlace> WindowPlaceOf(std::string_view text) {
    // Far beyond any screen, and small enough that sums cannot overflow.
    constexpr int kFar = 1 << 20;
    bool maximized = false;  // a fifth field
    if (std::count(text.begin(), text.end(), ',') == 4) {
        const std::size_t last = text.rfind(',');
        const auto flag = SettingBoolOf(text.substr(last + 1));
        if (!flag) return std::nullopt;
        maximized = *flag;
        text = text.substr(0, last);
    }
    int values[4];
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        const auto value = SettingInteger(text.substr(0, comma), i < 2 ? -kFar : 1, kFar);
        if (!value) return std::nullopt;
        values[i] = *value;
        text.remove_prefix(i < 3 ? comma + 1 : comma);
    }
    return TWindowPlace{values[0], values[1], values[2], values[3], maximized};
}

std::string FolderSettingText(const std::string& folder) {
    const std::string ansi = Utf8ToAnsi(folder);
    if (AnsiToUtf8(ansi) == folder) return ansi;
    std::string text(kUtf8Prefix);
    for (const std::string& line : BytesToHexLines(folder)) text += line;
    return text;
}

std::string FolderOfSettingText(std::string_view text) {
    if (!text.starts_with(kUtf8Prefix)) return AnsiToUtf8(text);
    std::string folder;
    AppendHexLineBytes(text.substr(kUtf8Prefix.size()), folder);
    return folder;
}

}  // namespace pim

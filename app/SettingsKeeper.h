// What the main window remembers between starts, kept through the settings
// manager: one list of settings, each with its name in the store, its value
// now as text, and how a stored text is taken back. A stored text that is
// not a value of its setting (a damaged or hand-edited file) is passed over,
// so that setting keeps its design value.
//
// Nothing is written until the user changes a setting: a damaged file is left
// as it is until then. An ini file that could not be parsed at all (not an
// ini file's lines, or unreadable) is then kept as "<name>.bak", replacing
// an older one, and the settings go into a new file. A write that fails is
// reported once; later saves try again quietly.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/RegMng.h"

namespace pim {

struct TKeptSetting {
    std::string Ident;
    std::function<std::string()> Get;
    // Takes a stored text; one that is no value of this setting is passed over.
    std::function<void(const std::string& text)> Set;
};

class TSettingsKeeper {
public:
    // The manager is borrowed; the keeper adds one item per setting to it,
    // all in section.
    TSettingsKeeper(TRegManager& manager, std::string section, std::vector<TKeptSetting> settings);

    // Takes every stored setting that reads as a value of its own.
    void Restore();
    // From now on a change is the user's (before: the program's own start-up).
    void Arm() { armed_ = true; }
    // The user changed a setting: it is due to be written.
    void Changed();
    bool Pending() const { return pending_; }
    // Writes every setting when one changed since the last save.
    void Save();
    // The first failed write, with the system's reason.
    std::function<void(const std::string& reason)> OnWriteFailed;

private:
    TRegManager& manager_;
    std::vector<TKeptSetting> settings_;
    bool armed_ = false;
    bool pending_ = false;
    bool unparsable_ = false;  // the ini file found by Restore is kept aside before the first write
    bool reported_ = false;
};

// A whole decimal number within [min, max]; nothing otherwise.
std::optional<int> SettingInteger(std::string_view text, int min, int max);
inline std::string SettingBool(bool value) { return value ? "1" : "0"; }
// "1" or "0"; nothing otherwise.
std::optional<bool> SettingBoolOf(std::string_view text);

// A window's place: left, top, width, height (its normal place when it is
// maximised).
struct TWindowPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Maximized = false;
    bool operator==(const TWindowPlace&) const = default;
};
// "left,top,width,height", and ",1" when maximised; nothing unless four
// numbers with a positive size, and then nothing or "0" or "1".
std::string WindowPlaceText(const TWindowPlace& place);
std::optional<TWindowPlace> WindowPlaceOf(std::string_view text);

// A folder (platform text) as an ini file keeps it: in code page 932 when the
// code page holds the whole path, so the file stays readable; otherwise as
// "utf-8:" and the path's bytes in hexadecimal.
std::string FolderSettingText(const std::string& folder);
std::string FolderOfSettingText(std::string_view text);

}  // namespace pim

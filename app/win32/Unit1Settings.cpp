// What the main window remembers between starts: the table of settings, kept
// in %APPDATA%\Pim\Pim.ini through RegManager1. The settings are read when
// the window is shown; a change by the user is written a second after the
// last one (a slider dragged writes once, not for every step) and at the
// latest when the window closes, so a program that is killed loses at most
// that second.
#include <shlobj.h>

#include <algorithm>

#include "base/CodePage.h"
#include "app/SettingsKeeper.h"
#include "app/win32/Unit1.h"
#include "imagelist/FileFacts.h"
#include "shellutil/CtlHook.h"

namespace pim {

using namespace ui;

namespace {

constexpr char kSection[] = "Main";
constexpr char kMsgSettingsNotSaved[] = "設定を保存出来ません";
// The folder that holds Pim.ini instead of %APPDATA%\Pim (tests, a portable setup).
constexpr wchar_t kSettingsDirVariable[] = L"PIM_SETTINGS_DIR";
constexpr UINT_PTR kSaveTimer = 0x5E77;
constexpr UINT kSaveDelay = 1000;

std::u16string SettingsFolder() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetEnvironmentVariableW(kSettingsDirVariable, buffer, std::size(buffer));
    if (n > 0 && n < std::size(buffer)) return reinterpret_cast<const char16_t*>(buffer);
    wchar_t appData[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK) return {};
    return reinterpret_cast<const char16_t*>(appData) + std::u16string(u"\\Pim");
}

// The ini file as the profile functions take it (code page 932): through the
// folder's short form when the code page cannot hold its name.
std::string IniFileNameIn(const std::u16string& folder) {
    std::u16string usable = folder;
    if (Widen(Narrow(folder)) != folder) {
        CreateDirectoryW(W(folder), nullptr);
        wchar_t shortName[MAX_PATH * 4];
        const DWORD n = GetShortPathNameW(W(folder), shortName, std::size(shortName));
        if (n > 0 && n < std::size(shortName)) usable = reinterpret_cast<const char16_t*>(shortName);
    }
    return Narrow(usable) + "\\Pim.ini";
}

// The event goes on to do what it did, and then tells that a setting changed.
void Follow(TNotifyEvent& event, const TNotifyEvent& changed) {
    event = [handler = std::move(event), changed] {
        if (handler) handler();
        changed();
    };
}

TKeptSetting Box(const char* ident, TCheckBox& box, const TNotifyEvent& changed) {
    Follow(box.OnClick, changed);
    return {ident, [&box] { return SettingBool(box.Checked()); },
            [&box](const std::string& text) {
                if (const auto on = SettingBoolOf(text)) box.SetChecked(*on);  // its click handler runs
            }};
}

TKeptSetting Bar(const char* ident, TScrollBar& bar, const TNotifyEvent& changed) {
    Follow(bar.OnChange, changed);
    return {ident, [&bar] { return std::to_string(bar.Position()); },
            [&bar](const std::string& text) {
                if (const auto position = SettingInteger(text, bar.Min(), bar.Max())) bar.SetPosition(*position);
            }};
}

TKeptSetting Combo(const char* ident, TComboBox& box, const TNotifyEvent& changed) {
    Follow(box.OnClick, changed);
    return {ident, [&box] { return std::to_string(box.ItemIndex()); },
            [&box](const std::string& text) {
                if (const auto index = SettingInteger(text, 0, box.Count() - 1)) {
                    box.SetItemIndex(*index);
                    if (box.OnClick) box.OnClick();
                }
            }};
}

// Which button of a radio group is down, by its place in the list.
TKeptSetting Group(const char* ident, std::vector<TSpeedButton*> buttons, const TNotifyEvent& changed) {
    for (TSpeedButton* button : buttons) Follow(button->OnClick, changed);
    return {ident,
            [buttons] {
                const auto down = std::find_if(buttons.begin(), buttons.end(), [](auto* b) { return b->Down(); });
                return std::to_string(down - buttons.begin());
            },
            [buttons](const std::string& text) {
                const int last = static_cast<int>(buttons.size()) - 1;
                if (const auto index = SettingInteger(text, 0, last)) buttons[*index]->SetDown(true);
            }};
}

}  // namespace

// Follows the window's moves and sizes and runs the delayed save.
class TSettingsHook : public TControlHook {
public:
    explicit TSettingsHook(TForm1& form) : TControlHook(form), form_(form) { SetTarget(THookTarget::htForm); }

protected:
    bool HookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_TIMER && wParam == kSaveTimer) {
            form_.SaveSettings();
            result = 0;
            return true;  // the form has no timer of that number
        }
        if (message == WM_WINDOWPOSCHANGED) {
            const auto& pos = *reinterpret_cast<const WINDOWPOS*>(lParam);
            if ((pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) form_.WindowPlaceChanged();
        } else if (message == WM_ENDSESSION && wParam) {
            form_.SaveSettings();
        }
        return false;  // the form goes on with the message as before
    }

private:
    TForm1& form_;
};

void TForm1::SetupSettings() {
    const std::u16string folder = SettingsFolder();
    if (folder.empty()) return;  // no place for them: the window keeps nothing
    settingsFolder_ = folder;
    RegManager1.SetRegType(TRegType::rtIni);
    RegManager1.SetIniFileName(IniFileNameIn(folder));
    const TNotifyEvent changed = [this] { SettingChanged(); };
    Follow(ImgListView1->OnListChanged, [this] {
        if (ImgListView1->FolderPath() != shownFolder_) SettingChanged();
    });
    // One line a setting, in the order of the window.
    std::vector<TKeptSetting> table = {
        {"ImageFolder", [this] { return FolderSettingText(ImgListView1->FolderPath()); },
         [this](const std::string& text) {
             if (const std::string f = FolderOfSettingText(text); DirectoryExists(f)) rememberedFolder_ = f;
         }},
        {"SaveFolder",
         [this] { return CheckBox6->Checked() ? FolderSettingText(Utf16ToUtf8(StaticText2->TextW())) : ""; },
         [this](const std::string& text) { RestoreSaveFolder(FolderOfSettingText(text)); }},
        Group("OutputName", {SpeedButton1, SpeedButton2}, changed),
        Bar("Brightness", *ScrollBar1, changed),
        Bar("Quality", *ScrollBar2, changed),
        Box("Greyscale", *CheckBox2, changed),
        Box("Reencode", *CheckBox1, changed),
        Box("AutoOrient", *CheckBox8, changed),
        Combo("SortOrder", *ComboBox2, changed),
        Combo("SortKey", *ComboBox1, changed),
        Box("Jpg", *CheckBox3, changed),
        Box("Bmp", *CheckBox4, changed),
        Box("Txt", *CheckBox5, changed),
        Box("Png", *CheckBox7, changed),
        Box("ScanWeb", *CheckBox9, changed),
        Combo("Binding", *ComboBox3, changed),
        Combo("PageLayout", *ComboBox4, changed),
        {"Window", [this] { return WindowPlaceText(WindowPlace()); },
         [this](const std::string& text) {
             if (const auto place = WindowPlaceOf(text)) RestoreWindowPlace(*place);
         }},
    };
    Follow(CheckBox6->OnClick, changed);
    settings_ = std::make_unique<TSettingsKeeper>(RegManager1, kSection, std::move(table));
    settings_->OnWriteFailed = [this](const std::string&) {
        Application().ShowError(Ansi(kMsgSettingsNotSaved) + "\r\n" + Narrow(settingsFolder_) + "\\Pim.ini");
    };
    settingsHook_ = std::make_unique<TSettingsHook>(*this);
}

void TForm1::RestoreSettings() {
    if (settings_) settings_->Restore();
}

void TForm1::SettingsShown() {
    if (SpeedButton2->Down()) SpeedButton2Click();
    shownFolder_ = ImgListView1->FolderPath();
    shownPlace_ = WindowPlace();
    shownPlace_.Maximized = ShowMaximized;  // shown so right after this
    if (settings_) settings_->Arm();
}

void TForm1::SettingChanged() {
    if (!settings_) return;
    shownFolder_ = ImgListView1->FolderPath();
    settings_->Changed();
    if (settings_->Pending()) SetTimer(Handle(), kSaveTimer, kSaveDelay, nullptr);  // again: the delay starts anew
}

void TForm1::SaveSettings() {
    if (!settings_) return;
    KillTimer(Handle(), kSaveTimer);
    if (!settings_->Pending()) return;
    CreateDirectoryW(W(settingsFolder_), nullptr);
    settings_->Save();
}

void TForm1::WindowPlaceChanged() {
    if (!settings_ || !IsWindowVisible(Handle())) return;
    const TWindowPlace place = WindowPlace();
    if (place == shownPlace_) return;
    shownPlace_ = place;
    SettingChanged();
}

// The window's place when shown normally (not minimised, maximised or rolled
// up), its size at 96 dpi so that it keeps its proportions on a monitor of
// another scale, and whether it is maximised (a window minimised from
// maximised comes back maximised).
TWindowPlace TForm1::WindowPlace() const {
    WINDOWPLACEMENT placement{sizeof placement};
    GetWindowPlacement(Handle(), &placement);
    RECT r = placement.rcNormalPosition;
    const bool zoomed = IsZoomed(Handle()) || (IsIconic(Handle()) && (placement.flags & WPF_RESTORETOMAXIMIZED));
    if (!IsIconic(Handle()) && !IsZoomed(Handle())) GetWindowRect(Handle(), &r);
    const int height = KeepMinimumHeight ? r.bottom - r.top : SavedHeight;
    return {r.left, r.top, MulDiv(r.right - r.left, 96, Dpi()), MulDiv(height, 96, Dpi()), zoomed};
}

// Never smaller than the window is made (its design size), never larger than
// the work area, and wholly on the monitor where its caption lies; a place on
// no monitor any more (one unplugged) gives the window the centre of the
// primary monitor.
void TForm1::RestoreWindowPlace(const TWindowPlace& place) {
    int width = std::max(ScaleDpi(place.Width, Dpi()), Width());
    int height = std::max(ScaleDpi(place.Height, Dpi()), Height());
    const RECT caption{place.Left, place.Top, place.Left + width, place.Top + GetSystemMetrics(SM_CYCAPTION)};
    HMONITOR monitor = MonitorFromRect(&caption, MONITOR_DEFAULTTONULL);
    const bool onScreen = monitor != nullptr;
    if (!onScreen) monitor = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{sizeof info};
    if (!GetMonitorInfoW(monitor, &info)) return;
    const RECT& work = info.rcWork;
    width = std::min<int>(width, work.right - work.left);
    height = std::min<int>(height, work.bottom - work.top);
    const int left =
        onScreen ? std::clamp<int>(place.Left, work.left, work.right - width) : (work.left + work.right - width) / 2;
    const int top =
        onScreen ? std::clamp<int>(place.Top, work.top, work.bottom - height) : (work.top + work.bottom - height) / 2;
    SetBounds({left, top, width, height});
    ShowMaximized = place.Maximized;
}

void TForm1::RestoreSaveFolder(const std::string& folder) {
    if (!DirectoryExists(folder)) return;
    const std::u16string text = Utf8ToUtf16(folder);
    StaticText2->SetTextW(text);
    StaticText2->SetHintW(text);
    // Ticked without its handler, which would ask for a folder.
    SendMessageW(CheckBox6->Handle(), BM_SETCHECK, BST_CHECKED, 0);
    ShowOutputPlace();
}

}  // namespace pim

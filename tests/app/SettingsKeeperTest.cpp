// The remembered settings: a damaged file gives the design values for what it
// spoils and is left as it was until the user changes a setting, and one that
// could not be parsed is then kept aside; folders the code page cannot hold
// come back whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/SettingsKeeper.h"
#include "base/CodePage.h"
#include "settings/IniFile.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::OutputPath;
using test::ReadFileBytes;
using test::WriteFileBytes;

struct TWindowState {
    int brightness = 0;
    bool greyscale = false;
    TWindowPlace place{10, 10, 739, 442};
};

std::vector<TKeptSetting> TableOf(TWindowState& w) {
    return {
        {"Brightness", [&w] { return std::to_string(w.brightness); },
         [&w](const std::string& t) { w.brightness = SettingInteger(t, -255, 255).value_or(w.brightness); }},
        {"Greyscale", [&w] { return SettingBool(w.greyscale); },
         [&w](const std::string& t) { w.greyscale = SettingBoolOf(t).value_or(w.greyscale); }},
        {"Window", [&w] { return WindowPlaceText(w.place); },
         [&w](const std::string& t) { w.place = WindowPlaceOf(t).value_or(w.place); }},
    };
}

TEST(SettingsKeeper, ADamagedFileGivesDesignValuesAndStaysAsItWasUntilAChange) {
    const std::string path = OutputPath("keeper-damaged.ini");
    const std::string damaged = std::string("\x01\x02\0junk\n", 8) +
                                "[Main]\r\nBrightness=300\r\nGreyscale=1\r\nWindow=5,6,-7,8\r\n";
    WriteFileBytes(path, damaged);
    WriteFileBytes(path + ".bak", "older");
    TRegManager manager;
    manager.SetRegType(TRegType::rtIni);
    manager.SetIniFileName(path);
    TWindowState w;
    TSettingsKeeper keeper(manager, "Main", TableOf(w));
    keeper.Restore();
    EXPECT_EQ(w.brightness, 0);  // out of range
    EXPECT_TRUE(w.greyscale);
    EXPECT_EQ(w.place, (TWindowPlace{10, 10, 739, 442}));

    keeper.Changed();  // the program's own start-up
    keeper.Save();
    keeper.Arm();
    keeper.Save();
    EXPECT_EQ(ReadFileBytes(path), damaged);

    w.brightness = -40;
    keeper.Changed();
    keeper.Save();
    EXPECT_FALSE(keeper.Pending());
    EXPECT_EQ(ReadFileBytes(path + ".bak"), damaged);  // not an ini file: kept aside, the older one replaced
    EXPECT_TRUE(IsIniText(ReadFileBytes(path)));
    TWindowState again;
    TSettingsKeeper(manager, "Main", TableOf(again)).Restore();
    EXPECT_EQ(again.brightness, -40);

    // Values out of range in a file that parses: written over in place, nothing kept aside.
    std::remove((path + ".bak").c_str());
    const std::string outOfRange = "[Main]\r\nBrightness=300\r\n; mine\r\n";
    WriteFileBytes(path, outOfRange);
    TWindowState third;
    TSettingsKeeper parsed(manager, "Main", TableOf(third));
    parsed.Restore();
    parsed.Arm();
    third.greyscale = true;
    parsed.Changed();
    parsed.Save();
    EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    EXPECT_NE(ReadFileBytes(path).find("; mine"), std::string::npos);
}

TEST(SettingsKeeper, FoldersAndPlacesReadBackAsWritten) {
    const std::string japanese = "/写真/2026年";
    EXPECT_EQ(FolderSettingText(japanese), Utf8ToAnsi(japanese));  // readable in the file
    for (const std::string& folder : {japanese, std::string("/é/한국어")})
        EXPECT_EQ(FolderOfSettingText(FolderSettingText(folder)), folder);
    for (const TWindowPlace& place : {TWindowPlace{-1200, 40, 900, 600}, TWindowPlace{5, 6, 900, 600, true}})
        EXPECT_EQ(WindowPlaceOf(WindowPlaceText(place)), place);
    EXPECT_EQ(WindowPlaceText({1, 2, 3, 4, true}), "1,2,3,4,1");
    EXPECT_EQ(WindowPlaceOf("1,2,3,4,0"), (TWindowPlace{1, 2, 3, 4}));
    for (const char* bad : {"1,2,3", "1,2,3,4,5", "1,2,3,4,", "1,2,3,4,1,1", "1,2,0,4", "1,,3,4", "a,b,c,d",
                            "1,2,3,99999999999"})
        EXPECT_FALSE(WindowPlaceOf(bad)) << bad;
}

}  // namespace
}  // namespace pim

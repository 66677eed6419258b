// The ini format of the Linux store: what it keeps, where it writes, what it
// refuses. Windows' own functions read the same files (tests/win32-settings).
#include <gtest/gtest.h>

#include <filesystem>

#include "base/CodePage.h"
#include "settings/IniFile.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

const std::string kFile =
    "; head comment\r\n"
    "top=outside\r\n"
    "\r\n"
    "[Main]\r\n"
    "  Key = value with blanks  \r\n"
    "; comment inside\r\n"
    "Quoted='kept'\r\n"
    "bare line\r\n"
    "\r\n"
    "[Next]\n"  // a line break Windows did not write
    "k=1\r\n";

TEST(IniText, ReadsAsTheProfileFunctionsDo) {
    const TIniText ini(kFile);
    EXPECT_EQ(ini.ReadString("main", "KEY"), "value with blanks");
    EXPECT_EQ(ini.ReadString(" Main ", "quoted"), "kept");
    EXPECT_EQ(ini.ReadString("Main", "bare line"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Main", "; comment inside"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Main", "top"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Next", "k"), "1");
    EXPECT_EQ(ini.KeyCount("Main"), 2u);
}

TEST(IniText, WritesKeepEverythingElse) {
    TIniText ini(kFile);
    ini.WriteString("MAIN", "key", "new");
    ini.WriteString("Main", "Added", "1");
    ini.WriteString("Next", "k", "2");
    ini.WriteString("New", "n", "3");
    EXPECT_TRUE(ini.DeleteKey("main", "QUOTED"));
    EXPECT_FALSE(ini.DeleteKey("main", "QUOTED"));
    EXPECT_EQ(ini.Text(),
              "; head comment\r\n"
              "top=outside\r\n"
              "\r\n"
              "[Main]\r\n"
              "Key=new\r\n"
              "; comment inside\r\n"
              "Added=1\r\n"
              "bare line\r\n"
              "\r\n"
              "[Next]\r\n"
              "k=2\r\n"
              "[New]\r\n"
              "n=3\r\n");
}

TEST(IniText, DoubleByteNamesMatchWhole) {
    // "ソ" ends in 0x5C, "ー" (81 5B) in '[', "‐" (81 5D) in ']'; "ア" (83 41)
    // and "ッ" (83 61) differ only in the letter case of their trail bytes.
    const std::string section = Utf8ToAnsi("設定‐ソー");
    TIniText ini;
    ini.WriteString(section, Utf8ToAnsi("ア"), Utf8ToAnsi("表示"));
    EXPECT_EQ(ini.Text(), "[" + section + "]\r\n" + Utf8ToAnsi("ア=表示") + "\r\n");
    EXPECT_EQ(TIniText(ini.Text()).ReadString(section, Utf8ToAnsi("ア")), Utf8ToAnsi("表示"));
    EXPECT_EQ(TIniText(ini.Text()).ReadString(section, Utf8ToAnsi("ッ")), std::nullopt);
}

TEST(IniText, EntriesThatWouldBreakTheFileAreRefused) {
    TIniText ini;
    const char* const cases[][3] = {
        {"S", "k", "two\r\nlines"}, {"S]", "k", "v"}, {"S", "a=b", "v"}, {"S", "[k", "v"}, {"S", ";k", "v"},
        // A lead byte without its second byte would swallow the "]" or "="
        // after it (found by the ini fuzz target).
        {"S\x95", "k", "v"}, {"S", "k\x95", "v"}, {"\x95\x95\x95", "k", "v"}};
    for (const auto& [section, key, value] : cases) {
        EXPECT_THROW(ini.WriteString(section, key, value), EIniFileException) << section << key;
    }
    EXPECT_EQ(ini.Text(), "");
    // Whole double-byte characters are names like any other.
    ini.WriteString("S\x95\x5d", "k\x95\x3d", "v");
    EXPECT_EQ(ini.ReadString("S\x95\x5d", "k\x95\x3d"), "v");
}

// What counts as a file that could not be parsed (kept aside before the
// settings are written).
TEST(IniText, TellsAnIniFileFromOtherBytes) {
    EXPECT_TRUE(IsIniText(kFile.substr(0, kFile.find("bare line"))));
    for (const std::string& good : {std::string(), std::string("\r\n"), std::string("# note\n[S]\nk=\n"),
                                    std::string("[\x95\x5c]\r\n\x95\x5c=v"), std::string("\xFF\xFE[\0S\0]\0", 8)})
        EXPECT_TRUE(IsIniText(good)) << good;
    for (const std::string& bad : {kFile, std::string("[S]\r\nk=v\0", 10), std::string("\x01\x02junk"), std::string("[S\r\n"),
                                   std::string("\xEF\xBB\xBF[Main]\r\n"), std::string("k=v\x1a")})
        EXPECT_FALSE(IsIniText(bad)) << bad;
}

TEST(IniFileStore, UnreadableFileIsNeverWrittenOver) {
    const std::string path = test::OutputPath("settings-folder.ini");
    std::filesystem::create_directories(path);  // a folder cannot be read as a file
    TIniFileStore store(path);
    EXPECT_EQ(store.ReadString("S", "k"), std::nullopt);
    store.WriteString("S", "k", "v");
    EXPECT_EQ(test::MessageOf([&] { store.Close(); }), "Unable to write to " + path);
}

}  // namespace
}  // namespace pim

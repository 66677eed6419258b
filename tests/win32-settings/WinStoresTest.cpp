// Windows' stores under Wine: the shared cases on the ini functions and on the
// registry, the values as reg.exe shows them, and ini files passed between the
// portable writer and Windows' own profile functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "base/CodePage.h"
#include "settings/IniFile.h"
#include "tests/settings/SettingsEnv.h"
#include "tests/support/TestTools.h"

namespace pim::test {
namespace {

const std::string kRoot = "Software\\PimTests";

// The test's own key under HKEY_CURRENT_USER\Software\PimTests, emptied.
std::string TestKey() {
    const std::string key = kRoot + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::string name = key;
    for (char& c : name)
        if (c == '/') c = '-';
    RegDeleteTreeA(HKEY_CURRENT_USER, name.c_str());
    return name;
}

class TRegistryEnv : public TStoreEnv {
public:
    void Configure(TRegManager& manager) override {
        key_ = TestKey();
        manager.SetRegType(TRegType::rtReg);
        manager.SetRegDir(key_);
    }
    std::optional<std::string> Raw(const std::string& section, const std::string& ident) override {
        const std::string path = key_ + "\\" + section;
        DWORD size = 0;
        if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), ident.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        std::string value(size, '\0');
        RegGetValueA(HKEY_CURRENT_USER, path.c_str(), ident.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &size);
        value.resize(size ? size - 1 : 0);
        return value;
    }
    bool IsRegistry() const override { return true; }

private:
    std::string key_;
};

INSTANTIATE_TEST_SUITE_P(Windows, StoreTest,
                         ::testing::Values(TStoreKind{"Ini", MakeIniEnv},
                                           TStoreKind{"Registry", [] { return std::unique_ptr<TStoreEnv>(new TRegistryEnv); }}),
                         [](const auto& info) { return info.param.name; });

// What a console program prints, as the bytes it wrote.
std::string CommandOutput(const std::string& command) {
    std::FILE* pipe = _popen(command.c_str(), "rb");
    if (!pipe) return {};
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    _pclose(pipe);
    return out;
}

TEST(RegistryStore, RegQueryShowsAStringAndABinaryValue) {
    TRegManager manager;
    manager.SetRegDir(TestKey());
    manager.RegItems().Add() = {"Title", Utf8ToAnsi("設定"), "Title", ""};
    manager.RegItems().Add() = {"Data", Utf8ToAnsi("設定"), "Data", ""};
    manager.Filer("Title").WriteString(Utf8ToAnsi("表ソ"));
    TMemoryStream bytes;
    bytes.Write(std::string("\x00\xFF\x10", 3));
    manager.Filer("Data").WriteStream(bytes);

    const std::string out = CommandOutput("reg query \"HKCU\\" + manager.RegDir() + "\\" + Utf8ToAnsi("設定") + "\"");
    EXPECT_NE(out.find("Title    REG_SZ    " + Utf8ToAnsi("表ソ") + "\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Data    REG_BINARY    00FF10\r\n"), std::string::npos) << out;
}

TEST(RegistryStore, ValuesOfAnotherTypeReadAsMissing) {
    TRegManager manager;
    manager.SetRegDir(TestKey());
    manager.RegItems().Add() = {"V", "S", "V", "default"};
    manager.Filer("V").WriteStream(*std::make_unique<TMemoryStream>());
    EXPECT_EQ(manager.Filer("V").ReadString(), "default");
    manager.Filer("V").WriteString("text");
    TMemoryStream read;
    manager.Filer("V").ReadStream(read);
    EXPECT_EQ(read.Size(), 0);
}

// Windows' profile functions on a file.
std::string ProfileString(const std::string& path, const std::string& section, const std::string& key) {
    char buffer[512];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "(none)", buffer, sizeof buffer, path.c_str());
    return std::string(buffer, n);
}

TEST(IniCrossCheck, WindowsReadsWhatThePortableWriterWrote) {
    const std::string path = OutputPath("settings-portable.ini");
    TIniText ini("; made by the portable writer\r\n\r\n[Other]\r\nx=1\r\n");
    const std::string section = Utf8ToAnsi("設定‐ソ");
    ini.WriteString(section, Utf8ToAnsi("表"), Utf8ToAnsi("値ソ"));
    ini.WriteString(section, "Blanks", "  padded  ");
    ini.WriteString(section, "Quotes", "'q'");
    ini.WriteString("Other", "y", "2");
    WriteFileBytes(path, ini.Text());

    EXPECT_EQ(ProfileString(path, section, Utf8ToAnsi("表")), Utf8ToAnsi("値ソ"));
    EXPECT_EQ(ProfileString(path, section, "blanks"), "  padded  ");
    EXPECT_EQ(ProfileString(path, section, "Quotes"), "'q'");
    EXPECT_EQ(ProfileString(path, "OTHER", "x"), "1");
    EXPECT_EQ(ProfileString(path, "Other", "y"), "2");
}

TEST(IniCrossCheck, ThePortableReaderReadsWhatWindowsWrote) {
    const std::string path = OutputPath("settings-windows.ini");
    WriteFileBytes(path, "; comment\r\n[Other]\r\nx=1\r\n");
    const std::string section = Utf8ToAnsi("設定‐ソ");
    WritePrivateProfileStringA(section.c_str(), Utf8ToAnsi("表").c_str(), Utf8ToAnsi("値ソ").c_str(), path.c_str());
    WritePrivateProfileStringA("Other", "y", "\"  padded  \"", path.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());

    const std::string text = ReadFileBytes(path);
    EXPECT_EQ(text.rfind("; comment\r\n[Other]\r\nx=1\r\ny=", 0), 0u) << text;
    const TIniText ini(text);
    EXPECT_EQ(ini.ReadString(section, Utf8ToAnsi("表")), Utf8ToAnsi("値ソ"));
    EXPECT_EQ(ini.ReadString("other", "Y"), "  padded  ");
    EXPECT_EQ(ini.ReadString("Other", "x"), "1");
}

}  // namespace
}  // namespace pim::test

#include <cstdio>

#include "settings/IniFile.h"
#include "tests/settings/SettingsEnv.h"
#include "tests/support/TestTools.h"

namespace pim::test {

namespace {

class TIniEnv : public TStoreEnv {
public:
    void Configure(TRegManager& manager) override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("settings-") + info->name() + ".ini";
        for (char& c : name)
            if (c == '/') c = '-';
        path_ = OutputPath(name);
        std::remove(path_.c_str());
        manager.SetRegType(TRegType::rtIni);
        manager.SetIniFileName(path_);
    }
    std::optional<std::string> Raw(const std::string& section, const std::string& ident) override {
        return TIniText(ReadFileBytes(path_)).ReadString(section, ident);
    }

private:
    std::string path_;
};

}  // namespace

std::unique_ptr<TStoreEnv> MakeIniEnv() { return std::make_unique<TIniEnv>(); }

}  // namespace pim::test

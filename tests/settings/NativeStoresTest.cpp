// The Linux stores: the shared cases on ini files; there is no registry.
#include <gtest/gtest.h>

#include "tests/settings/SettingsEnv.h"

namespace pim::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Ini, StoreTest, ::testing::Values(TStoreKind{"Ini", MakeIniEnv}),
                         [](const auto& info) { return info.param.name; });

TEST(LinuxStores, RegistryModeReportsAndGivesDefaults) {
    TErrorCapture errors;
    TRegManager manager;
    manager.SetRegDir("Software\\Pim");
    manager.RegItems().Add() = {"Size", "Main", "Size", "12"};
    manager.Filer("size").WriteInteger(3);
    EXPECT_EQ(manager.Filer("SIZE").ReadInteger(), 12);
    EXPECT_EQ(errors.messages, std::vector<std::string>(2, "can not create Registry object."));
}

}  // namespace
}  // namespace pim::test

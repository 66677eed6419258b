// A settings manager over one kind of store, with a look at the raw values the
// store holds, so the same cases run against the ini writer on Linux and the
// ini functions and the registry under Wine.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/ErrorReport.h"
#include "settings/RegMng.h"

namespace pim::test {

class TStoreEnv {
public:
    virtual ~TStoreEnv() = default;
    // Points the manager at an empty store of this kind.
    virtual void Configure(TRegManager& manager) = 0;
    // The value as the store holds it (strings only); nothing when missing.
    virtual std::optional<std::string> Raw(const std::string& section, const std::string& ident) = 0;
    virtual bool IsRegistry() const { return false; }
};

struct TStoreKind {
    std::string name;
    std::function<std::unique_ptr<TStoreEnv>()> make;
};
inline void PrintTo(const TStoreKind& kind, std::ostream* out) { *out << kind.name; }

// An ini file in the output folder, read back by the portable reader.
std::unique_ptr<TStoreEnv> MakeIniEnv();

// Collects what goes to the error report while it lives.
class TErrorCapture : public TErrorReport {
public:
    TErrorCapture() : previous_(SetErrorReport(this)) {}
    ~TErrorCapture() override { SetErrorReport(previous_); }
    void ShowError(std::string_view message) override { messages.emplace_back(message); }
    std::vector<std::string> messages;

private:
    TErrorReport* previous_;
};

// A manager on a fresh store of the test's kind.
class StoreTest : public ::testing::TestWithParam<TStoreKind> {
protected:
    StoreTest() : env(GetParam().make()) { env->Configure(manager); }

    // An item with the given section and ident, named after the ident.
    TRegFiler& Item(const std::string& ident, const std::string& def = "", const std::string& section = "Sec") {
        if (!manager.RegItems().Find(ident)) {
            TRegItem& item = manager.RegItems().Add();
            item = {ident, section, ident, def};
        }
        return manager.Filer(ident);
    }
    std::optional<std::string> Raw(const std::string& ident, const std::string& section = "Sec") {
        return env->Raw(section, ident);
    }

    TRegManager manager;
    std::unique_ptr<TStoreEnv> env;
};

}  // namespace pim::test

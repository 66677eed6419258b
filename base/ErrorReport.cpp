#include "base/ErrorReport.h"

#include <atomic>
#include <cstdio>
#include <string>

#include "base/CodePage.h"

namespace pim {

namespace {

class TStandardErrorReport : public TErrorReport {
public:
    void ShowError(std::string_view message) override {
        const std::string line = AnsiToUtf8(message) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
};

TStandardErrorReport standardReport;
std::atomic<TErrorReport*> installed{nullptr};

}  // namespace

TErrorReport* SetErrorReport(TErrorReport* report) { return installed.exchange(report); }

void ShowErrorReport(std::string_view message) {
    TErrorReport* report = installed.load();
    (report ? *report : static_cast<TErrorReport&>(standardReport)).ShowError(message);
}

}  // namespace pim

// The application's error report: where components that have no caller to
// raise to (a settings store that cannot be opened, a failure inside a window
// procedure) put their message. The Windows program installs its error box
// (one OK button); until something is installed the text goes to standard
// error as UTF-8, which is what a Linux program and the tests see.
#pragma once

#include <string_view>

namespace pim {

class TErrorReport {
public:
    virtual ~TErrorReport() = default;
    // `message` is code page 932 text.
    virtual void ShowError(std::string_view message) = 0;
};

// Installs `report` (borrowed; nullptr restores the standard-error report)
// and returns the one installed before.
TErrorReport* SetErrorReport(TErrorReport* report);

// Hands the message to the installed report.
void ShowErrorReport(std::string_view message);

}  // namespace pim

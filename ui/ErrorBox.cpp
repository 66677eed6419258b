// The standard error box, and the application as the error report of the
// components that have no caller to raise to.
#include <exception>
#include <new>

#include "base/ErrorReport.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace pim::ui {

namespace {

// "エラー": the error box's caption.
constexpr char kErrorCaption[] = "\x83\x47\x83\x89\x81\x5b";

// Components without a caller to raise to report through the error box.
class TBoxReport : public TErrorReport {
public:
    explicit TBoxReport(TApplication& app) : app_(app) {}
    void ShowError(std::string_view message) override { app_.ShowError(std::string(message)); }

private:
    TApplication& app_;
};

}  // namespace

std::unique_ptr<TErrorReport> TApplication::MakeBoxReport() { return std::make_unique<TBoxReport>(*this); }

void TApplication::ShowError(const std::string& message) {
    if (OnError) {
        OnError(message);
        return;
    }
    HWND owner = GetActiveWindow();
    if (!owner && mainForm_) owner = mainForm_->Handle();
    const std::u16string text = Widen(message);
    const std::u16string caption = Widen(kErrorCaption);
    MessageBoxW(owner, W(text), W(caption), MB_OK | MB_ICONERROR);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        ShowError("Out of memory");
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError("Unknown error");
    }
}

}  // namespace pim::ui

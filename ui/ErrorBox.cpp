// The standard error box, and the application as the error report of the
// components that have no caller to raise to.
#include <exception>
#include <new>

#include "base/CodePage.h"
#include "base/ErrorReport.h"
#include "base/LineBreak.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace pim::ui {

namespace {

// The error box's caption.
constexpr char kErrorCaption[] = "エラー";
// Lines longer than this many columns are wrapped: a long path would
// otherwise make a box wider than the screen.
constexpr int kBoxColumns = 64;

int ShowBox(const TForm* mainForm, const std::string& message, const std::string& caption, UINT style) {
    HWND owner = GetActiveWindow();
    if (!owner && mainForm) owner = mainForm->Handle();
    const std::u16string text = Widen(WrapColumns(message, kBoxColumns));
    return MessageBoxW(owner, W(text), W(Widen(caption)), style);
}

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
    ShowBox(mainForm_, message, Ansi(kErrorCaption), MB_OK | MB_ICONERROR);
}

void TApplication::ShowInfo(const std::string& message) {
    if (OnInfo) {
        OnInfo(message);
        return;
    }
    ShowBox(mainForm_, message, title_, MB_OK | MB_ICONINFORMATION);
}

bool TApplication::Confirm(const std::string& question) {
    if (OnConfirm) return OnConfirm(question);
    return ShowBox(mainForm_, question, Ansi("確認"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
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

// The progress dialog of one run: which file is being read, how far the run
// is, a stop button, and at the end the PDF's name, "PDFを起動", "フォルダを開く"
// and "閉じる". It is made for each run and freed when it closes, in any
// state, and its closing always gives the main window back.
#pragma once

#include <functional>

#include "app/PdfRun.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/ProgressBar.h"
#include "ui/StaticText.h"

namespace pim {

class TForm2 : public ui::TForm {
public:
    TForm2(ui::TForm& owner, TPReport& report);
    ~TForm2() override;

    ui::TStaticText* StaticText1;
    ui::TProgressBar* ProgressBar1;
    ui::TButton* Button1;          // "強制終了"
    ui::TButton* Button2;          // "閉じる", in front of Button1
    ui::TButton* Button3;          // "PDFを起動"
    ui::TStaticText* StaticText2;  // the PDF's name, in the progress bar's place at the end
    ui::TButton* Button4;          // "フォルダを開く"

    // The run has written the PDF: the dialog widens for the name and the
    // three buttons, and "閉じる" takes the focus.
    void ShowFinished();
    // The run failed: the caption and the label say so, the label grows to
    // show the whole message, and "閉じる" takes the stop button's place.
    void ShowFailed(const std::string& message);
    // A batch ended: its summary (code page 932, several lines) in the
    // label, "フォルダを開く" (OutputFolder) and "閉じる".
    void ShowSummary(const std::string& summary);
    // Where the run's PDFs go (file-name encoding).
    std::string OutputFolder;

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void FormClose(ui::TCloseAction& action);

    // "強制終了" was pressed: the run stops before its next file.
    std::function<void()> OnStop;
    // The dialog is about to close, by any means.
    std::function<void()> OnCloseRequest;

private:
    // The label grown to show the whole message, the dialog `growth` wider
    // than while running, "閉じる" below it on the right.
    void ShowMessage(const std::string& caption, const std::string& message, int growth);
    TPReport& report_;
    bool summary_ = false;  // "フォルダを開く" opens OutputFolder
};

// The run's handle on the dialog. It outlives the dialog: once the dialog has
// closed, what the run tells it goes nowhere.
class TProgressLink : public TPdfRunProgress {
public:
    explicit TProgressLink(TForm2& dialog) : dialog_(&dialog) {}
    void Detach() { dialog_ = nullptr; }
    void Stop() { stopped_ = true; }

    void SetCaption(const std::string& text) override;
    void SetLabel(const std::string& text) override;
    void SetMaximum(int value) override;
    void SetPosition(int value) override;
    void ShowFinishButtons() override;
    void ShowFailure(const std::string& message) override;
    void ShowSummary(const std::string& text) override;
    void ProcessMessages() override;
    bool Stopped() const override { return stopped_; }

private:
    TForm2* dialog_;
    bool stopped_ = false;
};

}  // namespace pim

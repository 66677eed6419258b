// The progress dialog of a run, on a terminal: a one-line bar with the
// dialog's own label and a percentage, or one plain line per file when the
// output is not a terminal, or nothing at all. Error boxes become lines on
// stderr, and Ctrl-C is the stop button.
#pragma once

#include <string>

#include "app/PdfRun.h"

namespace pim {

enum class TProgressStyle { psBar, psLines, psQuiet };

class TCliProgress : public TPdfRunHost, public TPdfRunProgress {
public:
    explicit TCliProgress(TProgressStyle style) : style_(style) {}

    TPdfRunProgress& OpenProgress() override { return *this; }
    void ShowError(const std::string& message) override;
    // A failure is told in the command line's own form by the caller
    // ("pim: reading FILE: CAUSE"); a stop or an empty list as the message.
    void ShowFailure(const TPdfRunResult& result) override;
    // The bar ends; the label stays the last progress text.
    void ShowFailure(const std::string&) override { EndBar(); }

    void SetCaption(const std::string&) override {}
    void SetLabel(const std::string& text) override;
    void SetMaximum(int value) override { maximum_ = value; }
    void SetPosition(int value) override { position_ = value; }
    void ShowFinishButtons() override;
    // The batch's summary is printed by the caller, on stdout.
    void ShowSummary(const std::string&) override {
        EndBar();
        finished_ = true;
    }
    void ProcessMessages() override {}
    bool Stopped() const override;

private:
    void DrawBar(const std::string& label);
    void EndBar();

    TProgressStyle style_;
    int maximum_ = 100;
    int position_ = 0;
    bool finished_ = false;
    std::size_t barLength_ = 0;  // characters of the bar line on screen, 0 when none
};

// "[#####     ]  50%" for position of maximum.
std::string ProgressBar(int position, int maximum, int width);

}  // namespace pim

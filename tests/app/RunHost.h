// A progress dialog and main window that record what the run does with them.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/PdfRun.h"

namespace pim::test {

class TRecordingHost : public TPdfRunHost, public TPdfRunProgress {
public:
    TPdfRunProgress& OpenProgress() override {
        ++opened;
        return *this;
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void ActivateListTab() override { ++listTabActivations; }
    void UpdateStatus() override { ++statusUpdates; }

    void SetCaption(const std::string& text) override { captions.push_back(text); }
    void SetLabel(const std::string& text) override { labels.push_back(text); }
    void SetMaximum(int value) override { maximum = value; }
    void SetPosition(int value) override { positions.push_back(value); }
    void ShowFinishButtons() override { finished = true; }
    void ProcessMessages() override {
        ++messageRounds;
        if (onMessages) onMessages(messageRounds);
    }
    bool Stopped() const override { return stopped; }
    // Waits for a page still being read are counted apart from the rounds,
    // which stay one per file however long a read takes.
    bool WaitingForRead() override {
        ++waits;
        return !stopped;
    }

    // Runs at every message round (1 for the first file).
    std::function<void(int round)> onMessages;
    bool stopped = false;

    int opened = 0;
    int listTabActivations = 0;
    int statusUpdates = 0;
    int messageRounds = 0;
    int waits = 0;
    int maximum = -1;
    bool finished = false;
    std::vector<std::string> errors, captions, labels;
    std::vector<int> positions;
};

}  // namespace pim::test

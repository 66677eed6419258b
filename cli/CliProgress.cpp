#include "cli/CliProgress.h"

#include <algorithm>
#include <cstdio>

#include "app/MainModel.h"
#include "base/CodePage.h"
#include "cli/Console.h"

namespace pim {

namespace {

constexpr int kBarWidth = 30;

int Percent(int position, int maximum) {
    if (maximum <= 0) return 100;
    return static_cast<int>(std::clamp<long long>(100LL * position / maximum, 0, 100));
}

}  // namespace

std::string ProgressBar(int position, int maximum, int width) {
    const int percent = Percent(position, maximum);
    const auto filled = static_cast<std::size_t>(width * percent / 100);
    std::string bar;
    bar += '[';
    bar.append(filled, '#');
    bar.append(static_cast<std::size_t>(width) - filled, ' ');
    bar += "] ";
    char number[8];
    std::snprintf(number, sizeof number, "%3d%%", percent);
    bar += number;
    return bar;
}

void TCliProgress::SetLabel(const std::string& label) {
    if (finished_) return;  // the finished label is the program's closing message
    // A label of several lines (a batch's folder and file) on one line.
    std::string text = label;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.replace(at, 2, "  ");
    switch (style_) {
        case TProgressStyle::psBar: DrawBar(text); break;
        case TProgressStyle::psLines:
            WriteAnsi(TConsoleStream::csErr, text + " (" + std::to_string(Percent(position_, maximum_)) + "%)\n");
            break;
        case TProgressStyle::psQuiet: break;
    }
}

void TCliProgress::DrawBar(const std::string& label) {
    std::string line = label + " " + ProgressBar(position_, maximum_, kBarWidth);
    // The label may be shorter than the last one: blanks wipe what is left.
    const std::size_t length = AnsiToUtf16(line).size();
    if (length < barLength_) line.append(barLength_ - length, ' ');
    barLength_ = std::max(barLength_, length);
    WriteAnsi(TConsoleStream::csErr, "\r" + line);
}

void TCliProgress::EndBar() {
    if (barLength_ == 0) return;
    WriteAnsi(TConsoleStream::csErr, "\n");
    barLength_ = 0;
}

void TCliProgress::ShowFinishButtons() {
    // The last file's label again, now at 100%: the PDF is written.
    if (style_ == TProgressStyle::psBar && barLength_ > 0)
        DrawBar(ReadingLabel(maximum_ - 1, maximum_));
    else if (style_ == TProgressStyle::psLines)
        SetLabel(ReadingLabel(maximum_ - 1, maximum_));
    EndBar();
    finished_ = true;
}

void TCliProgress::ShowError(const std::string& message) {
    EndBar();
    WriteAnsi(TConsoleStream::csErr, message + "\n");
}

void TCliProgress::ShowFailure(const TPdfRunResult& result) {
    EndBar();
    if (result.Outcome != TPdfRunOutcome::roFailed) ShowError(result.Message);
}

bool TCliProgress::Stopped() const { return StopRequested(); }

}  // namespace pim

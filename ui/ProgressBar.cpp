#include "ui/ProgressBar.h"

#include <commctrl.h>

namespace pim::ui {

TProgressBar::TProgressBar(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = PROGRESS_CLASSW, .Bounds = p.Bounds});
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(p.Min), p.Max);
}

int TProgressBar::Max() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETRANGE, FALSE, 0)); }

void TProgressBar::SetMax(int max) {
    const int min = static_cast<int>(SendMessageW(Handle(), PBM_GETRANGE, TRUE, 0));
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(min), max);
}

int TProgressBar::Position() const { return static_cast<int>(SendMessageW(Handle(), PBM_GETPOS, 0, 0)); }

void TProgressBar::SetPosition(int position) { SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0); }

}  // namespace pim::ui

// The thumbnail list on a folder of many photos, as the main window shows it:
// how long until the first screen of thumbnails is painted, until all are
// made, the longest the GUI thread went without handling a message, and the
// memory held beyond the thumbnail sheets.
//
//   listview_bench.exe FOLDER [RUNS]
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Timing.h"
#include "imagelist/win32/ImgListView.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace {

using Clock = std::chrono::steady_clock;
using pim::bench::Median;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

struct TRun {
    double firstScreen = 0, allDone = 0, longestStall = 0, beyondSheets = 0, listing = 0;
};

TRun RunOnce(const std::string& folder) {
    using namespace pim;
    ui::TForm form({.Caption = "bench", .ClientWidth = 782, .ClientHeight = 442});
    form.ShowForm();
    TImgListView view({.Parent = &form, .Bounds = {0, 0, 425, 329}, .ViewStyle = ui::TViewStyle::vsList,
                       .IconStyle = TIconStyle::iisImage, .MultiSelect = true, .GridLines = true});
    view.ViewImage().SetLookAhead(true);
    view.ViewImage().SetDispImage(kAllImageTypes & ~DispImageOf(TImageType::iitDll));
    view.DispTypes().SetFolders(false);
    view.DispTypes().SetExt("*.jpg;*.bmp;*.txt");
    view.Setup();
    ui::Application().ProcessMessages();
    const std::size_t before = PrivateBytes();

    TRun run;
    SetTimer(form.Handle(), 1, 5, nullptr);  // keeps messages coming
    const auto start = Clock::now();
    auto last = start;
    view.SetFolderPath(folder);
    view.Repaint();
    run.listing = Ms(Clock::now() - start);  // a stall too: the first message waits for it
    const int count = view.ImgItems().Count();
    bool firstSeen = false;
    MSG msg;
    for (;;) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) break;
        const auto now = Clock::now();
        run.longestStall = std::max(run.longestStall, Ms(now - last));
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        last = Clock::now();
        if (!firstSeen) {
            const int top = ListView_GetTopIndex(view.Handle());
            const int shown = std::min(count, top + std::max(1, ListView_GetCountPerPage(view.Handle())));
            bool all = true;
            for (int i = top; i < shown && all; ++i) all = view.ImgItems()[i]->Resolved;
            if (all) {
                UpdateWindow(view.Handle());
                run.firstScreen = Ms(Clock::now() - start);
                firstSeen = true;
            }
        }
        if (!view.Threads().Busy() && view.Thumbs().Count() >= count) {
            run.allDone = Ms(Clock::now() - start);
            break;
        }
        if (Ms(Clock::now() - start) > 600000) break;
    }
    KillTimer(form.Handle(), 1);
    const TImgList& thumbs = view.Thumbs();
    const double sheets = static_cast<double>(thumbs.SheetCount()) * thumbs.Columns() * thumbs.CellWidth() * 3 *
                          thumbs.Rows() * thumbs.CellHeight();
    run.beyondSheets = (static_cast<double>(PrivateBytes()) - before - sheets) / (1024.0 * 1024.0);
    std::printf("  run: %d items listed in %.0f ms, first screen %.0f ms, all %.0f ms, longest stall %.1f ms, "
                "beyond sheets %.1f MiB\n",
                count, run.listing, run.firstScreen, run.allDone, run.longestStall, run.beyondSheets);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: listview_bench FOLDER [RUNS]\n");
        return 2;
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::vector<double> listing, first, all, stall, memory;
    for (int i = 0; i < runs; ++i) {
        const TRun run = RunOnce(argv[1]);
        listing.push_back(run.listing);
        first.push_back(run.firstScreen);
        all.push_back(run.allDone);
        stall.push_back(run.longestStall);
        memory.push_back(run.beyondSheets);
    }
    std::printf("medians of %d: listing %.0f ms, first screen %.0f ms, all thumbnails %.0f ms, longest GUI stall "
                "(the listing included) %.1f ms, memory beyond the sheets %.1f MiB\n",
                runs, Median(listing), Median(first), Median(all), Median(stall), Median(memory));
    OleUninitialize();
    return 0;
}

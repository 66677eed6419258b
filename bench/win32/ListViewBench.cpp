// The thumbnail list on folders of many pictures, as the main window shows
// it: how long entering the folder takes, until the first screen of
// thumbnails is painted, until all are made, the longest the GUI thread went
// without handling a message, and the memory held beyond the thumbnail
// sheets; and, in runs of their own, how long stopping the workers takes
// while every one is busy and more pictures are handed over. Medians of
// RUNS for each folder, then a table of them with each folder's targets (a
// text shown as it is). With PIM_BENCH_TRACE set, every wait of over 30 ms
// between messages, and every message handled for that long, is printed.
//
//   listview_bench.exe RUNS LABEL FOLDER TARGETS [LABEL FOLDER TARGETS]...
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
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
    double firstScreen = 0, allDone = 0, longestStall = 0, beyondSheets = 0, listing = 0, stop = 0;
    int workers = 0;
};

struct TFolder {
    std::string label, path, targets;
    TRun medians;
};

TRun RunOnce(const std::string& folder, bool measureStop) {
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
    const bool trace = getenv("PIM_BENCH_TRACE") != nullptr;
    // The folder is entered at once; its rows come when the listing, on a
    // thread of its own, ends (the listing: until they are painted).
    view.SetFolderPath(folder);
    int count = 0;
    bool listed = false, firstSeen = false;
    MSG msg;
    for (;;) {
        if (!GetMessageW(&msg, nullptr, 0, 0)) break;
        // From one message to the next, handling the first included: with
        // the timer's message due every 5 ms, a longer wait is time the
        // window could not answer (a long paint, say).
        const auto now = Clock::now();
        run.longestStall = std::max(run.longestStall, Ms(now - last));
        if (trace && Ms(now - last) > 30)
            std::printf("    gap %.0f ms before message %04x at %.0f ms\n", Ms(now - last), msg.message, Ms(now - start));
        last = now;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (trace && Ms(Clock::now() - now) > 30)
            std::printf("    message %04x took %.0f ms at %.0f ms\n", msg.message, Ms(Clock::now() - now), Ms(now - start));
        if (!listed) {
            if (view.Model().Listing() && Ms(Clock::now() - start) < 600000) continue;
            UpdateWindow(view.Handle());
            run.listing = Ms(Clock::now() - start);
            count = view.ImgItems().Count();
            listed = true;
        }
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
        if (measureStop && view.Thumbs().Count() >= 24 &&
            static_cast<int>(view.Threads().Making().size()) > view.Threads().WorkerCount()) {
            // Every worker busy, more handed over: how long a folder change
            // or closing waits for them.
            const auto stopping = Clock::now();
            view.Threads().Stop();
            run.stop = Ms(Clock::now() - stopping);
            run.workers = view.Threads().WorkerCount();
            break;
        }
        if (!view.Threads().Busy() && view.Thumbs().Count() >= count) {
            run.allDone = Ms(Clock::now() - start);
            break;
        }
        if (Ms(Clock::now() - start) > 600000) break;
    }
    KillTimer(form.Handle(), 1);
    run.workers = view.Threads().WorkerCount();
    const TImgList& thumbs = view.Thumbs();
    const double sheets = static_cast<double>(thumbs.SheetCount()) * thumbs.Columns() * thumbs.CellWidth() * 3 *
                          thumbs.Rows() * thumbs.CellHeight();
    run.beyondSheets = (static_cast<double>(PrivateBytes()) - before - sheets) / (1024.0 * 1024.0);
    if (measureStop) {
        std::printf("  stopped %d busy workers in %.1f ms\n", run.workers, run.stop);
        std::fflush(stdout);
        return run;
    }
    std::printf("  %d items listed in %.0f ms, first screen %.0f ms, all %.0f ms, longest stall %.1f ms, "
                "beyond sheets %.1f MiB\n",
                count, run.listing, run.firstScreen, run.allDone, run.longestStall, run.beyondSheets);
    std::fflush(stdout);
    return run;
}

TRun Medians(const std::vector<TRun>& runs) {
    const auto median = [&runs](double TRun::*figure) {
        std::vector<double> v;
        for (const TRun& run : runs) v.push_back(run.*figure);
        return Median(std::move(v));
    };
    TRun m;
    m.listing = median(&TRun::listing);
    m.firstScreen = median(&TRun::firstScreen);
    m.allDone = median(&TRun::allDone);
    m.longestStall = median(&TRun::longestStall);
    m.beyondSheets = median(&TRun::beyondSheets);
    m.stop = median(&TRun::stop);
    m.workers = runs.back().workers;
    return m;
}

void PrintTable(const std::vector<TFolder>& folders, int runs) {
    std::printf("\nmedians of %d (longest stall: the listing included; memory: beyond the thumbnail sheets)\n", runs);
    std::printf("%-26s %7s %9s %12s %9s %13s %9s %9s\n", "folder", "workers", "listing", "first screen", "all",
                "longest stall", "memory", "stop");
    for (const TFolder& f : folders) {
        const TRun& m = f.medians;
        std::printf("%-26s %7d %6.0f ms %9.0f ms %7.2f s %10.1f ms %5.1f MiB %6.1f ms\n", f.label.c_str(), m.workers,
                    m.listing, m.firstScreen, m.allDone / 1000, m.longestStall, m.beyondSheets, m.stop);
        std::printf("%-26s targets: %s\n", "", f.targets.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || (argc - 2) % 3 != 0) {
        std::fprintf(stderr, "usage: listview_bench RUNS LABEL FOLDER TARGETS [LABEL FOLDER TARGETS]...\n");
        return 2;
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<TFolder> folders;
    for (int a = 2; a + 2 < argc; a += 3) folders.push_back({argv[a], argv[a + 1], argv[a + 2], {}});
    for (TFolder& folder : folders) {
        std::printf("%s (%s)\n", folder.label.c_str(), folder.path.c_str());
        std::vector<TRun> each;
        for (int i = 0; i < runs; ++i) each.push_back(RunOnce(folder.path, false));
        std::vector<TRun> stops;
        for (int i = 0; i < runs; ++i) stops.push_back(RunOnce(folder.path, true));
        folder.medians = Medians(each);
        folder.medians.stop = Medians(stops).stop;
    }
    PrintTable(folders, runs);
    OleUninitialize();
    return 0;
}

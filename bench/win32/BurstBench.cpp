// The thumbnail list while another program changes the shown folder: with
// every picture of a large folder shown, five rounds of creating 500 files
// and deleting the previous round's, all within 4 seconds, made by another
// thread through the file system (the list hears of them through its folder
// watcher, as of any other program's). Prints, per run and as medians: the
// time from the last change until the list is idle again (no refresh
// pending, no thumbnail being made, the process using no CPU), the CPU the
// process used from the first change until then (without the other
// thread's own), the decodes per new file
// and of files that did not change, and whether the list and both counts
// are right at the end.
//
//   burst_bench.exe FOLDER [RUNS]
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/Timing.h"
#include "imagelist/win32/ImgListView.h"
#include "ui/Application.h"
#include "ui/Form.h"

namespace {

using Clock = std::chrono::steady_clock;
using pim::bench::Median;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr int kRounds = 5;
constexpr int kFilesPerRound = 500;
constexpr int kRoundMs = 800;  // five rounds in 4 seconds

double Seconds(const FILETIME& t) {
    return static_cast<double>(static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

// The calling thread's CPU: what the other program's part costs, left out
// of the list's figure.
double ThreadCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(),
                                                          static_cast<int>(w.size()))));
    return w;
}

std::wstring BurstName(const std::wstring& folder, int round, int i) {
    wchar_t name[64];
    swprintf(name, 64, L"\\burst%d_%03d.jpg", round, i);
    return folder + name;
}

int CountFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.jpg").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do ++n;
    while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
}

// Pumps messages until `done` says so or `limitMs` passes; false on the limit.
template <typename Done>
bool PumpUntil(Done done, double limitMs) {
    const auto start = Clock::now();
    MSG msg;
    while (!done()) {
        if (Ms(Clock::now() - start) > limitMs) return false;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    return true;
}

struct TRun {
    double idleAfterMs = 0, cpuSeconds = 0, decodesPerNewFile = 0;
    int decodesOfOldFiles = 0;
    bool right = false;
};

TRun RunOnce(const std::string& folder) {
    using namespace pim;
    const std::wstring wideFolder = Wide(folder);
    for (int round = 0; round < kRounds; ++round)  // what a stopped run left
        for (int i = 0; i < kFilesPerRound; ++i) DeleteFileW(BurstName(wideFolder, round, i).c_str());
    ui::TForm form({.Caption = "bench", .ClientWidth = 782, .ClientHeight = 442});
    form.ShowForm();
    TImgListView view({.Parent = &form, .Bounds = {0, 0, 425, 329}, .ViewStyle = ui::TViewStyle::vsList,
                       .IconStyle = TIconStyle::iisImage, .MultiSelect = true, .GridLines = true});
    view.ViewImage().SetLookAhead(true);
    view.ViewImage().SetDispImage(kAllImageTypes & ~DispImageOf(TImageType::iitDll));
    view.DispTypes().SetFolders(false);
    view.DispTypes().SetExt("*.jpg;*.bmp;*.txt");
    std::map<std::string, int> decodes;  // by file, from the first change on
    bool counting = false;
    view.OnImageLoad = [&](TImgListItem& item) {
        if (counting) ++decodes[item.FullPath()];
    };
    view.Setup();
    view.SetFolderPath(folder);
    const int before = view.ImgItems().Count();
    // Every picture shown (its thumbnail made) before the changes start.
    PumpUntil([&] { return !view.Threads().Busy() && view.Thumbs().Count() >= before; }, 600000);
    for (int row : {10, 11, 12}) view.SetSelected(row, true);
    std::vector<std::string> selected;
    for (int row : {10, 11, 12}) selected.push_back(view.ImgItems()[row]->FullPath());

    counting = true;
    const double cpuStart = ProcessCpuSeconds();
    std::atomic<bool> changing{true};
    Clock::time_point lastChange;
    double otherCpu = 0;
    const std::wstring source = wideFolder + L"\\pic00000.jpg";  // bench/bursts.sh made it
    std::thread other([&] {
        for (int round = 0; round < kRounds; ++round) {
            const auto roundStart = Clock::now();
            for (int i = 0; i < kFilesPerRound; ++i) CopyFileW(source.c_str(), BurstName(wideFolder, round, i).c_str(), FALSE);
            if (round > 0)
                for (int i = 0; i < kFilesPerRound; ++i) DeleteFileW(BurstName(wideFolder, round - 1, i).c_str());
            lastChange = Clock::now();
            std::this_thread::sleep_until(roundStart + std::chrono::milliseconds(kRoundMs));
        }
        otherCpu = ThreadCpuSeconds();
        changing = false;
    });
    // Idle: no change coming, no refresh waiting, no thumbnail being made,
    // and a quarter of a second without CPU worth the name.
    double cpuMark = ProcessCpuSeconds();
    auto markTime = Clock::now();
    auto idle = [&] {
        if (changing || view.RefreshPending() || view.Threads().Busy()) {
            cpuMark = ProcessCpuSeconds();
            markTime = Clock::now();
            return false;
        }
        if (Ms(Clock::now() - markTime) < 250) return false;
        const double used = ProcessCpuSeconds() - cpuMark;
        cpuMark = ProcessCpuSeconds();
        markTime = Clock::now();
        return used < 0.01;
    };
    PumpUntil(idle, 120000);
    other.join();
    TRun run;
    run.idleAfterMs = Ms(Clock::now() - lastChange);
    run.cpuSeconds = ProcessCpuSeconds() - cpuStart - otherCpu;
    int newFiles = 0, maxPerNew = 0;
    for (const auto& [path, n] : decodes) {
        if (path.find("\\burst") != std::string::npos) {
            ++newFiles;
            maxPerNew = std::max(maxPerNew, n);
        } else {
            run.decodesOfOldFiles += n;
        }
    }
    run.decodesPerNewFile = maxPerNew;
    const int onDisk = CountFiles(wideFolder);
    bool selectionKept = view.SelCount() == 3;
    for (int row = 0, k = 0; row < view.ImgItems().Count(); ++row)
        if (view.Selected(row)) selectionKept = selectionKept && k < 3 && view.ImgItems()[row]->FullPath() == selected[k++];
    run.right = view.ImgItems().Count() == onDisk && view.RowCount() == onDisk && selectionKept;
    std::printf("  run: idle %.0f ms after the last change, %.1f s CPU from the first change (the list's; the "
                "copying and deleting took %.1f s), %d new files decoded "
                "(at most %d times each), %d decodes of unchanged files, %d listed / %d on disk, %d selected: %s\n",
                run.idleAfterMs, run.cpuSeconds, otherCpu, newFiles, maxPerNew, run.decodesOfOldFiles, view.ImgItems().Count(),
                onDisk, static_cast<int>(view.SelCount()), run.right ? "right" : "WRONG");
    for (int i = 0; i < kFilesPerRound; ++i) DeleteFileW(BurstName(wideFolder, kRounds - 1, i).c_str());
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: burst_bench FOLDER [RUNS]\n");
        return 2;
    }
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    std::vector<double> idle, cpu, perNew, old;
    bool allRight = true;
    for (int i = 0; i < runs; ++i) {
        const TRun run = RunOnce(argv[1]);
        idle.push_back(run.idleAfterMs);
        cpu.push_back(run.cpuSeconds);
        perNew.push_back(run.decodesPerNewFile);
        old.push_back(run.decodesOfOldFiles);
        allRight = allRight && run.right;
    }
    std::printf("medians of %d: idle %.0f ms after the last change (limit 15000), %.1f s CPU from the first change, "
                "at most %.0f decodes per new file, %.0f decodes of unchanged files; final list and counts %s\n",
                runs, Median(idle), Median(cpu), Median(perNew), Median(old), allRight ? "right in every run" : "WRONG");
    OleUninitialize();
    return allRight ? 0 : 1;
}

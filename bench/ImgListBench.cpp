// The folder model on a big folder: listing and sorting 20,000 files, and
// reading every item's details once. Run by bench/imagelist.sh.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "imagelist/ImgListModel.h"

namespace {

constexpr int kFiles = 20000;

// The folder of kFiles files, made once: names with numbers, mixed case and
// four extensions, sizes and times spread out.
const std::string& Folder() {
    static const std::string folder = [] {
        const char* base = std::getenv("PIM_BENCH_DIR");
        std::string dir = std::string(base ? base : "/tmp") + "/imagelist-20000";
        const std::string done = dir + "/.complete";
        if (!std::filesystem::exists(done)) {
            std::filesystem::remove_all(dir);
            std::filesystem::create_directories(dir);
            const char* exts[] = {".jpg", ".JPG", ".bmp", ".txt"};
            for (int i = 0; i < kFiles; ++i) {
                const std::string path = dir + "/" + (i % 3 ? "photo" : "Scan ") + std::to_string((i * 7919) % kFiles) +
                                         "_" + std::to_string(i) + exts[i % 4];
                const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
                if (fd < 0 || ::ftruncate(fd, (i * 104729L) % 3000000) != 0) std::abort();
                const timespec times[2] = {{1600000000L + (i * 31L) % 90000000L, 0},
                                           {1600000000L + (i * 37L) % 90000000L, 0}};
                ::futimens(fd, times);
                ::close(fd);
            }
            ::close(::open(done.c_str(), O_CREAT | O_WRONLY, 0644));
        }
        return dir;
    }();
    return folder;
}

pim::TImgListModel& Model(pim::TSortTypeEx sort) {
    static pim::TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.DispTypes().SetFolders(false);
    model.DispTypes().SetExt("*.jpg;*.bmp;*.txt");
    model.SetFolderPath(Folder());
    model.SetSortType(sort);
    return model;
}

// What the window and the command line wait for: enumerate, filter, sort.
void EnumerateAndSortByName(benchmark::State& state) {
    pim::TImgListModel& model = Model(pim::TSortTypeEx::istName);
    for (auto _ : state) {
        model.Rebuild();
        benchmark::DoNotOptimize(model.ImgItems().Count());
    }
    if (model.ImgItems().Count() != kFiles) state.SkipWithError("wrong item count");
}
BENCHMARK(EnumerateAndSortByName)->Unit(benchmark::kMillisecond);

void SortColumn(benchmark::State& state, pim::TSortTypeEx sort) {
    pim::TImgListModel& model = Model(sort);
    for (auto _ : state) {
        model.SetDescend(!model.Descend());  // each flip sorts anew
        benchmark::DoNotOptimize(model.ImgItems()[0]);
    }
}
BENCHMARK_CAPTURE(SortColumn, Name, pim::TSortTypeEx::istName)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortColumn, Size, pim::TSortTypeEx::istSize)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortColumn, Type, pim::TSortTypeEx::istType)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortColumn, Date, pim::TSortTypeEx::istDate)->Unit(benchmark::kMillisecond);

// The run reads every FullPath in order; a report view also asks sizes and dates.
void DetailsOfEveryItem(benchmark::State& state) {
    pim::TImgListModel& model = Model(pim::TSortTypeEx::istName);
    for (auto _ : state) {
        pim::TImgListItems& items = model.ImgItems();
        for (int i = 0; i < items.Count(); ++i) {
            items[i]->ClearCache();
            benchmark::DoNotOptimize(items[i]->FullPath().size() + items[i]->SizeText().size() +
                                     items[i]->DateText().size());
        }
    }
}
BENCHMARK(DetailsOfEveryItem)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Building and saving a document of N pages, each with one line of text and
// one bookmark (the shape of a long picture run, without the pictures).
// Reports the time of the whole run, the save alone, the peak heap and the
// file size; doubling N should about double every figure.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/HeapCounter.h"
#include "pdf/PdfDoc.h"

namespace pim {
namespace {

void BuildDocument(TPdfDoc& doc, int pages) {
    doc.SetUseOutlines(true);
    doc.NewDocument();
    TPdfOutlineRoot* outline = doc.GetOutlineRoot();
    for (int i = 0; i < pages; ++i) {
        doc.AddPage();
        TPdfCanvas* canvas = doc.GetCanvas();
        std::string line = "Page " + std::to_string(i + 1) + " of the benchmark document";
        canvas->SelectFont("Times-Roman", 12);
        canvas->ShowTextInRect(MakePdfRect(40, 800, 556, 700), line, true);
        TPdfDestination* dest = doc.CreateDestination();
        dest->SetTop(dest->PageHeight());
        TPdfOutlineEntry* entry = outline->AddChild();
        entry->SetTitle("IMG_" + std::to_string(i + 1) + ".jpg");
        entry->SetDest(dest);
        if (i == 0) doc.GetRoot()->SetOpenAction(dest);
    }
}

void BM_TextPagesWithBookmarks(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / "pim-bench-writer.pdf").string();
    double saveSeconds = 0;
    std::int64_t peak = 0, fileSize = 0;
    for (auto _ : state) {
        bench::ResetHeapPeak();
        const std::int64_t before = bench::HeapInUse();
        {
            TPdfDoc doc;
            BuildDocument(doc, pages);
            auto start = std::chrono::steady_clock::now();
            TFileStream file(path, TFileMode::fmCreate);
            doc.SaveToStream(file);
            file.Close();
            saveSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        peak = bench::HeapPeak() - before;
        fileSize = static_cast<std::int64_t>(std::filesystem::file_size(path));
    }
    std::filesystem::remove(path);
    state.counters["save_ms"] = benchmark::Counter(saveSeconds * 1000 / static_cast<double>(state.iterations()));
    state.counters["peak_heap_MB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["file_MB"] = static_cast<double>(fileSize) / (1 << 20);
    state.counters["pages"] = pages;
}

BENCHMARK(BM_TextPagesWithBookmarks)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// FormatReal sits behind every operand of every page.
void BM_FormatReal(benchmark::State& state) {
    double x = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FormatReal(x));
        x += 1.37;
    }
}
BENCHMARK(BM_FormatReal);

// Appending operators to a content stream is amortised O(1).
void BM_ContentAppend(benchmark::State& state) {
    for (auto _ : state) {
        TPdfStream stream;
        for (int i = 0; i < state.range(0); ++i) stream.Content().Write("0 0 100 100 re\n");
        benchmark::DoNotOptimize(stream.Content().ContentSize());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ContentAppend)->Arg(100000)->Arg(1000000);

}  // namespace
}  // namespace pim

BENCHMARK_MAIN();

// Measuring Shift_JIS text with the Japanese fonts, byte by byte as the
// canvas does: the fonts' indexed lookups against the plain algorithm (read
// the text from its start to find character boundaries, scan the 171 code
// ranges, scan the width runs). Lines of 80 and 2000 bytes: a text file's
// line without spaces is measured as one word.
#include <benchmark/benchmark.h>

#include <string>

#include "base/CodePage.h"
#include "pdf/PdfJpCMap.h"
#include "pdf/PdfJpFonts.h"

namespace pim {
namespace {

std::string JapaneseLine(std::size_t bytes) {
    const std::string sentence =
        Utf8ToAnsi("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"
                   "ＰＤＦ作成、半角ｶﾀｶﾅ、Latin 123。");
    std::string line;
    while (line.size() + sentence.size() <= bytes) line += sentence;
    for (std::size_t i = 0; line.size() < bytes; ++i) line += "abcdefgh"[i % 8];
    return line;
}

// The CID as the plain algorithm finds it.
std::int32_t PlainCid(const TPdfCodeRange* ranges, std::string_view text, int position) {
    const auto index = static_cast<std::size_t>(position - 1);
    std::size_t start = 0;
    while (start < index) start += IsLeadByte(static_cast<unsigned char>(text[start])) ? 2 : 1;
    if (start > index) return -1;
    const auto byte = static_cast<unsigned char>(text[index]);
    std::int32_t code = byte;
    if (IsLeadByte(byte)) code = byte * 256 + (index + 1 < text.size() ? static_cast<unsigned char>(text[index + 1]) : 0);
    for (std::size_t i = 0; i < kCodeRangeCount; ++i)
        if (ranges[i].First <= code && code <= ranges[i].Last) return ranges[i].FirstCid + (code - ranges[i].First);
    return 0;
}

int PlainWidth(const TPdfType0Font& font, std::string_view text, int position) {
    const std::int32_t cid = PlainCid(CMap90mspRanges, text, position);
    if (cid == -1) return 0;
    int width = 0;
    for (const auto& run : font.CidWidths()) {
        if (run.LastCid >= cid) {
            if (cid >= run.FirstCid) width = run.RunWidth;
            break;
        }
    }
    if (width != 0) return width;
    return IsLeadByte(static_cast<unsigned char>(text[static_cast<std::size_t>(position - 1)])) ? font.DefaultWidth()
                                                                                              : font.MissingWidth();
}

struct Fixture {
    Fixture() {
        RegisterJapaneseFonts();
        doc.NewDocument();
        doc.AddPage();
        font = dynamic_cast<TPdfType0Font*>(doc.GetFont("PGothic"));
    }
    TPdfDoc doc;
    TPdfType0Font* font;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_LineWidth_Indexed(benchmark::State& state) {
    const std::string line = JapaneseLine(static_cast<std::size_t>(state.range(0)));
    const TPdfType0Font& font = *Shared().font;
    for (auto _ : state) {
        long sum = 0;
        for (int i = 1; i <= static_cast<int>(line.size()); ++i) sum += font.WidthOfCharAt(line, i);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

void BM_LineWidth_Plain(benchmark::State& state) {
    const std::string line = JapaneseLine(static_cast<std::size_t>(state.range(0)));
    const TPdfType0Font& font = *Shared().font;
    long check = 0;
    for (int i = 1; i <= static_cast<int>(line.size()); ++i) check += font.WidthOfCharAt(line, i);
    for (auto _ : state) {
        long sum = 0;
        for (int i = 1; i <= static_cast<int>(line.size()); ++i) sum += PlainWidth(font, line, i);
        if (sum != check) state.SkipWithError("the two lookups disagree");
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

// The canvas's own measurement of the line in PGothic, 12 points.
void BM_CanvasTextWidth(benchmark::State& state) {
    const std::string line = JapaneseLine(static_cast<std::size_t>(state.range(0)));
    TPdfCanvas* canvas = Shared().doc.GetCanvas();
    canvas->SelectFont("PGothic", 12);
    for (auto _ : state) benchmark::DoNotOptimize(canvas->TextWidth(line));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

BENCHMARK(BM_LineWidth_Indexed)->Arg(80)->Arg(2000);
BENCHMARK(BM_LineWidth_Plain)->Arg(80)->Arg(2000);
BENCHMARK(BM_CanvasTextWidth)->Arg(80)->Arg(2000);

}  // namespace
}  // namespace pim

BENCHMARK_MAIN();

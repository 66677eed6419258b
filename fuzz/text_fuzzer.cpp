// libFuzzer target: any bytes as a Shift_JIS text file set on a text page
// (the text item's lines in PGothic, 480 x 680 points) and written out;
// every character's CID from the dense CMap tables agrees with a scan of the
// CMap's ranges, and widths are found for every line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Classes.h"
#include "pdf/PdfDoc.h"
#include "pdf/PdfJpCMap.h"
#include "pdf/PdfJpFonts.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::int32_t ScanRanges(const pim::TPdfCodeRange (&ranges)[pim::kCodeRangeCount], std::int32_t code) {
    for (const pim::TPdfCodeRange& r : ranges)
        if (code >= r.First && code <= r.Last) return r.FirstCid + (code - r.First);
    return 0;
}

// The CMaps' CIDs for every code, found by a plain scan of the ranges, once.
struct TScanned {
    std::vector<std::int32_t> ms, msp;
    TScanned() : ms(65536), msp(65536) {
        for (std::int32_t code = 0; code < 65536; ++code) {
            ms[static_cast<std::size_t>(code)] = ScanRanges(pim::CMap90msRanges, code);
            msp[static_cast<std::size_t>(code)] = ScanRanges(pim::CMap90mspRanges, code);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool registered = (pim::RegisterJapaneseFonts(), true);
    (void)registered;
    // The page takes up to 16 KiB (a page holds about fifty lines, but a
    // line may be long); the lookups below check the first 4 KiB.
    const std::string_view page(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 16384));
    const std::string_view bytes = page.substr(0, 4096);

    // The CMap lookups, position by position, against the scan.
    static const TScanned scanned;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::int32_t code = pim::CodeOfCharAt(bytes, i);
        const bool trail = pim::IsTrailByteAt(bytes, i);
        Check((code == -1) == trail);
        const int position = static_cast<int>(i) + 1;
        const std::int32_t cid = pim::CidOf90msCharAt(bytes, position);
        const std::int32_t cidP = pim::CidOf90mspCharAt(bytes, position);
        if (trail) {
            Check(cid == -1 && cidP == -1 && pim::CidOfUnknownCharAt(bytes, position) == -1);
        } else {
            Check(code >= 0 && code < 65536);
            Check(cid == scanned.ms[static_cast<std::size_t>(code)]);
            Check(cidP == scanned.msp[static_cast<std::size_t>(code)]);
        }
    }

    // The page, as the text item prints it.
    pim::TStringList lines;
    lines.SetText(page);
    std::string text;
    for (int i = 0; i < lines.Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    // One document with one page for every input: making the Japanese font
    // (its widths and CMap) is the same work every time and would be most of
    // each run. Each input's text replaces the page's content; now and then
    // the whole document is written, fonts and all, as a save writes it.
    static std::unique_ptr<pim::TPdfDoc> doc;
    static int runs = 0;
    if (!doc) {
        doc = std::make_unique<pim::TPdfDoc>();
        doc->NewDocument();
        doc->AddPage();
    }
    pim::TPdfCanvas* canvas = doc->GetCanvas();
    canvas->Contents()->Content().Clear();
    canvas->SetPageWidth(480);
    canvas->SetPageHeight(680);
    canvas->SelectFont("PGothic", 12);
    canvas->SetLeading(14);
    for (int i = 0; i < lines.Count() && i < 64; ++i) Check(canvas->TextWidth(lines[i]) >= 0);
    canvas->ShowTextInRect(pim::MakePdfRect(0, 680, 480, 0), text, false);
    pim::TMemoryStream out;
    canvas->Contents()->WriteTo(out);
    Check(out.Size() > 0);
    if (++runs % 1024 == 0) {
        pim::TMemoryStream file;
        doc->SaveToStream(file);
        Check(file.Size() > 0);
    }
    return 0;
}

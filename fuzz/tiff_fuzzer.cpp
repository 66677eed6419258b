// libFuzzer target: any bytes given to the TIFF reader either give pages or
// raise EInvalidGraphic; every page (at most four) is made for the PDF, its
// data kept or decoded and compressed, and goes through the image builder.
// Pages are capped at 4,096 pixels a side and a million pixels inside the
// target: a few bytes of fax data can declare a page whose every row is
// decoded, which only repeats the work at a crawl.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/TiffFile.h"
#include "pdf/PdfRasterImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), pim::RegisterPdfRasterImage(), true);
    (void)ready;
    try {
        const pim::TTiffFile tiff = pim::TTiffFile::FromBytes(std::vector<std::uint8_t>(data, data + size));
        for (int page = 0; page < tiff.PageCount() && page < 4; ++page) {
            const pim::TTiffPageFacts& facts = tiff.Facts(page);
            if (facts.Width > 4096 || facts.Height > 4096 ||
                static_cast<std::int64_t>(facts.Width) * facts.Height > (1 << 20))
                continue;
            const pim::TRasterPage made = tiff.MakePage(page);
            const auto image = pim::CreateImageObject(made, "Pdf-Raster");
            pim::TMemoryStream out;
            image->Content().WriteTo(out);
        }
    } catch (const pim::EInvalidGraphic&) {
    }
    return 0;
}

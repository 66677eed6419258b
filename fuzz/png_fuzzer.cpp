// libFuzzer target: any bytes given to the PNG reader either load or raise
// EInvalidGraphic; a loaded picture decodes over a background, and goes
// through the PDF image builder, whether its data are kept or compressed
// again. Pictures are capped at 4,096 pixels a side and a million pixels
// inside the target.
//
// Most mutations break a CRC, which the reader rightly refuses at once; so
// an input whose first byte is even has its CRCs made right first, and the
// fuzzer reaches the header, palette and image data behind them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <zlib.h>

#include "graphics/Png.h"
#include "pdf/PdfPngImage.h"

namespace {

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Sides past 4,096 pixels, or more than a million pixels in all: a few
// bytes of image data can declare a picture whose every row is decoded,
// composited and compressed twice, which only repeats the work at a crawl.
bool TooLarge(const std::uint8_t* data, std::size_t size) {
    if (size < 24) return false;
    const std::uint64_t width = BigEndian32(data + 16), height = BigEndian32(data + 20);
    return width > 4096 || height > 4096 || width * height > (1u << 20);
}

void FixCrcs(std::vector<std::uint8_t>& png) {
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = BigEndian32(&png[at]);
        if (length > png.size() - at - 12) break;
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, &png[at + 4], length + 4));
        for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += length + 12;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::vector<std::uint8_t> png(data + 1, data + size);
    if (TooLarge(png.data(), png.size())) return 0;
    static const bool ready = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), pim::RegisterPdfPngImage(), true);
    (void)ready;
    if (data[0] % 2 == 0) FixCrcs(png);
    pim::TMemoryStream in;
    in.Write(png.data(), png.size());
    in.SetPosition(0);
    pim::TPngImage image;
    try {
        image.LoadFromStream(in);
        image.SetBackground({10, 20, 30, 0});
        pim::TBitmap bitmap;
        image.AssignTo(bitmap);
        image.CheckData();  // as the run does before a kept kind's page
        const auto pdfImage = pim::CreateImageObject(image, "Pdf-Png");
        pim::TMemoryStream out;
        pdfImage->Content().WriteTo(out);
    } catch (const pim::EInvalidGraphic&) {
    }
    return 0;
}

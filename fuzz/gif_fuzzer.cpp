// libFuzzer target: any bytes given to the GIF reader either decode (their
// first frame, as far as it goes) or raise EInvalidGraphic; a decoded
// picture is compressed and goes through the image builder. The screen and
// the first frame are capped at 4,096 pixels a side and a million pixels.
#include <cstddef>
#include <cstdint>

#include "graphics/GifFile.h"
#include "pdf/PdfRasterImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), pim::RegisterPdfRasterImage(), true);
    (void)ready;
    // The screen's size is bytes 6 to 9; a frame may widen it, by at most
    // its own position and size (bounded the same way by the reader's
    // ceiling, here by the screen check and the memory limit).
    if (size >= 10) {
        const int width = data[6] | (data[7] << 8), height = data[8] | (data[9] << 8);
        if (width > 4096 || height > 4096 || width * height > (1 << 20)) return 0;
    }
    try {
        const pim::TRasterPixels pixels = pim::DecodeGif(data, size);
        if (static_cast<std::int64_t>(pixels.Width) * pixels.Height > (1 << 22)) return 0;
        const pim::TRasterPage page = pim::TRasterPage::FromPixels(pixels);
        const auto image = pim::CreateImageObject(page, "Pdf-Raster");
        pim::TMemoryStream out;
        image->Content().WriteTo(out);
    } catch (const pim::EInvalidGraphic&) {
    }
    return 0;
}

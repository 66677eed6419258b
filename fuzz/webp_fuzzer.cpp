// libFuzzer target: any bytes given to the WebP reader either decode (as
// many rows as they hold) or raise EInvalidGraphic; a decoded picture is
// compressed and goes through the image builder. Pictures are capped at
// 4,096 pixels a side and a million pixels inside the target.
#include <cstddef>
#include <cstdint>

#include <webp/decode.h>

#include "graphics/WebpFile.h"
#include "pdf/PdfRasterImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), pim::RegisterPdfRasterImage(), true);
    (void)ready;
    int width = 0, height = 0;
    if (WebPGetInfo(data, size, &width, &height) &&
        (width > 4096 || height > 4096 || static_cast<std::int64_t>(width) * height > (1 << 20)))
        return 0;
    try {
        const pim::TWebpPicture picture = pim::DecodeWebp(data, size);
        const pim::TRasterPage page = pim::TRasterPage::FromPixels(picture.Pixels);
        const auto image = pim::CreateImageObject(page, "Pdf-Raster");
        pim::TMemoryStream out;
        image->Content().WriteTo(out);
    } catch (const pim::EInvalidGraphic&) {
    }
    return 0;
}

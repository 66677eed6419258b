// libFuzzer target: any bytes given to the JPEG object either load and
// decode (at full size and at 1/8) or raise EJPEG / EInvalidGraphic.
// Pictures are capped inside the target (4,096 pixels a side, a million in all).
#include <cstddef>
#include <cstdint>

#include "graphics/Jpeg.h"
#include "graphics/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool limited = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), true);
    (void)limited;
    // Pictures past 4,096 pixels a side, or a million pixels in all, only
    // repeat the work at a crawl.
    try {
        const pim::TJpegHeader header = pim::ReadJpegHeader(data, size);
        if (header.width > 4096 || header.height > 4096 ||
            static_cast<std::int64_t>(header.width) * header.height > (std::int64_t{1} << 20))
            return 0;
    } catch (const pim::Exception&) {
    }
    pim::TMemoryStream in;
    in.Write(data, size);
    in.SetPosition(0);
    pim::TJPEGImage jpeg;
    try {
        jpeg.LoadFromStream(in);
        jpeg.DIBNeeded();
    } catch (const pim::EJPEG&) {
        return 0;
    } catch (const pim::EInvalidGraphic&) {
        return 0;
    }
    try {
        jpeg.SetScale(pim::TJPEGScale::jsEighth);
        jpeg.SetPerformance(pim::TJPEGPerformance::jpBestSpeed);
        jpeg.DIBNeeded();
        // Re-encoding the small picture exercises the encoder as well.
        pim::TJPEGImage copy;
        copy.Assign(jpeg.Bitmap());
        pim::TMemoryStream out;
        copy.SaveToStream(out);
    } catch (const pim::EJPEG&) {
    } catch (const pim::EInvalidGraphic&) {
    }
    return 0;
}

// libFuzzer target: any bytes given to the JPEG object either load and
// decode (at full size and at 1/8) or raise EJPEG / EInvalidGraphic.
#include <cstddef>
#include <cstdint>

#include "graphics/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool limited = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), true);
    (void)limited;
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

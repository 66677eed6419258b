// libFuzzer target: any bytes given to the BMP reader either load or raise
// EInvalidGraphic; a loaded bitmap survives a write and the conversions the
// image builders make.
#include <cstddef>
#include <cstdint>

#include "graphics/Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool limited = (pim::SetBitmapMemoryLimit(std::int64_t{64} << 20), true);
    (void)limited;
    pim::TMemoryStream in;
    in.Write(data, size);
    in.SetPosition(0);
    pim::TBitmap bmp;
    try {
        bmp.LoadFromStream(in);
    } catch (const pim::EInvalidGraphic&) {
        return 0;
    }
    pim::TMemoryStream out;
    bmp.SaveToStream(out);
    try {  // a conversion may pass the memory ceiling: refused, not a fault
        if (pim::IsIndexed(bmp.PixelFormat()) && bmp.PixelFormat() != pim::TPixelFormat::pf8bit) {
            pim::TBitmap eight = bmp;
            eight.SetPixelFormat(pim::TPixelFormat::pf8bit);
        }
        bmp.SetPixelFormat(pim::TPixelFormat::pf24bit);
    } catch (const pim::EInvalidGraphic&) {
    }
    return 0;
}

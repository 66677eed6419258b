// libFuzzer target: any bytes given to the BMP reader either load or raise
// EInvalidGraphic; a loaded bitmap survives a write and the conversions the
// image builders make. Pictures are capped at 4,096 x 4,096 pixels inside
// the target.
#include <cstddef>
#include <cstdint>

#include "graphics/Graphics.h"

namespace {

// The picture's size as the header gives it; pictures past 4,096 x 4,096
// pixels only repeat the work at a crawl.
bool TooLarge(const std::uint8_t* data, std::size_t size) {
    if (size < 26) return false;
    const auto u16 = [data](std::size_t at) { return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8); };
    const auto i32 = [&](std::size_t at) {
        return static_cast<std::int32_t>(u16(at) | u16(at + 2) << 16);
    };
    const std::uint32_t header = static_cast<std::uint32_t>(i32(14));
    std::int64_t w = 0, h = 0;
    if (header == 12) {
        w = u16(18);
        h = u16(20);
    } else {
        w = i32(18);
        h = i32(22);
    }
    if (w < 0) w = -w;
    if (h < 0) h = -h;
    return w > 4096 || h > 4096;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (TooLarge(data, size)) return 0;
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

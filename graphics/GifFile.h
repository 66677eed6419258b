// GIF files through giflib: the first frame on the logical screen, as
// palette indices (lossless), the transparent colour and the screen the
// frame leaves uncovered white. The sizes are checked before decoding (the
// bitmap ceiling; no more pixels than the LZW data can make). Errors raise
// EInvalidGraphic ("GIF image is not valid: ...") with their TFault; data
// that end early or are damaged decode as far as they go (Damage).
#pragma once

#include <cstdint>
#include <string>

#include "graphics/RasterPage.h"

namespace pim {

TRasterPixels DecodeGif(const std::uint8_t* data, std::size_t size);
TRasterPixels DecodeGifFile(const std::string& fileName);

}  // namespace pim

// WebP files through libwebp's decoder: a still picture, over white. A lossy
// picture without alpha is told apart: the PDF gets it as a JPEG, the others
// losslessly. Animated files are not read. Errors raise EInvalidGraphic
// ("WebP image is not valid: ...") with their TFault; a file cut off decodes
// the rows it holds (Damage).
#pragma once

#include <cstdint>
#include <string>

#include "graphics/RasterPage.h"

namespace pim {

struct TWebpPicture {
    TRasterPixels Pixels;  // RGB
    bool Lossy = false;    // lossy data and no alpha
};

TWebpPicture DecodeWebp(const std::uint8_t* data, std::size_t size);
TWebpPicture DecodeWebpFile(const std::string& fileName);

}  // namespace pim

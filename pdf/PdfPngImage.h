// Image XObjects made from PNG pictures, behind the FlateDecode filter.
#pragma once

#include "pdf/PdfImages.h"

namespace pim {

// Registered as "Pdf-Png". The picture must be a TPngImage.
// - A lossless kind (not interlaced, 1 to 8 bits of grey, RGB or palette,
//   no transparency) keeps its compressed data: the image's content is the
//   file's IDAT data, read at the save, with the PNG predictor in its
//   DecodeParms; a palette becomes an /Indexed colour space over PLTE.
// - Every other kind is decoded over white and its 8-bit grey or RGB
//   samples compressed again (TPngImage::FlateSamples).
class TPdfPngImage : public TPdfImageCreator {
public:
    std::unique_ptr<TPdfImage> CreateImage(const TGraphic& picture) const override;
};

void RegisterPdfPngImage();
void UnregisterPdfPngImage();

}  // namespace pim

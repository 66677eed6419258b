// Image XObjects made from the pages of TIFF, GIF and WebP files.
#pragma once

#include "pdf/PdfImages.h"

namespace pim {

// Registered as "Pdf-Raster". The picture must be a TRasterPage:
// - CCITT fax data behind /CCITTFaxDecode with /K, /Columns, /Rows,
//   /BlackIs1 and /EncodedByteAlign, the file's bytes unchanged;
// - a complete JPEG stream behind /DCTDecode, unchanged;
// - compressed samples behind /FlateDecode: 1-bit or 8-bit grey, RGB, or
//   palette indices with an /Indexed colour space.
class TPdfRasterImage : public TPdfImageCreator {
public:
    std::unique_ptr<TPdfImage> CreateImage(const TGraphic& picture) const override;
};

void RegisterPdfRasterImage();
void UnregisterPdfRasterImage();

}  // namespace pim

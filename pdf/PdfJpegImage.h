// Image XObjects that embed a JPEG's compressed data unchanged behind the
// DCTDecode filter.
#pragma once

#include "pdf/PdfImages.h"

namespace pim {

// Registered as "Pdf-Jpeg". The picture must be a TJPEGImage; its data are
// not copied: the image's content refers to them (in memory or in the source
// file) and they are written straight into the PDF at save time. A JPEG that
// holds only a bitmap is encoded first, with its own quality.
class TPdfJpegImage : public TPdfImageCreator {
public:
    std::unique_ptr<TPdfImage> CreateImage(const TGraphic& picture) const override;
};

void RegisterPdfJpegImage();
void UnregisterPdfJpegImage();

}  // namespace pim

// The item of a TIFF, GIF or WebP page: prints a TRasterPage through the
// "Pdf-Raster" builder.
#pragma once

#include "report/PReport.h"

namespace pim {

class TPRRasterImage : public TPRImage {
public:
    const char* ClassName() const override { return "TPRRasterImage"; }
    void PrintItem(TPRCanvas& canvas, TRect rect) override;
    // Raises "only raster page is allowed." for any other kind of graphic.
    void SetPicture(const TPicture& value) override;
};

}  // namespace pim

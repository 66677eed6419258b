#include "report/PRRasterImage.h"

#include "graphics/RasterPage.h"

namespace pim {

namespace {

bool IsRasterPage(const TGraphic* graphic) { return dynamic_cast<const TRasterPage*>(graphic) != nullptr; }

}  // namespace

void TPRRasterImage::SetPicture(const TPicture& value) {
    if (value.Graphic() && !IsRasterPage(value.Graphic())) throw Exception("only raster page is allowed.");
    Picture().Assign(value);
}

void TPRRasterImage::PrintItem(TPRCanvas& canvas, TRect rect) {
    if (!Printable()) return;
    const TGraphic* graphic = Picture().Graphic();
    if (!graphic || graphic->Empty() || !IsRasterPage(graphic)) return;
    PrintPicture(canvas, rect, "Pdf-Raster");
}

}  // namespace pim

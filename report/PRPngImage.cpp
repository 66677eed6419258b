#include "report/PRPngImage.h"

namespace pim {

void TPRPngImage::SetPicture(const TPicture& value) {
    if (value.Graphic() && !IsPng(value.Graphic())) throw Exception("only png image is allowed.");
    Picture().Assign(value);
}

void TPRPngImage::PrintItem(TPRCanvas& canvas, TRect rect) {
    if (!Printable()) return;
    const TGraphic* graphic = Picture().Graphic();
    if (!graphic || graphic->Empty() || !IsPng(graphic)) return;
    PrintPicture(canvas, rect, "Pdf-Png");
}

}  // namespace pim

#include "report/PRJpegImage.h"

namespace pim {

namespace {
constexpr int kImageNameRange = 65535;  // numbers 0 .. 65534
constexpr int kImageNameAttempts = 65535;
}  // namespace

void TPRJpegImage::SetPicture(const TPicture& value) {
    if (value.Graphic() && !dynamic_cast<const TJPEGImage*>(value.Graphic()))
        throw Exception("only jpeg image is allowed.");
    Picture().Assign(value);
}

std::string TPRJpegImage::FindFreeRandomName(const std::string& base, const std::function<int()>& next,
                                             const std::function<bool(const std::string&)>& taken) {
    for (int attempt = 0; attempt < kImageNameAttempts; ++attempt) {
        std::string name = base + std::to_string(next());
        if (!taken(name)) return name;
    }
    throw Exception("image count over max value..");
}

std::string TPRJpegImage::FreeImageName(const TPdfDoc& doc) {
    std::uniform_int_distribution<int> number(0, kImageNameRange - 1);
    return FindFreeRandomName(
        Name(), [&] { return number(Random(doc)); },
        [&doc](const std::string& name) { return doc.FindXObject(name) != nullptr; });
}

void TPRJpegImage::PrintItem(TPRCanvas& canvas, TRect rect) {
    if (!Printable()) return;
    const TGraphic* graphic = Picture().Graphic();
    if (!graphic || graphic->Empty() || !dynamic_cast<const TJPEGImage*>(graphic)) return;
    PrintPicture(canvas, rect, "Pdf-Jpeg");
}

}  // namespace pim

#include "graphics/Picture.h"

#include <cctype>

#include "graphics/ScanWebFiles.h"

namespace pim {

bool IsBitmap(const TGraphic* graphic) { return dynamic_cast<const TBitmap*>(graphic) != nullptr; }
bool IsJpeg(const TGraphic* graphic) { return dynamic_cast<const TJPEGImage*>(graphic) != nullptr; }
bool IsPng(const TGraphic* graphic) { return dynamic_cast<const TPngImage*>(graphic) != nullptr; }

void TPicture::SetGraphic(const TGraphic* graphic) { graphic_ = graphic ? graphic->Clone() : nullptr; }

void TPicture::Assign(const TPicture& source) {
    if (&source != this) SetGraphic(source.Graphic());
}

TBitmap& TPicture::Bitmap() {
    if (!IsBitmap()) graphic_ = std::make_unique<TBitmap>();
    return static_cast<TBitmap&>(*graphic_);
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::string ext;
    const auto dot = fileName.find_last_of('.');
    const auto slash = fileName.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ext = fileName.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    std::unique_ptr<TGraphic> graphic;
    if (ext == "bmp")
        graphic = std::make_unique<TBitmap>();
    else if (ext == "jpg" || ext == "jpeg")
        graphic = std::make_unique<TJPEGImage>();
    else if (ext == "png")
        graphic = std::make_unique<TPngImage>();
    else if (const TFileKind kind = FileKindOf(fileName); IsScanWebKind(kind)) {
        // TIFF, GIF and WebP: the first page, decoded.
        TBitmap bitmap;
        RasterPixelsToBitmap(DecodeScanWebFile(fileName, kind), bitmap);
        graphic_ = std::make_unique<TBitmap>(std::move(bitmap));
        return;
    } else
        throw EInvalidGraphic("Unknown picture file extension (." + ext + ")", TFault::fUnsupported);
    graphic->LoadFromFile(fileName);
    graphic_ = std::move(graphic);
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (graphic_) graphic_->SaveToFile(fileName);
}

}  // namespace pim

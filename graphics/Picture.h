// The picture holder: owns at most one graphic, a bitmap, a JPEG or a PNG
// object.
#pragma once

#include <memory>
#include <string>

#include "graphics/Graphics.h"
#include "graphics/Jpeg.h"
#include "graphics/Png.h"

namespace pim {

bool IsBitmap(const TGraphic* graphic);
bool IsJpeg(const TGraphic* graphic);
bool IsPng(const TGraphic* graphic);

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture& other) { Assign(other); }
    TPicture& operator=(const TPicture& other) {
        Assign(other);
        return *this;
    }

    // The held graphic, or nullptr.
    TGraphic* Graphic() const { return graphic_.get(); }
    // Holds a copy of `graphic` (nothing for nullptr).
    void SetGraphic(const TGraphic* graphic);
    void SetGraphic(std::unique_ptr<TGraphic> graphic) { graphic_ = std::move(graphic); }
    void Assign(const TPicture& source);

    // The held bitmap; a picture holding anything else is first given an
    // empty bitmap in its place.
    TBitmap& Bitmap();

    bool IsBitmap() const { return pim::IsBitmap(graphic_.get()); }
    bool IsJpeg() const { return pim::IsJpeg(graphic_.get()); }
    TJPEGImage* Jpeg() const { return dynamic_cast<TJPEGImage*>(graphic_.get()); }

    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }
    void Clear() { graphic_.reset(); }

    // By extension: ".bmp" a bitmap, ".jpg" or ".jpeg" a JPEG object, ".png"
    // a PNG object, ".tif", ".tiff", ".gif" and ".webp" the first page as a bitmap;
    // anything else raises EInvalidGraphic. The picture is unchanged on
    // failure.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::unique_ptr<TGraphic> graphic_;
};

}  // namespace pim

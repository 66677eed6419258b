// Image XObjects made from pictures. Builders are registered by name in the
// writer's class registry ("Pdf-Bitmap" here, "Pdf-Jpeg" in PdfJpegImage)
// and chosen by that name when an image is made.
#pragma once

#include <memory>
#include <string>

#include "graphics/Graphics.h"
#include "pdf/PdfTypes.h"

namespace pim {

// A bitmap the image builders cannot turn into an image.
class EPdfInvalidImageFormat : public Exception {
public:
    using Exception::Exception;
};

// Base of the image builders.
class TPdfImageCreator {
public:
    virtual ~TPdfImageCreator() = default;
    // A new image for the picture, owned by the caller until it is added to
    // a document; the base makes none.
    virtual std::unique_ptr<TPdfImage> CreateImage(const TGraphic& picture) const;
};

using TPdfImageCreatorFactory = TPdfFactoryOf<TPdfImageCreator>;

template <class C>
void RegisterPdfImageClass(const std::string& name) {
    RegisterPdfClass(name, std::make_unique<TPdfImageCreatorFactory>(
                               []() -> std::unique_ptr<TPdfImageCreator> { return std::make_unique<C>(); }));
}

// Uncompressed samples of any picture that can become a bitmap: 1-, 4- and
// 8-bit pictures as 8-bit palette indices with an indexed colour space,
// everything else as 8-bit RGB.
class TPdfBitmapImage : public TPdfImageCreator {
public:
    std::unique_ptr<TPdfImage> CreateImage(const TGraphic& picture) const override;
};

// Makes the image with the builder registered under builderName. An unknown
// name raises Exception "AddImage --InvalidImageClassName:<name>".
std::unique_ptr<TPdfImage> CreateImageObject(const TGraphic& picture, const std::string& builderName);

// [/Indexed /DeviceRGB 255 <RRGGBB RRGGBB ... >] from the palette of an
// 8-bit bitmap (256 entries; those past the palette are black).
std::unique_ptr<TPdfArray> CreateIndexedColorSpace(const TBitmap& bitmap);
// The same array over `count` (1 to 256) entries: [/Indexed /DeviceRGB count-1 <...>].
std::unique_ptr<TPdfArray> CreateIndexedColorSpace(const TPaletteEntry* entries, int count);

// Registers and removes "Pdf-Bitmap" (done at program start and end).
void RegisterPdfBitmapImage();
void UnregisterPdfBitmapImage();

}  // namespace pim

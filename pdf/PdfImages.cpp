#include "pdf/PdfImages.h"

#include <vector>

namespace pim {

namespace {

// The bitmap whose rows are written: the picture itself when it is already
// 8- or 24-bit, otherwise a converted copy held in `scratch`.
const TBitmap& SamplesOf(const TGraphic& picture, TBitmap& scratch) {
    const auto* bitmap = dynamic_cast<const TBitmap*>(&picture);
    if (bitmap) {
        const TPixelFormat f = bitmap->PixelFormat();
        if (f == TPixelFormat::pf8bit || f == TPixelFormat::pf24bit) return *bitmap;
        scratch = *bitmap;
    } else {
        scratch.Assign(picture);  // a JPEG is decoded
    }
    const TPixelFormat f = scratch.PixelFormat();
    if (f == TPixelFormat::pf1bit || f == TPixelFormat::pf4bit)
        scratch.SetPixelFormat(TPixelFormat::pf8bit);
    else if (f != TPixelFormat::pf8bit)
        scratch.SetPixelFormat(TPixelFormat::pf24bit);
    return scratch;
}

}  // namespace

std::unique_ptr<TPdfImage> TPdfImageCreator::CreateImage(const TGraphic&) const { return nullptr; }

std::unique_ptr<TPdfImage> TPdfBitmapImage::CreateImage(const TGraphic& picture) const {
    auto image = std::make_unique<TPdfImage>(nullptr);
    TPdfDictionary& attr = image->Attributes();
    attr.PutName("Type", "XObject");
    attr.PutName("Subtype", "Image");

    TBitmap scratch;
    const TBitmap& bmp = SamplesOf(picture, scratch);
    const auto width = static_cast<std::size_t>(bmp.Width());
    TPdfStreamContent& content = image->Content();
    if (bmp.PixelFormat() == TPixelFormat::pf8bit) {
        for (int y = 0; y < bmp.Height(); ++y) content.Write(bmp.ScanLine(y), width);
        attr.Put("ColorSpace", CreateIndexedColorSpace(bmp));
    } else {
        std::vector<std::uint8_t> rgb(width * 3);
        for (int y = 0; y < bmp.Height(); ++y) {
            if (y == 0) attr.PutName("ColorSpace", "DeviceRGB");
            const std::uint8_t* bgr = bmp.ScanLine(y);
            for (std::size_t x = 0; x < width; ++x) {
                rgb[3 * x] = bgr[3 * x + 2];
                rgb[3 * x + 1] = bgr[3 * x + 1];
                rgb[3 * x + 2] = bgr[3 * x];
            }
            content.Write(rgb.data(), rgb.size());
        }
    }
    attr.PutNumber("Width", bmp.Width());
    attr.PutNumber("Height", bmp.Height());
    attr.PutNumber("BitsPerComponent", 8);
    return image;
}

std::unique_ptr<TPdfImage> CreateImageObject(const TGraphic& picture, const std::string& builderName) {
    const auto* factory = FindPdfClassOf<TPdfImageCreator>(builderName);
    if (!factory) throw Exception("AddImage --InvalidImageClassName:" + builderName);
    const std::unique_ptr<TPdfImageCreator> creator = factory->Create();
    return creator->CreateImage(picture);
}

std::unique_ptr<TPdfArray> CreateIndexedColorSpace(const TBitmap& bitmap) {
    if (bitmap.PixelFormat() != TPixelFormat::pf8bit)
        throw EPdfInvalidImageFormat("only 8 bit color image is allowed.");
    TPaletteEntry entries[256] = {};
    if (bitmap.GetPaletteEntries(0, 256, entries) == 0) throw EPdfInvalidImageFormat("failed to get Palette..");

    static const char hex[] = "0123456789ABCDEF";
    auto table = std::make_unique<TPdfBinary>();
    std::string& text = table->Content();
    text.reserve(2 + 256 * 7);
    text += '<';
    for (const TPaletteEntry& e : entries) {
        for (const std::uint8_t v : {e.peRed, e.peGreen, e.peBlue}) {
            text += hex[v >> 4];
            text += hex[v & 15];
        }
        text += ' ';
    }
    text += '>';

    auto array = std::make_unique<TPdfArray>(nullptr);
    array->Append(std::make_unique<TPdfName>("Indexed"));
    array->Append(std::make_unique<TPdfName>("DeviceRGB"));
    array->Append(std::make_unique<TPdfNumber>(255));
    array->Append(std::move(table));
    return array;
}

void RegisterPdfBitmapImage() { RegisterPdfImageClass<TPdfBitmapImage>("Pdf-Bitmap"); }
void UnregisterPdfBitmapImage() { UnregisterPdfClass("Pdf-Bitmap"); }

}  // namespace pim

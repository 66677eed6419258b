#include "pdf/PdfImages.h"

#include <algorithm>
#include <cstring>
#include <span>
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

// The samples of an 8- or 24-bit bitmap as the image stream holds them
// (rows without padding, 24-bit pixels as red, green, blue), made from the
// bitmap when they are read. The bitmap is a copy that shares its pixels, so
// a page's picture is not held twice while the page waits for the save, or
// for the scratch file that frees it.
class TBitmapSamples : public TPdfContentSource {
public:
    explicit TBitmapSamples(const TBitmap& bitmap)
        : bitmap_(bitmap),
          rowSize_(static_cast<std::int64_t>(bitmap.Width()) * (bitmap.PixelFormat() == TPixelFormat::pf8bit ? 1 : 3)) {}

    std::int64_t Size() const override { return rowSize_ * bitmap_.Height(); }
    bool InMemory() const override { return true; }

    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override {
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::size_t done = 0;
        std::vector<std::uint8_t> row;
        while (done < count && offset < Size()) {
            const auto y = static_cast<int>(offset / rowSize_);
            const std::int64_t at = offset % rowSize_;
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(rowSize_ - at, count - done));
            Row(y, row);
            std::memcpy(out + done, row.data() + at, n);
            done += n;
            offset += static_cast<std::int64_t>(n);
        }
        return done;
    }

    void WriteTo(TStream& out) const override {
        std::vector<std::uint8_t> row;
        for (int y = 0; y < bitmap_.Height(); ++y) {
            Row(y, row);
            out.Write(row.data(), row.size());
        }
    }

private:
    void Row(int y, std::vector<std::uint8_t>& row) const {
        const std::uint8_t* line = bitmap_.ScanLine(y);
        row.resize(static_cast<std::size_t>(rowSize_));
        if (bitmap_.PixelFormat() == TPixelFormat::pf8bit) {
            std::memcpy(row.data(), line, row.size());
            return;
        }
        for (std::size_t x = 0; x < row.size(); x += 3) {
            row[x] = line[x + 2];
            row[x + 1] = line[x + 1];
            row[x + 2] = line[x];
        }
    }

    TBitmap bitmap_;
    std::int64_t rowSize_;
};

}  // namespace

std::unique_ptr<TPdfImage> TPdfImageCreator::CreateImage(const TGraphic&) const { return nullptr; }

std::unique_ptr<TPdfImage> TPdfBitmapImage::CreateImage(const TGraphic& picture) const {
    auto image = std::make_unique<TPdfImage>(nullptr);
    TPdfDictionary& attr = image->Attributes();
    attr.PutName("Type", "XObject");
    attr.PutName("Subtype", "Image");

    TBitmap scratch;
    const TBitmap& bmp = SamplesOf(picture, scratch);
    if (bmp.PixelFormat() == TPixelFormat::pf8bit)
        attr.Put("ColorSpace", CreateIndexedColorSpace(bmp));
    else if (bmp.Height() > 0)
        attr.PutName("ColorSpace", "DeviceRGB");
    if (!bmp.Empty()) image->Content().AppendSource(std::make_unique<TBitmapSamples>(bmp));
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
    return CreateIndexedColorSpace(entries, 256);
}

std::unique_ptr<TPdfArray> CreateIndexedColorSpace(const TPaletteEntry* entries, int count) {
    static const char hex[] = "0123456789ABCDEF";
    auto table = std::make_unique<TPdfBinary>();
    std::string& text = table->Content();
    text.reserve(2 + static_cast<std::size_t>(count) * 7);
    text += '<';
    for (const TPaletteEntry& e : std::span(entries, static_cast<std::size_t>(count))) {
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
    array->Append(std::make_unique<TPdfNumber>(count - 1));
    array->Append(std::move(table));
    return array;
}

void RegisterPdfBitmapImage() { RegisterPdfImageClass<TPdfBitmapImage>("Pdf-Bitmap"); }
void UnregisterPdfBitmapImage() { UnregisterPdfClass("Pdf-Bitmap"); }

}  // namespace pim

#include "pdf/PdfRasterImage.h"

#include <algorithm>
#include <cstring>

#include "graphics/RasterPage.h"

namespace pim {

namespace {

// Bytes held in memory by the page (compressed samples, or a file read
// into memory), until the save or the run's spool takes them.
class TRasterBytesContent : public TPdfContentSource {
public:
    TRasterBytesContent(std::shared_ptr<const void> owner, const std::uint8_t* data, std::int64_t size)
        : owner_(std::move(owner)), data_(data), size_(size) {}
    std::int64_t Size() const override { return size_; }
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override {
        if (offset < 0 || offset >= size_) return 0;
        const auto n =
            static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size_ - offset));
        std::memcpy(buffer, data_ + offset, n);
        return n;
    }
    bool InMemory() const override { return true; }

private:
    std::shared_ptr<const void> owner_;
    const std::uint8_t* data_;
    std::int64_t size_;
};

std::unique_ptr<TPdfContentSource> ContentOf(const TRasterPage& page) {
    if (const auto& source = page.Source()) {
        if (!source->InMemory())
            return std::make_unique<TPdfFileContent>(source->FileName(), page.Offset(), page.Size());
        const auto& bytes = source->Bytes();
        if (page.Offset() < 0 || page.Offset() + page.Size() > static_cast<std::int64_t>(bytes.size()))
            throw EPdfInvalidValue("the page's data lie outside its source");
        return std::make_unique<TRasterBytesContent>(source, bytes.data() + page.Offset(), page.Size());
    }
    const auto& bytes = page.Bytes();
    if (!bytes) throw EPdfInvalidValue("the page has no data");
    return std::make_unique<TRasterBytesContent>(bytes, bytes->data(), static_cast<std::int64_t>(bytes->size()));
}

}  // namespace

std::unique_ptr<TPdfImage> TPdfRasterImage::CreateImage(const TGraphic& picture) const {
    const auto* page = dynamic_cast<const TRasterPage*>(&picture);
    if (!page || page->Empty()) throw EPdfInvalidValue("only raster page is allowed.");

    auto image = std::make_unique<TPdfImage>(nullptr);
    image->Content().AppendSource(ContentOf(*page));
    TPdfDictionary& attr = image->Attributes();
    attr.PutName("Type", "XObject");
    attr.PutName("Subtype", "Image");
    attr.PutNumber("Width", page->Width());
    attr.PutNumber("Height", page->Height());
    attr.PutNumber("BitsPerComponent", page->Bits());
    switch (page->Coding()) {
        case TRasterCoding::rcCcitt: {
            attr.PutName("ColorSpace", "DeviceGray");
            auto parms = std::make_unique<TPdfDictionary>(nullptr);
            parms->PutNumber("K", page->CcittK);
            parms->PutNumber("Columns", page->Width());
            parms->PutNumber("Rows", page->Height());
            if (page->BlackIs1) parms->Put("BlackIs1", std::make_unique<TPdfBoolean>(true));
            if (page->EncodedByteAlign) parms->Put("EncodedByteAlign", std::make_unique<TPdfBoolean>(true));
            auto parmsArray = std::make_unique<TPdfArray>(nullptr);
            parmsArray->Append(std::move(parms));
            attr.Put("DecodeParms", std::move(parmsArray));
            attr.LookupArray("Filter")->Append(std::make_unique<TPdfName>("CCITTFaxDecode"));
            break;
        }
        case TRasterCoding::rcDct:
            attr.PutName("ColorSpace", page->Colors() == 1 ? "DeviceGray" : "DeviceRGB");
            attr.LookupArray("Filter")->Append(std::make_unique<TPdfName>("DCTDecode"));
            break;
        case TRasterCoding::rcFlate:
            if (!page->Palette().empty())
                attr.Put("ColorSpace",
                         CreateIndexedColorSpace(page->Palette().data(), static_cast<int>(page->Palette().size())));
            else
                attr.PutName("ColorSpace", page->Colors() == 1 ? "DeviceGray" : "DeviceRGB");
            attr.LookupArray("Filter")->Append(std::make_unique<TPdfName>("FlateDecode"));
            image->SetFlateEncoded(true);
            break;
    }
    return image;
}

void RegisterPdfRasterImage() { RegisterPdfImageClass<TPdfRasterImage>("Pdf-Raster"); }
void UnregisterPdfRasterImage() { UnregisterPdfClass("Pdf-Raster"); }

}  // namespace pim

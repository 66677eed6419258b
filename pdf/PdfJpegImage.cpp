#include "pdf/PdfJpegImage.h"

#include <algorithm>
#include <cstring>

#include "graphics/Jpeg.h"

namespace pim {

namespace {

// A stream's content made of a JPEG object's shared compressed data.
class TJpegContent : public TPdfContentSource {
public:
    explicit TJpegContent(std::shared_ptr<const TJpegData> data) : data_(std::move(data)) {}

    std::int64_t Size() const override { return data_->Size(); }

    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override {
        if (offset < 0 || offset >= data_->Size()) return 0;
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), data_->Size() - offset));
        if (data_->InMemory()) {
            std::memcpy(buffer, data_->Bytes() + offset, n);
            return n;
        }
        const std::unique_ptr<TStream> stream = data_->Open();
        stream->SetPosition(offset);
        return stream->Read(buffer, n);
    }

    // Checks, for a file, that it still holds the bytes it held at load.
    void WriteTo(TStream& out) const override { data_->WriteTo(out); }
    // An encoded JPEG is held in memory: the run's spool moves it to its
    // scratch file. A file's bytes stay where they are until the save.
    bool InMemory() const override { return data_->InMemory(); }

private:
    std::shared_ptr<const TJpegData> data_;
};

}  // namespace

std::unique_ptr<TPdfImage> TPdfJpegImage::CreateImage(const TGraphic& picture) const {
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(&picture);
    if (!jpeg) throw EPdfInvalidValue("only jpeg image is allowed.");

    auto image = std::make_unique<TPdfImage>(nullptr);
    std::shared_ptr<const TJpegData> data = jpeg->Data();  // encodes a bitmap-only JPEG
    if (!data) throw EPdfInvalidValue("only jpeg image is allowed.");
    image->Content().AppendSource(std::make_unique<TJpegContent>(data));

    TPdfDictionary& attr = image->Attributes();
    attr.PutName("Type", "XObject");
    attr.PutName("Subtype", "Image");
    // Three components are the rule. Data of another kind are still
    // described truthfully, so a viewer shows them rather than garbage:
    // grey as DeviceGray, four components as DeviceCMYK, inverted by a
    // Decode array when the file follows Adobe's convention.
    const TJpegHeader& header = jpeg->Header();
    const bool cmyk = header.components == 4;
    attr.PutName("ColorSpace", header.components == 1 ? "DeviceGray" : cmyk ? "DeviceCMYK" : "DeviceRGB");
    attr.PutNumber("Width", jpeg->Width());
    attr.PutNumber("Height", jpeg->Height());
    attr.PutNumber("BitsPerComponent", 8);
    if (cmyk && header.adobe) attr.Put("Decode", CreateNumberArray(nullptr, {1, 0, 1, 0, 1, 0, 1, 0}));
    attr.LookupArray("Filter")->Append(std::make_unique<TPdfName>("DCTDecode"));
    return image;
}

void RegisterPdfJpegImage() { RegisterPdfImageClass<TPdfJpegImage>("Pdf-Jpeg"); }
void UnregisterPdfJpegImage() { UnregisterPdfClass("Pdf-Jpeg"); }

}  // namespace pim

#include "pdf/PdfPngImage.h"

#include <algorithm>
#include <cstring>

#include "graphics/Png.h"

namespace pim {

namespace {

// The IDAT data of a PNG, chunk after chunk, read from its source when
// written.
class TPngIdatContent : public TPdfContentSource {
public:
    TPngIdatContent(std::shared_ptr<const TPngSource> source, std::vector<TPngRange> ranges)
        : source_(std::move(source)), ranges_(std::move(ranges)) {
        for (const TPngRange& r : ranges_) size_ += r.Size;
    }

    std::int64_t Size() const override { return size_; }

    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override {
        const std::unique_ptr<TStream> in = source_->Open();
        std::size_t done = 0;
        std::int64_t at = 0;
        for (const TPngRange& r : ranges_) {
            if (done == count) break;
            if (offset < at + r.Size) {
                const std::int64_t skip = std::max<std::int64_t>(offset - at, 0);
                const auto n = static_cast<std::size_t>(std::min<std::int64_t>(r.Size - skip, count - done));
                in->SetPosition(r.Offset + skip);
                in->ReadBuffer(static_cast<char*>(buffer) + done, n);
                done += n;
                offset += static_cast<std::int64_t>(n);
            }
            at += r.Size;
        }
        return done;
    }

    // The file's stamp is checked when it is opened (TPngSource::Open): a
    // file changed since it was read stops the save.
    void WriteTo(TStream& out) const override {
        const std::unique_ptr<TStream> in = source_->Open();
        std::vector<std::uint8_t> block(1 << 16);
        for (const TPngRange& r : ranges_) {
            in->SetPosition(r.Offset);
            for (std::int64_t left = r.Size; left > 0;) {
                const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size())));
                in->ReadBuffer(block.data(), n);
                out.Write(block.data(), n);
                left -= static_cast<std::int64_t>(n);
            }
        }
    }

    bool InMemory() const override { return source_->InMemory(); }

private:
    std::shared_ptr<const TPngSource> source_;
    std::vector<TPngRange> ranges_;
    std::int64_t size_ = 0;
};

// Samples compressed when the page was made, held until the save (or until
// the run's spool takes them).
class TFlateSamplesContent : public TPdfContentSource {
public:
    explicit TFlateSamplesContent(std::shared_ptr<const TPngFlateSamples> samples) : samples_(std::move(samples)) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(samples_->Data.size()); }
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const override {
        if (offset < 0 || offset >= Size()) return 0;
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), Size() - offset));
        std::memcpy(buffer, samples_->Data.data() + offset, n);
        return n;
    }
    bool InMemory() const override { return true; }

private:
    std::shared_ptr<const TPngFlateSamples> samples_;
};

}  // namespace

std::unique_ptr<TPdfImage> TPdfPngImage::CreateImage(const TGraphic& picture) const {
    const auto* png = dynamic_cast<const TPngImage*>(&picture);
    if (!png || png->Empty()) throw EPdfInvalidValue("only png image is allowed.");

    auto image = std::make_unique<TPdfImage>(nullptr);
    TPdfDictionary& attr = image->Attributes();
    attr.PutName("Type", "XObject");
    attr.PutName("Subtype", "Image");
    const TPngStructure& s = png->Structure();
    if (png->Lossless()) {
        image->Content().AppendSource(std::make_unique<TPngIdatContent>(png->Source(), s.Idat));
        if (s.ColorType == pctPalette)
            attr.Put("ColorSpace", CreateIndexedColorSpace(s.Palette.data(), static_cast<int>(s.Palette.size())));
        else
            attr.PutName("ColorSpace", s.ColorType == pctGrey ? "DeviceGray" : "DeviceRGB");
        attr.PutNumber("Width", s.Width);
        attr.PutNumber("Height", s.Height);
        attr.PutNumber("BitsPerComponent", s.BitDepth);
        // The rows carry PNG filter bytes: predictor 15 lets each row say its own.
        auto parms = std::make_unique<TPdfDictionary>(nullptr);
        parms->PutNumber("Predictor", 15);
        parms->PutNumber("Colors", s.Channels());
        parms->PutNumber("BitsPerComponent", s.BitDepth);
        parms->PutNumber("Columns", s.Width);
        auto parmsArray = std::make_unique<TPdfArray>(nullptr);
        parmsArray->Append(std::move(parms));
        attr.Put("DecodeParms", std::move(parmsArray));
    } else {
        std::shared_ptr<const TPngFlateSamples> samples = png->FlateSamples();
        image->Content().AppendSource(std::make_unique<TFlateSamplesContent>(samples));
        attr.PutName("ColorSpace", samples->Channels == 1 ? "DeviceGray" : "DeviceRGB");
        attr.PutNumber("Width", s.Width);
        attr.PutNumber("Height", s.Height);
        attr.PutNumber("BitsPerComponent", 8);
    }
    attr.LookupArray("Filter")->Append(std::make_unique<TPdfName>("FlateDecode"));
    image->SetFlateEncoded(true);
    return image;
}

void RegisterPdfPngImage() { RegisterPdfImageClass<TPdfPngImage>("Pdf-Png"); }
void UnregisterPdfPngImage() { UnregisterPdfClass("Pdf-Png"); }

}  // namespace pim

#include "graphics/Png.h"

#include <cstring>

#include "graphics/Deflater.h"

namespace pim {

std::shared_ptr<const TPngSource> TPngSource::FromFile(std::string fileName, const TFileStamp& stamp) {
    auto source = std::shared_ptr<TPngSource>(new TPngSource);
    source->fileName_ = std::move(fileName);
    source->stamp_ = stamp;
    return source;
}

std::shared_ptr<const TPngSource> TPngSource::FromBytes(std::vector<std::uint8_t> bytes) {
    auto source = std::shared_ptr<TPngSource>(new TPngSource);
    source->bytes_ = std::move(bytes);
    return source;
}

std::unique_ptr<TStream> TPngSource::Open() const {
    if (InMemory()) {
        auto stream = std::make_unique<TMemoryStream>();
        stream->Write(bytes_.data(), bytes_.size());
        stream->SetPosition(0);
        return stream;
    }
    TFileStamp now;
    if (!FileStampOf(fileName_, now) || now != stamp_)
        throw EStreamError("the file has changed since it was read: " + fileName_);
    return std::make_unique<TFileStream>(fileName_, TFileMode::fmOpenRead);
}

void TPngImage::LoadFromStream(TStream& stream) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[64 * 1024];
    for (std::size_t n; (n = stream.Read(block, sizeof block)) > 0;) bytes.insert(bytes.end(), block, block + n);
    auto source = TPngSource::FromBytes(std::move(bytes));
    const std::unique_ptr<TStream> in = source->Open();
    structure_ = std::make_shared<const TPngStructure>(ReadPngStructure(*in));
    source_ = std::move(source);
    samples_.reset();
    damage_.clear();
    SetDensity(structure_->Density);
}

void TPngImage::LoadFromFile(const std::string& fileName) {
    TFileStamp stamp;
    if (!FileStampOf(fileName, stamp)) throw EStreamError("Cannot open file \"" + fileName + "\"");
    TFileStream file(fileName, TFileMode::fmOpenRead);
    auto structure = std::make_shared<const TPngStructure>(ReadPngStructure(file));
    source_ = TPngSource::FromFile(fileName, stamp);
    structure_ = std::move(structure);
    samples_.reset();
    damage_.clear();
    SetDensity(structure_->Density);
}

void TPngImage::SaveToStream(TStream& stream) const {
    if (!source_) return;
    const std::unique_ptr<TStream> in = source_->Open();
    stream.CopyFrom(*in);
}

std::string TPngImage::Decode(TBitmap& dest) const {
    TBitmap bitmap;
    std::string damage;
    if (structure_) {
        bitmap = TBitmap(Width(), Height(), TPixelFormat::pf24bit);
        const std::unique_ptr<TStream> in = source_->Open();
        damage = DecodePng(*structure_, *in, 0, background_, false, [&](int y, const std::uint8_t* rgb) {
            std::uint8_t* out = bitmap.ScanLine(y);
            for (int x = 0; x < Width(); ++x, rgb += 3, out += 3) {
                out[0] = rgb[2];
                out[1] = rgb[1];
                out[2] = rgb[0];
            }
        });
    }
    dest = std::move(bitmap);
    return damage;
}

void TPngImage::CheckData() {
    if (!Lossless()) return;
    const std::unique_ptr<TStream> in = source_->Open();
    damage_ = CheckPngData(*structure_, *in, 0);
    if (!damage_.empty()) samples_.reset();
}

std::shared_ptr<const TPngFlateSamples> TPngImage::FlateSamples() const {
    if (samples_ || !structure_) return samples_;
    auto samples = std::make_shared<TPngFlateSamples>();
    samples->Channels = structure_->IsGrey() ? 1 : 3;
    const std::size_t rowBytes = static_cast<std::size_t>(Width()) * samples->Channels;
    TDeflater deflater(rowBytes * static_cast<std::size_t>(Height()));
    const std::unique_ptr<TStream> in = source_->Open();
    samples->Damage = DecodePng(*structure_, *in, 0, {255, 255, 255, 0}, true, [&](int y, const std::uint8_t* row) {
        deflater.Add(row, rowBytes, y == Height() - 1);
    });
    samples->Data = deflater.Take();
    samples_ = std::move(samples);
    return samples_;
}

}  // namespace pim

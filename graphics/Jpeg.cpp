#include "graphics/Jpeg.h"

#include <algorithm>

namespace pim {

int TJPEGImage::ScaleDenom() const {
    switch (scale_) {
        case TJPEGScale::jsHalf: return 2;
        case TJPEGScale::jsQuarter: return 4;
        case TJPEGScale::jsEighth: return 8;
        default: return 1;
    }
}

int TJPEGImage::Width() const {
    if (bitmap_) return bitmap_->Width();
    if (!data_) return 0;
    const int d = ScaleDenom();
    return (header_.width + d - 1) / d;  // libjpeg rounds scaled sizes up
}

int TJPEGImage::Height() const {
    if (bitmap_) return bitmap_->Height();
    if (!data_) return 0;
    const int d = ScaleDenom();
    return (header_.height + d - 1) / d;
}

bool TJPEGImage::Empty() const { return !data_ && (!bitmap_ || bitmap_->Empty()); }

void TJPEGImage::LoadFromStream(TStream& stream) {
    const std::int64_t size = stream.Size() - stream.Position();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
    stream.ReadBuffer(bytes.data(), bytes.size());
    const TJpegHeader header = ReadJpegHeader(bytes.data(), bytes.size());
    const auto total = static_cast<std::int64_t>(bytes.size());
    data_ = TJpegData::FromBytes(std::move(bytes));
    // Too few bytes for the declared picture: as good as cut off.
    if (total - header.dataStart < header.minDataBytes) data_->MarkCutOff();
    header_ = header;
    bitmap_.reset();
    progressive_ = header.progressive;
}

void TJPEGImage::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    TDigest digest;
    const TJpegHeader header = ReadJpegHeader(file, &digest);
    TJpegFileCheck check;
    if (!FileStampOf(fileName, check.Stamp)) throw EStreamError("Cannot open file \"" + fileName + "\"");
    check.DigestedBytes = static_cast<std::int64_t>(digest.Count());
    check.Digest = digest.Value();
    data_ = TJpegData::FromFile(fileName, check, header.dataStart);
    if (check.Stamp.Size - header.dataStart < header.minDataBytes) data_->MarkCutOff();
    header_ = header;
    bitmap_.reset();
    progressive_ = header.progressive;
}

void TJPEGImage::SaveToStream(TStream& stream) const {
    JPEGNeeded();
    if (data_) data_->WriteTo(stream);
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const { return std::make_unique<TJPEGImage>(*this); }

void TJPEGImage::Decode(TBitmap& out) const {
    TJpegDecodeOptions opt;
    opt.scaleDenom = ScaleDenom();
    opt.fast = performance_ == TJPEGPerformance::jpBestSpeed;
    opt.smoothing = smoothing_;
    opt.grayscale = grayscale_;
    opt.quantize = pixelFormat_ == TJPEGPixelFormat::jf8Bit;
    bool whole = true;
    if (data_->InMemory()) {
        whole = DecodeJpeg(data_->Bytes(), static_cast<std::size_t>(data_->Size()), opt, out);
    } else {
        const std::unique_ptr<TStream> stream = data_->Open();
        whole = DecodeJpeg(*stream, opt, out);
    }
    if (!whole) data_->MarkCutOff();
}

const TBitmap& TJPEGImage::Bitmap() const {
    if (!bitmap_) {
        auto bmp = std::make_shared<TBitmap>();
        if (data_) Decode(*bmp);
        bitmap_ = std::move(bmp);
    }
    return *bitmap_;
}

void TJPEGImage::AssignTo(TBitmap& dest) const {
    if (bitmap_) {
        dest = *bitmap_;
    } else if (data_) {
        TBitmap decoded;  // straight into the caller's bitmap, no cached copy
        Decode(decoded);
        dest = std::move(decoded);
    } else {
        dest = TBitmap();
    }
}

void TJPEGImage::JPEGNeeded() const {
    if (data_ || !bitmap_ || bitmap_->Empty()) return;
    TJpegEncodeOptions opt;
    opt.quality = quality_;
    opt.progressive = progressive_;
    opt.grayscale = grayscale_;
    std::vector<std::uint8_t> bytes;
    const TPixelFormat format = bitmap_->PixelFormat();
    if (format == TPixelFormat::pf24bit || format == TPixelFormat::pfDevice) {
        bytes = EncodeJpeg(*bitmap_, opt);
    } else {
        TBitmap rgb = *bitmap_;
        rgb.SetPixelFormat(TPixelFormat::pf24bit);
        bytes = EncodeJpeg(rgb, opt);
    }
    const TJpegHeader header = ReadJpegHeader(bytes.data(), bytes.size());
    data_ = TJpegData::FromBytes(std::move(bytes));
    header_ = header;
}

void TJPEGImage::Compress() {
    if (Empty()) return;
    auto picture = std::make_shared<const TBitmap>(Bitmap());
    data_.reset();
    bitmap_ = std::move(picture);
    JPEGNeeded();
}

std::shared_ptr<const TJpegData> TJPEGImage::Data() const {
    JPEGNeeded();
    return data_;
}

void TJPEGImage::Assign(const TGraphic& source) {
    if (&source == this) return;
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
        data_ = jpeg->data_;
        header_ = jpeg->header_;
        bitmap_ = jpeg->bitmap_;
        return;
    }
    auto bmp = std::make_shared<TBitmap>();
    source.AssignTo(*bmp);
    data_.reset();
    header_ = TJpegHeader{};
    bitmap_ = std::move(bmp);
}

void TJPEGImage::Assign(TBitmap&& bitmap) {
    bitmap_ = std::make_shared<const TBitmap>(std::move(bitmap));
    data_.reset();
    header_ = TJpegHeader{};
}

void TJPEGImage::SetCompressionQuality(int quality) { quality_ = std::clamp(quality, 0, 100); }

bool TJPEGImage::Grayscale() const {
    return grayscale_ || (data_ && header_.colorSpace == TJpegColorSpace::jcsGrayscale);
}

void TJPEGImage::DropDecoded() {
    if (data_) bitmap_.reset();
}

void TJPEGImage::SetGrayscale(bool on) {
    if (on == grayscale_) return;
    grayscale_ = on;
    DropDecoded();
}

void TJPEGImage::SetScale(TJPEGScale scale) {
    if (scale == scale_) return;
    scale_ = scale;
    DropDecoded();
}

void TJPEGImage::SetPerformance(TJPEGPerformance performance) {
    if (performance == performance_) return;
    performance_ = performance;
    DropDecoded();
}

void TJPEGImage::SetSmoothing(bool on) {
    if (on == smoothing_) return;
    smoothing_ = on;
    DropDecoded();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat format) {
    if (format == pixelFormat_) return;
    pixelFormat_ = format;
    DropDecoded();
}

}  // namespace pim

// The JPEG image object. Loading reads only the header (size, colour space,
// scan count) and keeps the compressed data; pixels are decoded when a bitmap
// is first needed. An object given a bitmap keeps the bitmap and encodes it
// only when its compressed data are asked for, with its own quality.
// Compressed data and decoded bitmaps are immutable and shared between
// copies, so copying a JPEG object never copies its bytes.
#pragma once

#include <memory>

#include "graphics/Graphics.h"
#include "graphics/JpegCodec.h"
#include "graphics/JpegData.h"

namespace pim {

enum class TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
enum class TJPEGPixelFormat { jf24Bit, jf8Bit };

class TJPEGImage : public TGraphic {
public:
    static constexpr int kDefaultQuality = 90;

    TJPEGImage() = default;
    // A copy shares the data (or the bitmap) and starts with default settings.
    TJPEGImage(const TJPEGImage& other) { Assign(other); }
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // Width and height of the held bitmap, else of the compressed image at
    // the decoding scale.
    int Width() const override;
    int Height() const override;
    bool Empty() const override;

    // Takes the stream's bytes from its position to its end.
    void LoadFromStream(TStream& stream) override;
    // Reads only the header, takes the file's stamp and a fingerprint of the
    // bytes read, and refers to the file from then on instead of holding its
    // bytes (they are read once more, when they are written out).
    void LoadFromFile(const std::string& fileName) override;
    // Writes the compressed data, encoding the bitmap first if needed.
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;
    void AssignTo(TBitmap& dest) const override;

    // A JPEG object shares the source's compressed data if it has any,
    // otherwise copies its bitmap; a bitmap is copied (or any graphic
    // rendered into one) and the compressed data dropped. Settings of this
    // object (quality, progressive, scale...) are kept.
    void Assign(const TGraphic& source);
    void Assign(TBitmap&& bitmap);

    // The decoded (or assigned) bitmap; decodes on first use.
    const TBitmap& Bitmap() const;
    void DIBNeeded() const { Bitmap(); }
    // Makes sure compressed data exist, encoding the bitmap if needed.
    void JPEGNeeded() const;
    // Encodes the current picture anew with the current settings.
    void Compress();
    // Lets go of the decoded picture when compressed data exist (it is
    // decoded again when needed): a JPEG waiting to be written holds only
    // its bytes.
    void DropBitmap() { DropDecoded(); }
    // The compressed data (after JPEGNeeded); null when empty.
    std::shared_ptr<const TJpegData> Data() const;
    bool HasData() const { return data_ != nullptr; }

    int CompressionQuality() const { return quality_; }
    void SetCompressionQuality(int quality);
    bool ProgressiveEncoding() const { return progressive_; }
    void SetProgressiveEncoding(bool on) { progressive_ = on; }
    // True when the loaded data are greyscale or grey output was asked for.
    bool Grayscale() const;
    void SetGrayscale(bool on);
    TJPEGScale Scale() const { return scale_; }
    void SetScale(TJPEGScale scale);
    TJPEGPerformance Performance() const { return performance_; }
    void SetPerformance(TJPEGPerformance performance);
    bool Smoothing() const { return smoothing_; }
    void SetSmoothing(bool on);
    TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TJPEGPixelFormat format);

    // Header of the compressed data (all zero when there are none).
    const TJpegHeader& Header() const { return header_; }

private:
    void Decode(TBitmap& out) const;
    void DropDecoded();
    int ScaleDenom() const;

    // Mutable: filled on demand by const readers (decoding, encoding).
    mutable std::shared_ptr<const TJpegData> data_;
    mutable TJpegHeader header_;
    mutable std::shared_ptr<const TBitmap> bitmap_;

    int quality_ = kDefaultQuality;
    bool progressive_ = false;
    bool grayscale_ = false;
    TJPEGScale scale_ = TJPEGScale::jsFullSize;
    TJPEGPerformance performance_ = TJPEGPerformance::jpBestQuality;
    bool smoothing_ = true;
    TJPEGPixelFormat pixelFormat_ = TJPEGPixelFormat::jf24Bit;
};

}  // namespace pim

#include "graphics/RasterPage.h"

#include <cstring>

#include <zlib.h>

#include "graphics/Deflater.h"
#include "graphics/JpegCodec.h"

namespace pim {

void TRasterPixels::Allocate(int width, int height, int channels, int bits) {
    Width = width;
    Height = height;
    Channels = channels;
    Bits = bits;
    Data.assign(RowBytes() * static_cast<std::size_t>(height), Palette.empty() ? 0xFF : 0);
}

void CheckRasterSize(std::int64_t width, std::int64_t height, const char* kind) {
    if (width <= 0 || height <= 0) throw EInvalidGraphic(std::string(kind) + " image has no pixels", TFault::fDamaged);
    if (width > kMaxBitmapDimension || height > kMaxBitmapDimension ||
        DibRowBytes(width, 24) * height > BitmapMemoryLimit())
        throw EInvalidGraphic(std::string(kind) + " dimensions exceed the limit (" + std::to_string(width) + " x " +
                                  std::to_string(height) + ")",
                              TFault::fTooLarge);
}

void TRasterPage::LoadFromStream(TStream& /*stream*/) {
    throw EInvalidGraphicOperation("a raster page is made by its file's reader");
}

void TRasterPage::SaveToStream(TStream& stream) const {
    if (source_) {
        const std::unique_ptr<TStream> in = source_->Open();
        in->SetPosition(offset_);
        stream.CopyFrom(*in, size_);
    } else if (bytes_) {
        stream.Write(bytes_->data(), bytes_->size());
    }
}

TRasterPage TRasterPage::FromPixels(const TRasterPixels& pixels) {
    TRasterPage page;
    page.coding_ = TRasterCoding::rcFlate;
    page.width_ = pixels.Width;
    page.height_ = pixels.Height;
    page.colors_ = pixels.Channels;
    page.bits_ = pixels.Bits;
    page.palette_ = pixels.Palette;
    page.Damage = pixels.Damage;
    TDeflater deflater(pixels.Data.size());
    deflater.Add(pixels.Data.data(), pixels.Data.size(), true);
    page.bytes_ = std::make_shared<const std::vector<std::uint8_t>>(deflater.Take());
    return page;
}

TRasterPage TRasterPage::FromFileRange(TRasterCoding coding, int width, int height,
                                       std::shared_ptr<const TPngSource> source, std::int64_t offset,
                                       std::int64_t size) {
    TRasterPage page;
    page.coding_ = coding;
    page.width_ = width;
    page.height_ = height;
    page.bits_ = coding == TRasterCoding::rcCcitt ? 1 : 8;
    page.source_ = std::move(source);
    page.offset_ = offset;
    page.size_ = size;
    return page;
}

void TRasterPage::AssignTo(TBitmap& dest) const {
    TMemoryStream data;
    SaveToStream(data);
    if (coding_ == TRasterCoding::rcDct) {
        data.SetPosition(0);
        TJpegDecodeOptions options;
        DecodeJpeg(data, options, dest);
        return;
    }
    if (coding_ != TRasterCoding::rcFlate) throw EInvalidGraphicOperation("fax data are not decoded here");
    TRasterPixels pixels;
    pixels.Palette = palette_;
    pixels.Allocate(width_, height_, colors_, bits_);
    uLongf size = static_cast<uLongf>(pixels.Data.size());
    if (uncompress(pixels.Data.data(), &size, data.Memory(), static_cast<uLong>(data.Size())) != Z_OK)
        throw EInvalidGraphic("the page's data do not inflate", TFault::fDamaged);
    RasterPixelsToBitmap(pixels, dest);
}

void RasterPixelsToBitmap(const TRasterPixels& pixels, TBitmap& dest) {
    TBitmap bitmap(pixels.Width, pixels.Height, TPixelFormat::pf24bit);
    const std::size_t rowBytes = pixels.RowBytes();
    for (int y = 0; y < pixels.Height; ++y) {
        const std::uint8_t* in = pixels.Data.data() + rowBytes * static_cast<std::size_t>(y);
        std::uint8_t* out = bitmap.ScanLine(y);
        for (int x = 0; x < pixels.Width; ++x, out += 3) {
            if (pixels.Bits == 1) {
                out[0] = out[1] = out[2] = (in[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
            } else if (!pixels.Palette.empty()) {
                const std::size_t i = in[x];
                const TPaletteEntry c = i < pixels.Palette.size() ? pixels.Palette[i] : TPaletteEntry{0, 0, 0, 0};
                out[0] = c.peBlue;
                out[1] = c.peGreen;
                out[2] = c.peRed;
            } else if (pixels.Channels == 1) {
                out[0] = out[1] = out[2] = in[x];
            } else {
                out[0] = in[3 * x + 2];
                out[1] = in[3 * x + 1];
                out[2] = in[3 * x];
            }
        }
    }
    dest = std::move(bitmap);
}

}  // namespace pim

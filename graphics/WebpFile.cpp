#include "graphics/WebpFile.h"

#include <cstring>

#include <webp/decode.h>

#include "graphics/PictureBytes.h"

namespace pim {

namespace {

[[noreturn]] void Invalid(const std::string& reason, TFault fault = TFault::fDamaged) {
    throw EInvalidGraphic("WebP image is not valid: " + reason, fault);
}

struct TIDecoderCloser {
    void operator()(WebPIDecoder* decoder) const { WebPIDelete(decoder); }
};

}  // namespace

TWebpPicture DecodeWebp(const std::uint8_t* data, std::size_t size) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WEBP", 4) != 0)
        Invalid("not a WebP file", TFault::fNotItsKind);
    WebPBitstreamFeatures features{};
    const VP8StatusCode status = WebPGetFeatures(data, size, &features);
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) Invalid("the file ends in its header", TFault::fCutOff);
    if (status == VP8_STATUS_UNSUPPORTED_FEATURE) Invalid("a feature libwebp does not read", TFault::fUnsupported);
    if (status != VP8_STATUS_OK) Invalid("its header is damaged");
    if (features.has_animation) Invalid("an animated WebP file", TFault::fUnsupported);
    CheckRasterSize(features.width, features.height, "WebP");

    TWebpPicture picture;
    picture.Lossy = features.format == 1 && !features.has_alpha;
    TRasterPixels& pixels = picture.Pixels;
    pixels.Allocate(features.width, features.height, 3, 8);
    std::unique_ptr<WebPIDecoder, TIDecoderCloser> decoder(WebPINewRGB(MODE_RGBA, nullptr, 0, 0));
    if (!decoder) Invalid("out of memory", TFault::fOutOfMemory);
    const VP8StatusCode result = WebPIUpdate(decoder.get(), data, size);
    int rows = 0, width = 0, height = 0, stride = 0;
    const std::uint8_t* rgba = WebPIDecGetRGB(decoder.get(), &rows, &width, &height, &stride);
    if (result != VP8_STATUS_OK && result != VP8_STATUS_SUSPENDED) rows = 0;
    if (!rgba || width != features.width || height != features.height) rows = 0;
    if (rows <= 0 && result != VP8_STATUS_OK)
        Invalid(result == VP8_STATUS_SUSPENDED ? "the file ends before its picture does" : "its image data are damaged",
                result == VP8_STATUS_SUSPENDED ? TFault::fCutOff : TFault::fDamaged);
    for (int y = 0; y < rows; ++y) {
        const std::uint8_t* in = rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
        std::uint8_t* out = pixels.Data.data() + static_cast<std::size_t>(y) * pixels.RowBytes();
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            const int a = in[3];
            for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((in[c] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    if (result != VP8_STATUS_OK)
        pixels.Damage = std::string(result == VP8_STATUS_SUSPENDED
                                        ? "the WebP file ends before its picture does (the file is cut off)"
                                        : "the WebP image data are damaged") +
                        "; the page shows the first " + std::to_string(rows) + " rows";
    return picture;
}

TWebpPicture DecodeWebpFile(const std::string& fileName) {
    TMemoryStream bytes;
    LoadPictureBytes(fileName, bytes, "WebP");
    return DecodeWebp(bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

}  // namespace pim

#include "graphics/GifFile.h"

#include <algorithm>
#include <cstring>

#include <gif_lib.h>

#include "graphics/PictureBytes.h"

namespace pim {

namespace {

// An LZW code of at least 3 bits makes a string of at most 4,096 bytes.
constexpr std::int64_t kMaxExpansion = 3000;

[[noreturn]] void Invalid(const std::string& reason, TFault fault = TFault::fDamaged) {
    throw EInvalidGraphic("GIF image is not valid: " + reason, fault);
}

struct TGifInput {
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t At = 0;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int count) {
    auto* in = static_cast<TGifInput*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), in->Size - in->At);
    std::memcpy(buffer, in->Data + in->At, n);
    in->At += n;
    return static_cast<int>(n);
}

struct TGifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

}  // namespace

TRasterPixels DecodeGif(const std::uint8_t* data, std::size_t size) {
    TGifInput input{data, size};
    int error = 0;
    std::unique_ptr<GifFileType, TGifCloser> gif(DGifOpen(&input, ReadInput, &error));
    if (!gif) {
        if (size < 6 || std::memcmp(data, "GIF", 3) != 0) Invalid("not a GIF file", TFault::fNotItsKind);
        const bool cutOff = error == D_GIF_ERR_READ_FAILED || input.At >= size;
        Invalid(cutOff ? "the file ends in its header" : GifErrorString(error),
                cutOff ? TFault::fCutOff : TFault::fDamaged);
    }
    int transparent = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            Invalid("the file ends before its first picture", TFault::fCutOff);
        if (record == TERMINATE_RECORD_TYPE) Invalid("the file holds no picture");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                Invalid("a damaged extension", TFault::fCutOff);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 && (block[1] & 1)) transparent = block[4];
            while (block)
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    Invalid("a damaged extension", TFault::fCutOff);
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) Invalid("a damaged image descriptor");
        break;
    }
    const GifImageDesc& frame = gif->Image;
    // A screen smaller than its first frame (or none) takes the frame's size.
    const int width = std::max<int>(gif->SWidth, frame.Left + frame.Width);
    const int height = std::max<int>(gif->SHeight, frame.Top + frame.Height);
    CheckRasterSize(width, height, "GIF");
    if (frame.Width <= 0 || frame.Height <= 0) Invalid("the first picture has no pixels");
    const std::int64_t left = static_cast<std::int64_t>(size - input.At);
    if (static_cast<std::int64_t>(frame.Width) * frame.Height / kMaxExpansion > left)
        Invalid("far less data than the picture needs (a decompression bomb)");
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || map->ColorCount <= 0) Invalid("no colour table");

    TRasterPixels pixels;
    for (int i = 0; i < map->ColorCount; ++i)
        pixels.Palette.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 0});
    if (transparent >= 0 && transparent < map->ColorCount)
        pixels.Palette[static_cast<std::size_t>(transparent)] = {255, 255, 255, 0};
    // The index that shows white where no pixel is given.
    int white = transparent >= 0 && transparent < map->ColorCount ? transparent : -1;
    for (int i = 0; white < 0 && i < map->ColorCount; ++i)
        if (pixels.Palette[static_cast<std::size_t>(i)] == TPaletteEntry{255, 255, 255, 0}) white = i;
    if (white < 0 && pixels.Palette.size() < 256) {
        white = static_cast<int>(pixels.Palette.size());
        pixels.Palette.push_back({255, 255, 255, 0});
    }
    if (white < 0) white = 0;  // a full palette without white: uncovered parts take the first colour
    pixels.Allocate(width, height, 1, 8);
    std::fill(pixels.Data.begin(), pixels.Data.end(), static_cast<std::uint8_t>(white));

    std::vector<GifPixelType> row(static_cast<std::size_t>(frame.Width));
    const auto rowAt = [&](int n) {
        if (!frame.Interlace) return n;
        // Four passes: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
        const int h = frame.Height;
        const int p1 = (h + 7) / 8, p2 = (h + 3) / 8, p3 = (h + 1) / 4;
        if (n < p1) return n * 8;
        if (n < p1 + p2) return (n - p1) * 8 + 4;
        if (n < p1 + p2 + p3) return (n - p1 - p2) * 4 + 2;
        return (n - p1 - p2 - p3) * 2 + 1;
    };
    for (int n = 0; n < frame.Height; ++n) {
        if (DGifGetLine(gif.get(), row.data(), frame.Width) == GIF_ERROR) {
            const bool cutOff = input.At >= size;
            pixels.Damage = std::string(cutOff ? "the GIF file ends before its picture does (the file is cut off)"
                                               : "the GIF image data are damaged") +
                            "; the page shows the rows before row " + std::to_string(n + 1) +
                            (frame.Interlace ? " of the interlaced picture" : "");
            break;
        }
        const int y = frame.Top + rowAt(n);
        std::uint8_t* out = pixels.Data.data() + static_cast<std::size_t>(y) * pixels.RowBytes() + frame.Left;
        for (int x = 0; x < frame.Width; ++x) {
            // An index past the table is drawn as the first colour.
            out[x] = row[static_cast<std::size_t>(x)] < map->ColorCount ? row[static_cast<std::size_t>(x)] : 0;
        }
    }
    return pixels;
}

TRasterPixels DecodeGifFile(const std::string& fileName) {
    TMemoryStream bytes;
    LoadPictureBytes(fileName, bytes, "GIF");
    return DecodeGif(bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
}

}  // namespace pim

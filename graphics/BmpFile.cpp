#include "graphics/BmpFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

namespace pim {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::int64_t kCoreHeaderSize = 12;
constexpr std::int64_t kInfoHeaderSize = 40;

[[noreturn]] void Invalid(const char* reason, TFault fault = TFault::fDamaged) {
    throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + reason, fault);
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// What a file says that is not so, and how it was read anyway: the sentences
// of the run's warning, in the order met.
class TNotes {
public:
    void Add(const std::string& note) { text_ += (text_.empty() ? "" : "; ") + note; }
    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

std::string Num(std::int64_t v) { return std::to_string(v); }

void ReadExact(TStream& stream, void* buffer, std::size_t count) {
    if (count == 0) return;  // an empty vector's buffer may be null
    if (stream.Read(buffer, count) != count) Invalid("the file is truncated", TFault::fCutOff);
}

struct Header {
    std::int64_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // positive; topDown tells the row order
    bool topDown = false;
    int bits = 0;  // 0 until a bit count the header gives wrongly is found from the data's size
    int statedBits = 0;
    int planes = 1;
    std::uint32_t compression = kBiRgb;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    std::int32_t pixelsPerMetreX = 0;  // 0 (and the core header): not stated
    std::int32_t pixelsPerMetreY = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    bool core = false;
};

// One colour channel described by a bit mask.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m) {
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    std::uint8_t Of(std::uint32_t pixel) const {
        const std::uint64_t v = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

bool Contiguous(std::uint32_t mask) {
    if (mask == 0) return false;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

Header ReadHeader(TStream& stream, std::int64_t available, TNotes& notes) {
    std::uint8_t size[4];
    ReadExact(stream, size, 4);
    Header h;
    h.headerSize = U32(size);
    if (h.headerSize != kCoreHeaderSize && h.headerSize != kInfoHeaderSize && h.headerSize != 52 &&
        h.headerSize != 56 && h.headerSize != 108 && h.headerSize != 124)
        Invalid("unsupported header", TFault::fUnsupported);
    if (h.headerSize > available - kFileHeaderSize) Invalid("the file is truncated", TFault::fCutOff);
    std::uint8_t b[124] = {};
    ReadExact(stream, b + 4, static_cast<std::size_t>(h.headerSize - 4));

    if (h.headerSize == kCoreHeaderSize) {
        h.core = true;
        h.width = U16(b + 4);
        h.height = U16(b + 6);
        h.planes = U16(b + 8);
        h.bits = U16(b + 10);
    } else {
        h.width = static_cast<std::int32_t>(U32(b + 4));
        const auto height = static_cast<std::int32_t>(U32(b + 8));
        h.topDown = height < 0;
        h.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        h.planes = U16(b + 12);
        h.bits = U16(b + 14);
        h.compression = U32(b + 16);
        h.sizeImage = U32(b + 20);
        h.pixelsPerMetreX = static_cast<std::int32_t>(U32(b + 24));
        h.pixelsPerMetreY = static_cast<std::int32_t>(U32(b + 28));
        h.clrUsed = U32(b + 32);
        if (h.headerSize >= 52) {
            h.masks[0] = U32(b + 40);
            h.masks[1] = U32(b + 44);
            h.masks[2] = U32(b + 48);
        }
    }
    if (h.width <= 0 || h.height <= 0) Invalid("bad dimensions");
    if (h.width > kMaxBitmapDimension || h.height > kMaxBitmapDimension)
        throw EInvalidGraphic("Bitmap dimensions exceed the limit", TFault::fTooLarge);

    // The Windows loader reads every file as one plane.
    if (h.planes != 1) notes.Add("the plane count is " + Num(h.planes) + ", not 1; read as one plane");
    h.statedBits = h.bits;
    switch (h.compression) {
        case kBiRgb:
            if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) h.bits = 0;
            break;
        case kBiRle8:
        case kBiRle4:
            // The compression allows only one bit count.
            if (h.bits != (h.compression == kBiRle8 ? 8 : 4)) {
                h.bits = h.compression == kBiRle8 ? 8 : 4;
                notes.Add("the bit count is " + Num(h.statedBits) + " for RLE" + Num(h.bits) + " data; read as " +
                          Num(h.bits) + " bits");
            }
            if (h.topDown) Invalid("top-down RLE", TFault::fUnsupported);
            break;
        case kBiBitfields:
        case kBiAlphaBitfields:
            if (h.bits != 16 && h.bits != 32) h.bits = 0;
            break;
        default: Invalid("unsupported compression", TFault::fUnsupported);
    }
    return h;
}

TPixelFormat FormatOf(const Header& h) {
    switch (h.bits) {
        case 1: return TPixelFormat::pf1bit;
        case 4: return TPixelFormat::pf4bit;
        case 8: return TPixelFormat::pf8bit;
        case 24: return TPixelFormat::pf24bit;
        default: break;
    }
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    const std::uint32_t r = h.masks[0], g = h.masks[1], b = h.masks[2];
    if (h.bits == 16) {
        if (!fields || (r == 0x7C00 && g == 0x03E0 && b == 0x001F)) return TPixelFormat::pf15bit;
        if (r == 0xF800 && g == 0x07E0 && b == 0x001F) return TPixelFormat::pf16bit;
        return TPixelFormat::pf24bit;
    }
    if (!fields || (r == 0xFF0000 && g == 0x00FF00 && b == 0x0000FF)) return TPixelFormat::pf32bit;
    return TPixelFormat::pf24bit;
}

// Rows stored in the file with their own padding; `fileRow` counts from the
// first row stored.
void ReadUncompressed(TStream& stream, const Header& h, TBitmap& bmp) {
    const std::int64_t fileRowBytes = DibRowBytes(h.width, h.bits);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(fileRowBytes));
    const bool direct = bmp.PixelFormat() != TPixelFormat::pf24bit || h.bits == 24;
    const Channel r(h.masks[0] ? h.masks[0] : 1), g(h.masks[1] ? h.masks[1] : 1), b(h.masks[2] ? h.masks[2] : 1);
    for (std::int64_t fileRow = 0; fileRow < h.height; ++fileRow) {
        const int y = static_cast<int>(h.topDown ? fileRow : h.height - 1 - fileRow);
        std::uint8_t* dst = bmp.ScanLine(y);
        if (direct) {
            ReadExact(stream, dst, static_cast<std::size_t>(fileRowBytes));
            continue;
        }
        // Unusual bit fields: expanded to 24 bits.
        ReadExact(stream, row.data(), row.size());
        for (std::int64_t x = 0; x < h.width; ++x) {
            const std::uint32_t px = h.bits == 16 ? U16(&row[2 * x]) : U32(&row[4 * x]);
            dst[3 * x] = b.Of(px);
            dst[3 * x + 1] = g.Of(px);
            dst[3 * x + 2] = r.Of(px);
        }
    }
}

// Run-length data; y counts from the bottom row. Pixels outside the bitmap
// are dropped; a missing end-of-bitmap marker ends the picture where the
// data end, as the Windows loader does. Returns whether the data ran past
// the picture: past its rows, or past the stored row's padding (which
// encoders fill as if it were pixels).
bool DecodeRle(const std::vector<std::uint8_t>& data, const Header& h, TBitmap& bmp) {
    const bool four = h.compression == kBiRle4;
    std::int64_t x = 0, y = 0;
    std::size_t i = 0;
    bool outside = false;
    const std::int64_t stored = DibRowBytes(h.width, h.bits) * 8 / h.bits;
    auto put = [&](unsigned index) {
        outside = outside || x >= stored || y >= h.height;
        if (x < h.width && y < h.height) {
            std::uint8_t* row = bmp.ScanLine(static_cast<int>(h.height - 1 - y));
            if (!four) {
                row[x] = static_cast<std::uint8_t>(index);
            } else if (x & 1) {
                row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
            } else {
                row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
            }
        }
        ++x;
    };
    while (i + 2 <= data.size() && y < h.height) {
        const unsigned count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k) put(four ? ((k & 1) ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return outside;
        } else if (value == 2) {
            if (i + 2 > data.size()) Invalid("the RLE data are truncated", TFault::fCutOff);
            x += data[i];
            y += data[i + 1];
            i += 2;
            outside = outside || x > stored || y >= h.height;
        } else {
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t{1};
            if (i + bytes > data.size()) Invalid("the RLE data are truncated", TFault::fCutOff);
            for (unsigned k = 0; k < value; ++k) {
                const std::uint8_t byte = data[i + (four ? k / 2 : k)];
                put(four ? ((k & 1) ? byte & 0x0F : byte >> 4) : byte);
            }
            i = std::min(data.size(), i + padded);
        }
    }
    return outside;
}

// Palette entries the file holds for `bits` per pixel.
std::int64_t PaletteCount(const Header& h, int bits) {
    const std::int64_t full = std::int64_t{1} << bits;
    return h.clrUsed == 0 ? full : std::min<std::int64_t>(h.clrUsed, full);
}

// A bit count the header gives wrongly, found from the pixel data: the one
// count the compression allows whose rows fill the bytes from the pixel
// offset to the file's end, less than a row left over (and whose palette
// fits before the offset). 0 when none or several do.
int BitsFromDataSize(const Header& h, std::int64_t offBits, std::int64_t tableStart, std::int64_t available) {
    if (offBits < tableStart || offBits >= available) return 0;
    const std::int64_t size = available - offBits;
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    int found = 0;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        if (fields && bits != 16 && bits != 32) continue;
        if (bits <= 8 && tableStart + PaletteCount(h, bits) * (h.core ? 3 : 4) > offBits) continue;
        const std::int64_t row = DibRowBytes(h.width, bits), need = row * h.height;
        if (need > size || size - need >= row) continue;
        if (found) return 0;
        found = bits;
    }
    return found;
}

// Whether pixels of an indexed bitmap use entries past its palette.
bool IndexPastPalette(const TBitmap& bmp) {
    const int bits = BitsPerPixel(bmp.PixelFormat());
    const std::size_t count = bmp.Palette().size();
    if (count >= (std::size_t{1} << bits)) return false;
    for (int y = 0; y < bmp.Height(); ++y) {
        const std::uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < bmp.Width(); ++x) {
            const unsigned index = bits == 8   ? row[x]
                                   : bits == 4 ? (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15
                                               : (row[x / 8] >> (7 - x % 8)) & 1;
            if (index >= count) return true;
        }
    }
    return false;
}

}  // namespace

std::string ReadBmp(TStream& stream, TBitmap& bitmap) {
    const std::int64_t start = stream.Position();
    const std::int64_t available = stream.Size() - start;
    if (available <= 0) Invalid("the file is empty", TFault::fNotItsKind);

    std::uint8_t fileHeader[kFileHeaderSize];
    ReadExact(stream, fileHeader, sizeof fileHeader);
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') Invalid("not a BMP file", TFault::fNotItsKind);
    const std::int64_t fileSize = U32(fileHeader + 2);
    const std::int64_t offBits = U32(fileHeader + 10);

    TNotes notes;
    if (fileSize != available)
        notes.Add("the file header gives the file's size as " + Num(fileSize) + " bytes; it has " + Num(available));
    Header h = ReadHeader(stream, available, notes);
    std::int64_t pos = kFileHeaderSize + h.headerSize;

    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (fields && h.headerSize == kInfoHeaderSize) {
        // The masks follow a plain info header.
        const std::size_t n = h.compression == kBiAlphaBitfields ? 16 : 12;
        std::uint8_t m[16];
        ReadExact(stream, m, n);
        h.masks[0] = U32(m), h.masks[1] = U32(m + 4), h.masks[2] = U32(m + 8);
        pos += static_cast<std::int64_t>(n);
    }
    if (h.bits == 0) {
        h.bits = BitsFromDataSize(h, offBits, pos, available);
        if (h.bits == 0)
            Invalid(fields ? "bit fields with a wrong bit count" : "unsupported bit count",
                    fields ? TFault::fDamaged : TFault::fUnsupported);
        notes.Add("the bit count is " + Num(h.statedBits) + ", which BMP does not have; read as " + Num(h.bits) +
                  " bits, the size of its pixel data");
    }
    if (fields) {
        for (std::uint32_t mask : h.masks)
            if (!Contiguous(mask)) Invalid("bad bit fields");
        if ((h.masks[0] & h.masks[1]) || (h.masks[0] & h.masks[2]) || (h.masks[1] & h.masks[2]))
            Invalid("bad bit fields");
        if (h.bits == 16 && ((h.masks[0] | h.masks[1] | h.masks[2]) >> 16)) Invalid("bad bit fields");
    }

    std::vector<TPaletteEntry> palette;
    if (h.bits <= 8) {
        const std::int64_t entrySize = h.core ? 3 : 4;
        std::int64_t count = PaletteCount(h, h.bits);
        // Some OS/2 files store fewer entries than their depth allows; the
        // pixel offset tells.
        if (h.core && offBits > pos && offBits < pos + count * entrySize) count = (offBits - pos) / entrySize;
        if (pos + count * entrySize > available) Invalid("the file is truncated", TFault::fCutOff);
        std::vector<std::uint8_t> raw(static_cast<std::size_t>(count * entrySize));
        ReadExact(stream, raw.data(), raw.size());
        for (std::int64_t i = 0; i < count; ++i) {
            const std::uint8_t* e = &raw[static_cast<std::size_t>(i * entrySize)];
            palette.push_back({e[2], e[1], e[0], 0});
        }
        pos += count * entrySize;
    }

    // The pixels start where the file header says, when that is past the
    // headers and the palette and inside the file; otherwise right after the
    // palette, as readers that follow the header's fields take them.
    const std::int64_t dataPos = offBits >= pos && offBits < available ? offBits : pos;
    if (dataPos != offBits) {
        const std::string end =
            std::string(h.bits <= 8 ? "the end of the palette" : "the end of the headers") + " (byte " + Num(pos) + ")";
        notes.Add("the pixel offset " + Num(offBits) +
                  (offBits < pos ? " points before " + end + "; the pixels are read from there"
                                 : " lies past the end of the file; the pixels are read from " + end));
    }
    const std::int64_t dataAvailable = available - dataPos;
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    const std::int64_t dataSize =
        rle ? (h.sizeImage ? h.sizeImage : dataAvailable) : DibRowBytes(h.width, h.bits) * h.height;
    if (dataSize > dataAvailable) Invalid("the file is truncated", TFault::fCutOff);
    stream.SetPosition(start + dataPos);

    // Everything the file claims is there; only now is memory taken.
    TBitmap bmp(static_cast<int>(h.width), static_cast<int>(h.height), FormatOf(h));
    if (h.bits <= 8) bmp.SetPalette(std::move(palette));
    if (rle) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(dataSize));
        ReadExact(stream, data.data(), data.size());
        if (DecodeRle(data, h, bmp))
            notes.Add("the RLE data run past the picture's edge; what lies outside is left out");
    } else {
        ReadUncompressed(stream, h, bmp);
    }
    if (h.bits <= 8 && IndexPastPalette(bmp))
        notes.Add("pixels use colours past the palette's " + Num(static_cast<std::int64_t>(bmp.Palette().size())) +
                  " entries; they show black");
    bmp.SetDensity(DensityPerUnit(h.pixelsPerMetreX, h.pixelsPerMetreY, 3));
    bitmap = std::move(bmp);
    return notes.Take();
}

std::string LoadBmpFile(const std::string& fileName, TBitmap& bitmap) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    return ReadBmp(stream, bitmap);
}

void WriteBmp(TStream& stream, const TBitmap& bitmap) {
    TPixelFormat format = bitmap.PixelFormat();
    if (format == TPixelFormat::pfDevice) format = TPixelFormat::pf24bit;
    const int bits = BitsPerPixel(format);
    const bool fields = format == TPixelFormat::pf16bit;

    std::vector<TPaletteEntry> palette;
    if (IsIndexed(format)) {
        palette = bitmap.Palette();
        if (palette.empty()) palette.resize(std::size_t{1} << bits);
    }
    const std::int64_t rowBytes = bitmap.RowBytes();
    const std::int64_t extra = fields ? 12 : static_cast<std::int64_t>(palette.size()) * 4;
    const std::int64_t offBits = kFileHeaderSize + kInfoHeaderSize + extra;
    const std::int64_t imageSize = rowBytes * bitmap.Height();
    const std::int64_t fileSize = offBits + imageSize;

    std::vector<std::uint8_t> head;
    auto u16 = [&](unsigned v) { head.push_back(v & 0xFF), head.push_back((v >> 8) & 0xFF); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    head.push_back('B'), head.push_back('M');
    u32(static_cast<std::uint32_t>(fileSize));
    u32(0);
    u32(static_cast<std::uint32_t>(offBits));
    u32(kInfoHeaderSize);
    u32(static_cast<std::uint32_t>(bitmap.Width()));
    u32(static_cast<std::uint32_t>(bitmap.Height()));
    u16(1);
    u16(static_cast<unsigned>(bits));
    u32(fields ? kBiBitfields : kBiRgb);
    u32(static_cast<std::uint32_t>(imageSize));
    u32(2835), u32(2835);  // 72 dots per inch
    const bool fullPalette = palette.size() == (std::size_t{1} << bits);
    u32(IsIndexed(format) && !fullPalette ? static_cast<std::uint32_t>(palette.size()) : 0);
    u32(0);
    if (fields) u32(0xF800), u32(0x07E0), u32(0x001F);
    for (const TPaletteEntry& e : palette) head.insert(head.end(), {e.peBlue, e.peGreen, e.peRed, 0});
    stream.Write(head.data(), head.size());

    for (int y = bitmap.Height() - 1; y >= 0; --y) stream.Write(bitmap.ScanLine(y), static_cast<std::size_t>(rowBytes));
}

}  // namespace pim

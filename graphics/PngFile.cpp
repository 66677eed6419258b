#include "graphics/PngFile.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include <png.h>
#include <zlib.h>

// libpng reports fatal errors through a callback that must not return. C++
// exceptions cannot travel through the library's C frames, so the callback
// jumps back with longjmp to a setjmp taken in a small function around each
// library call (the Guarded functions below), whose frames own nothing that
// needs a destructor; the exception is raised after the jump has landed.

namespace pim {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr std::size_t kBlock = 1 << 16;
// Deflate cannot make more than about 1,032 bytes of one compressed byte,
// nor need much more than a stored copy of the data plus its block headers;
// the margins leave every real encoder well inside both.
constexpr std::int64_t kMaxInflateRatio = 1032;
constexpr std::int64_t kShortSlack = 64 * 1024;
constexpr std::int64_t kLongSlack = 4 * 1024;

// Why a page shows less than its picture, or not the file's own data: the
// run's warnings.
constexpr const char* kShortData = "the PNG image data end before the picture does; the page shows only what is there";
constexpr const char* kUnendedData =
    "the PNG image data stop before their compressed stream ends; the page shows the rows they hold";
constexpr const char* kBadChecksum =
    "the PNG image data do not match their checksum (Adler-32); the page shows what they decode to";
constexpr const char* kExtraData = "the PNG image data hold more than the picture; the page shows the picture";

std::string Damaged(const std::string& why) {
    return "the PNG image data are damaged (" + why + "); the page shows what could be decoded";
}

[[noreturn]] void Invalid(const std::string& reason, TFault fault = TFault::fDamaged) {
    throw EInvalidGraphic("PNG image is not valid: " + reason, fault);
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void PutBigEndian32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

std::uint32_t Crc(std::uint32_t crc, const void* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32(crc, static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

std::size_t ReadUpTo(TStream& source, void* buffer, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const std::size_t n = source.Read(static_cast<char*>(buffer) + got, count - got);
        if (n == 0) break;
        got += n;
    }
    return got;
}

bool IsLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool ValidDepth(int colorType, int depth) {
    switch (colorType) {
        case pctGrey: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case pctPalette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case pctRGB:
        case pctGreyAlpha:
        case pctRGBA: return depth == 8 || depth == 16;
        default: return false;
    }
}

std::int64_t PackedRowBytes(std::int64_t width, int bitsPerPixel) { return (width * bitsPerPixel + 7) / 8; }

void ReadHeader(TPngStructure& png, const std::uint8_t* d) {
    const std::uint32_t width = BigEndian32(d), height = BigEndian32(d + 4);
    if (width == 0 || height == 0 || width > kMaxChunkLength || height > kMaxChunkLength) Invalid("bad dimensions");
    if (!ValidDepth(d[9], d[8])) Invalid("bad bit depth or colour type");
    if (d[10] != 0 || d[11] != 0 || d[12] > 1)
        Invalid("unknown compression, filter or interlace method", TFault::fUnsupported);
    if (width > kMaxBitmapDimension || height > kMaxBitmapDimension ||
        DibRowBytes(width, 24) * static_cast<std::int64_t>(height) > BitmapMemoryLimit())
        throw EInvalidGraphic("PNG dimensions exceed the limit", TFault::fTooLarge);
    png.Width = static_cast<int>(width);
    png.Height = static_cast<int>(height);
    png.BitDepth = d[8];
    png.ColorType = d[9];
    png.Interlaced = d[12] == 1;
}

// The chunks libpng is given: made here (signature, header, palette,
// transparency, a cut-off tail, end) or read from the source (whole IDAT
// chunks, their CRCs included).
class TPngFeed {
public:
    TPngFeed(const TPngStructure& png, TStream& source, std::int64_t start) : source_(&source) {
        Add(kSignature, sizeof kSignature);
        std::uint8_t ihdr[13];
        PutBigEndian32(ihdr, static_cast<std::uint32_t>(png.Width));
        PutBigEndian32(ihdr + 4, static_cast<std::uint32_t>(png.Height));
        ihdr[8] = static_cast<std::uint8_t>(png.BitDepth);
        ihdr[9] = static_cast<std::uint8_t>(png.ColorType);
        ihdr[10] = ihdr[11] = 0;
        ihdr[12] = png.Interlaced ? 1 : 0;
        AddChunk("IHDR", ihdr, sizeof ihdr);
        if (png.ColorType == pctPalette) {
            std::vector<std::uint8_t> plte;
            for (const TPaletteEntry& e : png.Palette) plte.insert(plte.end(), {e.peRed, e.peGreen, e.peBlue});
            AddChunk("PLTE", plte.data(), plte.size());
        }
        if (!png.Transparency.empty()) AddChunk("tRNS", png.Transparency.data(), png.Transparency.size());
        for (const TPngRange& r : png.Idat) pieces_.push_back({{}, start + r.Offset - 8, r.Size + 12});
        if (!png.IdatTail.empty()) AddChunk("IDAT", png.IdatTail.data(), png.IdatTail.size());
        AddChunk("IEND", nullptr, 0);
    }

    std::size_t Read(std::uint8_t* out, std::size_t count) {
        std::size_t done = 0;
        while (done < count && current_ < pieces_.size()) {
            Piece& p = pieces_[current_];
            const std::int64_t size = p.bytes.empty() ? p.size : static_cast<std::int64_t>(p.bytes.size());
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - offset_, count - done));
            if (p.bytes.empty()) {
                source_->SetPosition(p.offset + offset_);
                if (ReadUpTo(*source_, out + done, n) != n) return done;  // the file shrank meanwhile
            } else {
                std::memcpy(out + done, p.bytes.data() + offset_, n);
            }
            done += n;
            offset_ += static_cast<std::int64_t>(n);
            if (offset_ == size) {
                ++current_;
                offset_ = 0;
            }
        }
        return done;
    }

private:
    struct Piece {
        std::vector<std::uint8_t> bytes;  // made here, or empty: a range of the source
        std::int64_t offset = 0;
        std::int64_t size = 0;
    };

    void Add(const std::uint8_t* data, std::size_t size) { pieces_.push_back({{data, data + size}, 0, 0}); }
    void AddChunk(const char* type, const std::uint8_t* data, std::size_t size) {
        std::vector<std::uint8_t> chunk(12 + size);
        PutBigEndian32(chunk.data(), static_cast<std::uint32_t>(size));
        std::memcpy(chunk.data() + 4, type, 4);
        if (size) std::memcpy(chunk.data() + 8, data, size);
        PutBigEndian32(chunk.data() + 8 + size, Crc(0, chunk.data() + 4, 4 + size));
        pieces_.push_back({std::move(chunk), 0, 0});
    }

    TStream* source_;
    std::vector<Piece> pieces_;
    std::size_t current_ = 0;
    std::int64_t offset_ = 0;
};

struct TPngError {
    std::jmp_buf jump;
    char message[200] = {};
};

void OnError(png_structp png, png_const_charp message) {
    auto* error = static_cast<TPngError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message ? message : "libpng error");
    std::longjmp(error->jump, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep data, png_size_t length) {
    auto* feed = static_cast<TPngFeed*>(png_get_io_ptr(png));
    // A stream that raises (a failed seek) must not unwind through libpng's
    // C frames: the cause is kept here and reported through libpng's own
    // error path once the exception is gone. This frame owns nothing but
    // the message, so the jump past it loses nothing.
    char failure[160] = {};
    std::size_t got = 0;
    try {
        got = feed->Read(data, length);
    } catch (const std::exception& e) {
        std::snprintf(failure, sizeof failure, "%s", e.what());
    } catch (...) {
        std::snprintf(failure, sizeof failure, "%s", "the stream failed");
    }
    if (failure[0]) png_error(png, failure);
    // Reading past the end is reported as libpng reports a short file.
    if (got != length) png_error(png, "Read Error");
}

struct TReadTransforms {
    int Passes = 1;
    std::size_t RowBytes = 0;
    int Channels = 0;
};

// Each Guarded function is the only frame between setjmp and libpng.
bool GuardedSetUp(png_structp png, png_infop info, TPngError& error, bool toRgb, TReadTransforms& out) {
    if (setjmp(error.jump)) return false;
    png_set_user_limits(png, kMaxBitmapDimension, kMaxBitmapDimension);
#ifdef PNG_IGNORE_ADLER32
    // Whether libpng meets the checksum depends on where the last row ends
    // in zlib's output; decoding never looks at it, so a wrong one never
    // costs the last row.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) == 16) png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (toRgb) png_set_gray_to_rgb(png);
    out.Passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.RowBytes = png_get_rowbytes(png, info);
    out.Channels = png_get_channels(png, info);
    return true;
}

bool GuardedReadRow(png_structp png, TPngError& error, png_bytep row) {
    if (setjmp(error.jump)) return false;
    png_read_row(png, row, nullptr);
    return true;
}

// Owns libpng's two structures.
class TPngReader {
public:
    explicit TPngReader(TPngError& error) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
        if (png_) info_ = png_create_info_struct(png_);
        if (!png_ || !info_) throw EInvalidGraphic("PNG image is not valid: out of memory", TFault::fOutOfMemory);
    }
    ~TPngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
    TPngReader(const TPngReader&) = delete;
    TPngReader& operator=(const TPngReader&) = delete;
    png_structp Png() const { return png_; }
    png_infop Info() const { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

// Samples with alpha (the last of `channels`) over the background, into
// `outChannels` (1 or 3) per pixel.
void Composite(const std::uint8_t* in, int channels, int width, const std::uint8_t bg[3], int outChannels,
               std::uint8_t* out) {
    const bool alpha = channels == 2 || channels == 4;
    const int colours = alpha ? channels - 1 : channels;
    for (int x = 0; x < width; ++x, in += channels, out += outChannels) {
        const unsigned a = alpha ? in[colours] : 255;
        for (int c = 0; c < outChannels; ++c) {
            const unsigned v = in[colours == 1 ? 0 : c];
            out[c] = static_cast<std::uint8_t>((v * a + bg[c] * (255 - a) + 127) / 255);
        }
    }
}

}  // namespace

int TPngStructure::Channels() const {
    switch (ColorType) {
        case pctGreyAlpha: return 2;
        case pctRGB: return 3;
        case pctRGBA: return 4;
        default: return 1;
    }
}

std::int64_t TPngStructure::RowBytes() const { return PackedRowBytes(Width, Channels() * BitDepth); }

std::int64_t TPngStructure::InflatedBytes() const {
    const int bits = Channels() * BitDepth;
    if (!Interlaced) return static_cast<std::int64_t>(Height) * (1 + PackedRowBytes(Width, bits));
    // Adam7: the starting column and row and the steps of the seven passes.
    static constexpr int kX0[7] = {0, 4, 0, 2, 0, 1, 0}, kY0[7] = {0, 0, 4, 0, 2, 0, 1};
    static constexpr int kDx[7] = {8, 8, 4, 4, 2, 2, 1}, kDy[7] = {8, 8, 8, 4, 4, 2, 2};
    std::int64_t total = 0;
    for (int p = 0; p < 7; ++p) {
        const std::int64_t w = (Width - kX0[p] + kDx[p] - 1) / kDx[p];
        const std::int64_t h = (Height - kY0[p] + kDy[p] - 1) / kDy[p];
        if (w > 0 && h > 0) total += h * (1 + PackedRowBytes(w, bits));
    }
    return total;
}

bool TPngStructure::Lossless() const {
    return !Interlaced && BitDepth <= 8 && Transparency.empty() && !CutOff &&
           (ColorType == pctGrey || ColorType == pctRGB || ColorType == pctPalette);
}

TPngStructure ReadPngStructure(TStream& source) {
    const std::int64_t available = source.Size() - source.Position();
    std::uint8_t head[8];
    if (ReadUpTo(source, head, 8) != 8 || std::memcmp(head, kSignature, 8) != 0)
        Invalid("not a PNG file", TFault::fNotItsKind);

    TPngStructure png;
    bool haveHeader = false, ended = false;
    std::vector<std::uint8_t> block(kBlock);
    std::int64_t pos = 8;
    while (!ended) {
        std::uint8_t h[8];
        if (ReadUpTo(source, h, 8) != 8) {
            png.CutOff = true;
            break;
        }
        pos += 8;
        const std::uint32_t length = BigEndian32(h);
        const std::string type(reinterpret_cast<const char*>(h + 4), 4);
        if (length > kMaxChunkLength) Invalid("bad chunk length");
        if (!std::all_of(h + 4, h + 8, IsLetter)) Invalid("bad chunk type");
        if (!haveHeader && type != "IHDR") Invalid("the first chunk is not IHDR");
        const bool idat = type == "IDAT";
        // The data of the chunks that describe the picture are kept; the rest
        // only pass through the CRC.
        // So are an IDAT chunk's when the file ends inside it.
        const bool keep = type == "IHDR" || type == "PLTE" || type == "tRNS" || type == "pHYs" ||
                          (idat && pos + static_cast<std::int64_t>(length) + 4 > available);
        if (keep && !idat && length > 3 * 256) Invalid("bad " + type + " chunk");
        std::vector<std::uint8_t> data;
        std::uint32_t crc = Crc(0, h + 4, 4);
        std::uint32_t left = length;
        while (left > 0) {
            const std::size_t want = std::min<std::size_t>(left, kBlock);
            const std::size_t got = ReadUpTo(source, block.data(), want);
            crc = Crc(crc, block.data(), got);
            if (keep) data.insert(data.end(), block.data(), block.data() + got);
            left -= static_cast<std::uint32_t>(got);
            if (got < want) break;
        }
        std::uint8_t stored[4];
        if (left > 0 || ReadUpTo(source, stored, 4) != 4) {
            // Cut off inside this chunk: image data that are there are kept,
            // unchecked, for what they still show.
            png.CutOff = true;
            if (idat && haveHeader) {
                png.IdatTail = std::move(data);
                png.IdatBytes += static_cast<std::int64_t>(png.IdatTail.size());
            }
            break;
        }
        if (BigEndian32(stored) != crc) Invalid("bad CRC in the " + type + " chunk");
        if (type == "IHDR") {
            if (haveHeader || length != 13) Invalid("bad IHDR chunk");
            ReadHeader(png, data.data());
            haveHeader = true;
        } else if (idat) {
            png.Idat.push_back({pos, length});
            png.IdatBytes += length;
        } else if (type == "PLTE") {
            if (length == 0 || length % 3 != 0) Invalid("bad PLTE chunk");
            if (png.ColorType == pctPalette) {
                if (static_cast<int>(length / 3) > (1 << png.BitDepth))
                    Invalid("more palette entries than the bit depth allows");
                png.Palette.clear();
                for (std::uint32_t i = 0; i < length; i += 3)
                    png.Palette.push_back({data[i], data[i + 1], data[i + 2], 0});
            }
        } else if (type == "tRNS") {
            const bool fits = png.ColorType == pctPalette ? !png.Palette.empty() && length <= png.Palette.size()
                              : png.ColorType == pctGrey  ? length == 2
                              : png.ColorType == pctRGB   ? length == 6
                                                          : true;
            if (!fits) Invalid("bad tRNS chunk");
            // A picture with an alpha channel needs no transparent colour.
            if (png.ColorType == pctPalette || png.ColorType == pctGrey || png.ColorType == pctRGB)
                png.Transparency = std::move(data);
        } else if (type == "pHYs") {
            // A unit of 0 gives only the pixels' aspect: no density.
            if (length == 9)
                png.Density =
                    DensityPerUnit(BigEndian32(data.data()), BigEndian32(data.data() + 4), data[8] == 1 ? 3 : 0);
        } else if (type == "IEND") {
            ended = true;
        } else if (type[0] >= 'A' && type[0] <= 'Z') {
            Invalid("unknown critical chunk " + type, TFault::fUnsupported);
        }
        pos += static_cast<std::int64_t>(length) + 4;
    }
    if (!haveHeader) Invalid("no IHDR chunk");
    if (png.ColorType == pctPalette && png.Palette.empty()) Invalid("no palette");
    if (png.IdatBytes == 0) Invalid("no image data");
    const std::int64_t inflated = png.InflatedBytes();
    if (png.IdatBytes > inflated + inflated / 8 + kLongSlack)
        Invalid("more compressed image data than the picture holds");
    if (!png.CutOff && png.IdatBytes * kMaxInflateRatio + kShortSlack < inflated)
        Invalid("the image data are too short for the picture's size");
    return png;
}

std::string CheckPngData(const TPngStructure& png, TStream& source, std::int64_t start) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) Invalid("out of memory", TFault::fOutOfMemory);
    struct TEnd {
        z_stream& z;
        ~TEnd() { inflateEnd(&z); }
    } end{z};
    const std::int64_t expected = png.InflatedBytes();
    const std::int64_t stride = 1 + png.RowBytes();
    std::vector<std::uint8_t> in(kBlock), out(kBlock);
    // Where the next row's filter byte is (rows of passes are not followed).
    std::int64_t produced = 0, filterAt = png.Interlaced ? expected : 0;
    std::int64_t compressed = 0, consumed = 0;
    for (const TPngRange& r : png.Idat) compressed += r.Size;
    int result = Z_OK;
    for (std::size_t i = 0; i < png.Idat.size() && result == Z_OK; ++i) {
        source.SetPosition(start + png.Idat[i].Offset);
        for (std::int64_t left = png.Idat[i].Size; left > 0 && result == Z_OK;) {
            const auto want = static_cast<std::size_t>(std::min<std::int64_t>(left, kBlock));
            source.ReadBuffer(in.data(), want);
            left -= static_cast<std::int64_t>(want);
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(want);
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(kBlock);
                result = inflate(&z, Z_NO_FLUSH);
                const std::int64_t got = static_cast<std::int64_t>(kBlock - z.avail_out);
                for (; filterAt < produced + got && filterAt < expected; filterAt += stride)
                    if (out[static_cast<std::size_t>(filterAt - produced)] > 4)
                        return Damaged("a row filter PNG does not have");
                produced += got;
                // Stopping here also bounds the work a zlib bomb can cause.
                if (produced > expected) return kExtraData;
                if (result == Z_BUF_ERROR) result = Z_OK;  // no progress: wants the next input
            } while (result == Z_OK && (z.avail_in > 0 || z.avail_out == 0));
            consumed += static_cast<std::int64_t>(want - z.avail_in);
        }
    }
    switch (result) {
        case Z_STREAM_END:
            if (produced < expected) return kShortData;
            return consumed < compressed ? kExtraData : std::string();
        case Z_OK: return produced < expected ? kShortData : kUnendedData;  // the data end inside the stream
        case Z_DATA_ERROR: {
            const std::string why = z.msg ? z.msg : "unknown error";
            if (why == "incorrect data check") return produced < expected ? kShortData : kBadChecksum;
            return Damaged(why);
        }
        case Z_NEED_DICT: return Damaged("a preset dictionary");
        default: Invalid("out of memory", TFault::fOutOfMemory);
    }
}

std::string DecodePng(const TPngStructure& png, TStream& source, std::int64_t start, TPaletteEntry background,
                      bool greyOutput, const TPngRowSink& sink) {
    TPngFeed feed(png, source, start);
    TPngError error;
    TPngReader reader(error);
    png_set_read_fn(reader.Png(), &feed, OnRead);
    const bool grey = greyOutput && png.IsGrey();
    const int outChannels = grey ? 1 : 3;
    TReadTransforms t;
    if (!GuardedSetUp(reader.Png(), reader.Info(), error, !grey, t)) Invalid(error.message);
    if (t.Channels < 1 || t.Channels > 4 || t.RowBytes != static_cast<std::size_t>(png.Width) * t.Channels)
        Invalid("unexpected sample layout");
    const std::uint8_t bg[3] = {background.peRed, background.peGreen, background.peBlue};
    std::vector<std::uint8_t> out(static_cast<std::size_t>(png.Width) * outChannels);
    // A row never decoded: transparent where there is alpha, else the
    // background itself.
    const bool alpha = t.Channels == 2 || t.Channels == 4;
    std::vector<std::uint8_t> blank(t.RowBytes, 0);
    if (!alpha)
        for (std::size_t i = 0; i < blank.size(); ++i) blank[i] = bg[t.Channels == 1 ? 0 : i % 3];

    // Data that stop early or are damaged give what they held.
    std::string damage;
    bool complete = true;
    const auto failed = [&] {
        const std::string message = error.message;
        damage = message == "Not enough image data" || message == "Read Error" ? kShortData : Damaged(message);
        complete = false;
    };
    if (t.Passes == 1) {
        std::vector<std::uint8_t> row(t.RowBytes);
        for (int y = 0; y < png.Height; ++y) {
            bool have = complete;
            if (complete && !GuardedReadRow(reader.Png(), error, row.data())) {
                failed();
                // libpng looks for the stream's end once the last row is
                // made: a failure there still leaves that row whole.
                have = png_get_current_row_number(reader.Png()) > static_cast<png_uint_32>(y);
                if (have && y == png.Height - 1 && damage == kShortData) damage = kUnendedData;
            }
            Composite(have ? row.data() : blank.data(), t.Channels, png.Width, bg, outChannels, out.data());
            sink(y, out.data());
        }
        return damage;
    }
    // Interlaced: every pass fills in rows of the whole picture.
    std::vector<std::uint8_t> image(t.RowBytes * static_cast<std::size_t>(png.Height));
    for (int y = 0; y < png.Height; ++y) std::memcpy(&image[y * t.RowBytes], blank.data(), t.RowBytes);
    for (int pass = 0; pass < t.Passes && complete; ++pass)
        for (int y = 0; y < png.Height && complete; ++y)
            if (!GuardedReadRow(reader.Png(), error, &image[y * t.RowBytes])) failed();
    for (int y = 0; y < png.Height; ++y) {
        Composite(&image[y * t.RowBytes], t.Channels, png.Width, bg, outChannels, out.data());
        sink(y, out.data());
    }
    return damage;
}

}  // namespace pim

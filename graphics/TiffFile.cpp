#include "graphics/TiffFile.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include <tiffio.h>

#include "base/FileSystem.h"
#include "graphics/FaxCodes.h"
#include "graphics/JpegCodec.h"

namespace pim {

namespace {

// Past this many pages the file is refused: no scanner makes one.
constexpr int kMaxPages = 10000;
// libtiff allocates no block larger than this for one page.
constexpr tmsize_t kMaxAllocation = tmsize_t{256} << 20;
// Decoded rows handed over by libtiff at a time, as 32-bit pixels.
constexpr std::int64_t kBandBytes = 4 << 20;

[[noreturn]] void Invalid(const std::string& reason, TFault fault = TFault::fDamaged) {
    throw EInvalidGraphic("TIFF image is not valid: " + reason, fault);
}

// The most bytes one compressed byte can make: PackBits 128 of 2, Deflate
// about 1,032, LZW a string of up to 4,096 bytes per 9- to 12-bit code.
// 0: no bound other than the bitmap ceiling (fax and JPEG data, whose
// pages are bounded by it; uncompressed data must simply be there).
std::int64_t MaxExpansion(int compression) {
    switch (compression) {
        case COMPRESSION_PACKBITS: return 64;
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE: return 1032;
        case COMPRESSION_LZW: return 3000;
        default: return 0;
    }
}

bool SupportedCompression(int compression) {
    switch (compression) {
        case COMPRESSION_NONE:
        case COMPRESSION_CCITTRLE:
        case COMPRESSION_CCITTFAX3:
        case COMPRESSION_CCITTFAX4:
        case COMPRESSION_LZW:
        case COMPRESSION_OJPEG:
        case COMPRESSION_JPEG:
        case COMPRESSION_ADOBE_DEFLATE:
        case COMPRESSION_DEFLATE:
        case COMPRESSION_PACKBITS: return true;
        default: return false;
    }
}

// libtiff over a stream; its first error is kept, warnings are dropped.
struct TTiffIo {
    TStream* Stream = nullptr;
    std::string Error;
};

tmsize_t ReadProc(thandle_t h, void* buffer, tmsize_t size) {
    try {
        return static_cast<tmsize_t>(static_cast<TTiffIo*>(h)->Stream->Read(buffer, static_cast<std::size_t>(size)));
    } catch (...) {
        return -1;
    }
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }
toff_t SeekProc(thandle_t h, toff_t offset, int whence) {
    try {
        const TSeekOrigin origin = whence == SEEK_SET   ? TSeekOrigin::soBeginning
                                   : whence == SEEK_CUR ? TSeekOrigin::soCurrent
                                                        : TSeekOrigin::soEnd;
        return static_cast<toff_t>(static_cast<TTiffIo*>(h)->Stream->Seek(static_cast<std::int64_t>(offset), origin));
    } catch (...) {
        return static_cast<toff_t>(-1);
    }
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) {
    try {
        return static_cast<toff_t>(static_cast<TTiffIo*>(h)->Stream->Size());
    } catch (...) {
        return 0;
    }
}
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int ErrorProc(TIFF*, void* user, const char* /*module*/, const char* format, va_list args) {
    auto* io = static_cast<TTiffIo*>(user);
    if (io->Error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        io->Error = text;
    }
    return 1;
}
int WarningProc(TIFF*, void*, const char*, const char*, va_list) { return 1; }

class TTiffHandle {
public:
    explicit TTiffHandle(TStream& stream) {
        io_.Stream = &stream;
        TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
        if (!options) Invalid("out of memory", TFault::fOutOfMemory);
        TIFFOpenOptionsSetErrorHandlerExtR(options, ErrorProc, &io_);
        TIFFOpenOptionsSetWarningHandlerExtR(options, WarningProc, &io_);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxAllocation);
        tif_ = TIFFClientOpenExt("TIFF", "rm", &io_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                 UnmapProc, options);
        TIFFOpenOptionsFree(options);
        if (!tif_) {
            std::uint8_t magic[4] = {};
            stream.SetPosition(0);
            const std::size_t n = stream.Read(magic, 4);
            const bool tiff = n == 4 && ((magic[0] == 'I' && magic[1] == 'I') || (magic[0] == 'M' && magic[1] == 'M'));
            if (!tiff) Invalid("not a TIFF file", TFault::fNotItsKind);
            Invalid(io_.Error.empty() ? "its header is damaged" : io_.Error);
        }
    }
    ~TTiffHandle() {
        if (tif_) TIFFClose(tif_);
    }
    TTiffHandle(const TTiffHandle&) = delete;
    TTiffHandle& operator=(const TTiffHandle&) = delete;
    TIFF* Get() const { return tif_; }
    std::string& Error() { return io_.Error; }

private:
    TTiffIo io_;
    TIFF* tif_ = nullptr;
};

TTiffPageFacts ReadFacts(TIFF* tif, int directory) {
    TTiffPageFacts f;
    f.Directory = directory;
    std::uint32_t width = 0, height = 0;
    std::uint16_t u16 = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    f.Width = static_cast<int>(std::min<std::uint32_t>(width, 0x7FFFFFFF));
    f.Height = static_cast<int>(std::min<std::uint32_t>(height, 0x7FFFFFFF));
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &u16);
    f.Compression = u16;
    f.Photometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &u16) ? u16 : -1;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &u16);
    f.BitsPerSample = u16;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &u16);
    f.SamplesPerPixel = u16;
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &u16);
    f.FillOrder = u16;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    f.Tiled = TIFFIsTiled(tif) != 0;
    f.Chunks = f.Tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    std::uint32_t options = 0;
    if (f.Compression == COMPRESSION_CCITTFAX3) TIFFGetField(tif, TIFFTAG_GROUP3OPTIONS, &options);
    if (f.Compression == COMPRESSION_CCITTFAX4) TIFFGetField(tif, TIFFTAG_GROUP4OPTIONS, &options);
    f.FaxOptions = options;
    float xResolution = 0, yResolution = 0;
    std::uint16_t unit = RESUNIT_INCH;
    const bool x = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xResolution) != 0;
    const bool y = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yResolution) != 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if ((x || y) && (unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER))
        f.Density = DensityPerUnit(x ? xResolution : 0, y ? yResolution : 0, unit == RESUNIT_INCH ? 1 : 2);
    if (f.Compression == COMPRESSION_JPEG) {
        std::uint32_t count = 0;
        const void* tables = nullptr;
        f.JpegTables = TIFFGetField(tif, TIFFTAG_JPEGTABLES, &count, &tables) && count > 0;
    }
    if (planar != PLANARCONFIG_CONTIG) f.JpegTables = true;  // never kept as it is
    int err = 0;
    for (std::uint32_t i = 0; i < f.Chunks; ++i) {
        const auto size =
            static_cast<std::int64_t>(std::min<std::uint64_t>(TIFFGetStrileByteCountWithErr(tif, i, &err), 1ULL << 62));
        if (i == 0) {
            f.FirstOffset = static_cast<std::int64_t>(
                std::min<std::uint64_t>(TIFFGetStrileOffsetWithErr(tif, 0, &err), 1ULL << 62));
            f.FirstSize = size;
        }
        f.DataBytes = std::min<std::int64_t>(f.DataBytes + size, std::int64_t{1} << 62);
    }
    return f;
}

// A single JPEG strip that is a whole JPEG stream of the page's size.
bool WholeJpeg(TStream& stream, const TTiffPageFacts& f, std::int64_t fileSize) {
    if (f.Compression != COMPRESSION_JPEG || f.Tiled || f.Chunks != 1 || f.JpegTables || f.BitsPerSample != 8)
        return false;
    if (!((f.SamplesPerPixel == 3 && f.Photometric == PHOTOMETRIC_YCBCR) ||
          (f.SamplesPerPixel == 1 && f.Photometric == PHOTOMETRIC_MINISBLACK)))
        return false;
    if (f.FirstSize < 4 || f.FirstOffset < 0 || f.FirstOffset + f.FirstSize > fileSize || f.FirstSize > (1 << 28))
        return false;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(f.FirstSize));
    stream.SetPosition(f.FirstOffset);
    if (stream.Read(data.data(), data.size()) != data.size()) return false;
    if (data[0] != 0xFF || data[1] != 0xD8 || data[data.size() - 2] != 0xFF || data[data.size() - 1] != 0xD9)
        return false;
    try {
        const TJpegHeader header = ReadJpegHeader(data.data(), data.size());
        return header.width == f.Width && header.height == f.Height && header.components == f.SamplesPerPixel &&
               !header.adobe;
    } catch (const std::exception&) {
        return false;
    }
}

// A bilevel page (1 white) as Group 4 data, by libtiff's encoder, which
// writes only what every reader reads; empty if libtiff fails.
struct TMemoryTiff {
    std::vector<std::uint8_t> Bytes;
    std::size_t Position = 0;
};

tmsize_t MemoryRead(thandle_t h, void* buffer, tmsize_t size) {
    auto* m = static_cast<TMemoryTiff*>(h);
    const std::size_t n =
        std::min(static_cast<std::size_t>(size), m->Bytes.size() - std::min(m->Position, m->Bytes.size()));
    if (n) std::memcpy(buffer, m->Bytes.data() + m->Position, n);
    m->Position += n;
    return static_cast<tmsize_t>(n);
}
tmsize_t MemoryWrite(thandle_t h, void* buffer, tmsize_t size) {
    auto* m = static_cast<TMemoryTiff*>(h);
    const auto n = static_cast<std::size_t>(size);
    if (m->Position + n > m->Bytes.size()) m->Bytes.resize(m->Position + n);
    std::memcpy(m->Bytes.data() + m->Position, buffer, n);
    m->Position += n;
    return size;
}
toff_t MemorySeek(thandle_t h, toff_t offset, int whence) {
    auto* m = static_cast<TMemoryTiff*>(h);
    const auto base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->Position : m->Bytes.size();
    m->Position = static_cast<std::size_t>(base + offset);
    return static_cast<toff_t>(m->Position);
}
toff_t MemorySize(thandle_t h) { return static_cast<toff_t>(static_cast<TMemoryTiff*>(h)->Bytes.size()); }
int QuietProc(TIFF*, void*, const char*, const char*, va_list) { return 1; }

std::vector<std::uint8_t> EncodeGroup4(const TRasterPixels& pixels) {
    // Fax codes give white runs as 0 bits.
    std::vector<std::uint8_t> rows(pixels.Data);
    for (std::uint8_t& b : rows) b = static_cast<std::uint8_t>(~b);
    TMemoryTiff file;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return {};
    TIFFOpenOptionsSetErrorHandlerExtR(options, QuietProc, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, QuietProc, nullptr);
    TIFF* tif = TIFFClientOpenExt("G4", "w", &file, MemoryRead, MemoryWrite, MemorySeek, CloseProc, MemorySize, MapProc,
                                  UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (!tif) return {};
    std::vector<std::uint8_t> strip;
    const auto width = static_cast<std::uint32_t>(pixels.Width), height = static_cast<std::uint32_t>(pixels.Height);
    if (TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width) && TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height) &&
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1) && TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE) &&
        TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4) &&
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, height) &&
        TIFFWriteEncodedStrip(tif, 0, rows.data(), static_cast<tmsize_t>(rows.size())) >= 0) {
        int err = 0;
        const std::uint64_t offset = TIFFGetStrileOffsetWithErr(tif, 0, &err);
        const std::uint64_t count = TIFFGetStrileByteCountWithErr(tif, 0, &err);
        if (!err && count > 0 && offset + count <= file.Bytes.size())
            strip.assign(file.Bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                         file.Bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
    }
    TIFFClose(tif);
    return strip;
}

}  // namespace

TTiffFile TTiffFile::Open(const std::string& fileName) {
    TFileStamp stamp;
    if (!FileStampOf(fileName, stamp)) throw EStreamError("Cannot open file \"" + fileName + "\"");
    TTiffFile file;
    file.source_ = TPngSource::FromFile(fileName, stamp);
    file.ReadPages();
    return file;
}

TTiffFile TTiffFile::FromBytes(std::vector<std::uint8_t> bytes) {
    TTiffFile file;
    file.source_ = TPngSource::FromBytes(std::move(bytes));
    file.ReadPages();
    return file;
}

void TTiffFile::ReadPages() {
    const std::unique_ptr<TStream> in = source_->Open();
    size_ = in->Size();
    std::vector<bool> wholeJpeg;
    {
        TTiffHandle tif(*in);
        int directory = 0;
        do {
            std::uint32_t subfile = 0;
            TIFFGetField(tif.Get(), TIFFTAG_SUBFILETYPE, &subfile);
            // A smaller copy of a page is no page of its own.
            if (!(subfile & FILETYPE_REDUCEDIMAGE) || directory == 0) {
                pages_.push_back(ReadFacts(tif.Get(), directory));
                if (static_cast<int>(pages_.size()) > kMaxPages) Invalid("more than 10,000 pages", TFault::fTooLarge);
            }
            ++directory;
            tif.Error().clear();
        } while (TIFFReadDirectory(tif.Get()));
        if (!tif.Error().empty())
            chainDamage_ = "the TIFF file's list of pages is damaged after page " + std::to_string(pages_.size()) +
                           " (" + tif.Error() + "); the PDF has the pages before it";
    }
    for (TTiffPageFacts& f : pages_) f.WholeJpeg = WholeJpeg(*in, f, size_);
}

bool TTiffFile::FaxAsItIs(int page) const {
    const TTiffPageFacts& f = Facts(page);
    const bool fax = f.Compression == COMPRESSION_CCITTFAX3 || f.Compression == COMPRESSION_CCITTFAX4;
    // Uncompressed runs inside fax data (option bit 2) are rare and not
    // every viewer reads them.
    return fax && !f.Tiled && f.Chunks == 1 && f.BitsPerSample == 1 && f.SamplesPerPixel == 1 && f.FillOrder == 1 &&
           (f.Photometric == PHOTOMETRIC_MINISWHITE || f.Photometric == PHOTOMETRIC_MINISBLACK) &&
           !(f.FaxOptions & 2) && f.FirstSize > 0 && f.FirstOffset >= 0 && f.FirstOffset + f.FirstSize <= size_ &&
           f.Width > 0 && f.Height > 0 && f.Width <= kMaxBitmapDimension && f.Height <= kMaxBitmapDimension;
}

bool TTiffFile::KeepsData(int page) const {
    const TTiffPageFacts& f = Facts(page);
    if (f.WholeJpeg) return true;
    if (!FaxAsItIs(page)) return false;
    if (f.Compression != COMPRESSION_CCITTFAX4) return true;
    // Group 4 data that PDF viewers would read otherwise than libtiff are
    // decoded and encoded again instead (Recompressed): nothing is lost.
    if (f.FirstSize > kMaxAllocation) return false;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(f.FirstSize));
    const std::unique_ptr<TStream> in = source_->Open();
    in->SetPosition(f.FirstOffset);
    return in->Read(data.data(), data.size()) == data.size() &&
           Group4ReadsStrictly(data.data(), data.size(), f.Width, f.Height);
}

TRasterPage TTiffFile::Recompressed(int page, const TRasterPixels& pixels) const {
    if (FaxAsItIs(page) && pixels.Bits == 1 && pixels.Channels == 1 && pixels.Palette.empty()) {
        std::vector<std::uint8_t> encoded = EncodeGroup4(pixels);
        if (!encoded.empty()) {
            const auto size = static_cast<std::int64_t>(encoded.size());
            TRasterPage result = TRasterPage::FromFileRange(TRasterCoding::rcCcitt, pixels.Width, pixels.Height,
                                                            TPngSource::FromBytes(std::move(encoded)), 0, size);
            result.CcittK = -1;
            return result;
        }
    }
    return TRasterPage::FromPixels(pixels);
}

TRasterPage TTiffFile::MakePage(int page) const {
    return KeepsData(page) ? KeptPage(page) : Recompressed(page, Decode(page));
}

TRasterPage TTiffFile::KeptPage(int page) const {
    const TTiffPageFacts& f = Facts(page);
    if (f.WholeJpeg) {
        TRasterPage result =
            TRasterPage::FromFileRange(TRasterCoding::rcDct, f.Width, f.Height, source_, f.FirstOffset, f.FirstSize);
        result.SetColors(f.SamplesPerPixel);
        return result;
    }
    TRasterPage result =
        TRasterPage::FromFileRange(TRasterCoding::rcCcitt, f.Width, f.Height, source_, f.FirstOffset, f.FirstSize);
    if (f.Compression == COMPRESSION_CCITTFAX4) {
        result.CcittK = -1;
    } else {
        // Two-dimensional Group 3 lines are told apart by a tag bit; any
        // positive K lets the decoder read it.
        result.CcittK = (f.FaxOptions & GROUP3OPT_2DENCODING) ? 4 : 0;
        result.EncodedByteAlign = (f.FaxOptions & GROUP3OPT_FILLBITS) != 0;
    }
    // Fax codes make white runs 0 bits; with 0 as black the runs swap.
    result.BlackIs1 = f.Photometric == PHOTOMETRIC_MINISBLACK;
    return result;
}

TRasterPixels TTiffFile::Decode(int page) const {
    const TTiffPageFacts& f = Facts(page);
    CheckRasterSize(f.Width, f.Height, "TIFF");
    if (!SupportedCompression(f.Compression))
        Invalid("compression " + std::to_string(f.Compression) + " is not supported", TFault::fUnsupported);
    if (f.DataBytes <= 0) Invalid("the page has no image data");
    const std::int64_t samples = static_cast<std::int64_t>(f.Width) * f.Height * std::max(1, f.SamplesPerPixel);
    const std::int64_t decodedBytes = (samples * std::max(1, f.BitsPerSample) + 7) / 8;
    if (const std::int64_t ratio = MaxExpansion(f.Compression); ratio > 0 && decodedBytes / ratio > f.DataBytes)
        Invalid("far less compressed data than the picture needs (a decompression bomb)");

    const std::unique_ptr<TStream> in = source_->Open();
    TTiffHandle handle(*in);
    TIFF* tif = handle.Get();
    if (!TIFFSetDirectory(tif, static_cast<tdir_t>(f.Directory)))
        Invalid(handle.Error().empty() ? "a page cannot be read" : handle.Error());
    handle.Error().clear();
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tif, message)) Invalid(message, TFault::fUnsupported);
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tif, 0, message)) Invalid(message);
    image.req_orientation = ORIENTATION_TOPLEFT;

    TRasterPixels pixels;
    pixels.Density = f.Density;
    const bool grey = f.Photometric == PHOTOMETRIC_MINISWHITE || f.Photometric == PHOTOMETRIC_MINISBLACK;
    const bool alpha = image.alpha != 0;
    const bool palette = f.Photometric == PHOTOMETRIC_PALETTE && !alpha;
    if (grey && f.BitsPerSample == 1 && !alpha)
        pixels.Allocate(f.Width, f.Height, 1, 1);
    else
        pixels.Allocate(f.Width, f.Height, grey || palette ? 1 : 3, 8);
    std::unordered_map<std::uint32_t, std::uint8_t> colours;  // a palette page's colours, as they come
    std::vector<std::uint8_t> rgbRows;                        // a palette page with more colours falls back

    const int band =
        static_cast<int>(std::clamp<std::int64_t>(kBandBytes / (4 * static_cast<std::int64_t>(f.Width)), 1, f.Height));
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(f.Width) * static_cast<std::size_t>(band));
    const std::size_t rowBytes = pixels.RowBytes();
    int failedAt = -1;
    for (int y = 0; y < f.Height; y += band) {
        const int rows = std::min(band, f.Height - y);
        std::fill(raster.begin(), raster.end(), 0xFFFFFFFFu);
        image.row_offset = y;
        image.col_offset = 0;
        const bool ok = TIFFRGBAImageGet(&image, raster.data(), static_cast<std::uint32_t>(f.Width),
                                         static_cast<std::uint32_t>(rows)) != 0;
        if ((!ok || !handle.Error().empty()) && failedAt < 0) failedAt = y;
        for (int r = 0; r < rows; ++r) {
            const std::uint32_t* p = raster.data() + static_cast<std::size_t>(r) * f.Width;
            std::uint8_t* out = pixels.Data.data() + rowBytes * static_cast<std::size_t>(y + r);
            for (int x = 0; x < f.Width; ++x) {
                // libtiff gives alpha premultiplied: over white adds what it lets through.
                const int a = static_cast<int>(TIFFGetA(p[x]));
                const auto over = [a](std::uint32_t c) {
                    return static_cast<std::uint8_t>(std::min<int>(255, static_cast<int>(c) + 255 - a));
                };
                const std::uint8_t red = over(TIFFGetR(p[x]));
                if (pixels.Bits == 1) {
                    if (red < 128) out[x >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7)));
                } else if (palette) {
                    const std::uint8_t green = over(TIFFGetG(p[x])), blue = over(TIFFGetB(p[x]));
                    const std::uint32_t key = red | (green << 8) | (std::uint32_t{blue} << 16);
                    auto it = colours.find(key);
                    if (it == colours.end()) {
                        if (colours.size() == 256) Invalid("more colours than its palette holds");
                        it = colours.emplace(key, static_cast<std::uint8_t>(colours.size())).first;
                        pixels.Palette.push_back({red, green, blue, 0});
                    }
                    out[x] = it->second;
                } else if (pixels.Channels == 1) {
                    out[x] = red;
                } else {
                    out[3 * x] = red;
                    out[3 * x + 1] = over(TIFFGetG(p[x]));
                    out[3 * x + 2] = over(TIFFGetB(p[x]));
                }
            }
        }
    }
    TIFFRGBAImageEnd(&image);
    if (palette && pixels.Palette.empty()) pixels.Palette.push_back({255, 255, 255, 0});
    if (failedAt >= 0)
        pixels.Damage = "the TIFF image data of page " + std::to_string(page + 1) + " are damaged from row " +
                        std::to_string(failedAt + 1) + " (" +
                        (handle.Error().empty() ? std::string("unreadable") : handle.Error()) +
                        "); the page shows what could be decoded";
    return pixels;
}

}  // namespace pim

#include "graphics/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "graphics/Exif.h"
#include "graphics/JpegData.h"

// libjpeg reports fatal errors through a callback that must not return. C++
// exceptions cannot travel through the library's C frames, so the callback
// jumps back with longjmp to a setjmp taken just before each library call
// (Guarded below); the code between the two owns nothing that needs a
// destructor, and the exception is raised only after the jump has landed.

namespace pim {

namespace {

constexpr std::size_t kChunk = 1 << 16;
// A progressive file with more scans than this is taken as hostile: each scan
// makes the decoder pass over the whole image again.
constexpr int kMaxScans = 1000;

struct ErrorMgr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    TFault fault;
};

// The kind of trouble behind the library's error code.
TFault FaultOf(int code) {
    switch (code) {
        case JERR_NO_SOI:
        case JERR_INPUT_EMPTY: return TFault::fNotItsKind;
        case JERR_INPUT_EOF: return TFault::fCutOff;
        case JERR_OUT_OF_MEMORY: return TFault::fOutOfMemory;
        case JERR_IMAGE_TOO_BIG:
        case JERR_WIDTH_OVERFLOW: return TFault::fTooLarge;
        case JERR_NOT_COMPILED:
        case JERR_NOTIMPL:
        case JERR_ARITH_NOTIMPL:
        case JERR_CCIR601_NOTIMPL:
        case JERR_CONVERSION_NOTIMPL:
        case JERR_FRACT_SAMPLE_NOTIMPL:
        case JERR_BAD_PRECISION: return TFault::fUnsupported;
        default: return TFault::fDamaged;
    }
}

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    err->fault = FaultOf(cinfo->err->msg_code);
    std::longjmp(err->jump, 1);
}

void OnOutput(j_common_ptr) {}  // warnings are counted, never printed

void OnProgress(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        auto* err = reinterpret_cast<ErrorMgr*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "Too many scans in a progressive JPEG");
        err->fault = TFault::fDamaged;
        std::longjmp(err->jump, 1);
    }
}

template <class F>
bool Guarded(ErrorMgr& err, F&& step) {
    if (setjmp(err.jump)) return false;
    step();
    return true;
}

void InitErrors(ErrorMgr& err) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.output_message = OnOutput;
    err.message[0] = '\0';
    err.fault = TFault::fDamaged;
}

[[noreturn]] void Fail(const ErrorMgr& err) { throw EJPEG(std::string("JPEG error: ") + err.message, err.fault); }

// ---- source: memory or a stream -------------------------------------------

struct SourceMgr {
    jpeg_source_mgr pub;
    TStream* stream = nullptr;
    TDigest* digest = nullptr;
    std::int64_t supplied = 0;  // bytes handed to the library so far
    bool gotData = false;       // any byte at all
    bool ended = false;         // the data ran out before the image did
    JOCTET buffer[kChunk];
};

const JOCTET kFakeEoi[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<SourceMgr*>(cinfo->src);
    std::size_t n = 0;
    if (src->stream) {
        bool failed = false;
        try {
            n = src->stream->Read(src->buffer, kChunk);
            if (src->digest) src->digest->Add(src->buffer, n);
        } catch (...) {
            failed = true;
        }
        if (failed) ERREXIT(cinfo, JERR_FILE_READ);
    }
    if (n > 0) {
        src->gotData = true;
        src->supplied += static_cast<std::int64_t>(n);
        src->pub.next_input_byte = src->buffer;
        src->pub.bytes_in_buffer = n;
    } else if (!src->gotData) {
        ERREXIT(cinfo, JERR_INPUT_EMPTY);  // not a JPEG either, but say why
    } else {
        src->ended = true;
        // A short file: end it as the library's own sources do, with a
        // warning and an end-of-image marker; the missing part decodes grey.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->pub.next_input_byte = kFakeEoi;
        src->pub.bytes_in_buffer = 2;
    }
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = &cinfo->src[0];
    while (count > static_cast<long>(src->bytes_in_buffer)) {
        count -= static_cast<long>(src->bytes_in_buffer);
        FillInput(cinfo);
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

// Owns a decompressor; the data come from memory or a stream.
class Decoder {
public:
    Decoder(TStream* stream, const std::uint8_t* data, std::size_t size, TDigest* digest) {
        InitErrors(err_);
        cinfo_.err = &err_.pub;
        progress_.progress_monitor = OnProgress;
        if (!Guarded(err_, [&] { jpeg_create_decompress(&cinfo_); })) Fail(err_);
        created_ = true;
        cinfo_.progress = &progress_;
        cinfo_.mem->max_memory_to_use = static_cast<long>(std::min<std::int64_t>(BitmapMemoryLimit(), 0x7FFFFFFF));
        src_ = std::make_unique<SourceMgr>();
        src_->stream = stream;
        src_->digest = digest;
        src_->pub.init_source = InitSource;
        src_->pub.fill_input_buffer = FillInput;
        src_->pub.skip_input_data = SkipInput;
        src_->pub.resync_to_restart = jpeg_resync_to_restart;
        src_->pub.term_source = TermSource;
        src_->pub.next_input_byte = data;
        src_->pub.bytes_in_buffer = data ? size : 0;
        src_->gotData = data && size > 0;
        src_->supplied = data ? static_cast<std::int64_t>(size) : 0;
        cinfo_.src = &src_->pub;
    }
    ~Decoder() {
        if (created_) jpeg_destroy_decompress(&cinfo_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    TJpegHeader ReadHeader() {
        if (!Guarded(err_, [&] {
                jpeg_save_markers(&cinfo_, JPEG_APP0 + 1, 0xFFFF);  // EXIF
                jpeg_read_header(&cinfo_, TRUE);
            }))
            Fail(err_);
        TJpegHeader h;
        h.width = static_cast<int>(cinfo_.image_width);
        h.height = static_cast<int>(cinfo_.image_height);
        h.components = cinfo_.num_components;
        h.progressive = jpeg_has_multiple_scans(&cinfo_);
        h.adobe = cinfo_.saw_Adobe_marker;
        h.dataStart = src_->supplied - static_cast<std::int64_t>(src_->pub.bytes_in_buffer);
        if (!cinfo_.arith_code && cinfo_.data_precision <= 12) {
            std::int64_t blocks = 0;
            for (int c = 0; c < cinfo_.num_components; ++c)
                blocks += static_cast<std::int64_t>(cinfo_.comp_info[c].width_in_blocks) *
                          static_cast<std::int64_t>(cinfo_.comp_info[c].height_in_blocks);
            const int bitsPerBlock = cinfo_.progressive_mode ? 1 : 2;
            h.minDataBytes = (blocks * bitsPerBlock + 7) / 8;
        }
        if (cinfo_.saw_JFIF_marker && (cinfo_.density_unit == 1 || cinfo_.density_unit == 2))
            h.density = DensityPerUnit(cinfo_.X_density, cinfo_.Y_density, cinfo_.density_unit);
        for (jpeg_saved_marker_ptr m = cinfo_.marker_list; m; m = m->next) {
            if (m->marker != JPEG_APP0 + 1) continue;
            if (h.orientation == 0) h.orientation = ExifOrientation(m->data, m->data_length);
            if (h.density == TDensity{}) h.density = ExifDensity(m->data, m->data_length);
            if (const auto preview = ExifPreview(m->data, m->data_length); h.exifPreview.empty() && !preview.empty())
                h.exifPreview.assign(preview.begin(), preview.end());
        }
        switch (cinfo_.jpeg_color_space) {
            case JCS_GRAYSCALE: h.colorSpace = TJpegColorSpace::jcsGrayscale; break;
            case JCS_RGB: h.colorSpace = TJpegColorSpace::jcsRGB; break;
            case JCS_YCbCr: h.colorSpace = TJpegColorSpace::jcsYCbCr; break;
            case JCS_CMYK: h.colorSpace = TJpegColorSpace::jcsCMYK; break;
            case JCS_YCCK: h.colorSpace = TJpegColorSpace::jcsYCCK; break;
            default: h.colorSpace = TJpegColorSpace::jcsUnknown; break;
        }
        return h;
    }

    // False when the data were cut off.
    bool Decode(const TJpegDecodeOptions& opt, TBitmap& out) {
        const TJpegHeader h = ReadHeader();
        const bool grey = opt.grayscale || h.colorSpace == TJpegColorSpace::jcsGrayscale;
        const bool cmyk =
            !grey && (h.colorSpace == TJpegColorSpace::jcsCMYK || h.colorSpace == TJpegColorSpace::jcsYCCK);
        const bool quantize = opt.quantize && !grey;

        cinfo_.scale_num = 1;
        cinfo_.scale_denom = static_cast<unsigned>(opt.scaleDenom);
        cinfo_.dct_method = opt.fast ? JDCT_IFAST : JDCT_FLOAT;
        cinfo_.do_fancy_upsampling = opt.fast ? FALSE : TRUE;
        cinfo_.do_block_smoothing = opt.smoothing ? TRUE : FALSE;
        cinfo_.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : quantize ? JCS_RGB : JCS_EXT_BGR;
        if (quantize) {
            cinfo_.quantize_colors = TRUE;
            cinfo_.desired_number_of_colors = 236;
        }
        if (!Guarded(err_, [&] { jpeg_calc_output_dimensions(&cinfo_); })) Fail(err_);

        const auto width = static_cast<std::int64_t>(cinfo_.output_width);
        const auto height = static_cast<std::int64_t>(cinfo_.output_height);
        const bool indexed = grey || quantize;
        if (width > kMaxBitmapDimension || height > kMaxBitmapDimension ||
            DibRowBytes(width, indexed ? 8 : 24) * height > BitmapMemoryLimit())
            throw EInvalidGraphic("Bitmap dimensions exceed the limit", TFault::fTooLarge);

        if (!Guarded(err_, [&] { jpeg_start_decompress(&cinfo_); })) Fail(err_);
        TBitmap bmp(static_cast<int>(width), static_cast<int>(height),
                    indexed ? TPixelFormat::pf8bit : TPixelFormat::pf24bit);
        if (quantize) {
            std::vector<TPaletteEntry> palette;
            for (int i = 0; i < cinfo_.actual_number_of_colors; ++i)
                palette.push_back({cinfo_.colormap[0][i], cinfo_.colormap[1][i], cinfo_.colormap[2][i], 0});
            bmp.SetPalette(std::move(palette));
        }
        std::vector<JSAMPLE> cmykRow(cmyk ? static_cast<std::size_t>(width) * 4 : 0);
        const bool inverted = h.adobe;

        const bool ok = Guarded(err_, [&] {
            while (cinfo_.output_scanline < cinfo_.output_height) {
                const int y = static_cast<int>(cinfo_.output_scanline);
                if (!cmyk) {
                    JSAMPROW row = bmp.ScanLine(y);
                    jpeg_read_scanlines(&cinfo_, &row, 1);
                    continue;
                }
                JSAMPROW row = cmykRow.data();
                jpeg_read_scanlines(&cinfo_, &row, 1);
                std::uint8_t* dst = bmp.ScanLine(y);
                for (std::int64_t x = 0; x < width; ++x) {
                    const JSAMPLE* p = row + 4 * x;
                    // Adobe files store 255 - ink, others the ink; what
                    // counts is the light each ink lets through.
                    const unsigned red = inverted ? p[0] : 255u - p[0];
                    const unsigned green = inverted ? p[1] : 255u - p[1];
                    const unsigned blue = inverted ? p[2] : 255u - p[2];
                    const unsigned white = inverted ? p[3] : 255u - p[3];
                    dst[3 * x + 0] = static_cast<std::uint8_t>((blue * white + 127) / 255);
                    dst[3 * x + 1] = static_cast<std::uint8_t>((green * white + 127) / 255);
                    dst[3 * x + 2] = static_cast<std::uint8_t>((red * white + 127) / 255);
                }
            }
            jpeg_finish_decompress(&cinfo_);
        });
        if (!ok) Fail(err_);
        out = std::move(bmp);
        return !src_->ended;
    }

private:
    jpeg_decompress_struct cinfo_{};
    ErrorMgr err_{};
    jpeg_progress_mgr progress_{};
    std::unique_ptr<SourceMgr> src_;
    bool created_ = false;
};

// ---- destination: a growing byte vector ------------------------------------

struct DestMgr {
    jpeg_destination_mgr pub;
    std::vector<std::uint8_t>* out = nullptr;
};

void InitDest(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<DestMgr*>(cinfo->dest);
    dest->pub.next_output_byte = dest->out->data();
    dest->pub.free_in_buffer = dest->out->size();
}

boolean EmptyOutput(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<DestMgr*>(cinfo->dest);
    const std::size_t used = dest->out->size();
    bool failed = false;
    try {
        dest->out->resize(used * 2);
    } catch (...) {
        failed = true;
    }
    if (failed) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->out->data() + used;
    dest->pub.free_in_buffer = dest->out->size() - used;
    return TRUE;
}

void TermDest(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<DestMgr*>(cinfo->dest);
    dest->out->resize(dest->out->size() - dest->pub.free_in_buffer);
}

class Encoder {
public:
    Encoder() {
        InitErrors(err_);
        cinfo_.err = &err_.pub;
        if (!Guarded(err_, [&] { jpeg_create_compress(&cinfo_); })) Fail(err_);
        created_ = true;
    }
    ~Encoder() {
        if (created_) jpeg_destroy_compress(&cinfo_);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    std::vector<std::uint8_t> Encode(const TBitmap& bmp, const TJpegEncodeOptions& opt) {
        std::vector<std::uint8_t> out(std::max<std::size_t>(
            1 << 16, static_cast<std::size_t>(bmp.Width()) * static_cast<std::size_t>(bmp.Height()) / 4));
        dest_.out = &out;
        dest_.pub.init_destination = InitDest;
        dest_.pub.empty_output_buffer = EmptyOutput;
        dest_.pub.term_destination = TermDest;
        cinfo_.dest = &dest_.pub;
        cinfo_.image_width = static_cast<JDIMENSION>(bmp.Width());
        cinfo_.image_height = static_cast<JDIMENSION>(bmp.Height());
        cinfo_.input_components = 3;
        cinfo_.in_color_space = JCS_EXT_BGR;
        const int quality = std::clamp(opt.quality, 0, 100);
        const bool ok = Guarded(err_, [&] {
            jpeg_set_defaults(&cinfo_);
            cinfo_.dct_method = JDCT_FLOAT;
            jpeg_set_quality(&cinfo_, quality, TRUE);
            if (opt.grayscale) jpeg_set_colorspace(&cinfo_, JCS_GRAYSCALE);
            if (opt.progressive) jpeg_simple_progression(&cinfo_);
            jpeg_start_compress(&cinfo_, TRUE);
            while (cinfo_.next_scanline < cinfo_.image_height) {
                JSAMPROW row = const_cast<JSAMPROW>(bmp.ScanLine(static_cast<int>(cinfo_.next_scanline)));
                jpeg_write_scanlines(&cinfo_, &row, 1);
            }
            jpeg_finish_compress(&cinfo_);
        });
        if (!ok) Fail(err_);
        return out;
    }

private:
    jpeg_compress_struct cinfo_{};
    ErrorMgr err_{};
    DestMgr dest_{};
    bool created_ = false;
};

}  // namespace

TJpegHeader ReadJpegHeader(TStream& stream, TDigest* digest) {
    Decoder decoder(&stream, nullptr, 0, digest);
    return decoder.ReadHeader();
}

TJpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size) {
    Decoder decoder(nullptr, data, size, nullptr);
    return decoder.ReadHeader();
}

bool DecodeJpeg(TStream& stream, const TJpegDecodeOptions& options, TBitmap& out) {
    Decoder decoder(&stream, nullptr, 0, nullptr);
    return decoder.Decode(options, out);
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, const TJpegDecodeOptions& options, TBitmap& out) {
    Decoder decoder(nullptr, data, size, nullptr);
    return decoder.Decode(options, out);
}

std::vector<std::uint8_t> EncodeJpeg(const TBitmap& bitmap, const TJpegEncodeOptions& options) {
    if (BitsPerPixel(bitmap.PixelFormat()) != 24 || IsIndexed(bitmap.PixelFormat()))
        throw EInvalidGraphicOperation("JPEG encoding needs a 24-bit bitmap");
    Encoder encoder;
    return encoder.Encode(bitmap, options);
}

}  // namespace pim

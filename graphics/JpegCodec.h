// The calls this program makes into libjpeg (the 6.2 interface of
// libjpeg-turbo): header reading, decoding into a bitmap and encoding a
// bitmap. libjpeg's fatal errors become EJPEG exceptions (the library never
// exits the process); its warnings about corrupt but decodable data are
// tolerated, as the platform's own loader does.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Classes.h"
#include "base/SysUtils.h"
#include "graphics/Graphics.h"

namespace pim {

class TDigest;

class EJPEG : public Exception {
public:
    using Exception::Exception;
};

enum class TJpegColorSpace { jcsUnknown, jcsGrayscale, jcsRGB, jcsYCbCr, jcsCMYK, jcsYCCK };

struct TJpegHeader {
    int width = 0;
    int height = 0;
    int components = 0;
    TJpegColorSpace colorSpace = TJpegColorSpace::jcsUnknown;
    bool progressive = false;    // several scans
    bool adobe = false;          // an Adobe marker: CMYK values are stored inverted
    std::int64_t dataStart = 0;  // offset of the first byte after the header (the first scan's data)
    // The EXIF orientation (tag 274 of the first image directory): 1 upright,
    // 2 to 8 turned or mirrored as EXIF numbers them; 0 when the file has no
    // such tag or it cannot be read or is out of range.
    int orientation = 0;
    // The density the file states: its JFIF header's when that gives one
    // in dots per inch or centimetre, else EXIF's X/YResolution; none else.
    TDensity density;
    // The fewest bytes of scan data that can hold the declared picture: one
    // bit per 8 x 8 block and component in a progressive file (its first DC
    // scan), two (a DC code and an end of block) in a sequential one; 0 when
    // no bound is known (arithmetic coding, lossless). Data after dataStart
    // shorter than this cannot cover the picture: the file is cut off, or
    // its size is a lie.
    std::int64_t minDataBytes = 0;
    // The small JPEG a camera embeds in its EXIF data (see ExifPreview);
    // empty when there is none.
    std::vector<std::uint8_t> exifPreview;
};

// Reads the header from the stream's position. When `digest` is given, the
// bytes the parse read from the stream (whole chunks of 64 KiB, or up to the
// stream's end) are fed to it, and only those.
TJpegHeader ReadJpegHeader(TStream& stream, TDigest* digest = nullptr);
TJpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size);

struct TJpegDecodeOptions {
    int scaleDenom = 1;      // 1, 2, 4 or 8
    bool fast = false;       // integer IDCT, plain upsampling
    bool smoothing = true;   // block smoothing of progressive images
    bool grayscale = false;  // decode to grey
    bool quantize = false;   // 8-bit output with a 236-colour palette
};

// Decodes the whole image: colour sources into pf24bit (CMYK and YCCK are
// converted to RGB), grey sources (or `grayscale`) into pf8bit with a grey
// ramp palette, `quantize` into pf8bit with libjpeg's palette. Output larger
// than the bitmap ceiling raises EInvalidGraphic before decoding. Returns
// false when the data end before the image does (cut off): the missing part
// is then decoded grey.
bool DecodeJpeg(TStream& stream, const TJpegDecodeOptions& options, TBitmap& out);
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, const TJpegDecodeOptions& options, TBitmap& out);

struct TJpegEncodeOptions {
    int quality = 90;  // 0..100, 0 taken as 1 by libjpeg
    bool progressive = false;
    bool grayscale = false;
};

// Encodes a pf24bit (or pfDevice) bitmap with libjpeg's defaults, the
// floating-point forward DCT and baseline-compatible tables.
std::vector<std::uint8_t> EncodeJpeg(const TBitmap& bitmap, const TJpegEncodeOptions& options);

}  // namespace pim

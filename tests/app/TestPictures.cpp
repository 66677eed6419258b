#include "tests/app/TestPictures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

// libjpeg needs FILE and size_t declared first.
#include <jpeglib.h>

#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "graphics/JpegCodec.h"
#include "tests/support/TestTools.h"

namespace pim::test {

std::ostream& operator<<(std::ostream& out, TRgb c) {
    return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

TBitmap MakeBitmap(int width, int height, const std::function<TRgb(int, int)>& colour) {
    TBitmap bitmap(width, height, TPixelFormat::pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const TRgb c = colour(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return bitmap;
}

TBitmap SolidBitmap(int width, int height, TRgb colour) {
    return MakeBitmap(width, height, [colour](int, int) { return colour; });
}

TBitmap GradientBitmap(int width, int height) {
    return MakeBitmap(width, height, [width, height](int x, int y) {
        return TRgb{static_cast<std::uint8_t>(255 * x / width), static_cast<std::uint8_t>(255 * y / height),
                    static_cast<std::uint8_t>(128)};
    });
}

void WriteJpegFile(const std::string& path, const TBitmap& bitmap, const TJpegFileOptions& options) {
    TJpegEncodeOptions encode;
    encode.quality = options.quality;
    encode.progressive = options.progressive;
    encode.grayscale = options.grayscale;
    const std::vector<std::uint8_t> bytes = EncodeJpeg(bitmap, encode);
    WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

void WriteBmpFile(const std::string& path, const TBitmap& bitmap) {
    TFileStream file(path, TFileMode::fmCreate);
    WriteBmp(file, bitmap);
    file.Close();
}

void WriteCmykJpegFile(const std::string& path, int width, int height, std::uint8_t c, std::uint8_t m, std::uint8_t y,
                       std::uint8_t k) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 4);
    for (int x = 0; x < width; ++x) {
        row[4 * x] = static_cast<JSAMPLE>(255 - c);
        row[4 * x + 1] = static_cast<JSAMPLE>(255 - m);
        row[4 * x + 2] = static_cast<JSAMPLE>(255 - y);
        row[4 * x + 3] = static_cast<JSAMPLE>(255 - k);
    }
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height) jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    WriteFileBytes(path, std::string(reinterpret_cast<const char*>(buffer), size));
    std::free(buffer);
}

TBitmap QuartersBitmap(int width, int height) {
    return MakeBitmap(width, height, [width, height](int x, int y) {
        if (y < height / 2) return x < width / 2 ? TRgb{220, 30, 30} : TRgb{30, 200, 30};
        return x < width / 2 ? TRgb{30, 30, 220} : TRgb{240, 240, 240};
    });
}

std::string JpegWithOrientation(const std::vector<std::uint8_t>& jpeg, int orientation) {
    const bool intel = orientation % 2 == 1;
    std::string exif = "Exif";
    exif += std::string(2, '\0');
    const auto put = [&exif, intel](unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            const int shift = intel ? 8 * i : 8 * (bytes - 1 - i);
            exif += static_cast<char>(value >> shift & 0xFF);
        }
    };
    exif += intel ? "II" : "MM";
    put(42, 2), put(8, 4);                                  // TIFF header, directory at 8
    put(1, 2), put(0x0112, 2), put(3, 2), put(1, 4);        // one entry: orientation, SHORT, 1
    put(static_cast<unsigned>(orientation), 2), put(0, 2);  // its value, padded
    put(0, 4);                                              // no next directory
    std::string out(jpeg.begin(), jpeg.begin() + 2);
    out += "\xFF\xE1";
    const std::size_t length = exif.size() + 2;
    out += static_cast<char>(length >> 8), out += static_cast<char>(length & 0xFF);
    out += exif;
    out.append(jpeg.begin() + 2, jpeg.end());
    return out;
}

::testing::AssertionResult SameQuarters(const TImage& got, const TImage& expected) {
    if (got.width != expected.width || got.height != expected.height)
        return ::testing::AssertionFailure()
               << got.width << " x " << got.height << ", expected " << expected.width << " x " << expected.height;
    const auto near = [](unsigned a, unsigned b) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 40) return false;
        return true;
    };
    for (const int y : {got.height / 4, 3 * got.height / 4})
        for (const int x : {got.width / 4, 3 * got.width / 4})
            if (!near(got.Rgb(x, y), expected.Rgb(x, y)))
                return ::testing::AssertionFailure()
                       << std::hex << "at " << std::dec << x << ", " << y << ": " << std::hex << got.Rgb(x, y)
                       << ", expected " << expected.Rgb(x, y);
    return ::testing::AssertionSuccess();
}

std::string FreshFolder(const std::string& name) {
    const std::string folder = OutputPath(name);
    std::filesystem::remove_all(FsPath(folder));
    std::filesystem::create_directories(FsPath(folder));
    return folder;
}

}  // namespace pim::test

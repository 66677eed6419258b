#include "tests/win32-thumbs/ThumbFiles.h"

#include <vfw.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "app/AppPlatform.h"
#include "base/CodePage.h"
#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "tests/imagelist/FolderFixture.h"

namespace pim::test {

namespace {

std::filesystem::path ThumbDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path path = TestOutputDir() / "thumbs";
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

// The test picture: left half red, right half blue, drawn with a brush and
// no outline so both metafile kinds record it the same way.
void DrawHalves(HDC dc, int width, int height) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    const struct {
        COLORREF color;
        int left, right;
    } halves[] = {{RGB(255, 0, 0), 0, width / 2}, {RGB(0, 0, 255), width / 2, width}};
    for (const auto& half : halves) {
        HBRUSH brush = CreateSolidBrush(half.color);
        HGDIOBJ old = SelectObject(dc, brush);
        Rectangle(dc, half.left, 0, half.right + 1, height + 1);
        SelectObject(dc, old);
        DeleteObject(brush);
    }
}

}  // namespace

std::string ThumbPath(std::string_view utf8Name) {
    return Utf16ToNative((ThumbDir() / U8Path(utf8Name)).u16string());
}

std::wstring WideThumbPath(std::string_view utf8Name) { return (ThumbDir() / U8Path(utf8Name)).wstring(); }

void KeepPicture(std::string_view name, const TBitmap& bitmap) {
    TFileStream file(NativePath(TestOutputDir() / ("thumbs-" + std::string(name) + ".bmp")), TFileMode::fmCreate);
    WriteBmp(file, bitmap);
}

unsigned RgbAt(const TBitmap& bitmap, int x, int y) {
    const TPaletteEntry c = bitmap.PixelColor(x, y);
    return unsigned{c.peRed} << 16 | unsigned{c.peGreen} << 8 | c.peBlue;
}

int CountOther(const TBitmap& bitmap, unsigned rgb, int x0, int y0, int x1, int y1) {
    if (x1 < 0) x1 = bitmap.Width();
    if (y1 < 0) y1 = bitmap.Height();
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) count += RgbAt(bitmap, x, y) != rgb;
    return count;
}

void WriteEnhancedMetafile(const std::wstring& path, int width, int height) {
    HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), nullptr, nullptr);
    Check(dc, "CreateEnhMetaFileW");
    DrawHalves(dc, width, height);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

void WriteWindowsMetafile(const std::wstring& path, int width, int height, int inch) {
    HDC dc = CreateMetaFileW(nullptr);
    Check(dc, "CreateMetaFileW");
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, width, height, nullptr);
    DrawHalves(dc, width, height);
    HMETAFILE metafile = CloseMetaFile(dc);
    std::vector<std::uint8_t> bits(GetMetaFileBitsEx(metafile, 0, nullptr));
    GetMetaFileBitsEx(metafile, static_cast<UINT>(bits.size()), bits.data());
    DeleteMetaFile(metafile);

    std::vector<std::uint8_t> file;
    if (inch != 0) {
        // Key, handle, bounds (left, top, right, bottom), inch, reserved, checksum.
        const std::uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, static_cast<std::uint16_t>(width),
                                         static_cast<std::uint16_t>(height), static_cast<std::uint16_t>(inch), 0, 0};
        std::uint16_t checksum = 0;
        for (std::uint16_t w : words) checksum ^= w;
        for (std::uint16_t w : words) file.insert(file.end(), {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)});
        file.insert(file.end(), {static_cast<std::uint8_t>(checksum), static_cast<std::uint8_t>(checksum >> 8)});
    }
    file.insert(file.end(), bits.begin(), bits.end());
    TFileStream out(Utf16ToNative(std::u16string(path.begin(), path.end())), TFileMode::fmCreate);
    out.Write(file.data(), file.size());
}

void WriteAvi(const std::wstring& path, int frames) {
    constexpr int kWidth = 32, kHeight = 24, kFrameBytes = kWidth * 3 * kHeight;
    AVIFileInit();
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    DeleteFileW(path.c_str());
    bool ok = AVIFileOpenW(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr) == 0;
    AVISTREAMINFOW info{};
    info.fccType = streamtypeVIDEO;
    info.dwScale = 1;
    info.dwRate = 25;
    info.dwSuggestedBufferSize = kFrameBytes;
    SetRect(&info.rcFrame, 0, 0, kWidth, kHeight);
    ok = ok && AVIFileCreateStreamW(file, &stream, &info) == 0;
    BITMAPINFOHEADER format{};
    format.biSize = sizeof format;
    format.biWidth = kWidth;
    format.biHeight = kHeight;  // bottom-up, as the reader expects
    format.biPlanes = 1;
    format.biBitCount = 24;
    format.biCompression = BI_RGB;
    format.biSizeImage = kFrameBytes;
    ok = ok && AVIStreamSetFormat(stream, 0, &format, sizeof format) == 0;
    std::vector<std::uint8_t> pixels(kFrameBytes);
    for (int n = 0; ok && n < frames; ++n) {
        const unsigned rgb = FrameColor(n);
        for (int i = 0; i < kFrameBytes; i += 3) {
            pixels[i] = static_cast<std::uint8_t>(rgb);
            pixels[i + 1] = static_cast<std::uint8_t>(rgb >> 8);
            pixels[i + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
        ok = AVIStreamWrite(stream, n, 1, pixels.data(), kFrameBytes, AVIIF_KEYFRAME, nullptr, nullptr) == 0;
    }
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    AVIFileExit();
    Check(ok, "writing the AVI");
}

}  // namespace pim::test

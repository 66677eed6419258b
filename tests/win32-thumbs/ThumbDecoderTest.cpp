// Each decoder of the Windows platform on a real file, through TImgUtil as
// the list's worker runs it, and the icon a failed decoder falls back to.
// The files are written the way a user's programs would: metafiles through
// GDI, the video through AVIFIL32.
#include <windows.h>
#include <vfw.h>
// TImgUtil::LoadImage and TImgPlatform::DrawText, not the API switches.
#undef DrawText
#undef LoadImage

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "base/Classes.h"
#include "base/CodePage.h"
#include "graphics/BmpFile.h"
#include "graphics/Resample.h"
#include "imagelist/ImgUtil.h"
#include "imagelist/win32/ImgThread.h"
#include "tests/support/TestTools.h"
#include "tests/win32-thumbs/ThumbFiles.h"

namespace pim {
namespace {

using test::KeepPicture;
using test::RgbAt;
using test::ThumbPath;
using test::WriteFileBytes;

std::wstring WideThumbPath(std::string_view utf8Name) { return (test::ThumbDir() / test::U8Path(utf8Name)).wstring(); }

void Require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

// Pixels in the rectangle whose colour is not `rgb`.
int CountOther(const TBitmap& bitmap, unsigned rgb, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
    if (x1 < 0) x1 = bitmap.Width();
    if (y1 < 0) y1 = bitmap.Height();
    int count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) count += RgbAt(bitmap, x, y) != rgb;
    return count;
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

// About width x height pixels, recorded on the screen.
void WriteEnhancedMetafile(const std::wstring& path, int width, int height) {
    HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), nullptr, nullptr);
    Require(dc, "CreateEnhMetaFileW");
    DrawHalves(dc, width, height);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

// Bounds of width x height units, `inch` units to the inch; without the
// placeable header when inch is 0.
void WriteWindowsMetafile(const std::wstring& path, int width, int height, int inch) {
    HDC dc = CreateMetaFileW(nullptr);
    Require(dc, "CreateMetaFileW");
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
        const std::uint16_t words[10] = {0xCDD7,
                                         0x9AC6,
                                         0,
                                         0,
                                         0,
                                         static_cast<std::uint16_t>(width),
                                         static_cast<std::uint16_t>(height),
                                         static_cast<std::uint16_t>(inch),
                                         0,
                                         0};
        std::uint16_t checksum = 0;
        for (std::uint16_t w : words) checksum ^= w;
        for (std::uint16_t w : words)
            file.insert(file.end(), {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)});
        file.insert(file.end(), {static_cast<std::uint8_t>(checksum), static_cast<std::uint8_t>(checksum >> 8)});
    }
    file.insert(file.end(), bits.begin(), bits.end());
    TFileStream out(Utf16ToUtf8(std::u16string(path.begin(), path.end())), TFileMode::fmCreate);
    out.Write(file.data(), file.size());
}

constexpr unsigned FrameColor(int n) { return 0x800000u | (static_cast<unsigned>(n >> 8) & 0xFF) << 8 | (n & 0xFF); }

// 32 x 24 frames, uncompressed, written through AVIFIL32 (whose files Wine
// reads back frame by frame); every pixel of frame n is FrameColor(n).
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
    Require(ok, "writing the AVI");
}

constexpr unsigned kWhite = 0xFFFFFF;

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::string SystemFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetSystemDirectoryW(dir, MAX_PATH);
    const std::wstring path = std::wstring(dir) + L"\\" + name;
    return Utf16ToUtf8(std::u16string(path.begin(), path.end()));
}

class WinThumbs : public ::testing::Test {
protected:
    TImgPlatform& platform = WindowsImgPlatform();
    TImgUtil util{&WindowsImgPlatform()};
};

TEST_F(WinThumbs, IndexedBmpThroughThePagesReaderUnderAJapaneseName) {
    TBitmap source(60, 40, TPixelFormat::pf8bit);
    std::vector<TPaletteEntry> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 77, 0};
    source.SetPalette(palette);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) source.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 4 + y);
    const std::string path = ThumbPath("写真.bmp");
    {
        TFileStream file(path, TFileMode::fmCreate);
        WriteBmp(file, source);
    }
    ASSERT_EQ(util.LoadImage(path, 94, 0, 94), kImgLoaded);
    const TBitmap& got = util.Bitmap();
    ASSERT_EQ(got.Width(), 60);  // smaller than the box: kept
    ASSERT_EQ(got.Height(), 40);
    EXPECT_EQ(got.PixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < 40; y += 13)
        for (int x = 0; x < 60; x += 7) ASSERT_EQ(RgbAt(got, x, y), RgbAt(source, x, y)) << x << "," << y;
    EXPECT_NE(platform.LoadBmp(ThumbPath("missing.bmp"), source), 0);
}

// A thumbnail shows what its page will: the same reader widens 5-6-5 pixels
// and reads an RLE file, not the system's loader with its own rounding.
TEST_F(WinThumbs, BmpThumbnailMatchesThePagesPicture) {
    TBitmap wide(50, 30, TPixelFormat::pf16bit);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 50; ++x) {
            const auto value = static_cast<std::uint16_t>(x * 1311 + y * 97);
            std::memcpy(wide.ScanLine(y) + 2 * x, &value, 2);
        }
    const std::string path = ThumbPath("565.bmp");
    {
        TFileStream file(path, TFileMode::fmCreate);
        WriteBmp(file, wide);
    }
    TBitmap page;
    LoadBmpFile(path, page);
    Ensure24Bit(page);
    ASSERT_EQ(util.LoadImage(path, 94, 0, 94), kImgLoaded);
    const TBitmap& got = util.Bitmap();
    ASSERT_EQ(got.Width(), page.Width());
    ASSERT_EQ(got.Height(), page.Height());
    for (int y = 0; y < page.Height(); ++y)
        for (int x = 0; x < page.Width(); ++x) ASSERT_EQ(RgbAt(got, x, y), RgbAt(page, x, y)) << x << "," << y;
}

TEST_F(WinThumbs, IconsAssociatedExtractedAndCounted) {
    const std::string exe = SystemFile(L"notepad.exe"), library = SystemFile(L"shell32.dll");
    EXPECT_GT(platform.CountIcons(library), 3);

    ASSERT_EQ(util.LoadImage(exe, 94, 0, 94), kImgLoaded);
    EXPECT_GE(util.IconCount(), 1);
    const TBitmap associated = util.Bitmap();
    EXPECT_EQ(associated.Width(), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(associated.Height(), GetSystemMetrics(SM_CYICON));
    EXPECT_GT(CountOther(associated, kWhite), 50);
    KeepPicture("notepad-icon", associated);

    util.SetBKColor(clRed);
    ASSERT_EQ(util.LoadImage(library, 94, 3, 94), kImgLoaded);
    EXPECT_EQ(util.IconIndex(), 3);
    const TBitmap& extracted = util.Bitmap();
    EXPECT_EQ(RgbAt(extracted, 0, 0), 0xFF0000u) << "transparent corner shows the background";
    EXPECT_GT(CountOther(extracted, 0xFF0000), 50);
    KeepPicture("shell32-icon-3", extracted);

    // An index past the file's icons: a plain square of the background.
    TBitmap none;
    platform.DrawIcon(library, 100000, clWhite, none);
    EXPECT_EQ(none.Width(), 32);
    EXPECT_EQ(CountOther(none, kWhite), 0);
}

TEST_F(WinThumbs, MetafilesPlayedAtTheirOwnSize) {
    WriteEnhancedMetafile(WideThumbPath("halves.emf"), 100, 50);
    WriteWindowsMetafile(WideThumbPath("halves.wmf"), 200, 100, 96);
    WriteWindowsMetafile(WideThumbPath("plain.wmf"), 200, 100, 0);
    const int ppi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return value;
    }();
    struct Case {
        const char* name;
        int width, height, tolerance;
    } cases[] = {{"halves.emf", 100, 50, 2}, {"halves.wmf", MulDiv(200, ppi, 96), MulDiv(100, ppi, 96), 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap got;
        ASSERT_EQ(platform.LoadMetafile(ThumbPath(c.name), clWhite, got), 0);
        EXPECT_NEAR(got.Width(), c.width, c.tolerance);
        EXPECT_NEAR(got.Height(), c.height, c.tolerance);
        EXPECT_EQ(RgbAt(got, got.Width() / 4, got.Height() / 2), 0xFF0000u);
        EXPECT_EQ(RgbAt(got, got.Width() * 3 / 4, got.Height() / 2), 0x0000FFu);
        KeepPicture(c.name, got);
    }
    // Without the placeable header a metafile carries no size of its own.
    TBitmap plain;
    EXPECT_EQ(platform.LoadMetafile(ThumbPath("plain.wmf"), clWhite, plain), 0);
    KeepPicture("plain.wmf", plain);
    // Through the maker the picture is shrunk into the box.
    ASSERT_EQ(util.LoadImage(ThumbPath("halves.wmf"), 94, 0, 94), kImgLoaded);
    EXPECT_EQ(util.Bitmap().Width(), 94);
    EXPECT_EQ(util.Bitmap().Height(), 47);
    EXPECT_EQ(util.SourceWidth(), cases[1].width);
    EXPECT_NE(platform.LoadMetafile(ThumbPath("missing.emf"), clWhite, plain), 0);
    // A small file declaring a picture of miles: refused, not allocated.
    WriteWindowsMetafile(WideThumbPath("huge.wmf"), 30000, 30000, 1);
    EXPECT_EQ(util.LoadImage(ThumbPath("huge.wmf"), 94, 0, 94), kImgFailed);
}

TEST_F(WinThumbs, AviFrameAtTwentyPercent) {
    WriteAvi(WideThumbPath("count.avi"), 500);
    ASSERT_EQ(util.AviFramePos, 20);
    ASSERT_EQ(util.LoadImage(ThumbPath("count.avi"), 94, 0, 94), kImgLoaded);
    const TBitmap& frame = util.Bitmap();
    ASSERT_EQ(frame.Width(), 32);
    ASSERT_EQ(frame.Height(), 24);
    EXPECT_EQ(RgbAt(frame, 0, 0), FrameColor(100));
    EXPECT_EQ(RgbAt(frame, 31, 23), FrameColor(100));
    TBitmap none;
    EXPECT_NE(platform.LoadVideoFrame(ThumbPath("missing.avi"), 20, none), 0);
}

TEST_F(WinThumbs, TextDrawnInTheConfiguredFont) {
    util.Font = {Utf8ToAnsi("ＭＳ Ｐゴシック"), 128, -16};
    const int lineHeight = platform.TextLineHeight(util.Font);
    ASSERT_GE(lineHeight, 14);
    ASSERT_LE(lineHeight, 24);
    const std::string path = ThumbPath("memo.txt");
    WriteFileBytes(path, Utf8ToAnsi("Hello\tthumbnail\r\n日本語のテキスト\r\n三行目"));
    ASSERT_EQ(util.LoadImage(path, 94, 0, 94), kImgLoaded);
    const TBitmap& got = util.Bitmap();
    KeepPicture("memo.txt", got);
    ASSERT_EQ(got.Width(), 94);  // drawn at 188 x 188, then halved
    EXPECT_EQ(util.SourceWidth(), 188);
    // Three lines of ink at half size, white below them.
    const int inkBottom = (3 * lineHeight + 1) / 2 + 1;
    for (int line = 0; line < 3; ++line)
        EXPECT_GT(CountOther(got, kWhite, 0, line * lineHeight / 2, 94, (line + 1) * lineHeight / 2), 10) << line;
    EXPECT_EQ(CountOther(got, kWhite, 0, inkBottom, 94, 94), 0);
}

// What a kind falls back to when its decoder fails: the shell's icon for
// the file, with result -1.
TEST_F(WinThumbs, FailedDecodersGiveTheShellIcon) {
    const std::string badJpeg = ThumbPath("bad.jpg");
    WriteFileBytes(badJpeg, std::string("\xFF\xD8\xFF\xE0 this is no picture", 24));
    const std::string page = ThumbPath("page.html");
    WriteFileBytes(page, "<html><body><p>Pim</p></body></html>");
    // Wine registers no image extractor, so web pages and mails end in their
    // icon there; Windows draws the page.
    const bool extractorMissing = UnderWine();
    for (const std::string& path : {badJpeg, page}) {
        SCOPED_TRACE(path);
        TBitmap icon;
        platform.DrawIcon(path, 0, clWhite, icon);
        EXPECT_GT(CountOther(icon, kWhite), 50) << "a real icon, not a blank square";
        const int result = util.LoadImage(path, 94, 0, 94);
        if (path == page && !extractorMissing) {
            EXPECT_EQ(result, kImgLoaded);
            continue;
        }
        ASSERT_EQ(result, kImgFailed);
        ASSERT_EQ(util.Bitmap().Width(), icon.Width());
        ASSERT_EQ(util.Bitmap().Height(), icon.Height());
        for (int y = 0; y < icon.Height(); ++y)
            ASSERT_EQ(0, std::memcmp(util.Bitmap().ScanLine(y), icon.ScanLine(y), 3 * icon.Width())) << y;
    }
    KeepPicture("bad-jpeg-icon", util.Bitmap());
}

}  // namespace
}  // namespace pim

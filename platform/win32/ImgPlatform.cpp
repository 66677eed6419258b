// The thumbnail maker's platform services on Windows: shell icons, metafile
// playback, the shell's image extractor, AVI frames through AVIFIL32 (loaded
// from the system folder when the first video needs it; a system without it
// shows videos by their icon) and text drawn with GDI. BMP files are read by
// the core's own reader, as their pages are. Paths arrive in the program's
// file-name encoding and go to the wide API, so every file is opened by its
// true name.
// Every picture is drawn on a top-down 24-bit DIB section, whose rows have
// TBitmap's layout, and copied out.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <vfw.h>
// The members of TImgPlatform and TImgUtil, not the API's ANSI/wide switches.
#undef DrawText
#undef LoadImage

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "base/CodePage.h"
#include "base/win32/Handles.h"
#include "graphics/Graphics.h"
#include "graphics/Resample.h"
#include "graphics/win32/DibCanvas.h"
#include "imagelist/ImgShare.h"
#include "imagelist/SPlugin.h"
#include "imagelist/win32/ImgThread.h"
#include "platform/win32/SystemLibrary.h"

namespace pim {

namespace {

constexpr int kFailed = -1;

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::wstring WidePath(const std::string& path) { return Wide(Utf8ToUtf16(path)); }

// The video-file library's calls, looked up once; all null without it.
struct TVideoLibrary {
    decltype(&AVIFileInit) FileInit = nullptr;
    decltype(&AVIFileExit) FileExit = nullptr;
    decltype(&AVIStreamOpenFromFileW) StreamOpen = nullptr;
    decltype(&AVIStreamInfoW) StreamInfo = nullptr;
    decltype(&AVIStreamRelease) StreamRelease = nullptr;
    decltype(&AVIStreamGetFrameOpen) FrameOpen = nullptr;
    decltype(&AVIStreamGetFrame) Frame = nullptr;
    decltype(&AVIStreamGetFrameClose) FrameClose = nullptr;

    TVideoLibrary() {
        HMODULE avifil = LoadSystemLibrary(L"avifil32.dll");
        FileInit = SystemFunction<decltype(FileInit)>(avifil, "AVIFileInit");
        FileExit = SystemFunction<decltype(FileExit)>(avifil, "AVIFileExit");
        StreamOpen = SystemFunction<decltype(StreamOpen)>(avifil, "AVIStreamOpenFromFileW");
        StreamInfo = SystemFunction<decltype(StreamInfo)>(avifil, "AVIStreamInfoW");
        StreamRelease = SystemFunction<decltype(StreamRelease)>(avifil, "AVIStreamRelease");
        FrameOpen = SystemFunction<decltype(FrameOpen)>(avifil, "AVIStreamGetFrameOpen");
        Frame = SystemFunction<decltype(Frame)>(avifil, "AVIStreamGetFrame");
        FrameClose = SystemFunction<decltype(FrameClose)>(avifil, "AVIStreamGetFrameClose");
    }
    bool Complete() const {
        return FileInit && FileExit && StreamOpen && StreamInfo && StreamRelease && FrameOpen && Frame && FrameClose;
    }
};

const TVideoLibrary& VideoLibrary() {
    static const TVideoLibrary library;
    return library;
}

// Any bitmap handle's pixels as 24-bit, through GetDIBits; the handle is
// freed in every case.
int TakeBitmapHandle(HBITMAP handle, TBitmap& bitmap) {
    const TBitmapHandle owner(handle);
    BITMAP facts{};
    if (!GetObjectW(handle, sizeof facts, &facts) || facts.bmWidth <= 0 || facts.bmHeight <= 0)
        throw EInvalidGraphic("not a bitmap");
    TBitmap result(facts.bmWidth, facts.bmHeight, TPixelFormat::pf24bit);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = facts.bmWidth;
    info.bmiHeader.biHeight = -facts.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const TMemoryDC dc(CreateCompatibleDC(nullptr));
    const int rows = GetDIBits(dc.get(), handle, 0, facts.bmHeight, result.ScanLine(0), &info, DIB_RGB_COLORS);
    if (rows != facts.bmHeight) throw EInvalidGraphic("unreadable bitmap");
    bitmap = std::move(result);
    return 0;
}

// COM for the calling thread while the object lives; a thread that has it in
// another mode already keeps it.
class TComScope {
public:
    TComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~TComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;

private:
    HRESULT hr_;
};

struct TRelease {
    void operator()(IUnknown* p) const { p->Release(); }
};
template <class T>
using TComOwned = std::unique_ptr<T, TRelease>;

TIconHandle AssociatedIcon(const std::wstring& path) {
    TComScope com;
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON)) return TIconHandle();
    return TIconHandle(info.hIcon);
}

SIZE IconSize(HICON icon) {
    ICONINFO parts{};
    SIZE size{0, 0};
    if (!GetIconInfo(icon, &parts)) return size;
    const TBitmapHandle color(parts.hbmColor), mask(parts.hbmMask);  // copies made for us
    BITMAP facts{};
    if (parts.hbmColor && GetObjectW(parts.hbmColor, sizeof facts, &facts)) {
        size = {facts.bmWidth, facts.bmHeight};
    } else if (parts.hbmMask && GetObjectW(parts.hbmMask, sizeof facts, &facts)) {
        size = {facts.bmWidth, facts.bmHeight / 2};  // AND mask over XOR mask
    }
    return size;
}

// The file's bytes; none when it cannot be read. The handle is closed on
// every path, a failed allocation for the bytes included.
std::vector<std::uint8_t> ReadWholeFile(const std::wstring& path) {
    const TKernelHandle file = OwnFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::vector<std::uint8_t> bytes;
    LARGE_INTEGER size{};
    // Metafiles are small; one past 256 MiB is not worth a thumbnail.
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart <= (256 << 20)) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
            read != bytes.size())
            bytes.clear();
    }
    return bytes;
}

// The logical inch of the screen, the scale metafile sizes are shown at.
int ScreenPixelsPerInch() {
    const TWindowDC screen(nullptr);
    const int ppi = GetDeviceCaps(screen.get(), LOGPIXELSX);
    return ppi > 0 ? ppi : 96;
}

// An enhanced metafile's size in pixels of the device it was recorded on.
SIZE EnhancedSize(HENHMETAFILE emf) {
    ENHMETAHEADER header{};
    if (!GetEnhMetaFileHeader(emf, sizeof header, &header)) return {0, 0};
    const LONG frameWidth = header.rclFrame.right - header.rclFrame.left;
    const LONG frameHeight = header.rclFrame.bottom - header.rclFrame.top;
    if (frameWidth > 0 && frameHeight > 0 && header.szlMillimeters.cx > 0 && header.szlMillimeters.cy > 0)
        return {MulDiv(frameWidth, header.szlDevice.cx, header.szlMillimeters.cx * 100),
                MulDiv(frameHeight, header.szlDevice.cy, header.szlMillimeters.cy * 100)};
    return {header.rclBounds.right - header.rclBounds.left + 1, header.rclBounds.bottom - header.rclBounds.top + 1};
}

// A Windows metafile (placeable or plain) as an enhanced one, with its size.
TMetafileHandle WindowsMetafile(const std::wstring& path, SIZE& size) {
    std::vector<std::uint8_t> bytes = ReadWholeFile(path);
    constexpr std::size_t kPlaceableHeader = 22;
    constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
    const auto u16 = [&](std::size_t at) { return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8); };
    const auto s16 = [&](std::size_t at) { return static_cast<std::int16_t>(u16(at)); };
    if (bytes.size() > kPlaceableHeader && (u16(0) | std::uint32_t{u16(2)} << 16) == kPlaceableKey) {
        // Bounds in metafile units, `inch` units to the inch.
        const int width = s16(10) - s16(6), height = s16(12) - s16(8), inch = u16(14);
        if (width <= 0 || height <= 0 || inch == 0) return {};
        METAFILEPICT picture{MM_ANISOTROPIC, MulDiv(width, 2540, inch), MulDiv(height, 2540, inch), nullptr};
        TMetafileHandle emf(SetWinMetaFileBits(static_cast<UINT>(bytes.size() - kPlaceableHeader),
                                               bytes.data() + kPlaceableHeader, nullptr, &picture));
        const int ppi = ScreenPixelsPerInch();
        size = {MulDiv(width, ppi, inch), MulDiv(height, ppi, inch)};
        return emf;
    }
    if (bytes.size() < 18) return {};  // not even a metafile header
    TMetafileHandle emf(SetWinMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data(), nullptr, nullptr));
    if (emf) size = EnhancedSize(emf.get());
    return emf;
}

HFONT MakeFont(const TImgFont& font, HDC dc) {
    LOGFONTW log{};
    log.lfHeight = font.Height != 0 ? font.Height : -MulDiv(font.Size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    log.lfWeight = FW_NORMAL;
    log.lfCharSet = static_cast<BYTE>(font.Charset);
    const std::u16string face = AnsiToUtf16(font.Name);
    std::memcpy(log.lfFaceName, face.c_str(), sizeof(char16_t) * std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    return CreateFontIndirectW(&log);
}

// The font selected into a DC while the object lives.
class TFontScope {
public:
    TFontScope(HDC dc, const TImgFont& font) : font_(MakeFont(font, dc)) {
        if (font_) selection_.emplace(dc, font_.get());
    }
    explicit operator bool() const { return static_cast<bool>(font_); }

private:
    TFontHandle font_;
    std::optional<TSelection> selection_;  // goes first, before the font
};

// The image extractor's class and interface, as the shell registers them.
constexpr CLSID kExtractorClass = {0xEAB841A0, 0x9550, 0x11CF, {0x8C, 0x16, 0x00, 0x80, 0x5F, 0x14, 0x08, 0xF3}};
constexpr IID kExtractImageId = {0xBB2E617C, 0x0920, 0x11D1, {0x9A, 0x0B, 0x00, 0xC0, 0x4F, 0xC2, 0xD6, 0xC1}};
constexpr DWORD kExtractFlags = 0x20E;  // cache, aspect, offline, quality

DWORD ColorDepth(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit: return 1;
        case TPixelFormat::pf4bit: return 4;
        case TPixelFormat::pf8bit: return 8;
        case TPixelFormat::pf15bit:
        case TPixelFormat::pf16bit: return 16;
        case TPixelFormat::pf32bit: return 32;
        default: return 24;
    }
}

class TWinImgPlatform : public TImgPlatform {
public:
    void DrawIcon(const std::string& path, int iconIndex, TColor bkColor, TBitmap& bitmap) override {
        const std::wstring file = WidePath(path);
        TIconHandle icon;
        if (iconIndex == 0) {
            icon = AssociatedIcon(file);
        } else {
            HICON large = nullptr;
            if (ExtractIconExW(file.c_str(), iconIndex, &large, nullptr, 1) > 0) icon.reset(large);
        }
        const SIZE size = icon ? IconSize(icon.get()) : SIZE{0, 0};
        if (size.cx <= 0 || size.cy <= 0) {
            TImgPlatform::DrawIcon(path, iconIndex, ResolveColor(bkColor), bitmap);
            return;
        }
        TDibCanvas canvas(size.cx, size.cy);
        canvas.Fill(bkColor);
        DrawIconEx(canvas.Dc(), 0, 0, icon.get(), size.cx, size.cy, 0, nullptr, DI_NORMAL);
        canvas.CopyTo(bitmap);
    }

    int CountIcons(const std::string& path) override {
        return static_cast<int>(ExtractIconExW(WidePath(path).c_str(), -1, nullptr, nullptr, 0));
    }

    int LoadMetafile(const std::string& path, TColor bkColor, TBitmap& bitmap) override {
        const std::wstring file = WidePath(path);
        SIZE size{0, 0};
        TMetafileHandle emf;
        if (ImageTypeByExtension(path) == TImageType::iitEmf) {
            emf.reset(GetEnhMetaFileW(file.c_str()));
            if (emf) size = EnhancedSize(emf.get());
        } else {
            emf = WindowsMetafile(file, size);
        }
        if (!emf || size.cx <= 0 || size.cy <= 0) return kFailed;
        TDibCanvas canvas(size.cx, size.cy);
        canvas.Fill(bkColor);
        const RECT area{0, 0, size.cx, size.cy};
        PlayEnhMetaFile(canvas.Dc(), emf.get(), &area);
        canvas.CopyTo(bitmap);
        return 0;
    }

    int ExtractImage(const std::string& path, TBitmap& bitmap) override {
        TComScope com;
        IExtractImage* raw = nullptr;
        if (FAILED(CoCreateInstance(kExtractorClass, nullptr, CLSCTX_INPROC_SERVER, kExtractImageId,
                                    reinterpret_cast<void**>(&raw))))
            return kFailed;
        TComOwned<IExtractImage> extractor(raw);
        IPersistFile* rawFile = nullptr;
        if (FAILED(extractor->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&rawFile)))) return kFailed;
        TComOwned<IPersistFile> file(rawFile);
        if (FAILED(file->Load(WidePath(path).c_str(), STGM_READ))) return kFailed;
        wchar_t location[MAX_PATH] = {};
        DWORD priority = 0, flags = kExtractFlags;
        SIZE size{bitmap.Width(), bitmap.Height()};
        if (FAILED(
                extractor->GetLocation(location, MAX_PATH, &priority, &size, ColorDepth(bitmap.PixelFormat()), &flags)))
            return kFailed;
        HBITMAP picture = nullptr;
        if (FAILED(extractor->Extract(&picture)) || !picture) return kFailed;
        return TakeBitmapHandle(picture, bitmap);
    }

    int LoadVideoFrame(const std::string& path, int framePos, TBitmap& bitmap) override {
        const TVideoLibrary& avi = VideoLibrary();
        if (!avi.Complete()) return kFailed;
        avi.FileInit();
        PAVISTREAM stream = nullptr;
        PGETFRAME frames = nullptr;
        int result = kFailed;
        try {
            if (avi.StreamOpen(&stream, WidePath(path).c_str(), streamtypeVIDEO, 0, OF_READ, nullptr) == 0 &&
                (frames = avi.FrameOpen(stream, nullptr)) != nullptr) {
                AVISTREAMINFOW info{};
                avi.StreamInfo(stream, &info, sizeof info);
                const auto* dib = static_cast<const std::uint8_t*>(
                    avi.Frame(frames, AviFrameNumber(framePos, static_cast<int>(info.dwLength))));
                if (dib) {
                    TakeFrame(dib, bitmap);
                    result = 0;
                }
            }
        } catch (...) {
            Close(avi, stream, frames);
            throw;
        }
        Close(avi, stream, frames);
        return result;
    }

    int TextLineHeight(const TImgFont& font) override {
        const TMemoryDC dc(CreateCompatibleDC(nullptr));
        SIZE size{0, 0};
        const TFontScope selected(dc.get(), font);
        if (selected) GetTextExtentPoint32W(dc.get(), L"H", 1, &size);
        return size.cy;
    }

    void DrawText(TBitmap& bitmap, const TImgFont& font, const std::string& text) override {
        if (bitmap.Empty()) return;
        Ensure24Bit(bitmap);
        TDibCanvas canvas(bitmap.Width(), bitmap.Height());
        canvas.CopyFrom(bitmap);
        {
            TFontScope selected(canvas.Dc(), font);
            SetBkMode(canvas.Dc(), TRANSPARENT);
            SetTextColor(canvas.Dc(), GetSysColor(COLOR_WINDOWTEXT));
            const std::u16string wide = AnsiToUtf16(text);
            RECT area{0, 0, bitmap.Width(), bitmap.Height()};
            DrawTextW(canvas.Dc(), reinterpret_cast<const wchar_t*>(wide.c_str()), static_cast<int>(wide.size()), &area,
                      DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_NOPREFIX);
        }
        canvas.CopyTo(bitmap);
    }

private:
    // A packed DIB from the frame reader: header, palette, bits.
    static void TakeFrame(const std::uint8_t* dib, TBitmap& bitmap) {
        const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(dib);
        const std::size_t infoSize = PackedDibInfoSize(dib, header->biSize + 12 + 4 * 256);
        const std::int64_t rowBytes = DibRowBytes(header->biWidth, header->biBitCount);
        if (infoSize == 0 || rowBytes < 0) throw EInvalidGraphic("damaged video frame");
        const bool plain = header->biCompression == BI_RGB || header->biCompression == BI_BITFIELDS;
        const std::size_t bitsSize =
            plain ? static_cast<std::size_t>(rowBytes * std::abs(header->biHeight)) : header->biSizeImage;
        LoadDib(dib, infoSize, dib + infoSize, bitsSize, bitmap);
    }

    static void Close(const TVideoLibrary& avi, PAVISTREAM stream, PGETFRAME frames) {
        if (frames) avi.FrameClose(frames);
        if (stream) avi.StreamRelease(stream);
        avi.FileExit();
    }
};

}  // namespace

TImgPlatform& WindowsImgPlatform() {
    static TWinImgPlatform platform;
    return platform;
}

}  // namespace pim

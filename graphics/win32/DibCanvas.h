// A memory device context over a top-down 24-bit DIB section, for drawing
// with GDI into pictures the program keeps as TBitmaps (thumbnails, icons).
// Windows side only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>

#include "base/Font.h"
#include "base/win32/Handles.h"
#include "graphics/Graphics.h"

namespace pim {

// System colours (clWindow and the like) as the RGB they stand for.
inline TColor ResolveColor(TColor color) { return color < 0 ? static_cast<TColor>(GetSysColor(color & 0xFF)) : color; }

// A memory DC with a top-down 24-bit DIB section selected into it.
class TDibCanvas {
public:
    TDibCanvas(int width, int height) : width_(width), height_(height) {
        if (width <= 0 || height <= 0) throw EInvalidGraphic("empty picture");
        // A metafile may declare any size; refuse what no bitmap may hold
        // before GDI allocates it.
        if (width > kMaxBitmapDimension || height > kMaxBitmapDimension ||
            DibRowBytes(width, 24) * height > BitmapMemoryLimit())
            throw EInvalidGraphic("picture too large", TFault::fTooLarge);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        dc_.reset(CreateCompatibleDC(nullptr));
        if (dc_) bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        if (!bitmap_) throw EInvalidGraphic("out of drawing resources");
        selection_.emplace(dc_.get(), bitmap_.get());
    }
    TDibCanvas(const TDibCanvas&) = delete;
    TDibCanvas& operator=(const TDibCanvas&) = delete;

    HDC Dc() const { return dc_.get(); }
    void Fill(TColor color) {
        const TBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(ResolveColor(color))));
        const RECT all{0, 0, width_, height_};
        ::FillRect(dc_.get(), &all, brush.get());
    }
    void CopyFrom(const TBitmap& source) {
        GdiFlush();
        std::memcpy(bits_, source.ScanLine(0), static_cast<std::size_t>(source.RowBytes()) * height_);
    }
    void CopyTo(TBitmap& dest) const {
        GdiFlush();
        dest = TBitmap(width_, height_, TPixelFormat::pf24bit);
        std::memcpy(dest.ScanLine(0), bits_, static_cast<std::size_t>(dest.RowBytes()) * height_);
    }
    // The canvas's size of pixels to and from (x, y) of a 24-bit bitmap.
    void CopyFrom(const TBitmap& source, int x, int y) {
        GdiFlush();
        for (int row = 0; row < height_; ++row)
            std::memcpy(Row(row), source.ScanLine(y + row) + 3 * x, static_cast<std::size_t>(width_) * 3);
    }
    void CopyTo(TBitmap& dest, int x, int y) const {
        GdiFlush();
        for (int row = 0; row < height_; ++row)
            std::memcpy(dest.ScanLine(y + row) + 3 * x, Row(row), static_cast<std::size_t>(width_) * 3);
    }

private:
    std::uint8_t* Row(int row) const {
        return static_cast<std::uint8_t*>(bits_) + static_cast<std::size_t>(DibRowBytes(width_, 24)) * row;
    }
    int width_, height_;
    // Freed in this order from the bottom up: the bitmap leaves the context
    // before either goes.
    TMemoryDC dc_;
    TBitmapHandle bitmap_;
    std::optional<TSelection> selection_;
    void* bits_ = nullptr;
};

}  // namespace pim

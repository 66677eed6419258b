#include "ui/Image.h"

#include <windowsx.h>

#include <cmath>
#include <cstring>

namespace pim::ui {

TImage::TImage(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = OwnClass(L"PimImage"), .Bounds = p.Bounds});
}

void TImage::SetPicture(const TGraphic* graphic) {
    width_ = height_ = 0;
    pixels_.clear();
    if (graphic && graphic->Width() > 0 && graphic->Height() > 0) {
        TBitmap bitmap;
        bitmap.Assign(*graphic);
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        width_ = bitmap.Width();
        height_ = bitmap.Height();
        rowBytes_ = bitmap.RowBytes();
        pixels_.resize(static_cast<std::size_t>(rowBytes_ * height_));
        for (int y = 0; y < height_; ++y)
            std::memcpy(&pixels_[static_cast<std::size_t>((height_ - 1 - y) * rowBytes_)], bitmap.ScanLine(y),
                        static_cast<std::size_t>(rowBytes_));
    }
    SetZoom(1);
}

void TImage::SetZoom(double zoom) {
    zoom_ = zoom;
    const TBounds b = Bounds();
    SetBounds({b.Left, b.Top, static_cast<int>(std::lround(width_ * zoom)), static_cast<int>(std::lround(height_ * zoom))});
    Invalidate();
}

COLORREF TImage::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const std::uint8_t* p = &pixels_[static_cast<std::size_t>((height_ - 1 - y) * rowBytes_ + 3 * x)];
    return RGB(p[2], p[1], p[0]);
}

LRESULT TImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK && OnDblClick) {
        OnDblClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        if (width_ > 0) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = width_;
            info.bmiHeader.biHeight = height_;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 24;
            info.bmiHeader.biCompression = BI_RGB;
            if (zoom_ == 1) {
                SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, pixels_.data(), &info, DIB_RGB_COLORS);
            } else {
                // Smoothed when shrunk; whole pixels when enlarged, to see them.
                SetStretchBltMode(dc, zoom_ < 1 ? HALFTONE : COLORONCOLOR);
                SetBrushOrgEx(dc, 0, 0, nullptr);
                const SIZE size = ClientSize();
                StretchDIBits(dc, 0, 0, size.cx, size.cy, 0, 0, width_, height_, pixels_.data(), &info,
                              DIB_RGB_COLORS, SRCCOPY);
            }
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

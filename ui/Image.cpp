#include "ui/Image.h"

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
    const TBounds b = Bounds();
    SetBounds({b.Left, b.Top, width_, height_});
    Invalidate();
}

COLORREF TImage::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const std::uint8_t* p = &pixels_[static_cast<std::size_t>((height_ - 1 - y) * rowBytes_ + 3 * x)];
    return RGB(p[2], p[1], p[0]);
}

LRESULT TImage::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
            SetDIBitsToDevice(dc, 0, 0, width_, height_, 0, 0, 0, height_, pixels_.data(), &info, DIB_RGB_COLORS);
        }
        EndPaint(Handle(), &ps);
        return 0;
    }
    return TWindow::WndProc(message, wParam, lParam);
}

}  // namespace pim::ui

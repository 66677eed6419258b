// Owning wrappers for the handles the Windows side makes: brushes, pens,
// fonts and bitmaps (GDI objects), memory and window device contexts, image
// lists, icons, menus, enhanced metafiles and kernel objects. Each frees its
// handle when it goes, on every path, so no function frees one by hand. Move-only; get() lends the handle,
// release() gives it away (to a window that takes ownership of it).
// TSelection puts an object into a device context and the old one back.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace pim {

template <class H, class Free>
class THandle {
public:
    THandle() = default;
    explicit THandle(H handle) : handle_(handle) {}
    ~THandle() { reset(); }
    THandle(THandle&& other) noexcept : handle_(other.release()) {}
    THandle& operator=(THandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    H release() { return std::exchange(handle_, nullptr); }
    void reset(H handle = nullptr) {
        if (handle_ && handle_ != handle) Free()(handle_);
        handle_ = handle;
    }

private:
    H handle_ = nullptr;
};

struct TFreeGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct TFreeDC {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct TFreeImageList {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
struct TFreeIcon {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct TFreeMenu {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct TFreeKernelObject {
    void operator()(HANDLE object) const { CloseHandle(object); }
};
struct TFreeMetafile {
    void operator()(HENHMETAFILE metafile) const { DeleteEnhMetaFile(metafile); }
};

using TBrushHandle = THandle<HBRUSH, TFreeGdiObject>;
using TPenHandle = THandle<HPEN, TFreeGdiObject>;
using TFontHandle = THandle<HFONT, TFreeGdiObject>;
using TBitmapHandle = THandle<HBITMAP, TFreeGdiObject>;
// A memory device context (CreateCompatibleDC).
using TMemoryDC = THandle<HDC, TFreeDC>;
using TImageListHandle = THandle<HIMAGELIST, TFreeImageList>;
using TIconHandle = THandle<HICON, TFreeIcon>;
using TMenuHandle = THandle<HMENU, TFreeMenu>;
using TMetafileHandle = THandle<HENHMETAFILE, TFreeMetafile>;
// A file, thread or event (CreateFileW's failure, INVALID_HANDLE_VALUE, is
// to be given as nullptr).
using TKernelHandle = THandle<HANDLE, TFreeKernelObject>;
// The owner of a file handle as CreateFileW gives it, whose failure
// (INVALID_HANDLE_VALUE) becomes an empty owner.
inline TKernelHandle OwnFileHandle(HANDLE file) { return TKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file); }

// A window's device context (GetDC), given back when it goes.
class TWindowDC {
public:
    explicit TWindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~TWindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// `object` selected into `dc` for the selection's life.
class TSelection {
public:
    TSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~TSelection() { SelectObject(dc_, old_); }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace pim

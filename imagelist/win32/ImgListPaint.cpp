// The thumbnail list's cells: their size, their frames and bevels, the
// thumbnail copied from its store or the item's composed shell icon, and the
// small-icon badge drawn into a new thumbnail.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/win32/Handles.h"
#include "graphics/win32/DibCanvas.h"
#include "graphics/Resample.h"
#include "imagelist/win32/ImgListView.h"

namespace pim {

namespace {

void FillBar(HDC dc, int left, int top, int right, int bottom, TColor color) {
    const RECT r{left, top, right, bottom};
    const TBrushHandle brush(CreateSolidBrush(static_cast<COLORREF>(ResolveColor(color))));
    FillRect(dc, &r, brush.get());
}

// A 24-bit bitmap as a DIB header for drawing `rows` rows of it.
BITMAPINFO DibInfo(const TBitmap& bitmap, int rows) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bitmap.Width();
    info.bmiHeader.biHeight = -rows;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Copies w x h pixels at (sx, sy) of a 24-bit bitmap to (x, y) of dc, at
// size dw x dh.
void Blit(HDC dc, int x, int y, int dw, int dh, const TBitmap& bitmap, int sx, int sy, int w, int h) {
    const BITMAPINFO info = DibInfo(bitmap, h);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, dw, dh, sx, 0, w, h, bitmap.ScanLine(sy), &info, DIB_RGB_COLORS, SRCCOPY);
}

// A plain "broken picture": a sheet with a torn corner and a red cross,
// centred in the box.
void PaintBrokenMark(HDC dc, int x, int y, int boxW, int boxH) {
    const int w = std::min(boxW, 32), h = std::min(boxH, 40);
    const int left = x + (boxW - w) / 2, top = y + (boxH - h) / 2;
    const int fold = w / 3;
    const TPenHandle outline(CreatePen(PS_SOLID, 1, RGB(96, 96, 96)));
    const TPenHandle cross(CreatePen(PS_SOLID, 3, RGB(200, 32, 32)));
    const TBrushHandle paper(CreateSolidBrush(RGB(240, 240, 240)));
    const TSelection brush(dc, paper.get());
    const TSelection pen(dc, outline.get());  // the old pen comes back after the cross too
    const POINT sheet[] = {
        {left, top}, {left + w - fold, top}, {left + w, top + fold}, {left + w, top + h}, {left, top + h}};
    Polygon(dc, sheet, 5);
    const POINT corner[] = {{left + w - fold, top}, {left + w - fold, top + fold}, {left + w, top + fold}};
    Polyline(dc, corner, 3);
    SelectObject(dc, cross.get());
    const int cx = left + w / 2, cy = top + h / 2 + fold / 2, r = w / 4;
    MoveToEx(dc, cx - r, cy - r, nullptr);
    LineTo(dc, cx + r, cy + r);
    MoveToEx(dc, cx + r, cy - r, nullptr);
    LineTo(dc, cx - r, cy + r);
}

// A blank item: a white page of the run's default page shape (480 x 680)
// with a thin grey edge, so that it shows on a white list, centred in the box.
void PaintBlankPage(HDC dc, int x, int y, int boxW, int boxH) {
    const TImgSize page = FitSize(480, 680, std::max(boxW - 8, 4), std::max(boxH - 8, 4), TGetType::igtPreview);
    const int left = x + (boxW - page.Width) / 2, top = y + (boxH - page.Height) / 2;
    const TPenHandle edge(CreatePen(PS_SOLID, 1, RGB(128, 128, 128)));
    const TBrushHandle paper(CreateSolidBrush(RGB(255, 255, 255)));
    const TSelection brush(dc, paper.get());
    const TSelection pen(dc, edge.get());
    Rectangle(dc, left, top, left + page.Width, top + page.Height);
}

void Bevel(HDC dc, RECT& r, TBevelCut cut, int width) {
    if (cut == TBevelCut::bvNone) return;
    for (int i = 0; i < width; ++i) {
        DrawEdge(dc, &r, cut == TBevelCut::bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
}

}  // namespace

void TImgListView::Layout() {
    if (!Handle()) return;
    const SIZE iconCell = viewImage_.BigIcon() ? SIZE{viewImage_.BigIconSize(), viewImage_.BigIconSize()} : largeIcon_;
    icons_.SetCellSize(iconCell.cx, iconCell.cy);
    icons_.SetSheetWidthLimit(iconCell.cx);  // one cell wide
    cell_ = CellSizeOf(viewImage_);
    ListView_SetColumnWidth(Handle(), 0,
                            std::max<int>(ListView_GetColumnWidth(Handle(), 0),
                                          iconStyle_ == TIconStyle::iisImage && viewStyle_ == ui::TViewStyle::vsReport
                                              ? cell_.Margin + viewImage_.ImageWidth() + 4
                                              : 0));
    if (iconStyle_ != TIconStyle::iisImage) {
        HIMAGELIST list = iconStyle_ == TIconStyle::iisIcon ? systemLarge_ : systemSmall_;
        ListView_SetImageList(Handle(), list, LVSIL_NORMAL);
        ListView_SetImageList(Handle(), list, LVSIL_SMALL);
        ListView_SetIconSpacing(Handle(), LOWORD(spacing_), HIWORD(spacing_));
        return;
    }
    const bool icon = viewStyle_ == ui::TViewStyle::vsIcon;
    TImageListHandle blank(ImageList_Create(icon ? cell_.Width - 16 : cell_.Width,
                                            icon ? cell_.Height - 4 : cell_.Height, ILC_COLOR24, 1, 1));
    ListView_SetImageList(Handle(), blank.get(), LVSIL_NORMAL);
    ListView_SetImageList(Handle(), blank.get(), LVSIL_SMALL);
    blank_ = std::move(blank);
    ListView_SetIconSpacing(Handle(), view_.IconSpacing().X() + cell_.Width, view_.IconSpacing().Y() + cell_.Height);
    thumbs_.SetCellSize(viewImage_.ImageWidth(), viewImage_.ImageHeight());
}

void TImgListView::FullReset() {
    if (!setUp_) return;
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    busy_ = true;
    TListView::SetRowCount(0);
    ColourReset();
    Layout();
    SetRows(ImgItems().Count(), 0);
    busy_ = false;
    StartColumnFit();
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

// A new background colour: the pictures are made again.
void TImgListView::ColourReset() {
    threads_.Stop();
    iconCache_.clear();
    icons_.Clear();
    thumbs_.SetBkColor(static_cast<TColor>(GetSysColor(COLOR_WINDOW)));
    if (model_.IsFileMode()) {
        for (int i = 0; i < ImgItems().Count(); ++i) {
            TImgListItem& item = *ImgItems()[i];
            item.ClearCache();
            item.Resolved = false;
            item.ThumbIndex = -1;
            item.SmallIconIndex = -1;
        }
        thumbs_.Clear();
        Invalidate();
    } else {
        model_.Rebuild();
    }
}

LRESULT TImgListView::CustomDraw(NMLVCUSTOMDRAW& draw) {
    const bool cells = iconStyle_ == TIconStyle::iisImage;
    const int marked = dragDrop_->Insertion().Row;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return cells || marked >= 0 ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        case CDDS_ITEMPREPAINT: return cells || row == marked ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
        case CDDS_ITEMPOSTPAINT:
            if (cells) PaintCell(draw.nmcd.hdc, row);
            if (row == marked) PaintInsertion(draw.nmcd.hdc, row);
            return CDRF_DODEFAULT;
        default: return CDRF_DODEFAULT;
    }
}

void TImgListView::PaintInsertion(HDC dc, int row) {
    RECT r;
    if (!ListView_GetItemRect(Handle(), row, &r, LVIR_BOUNDS)) return;
    // A bar inside the row, on the edge the items would land at: across the
    // row where rows stack, down it where they fill lines (icon views).
    constexpr int kBar = 3;
    const bool after = dragDrop_->Insertion().After;
    const bool across = RowsAcross();
    if (!across && after) r.top = r.bottom - kBar;
    if (!across && !after) r.bottom = r.top + kBar;
    if (across && after) r.left = r.right - kBar;
    if (across && !after) r.right = r.left + kBar;
    FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
}

void TImgListView::PaintCell(HDC dc, int row) {
    if (busy_ || row < 0 || row >= ImgItems().Count() || !IsWindowVisible(Handle())) return;
    RECT icon;
    if (!ListView_GetItemRect(Handle(), row, &icon, LVIR_ICON)) return;
    const int x = icon.left + std::max(0, static_cast<int>(icon.right - icon.left) - cell_.Width) / 2;
    const int y = icon.top + std::max(0, static_cast<int>(icon.bottom - icon.top) - cell_.Height) / 2;
    // Only the selection is asked of the list view: its drop-highlight bit
    // comes back set on rows nobody highlighted (under Wine), so the view
    // keeps the drop-highlighted row itself.
    const bool marked = ListView_GetItemState(Handle(), row, LVIS_SELECTED) != 0 || row == dragDrop_->Highlighted();
    const bool hideSelection = !(GetWindowLongW(Handle(), GWL_STYLE) & LVS_SHOWSELALWAYS);
    const bool shown = GetFocus() == Handle() || !hideSelection;
    PaintFrame(dc, {x, y, x + cell_.Width, y + cell_.Height}, shown && marked);
    PaintPicture(dc, x + cell_.Margin + viewImage_.BlankSpace().Left(),
                 y + cell_.Margin + viewImage_.BlankSpace().Top(), *ImgItems()[row]);
}

void TImgListView::PaintFrame(HDC dc, const RECT& cell, bool selected) {
    // The list view does not paint this area: what was drawn for the row
    // before (a selection frame, another picture) goes first.
    const TBrushHandle background(CreateSolidBrush(ListView_GetBkColor(Handle())));
    FillRect(dc, &cell, background.get());
    TFrameStyle& own = selected ? viewImage_.SelectFrame() : viewImage_.Frame();
    TFrameStyle& other = selected ? viewImage_.Frame() : viewImage_.SelectFrame();
    RECT r = cell;
    if (own.Visible()) {
        // The thinner frame's inner edge meets the wider one's.
        const int inset = other.Visible() && other.Width() > own.Width() ? other.Width() - own.Width() : 0;
        InflateRect(&r, -inset, -inset);
        const int w = own.Width();
        FillBar(dc, r.left, r.top, r.left + w, r.bottom, own.Color());
        FillBar(dc, r.left, r.bottom - w, r.right, r.bottom, own.Color());
        FillBar(dc, r.right - w, r.top, r.right, r.bottom, own.Color());
        FillBar(dc, r.left, r.top, r.right, r.top + w, own.Color());
    }
    r = cell;
    const int frame = std::max(viewImage_.Frame().Visible() ? viewImage_.Frame().Width() : 0,
                               viewImage_.SelectFrame().Visible() ? viewImage_.SelectFrame().Width() : 0);
    InflateRect(&r, -frame, -frame);
    if (viewImage_.BorderStyle() == TCellBorder::bsSingle) {
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        InflateRect(&r, -1, -1);
        DrawEdge(dc, &r, BDR_SUNKENINNER, BF_RECT);
        InflateRect(&r, -1, -1);
    }
    Bevel(dc, r, viewImage_.BevelOuter(), viewImage_.BevelWidth());
    Bevel(dc, r, viewImage_.BevelInner(), viewImage_.BevelWidth());
}

void TImgListView::PaintPicture(HDC dc, int x, int y, TImgListItem& item) {
    const int boxW = viewImage_.ImageWidth();
    const int boxH = viewImage_.ImageHeight();
    if (item.ThumbIndex >= 0 && item.ThumbIndex < thumbs_.Count()) {
        int sx = 0, sy = 0;
        const TBitmap& sheet = thumbs_.Locate(item.ThumbIndex, sx, sy);
        Blit(dc, x, y, boxW, boxH, sheet, sx, sy, boxW, boxH);
        return;
    }
    if (item.IsBlank()) return PaintBlankPage(dc, x, y, boxW, boxH);
    if (!item.HasEntry()) return;
    if (WantsThumbnail(item) && !item.Resolved) {
        threads_.Request(item.Id(), true);
        if (!startAfterPaint_) threads_.Pump();
        return;
    }
    item.Resolved = true;
    const int index = ComposedIcon(item);
    if (index < 0) {
        // Not even the shell has a picture for it.
        PaintBrokenMark(dc, x, y, boxW, boxH);
        return;
    }
    int sx = 0, sy = 0;
    const TBitmap& sheet = icons_.Locate(index, sx, sy);
    const TImgSize fitted = FitSize(icons_.CellWidth(), icons_.CellHeight(), boxW, boxH, TGetType::igtPreview);
    Blit(dc, x + (boxW - fitted.Width) / 2, y + (boxH - fitted.Height) / 2, fitted.Width, fitted.Height, sheet, sx, sy,
         icons_.CellWidth(), icons_.CellHeight());
}

int TImgListView::ComposedIcon(TImgListItem& item) {
    if (item.SmallIconIndex >= 0) return item.SmallIconIndex;
    const std::string key = std::to_string(item.OverlayIndex) + "/" + std::to_string(item.IconIndex());
    if (const auto found = iconCache_.find(key); found != iconCache_.end()) return item.SmallIconIndex = found->second;
    if (!systemLarge_ || item.IconIndex() < 0) return -1;
    TDibCanvas surface(largeIcon_.cx, largeIcon_.cy);
    surface.Fill(viewImage_.ImgUtil().BKColor());
    ImageList_Draw(systemLarge_, item.IconIndex(), surface.Dc(), 0, 0,
                   ILD_TRANSPARENT | INDEXTOOVERLAYMASK(item.OverlayIndex + 1));
    TBitmap icon(largeIcon_.cx, largeIcon_.cy, TPixelFormat::pf24bit);
    surface.CopyTo(icon, 0, 0);
    if (viewImage_.BigIcon()) Resample(icon, viewImage_.BigIconSize(), viewImage_.BigIconSize());
    const int index = icons_.Add(icon);
    if (!model_.IsFileMode()) iconCache_[key] = index;
    item.SourceWidth = icons_.CellWidth();
    item.SourceHeight = icons_.CellHeight();
    return item.SmallIconIndex = index;
}

void TImgListView::DrawBadge(TImgListItem& item) {
    const TIconPosition pos = viewImage_.SmallIcon().IconPos();
    if (iconStyle_ != TIconStyle::iisImage || pos == TIconPosition::iipNone || !WantsThumbnail(item) || !systemSmall_)
        return;
    const int size = viewImage_.SmallIcon().Size();
    const int space = viewImage_.SmallIcon().Space();
    const bool right = pos == TIconPosition::iipRightTop || pos == TIconPosition::iipRightBottom;
    const bool bottom = pos == TIconPosition::iipLeftBottom || pos == TIconPosition::iipRightBottom;
    const int bx = right ? viewImage_.ImageWidth() - space - size : 0;
    const int by = bottom ? viewImage_.ImageHeight() - space - size : 0;
    int sx = 0, sy = 0;
    TBitmap& sheet = thumbs_.Locate(item.ThumbIndex, sx, sy);
    if (size <= 0 || bx < 0 || by < 0) return;
    // The small system list shares the large one's indices. The mark comes
    // from the small icon while it is large enough, else from the large one,
    // drawn at the mark's size.
    const int icon = item.IconIndex();
    if (icon < 0) return;
    int smallWidth = 16, smallHeight = 16;
    ImageList_GetIconSize(systemSmall_, &smallWidth, &smallHeight);
    TDibCanvas surface(size, size);
    surface.CopyFrom(sheet, sx + bx, sy + by);
    if (size == smallWidth) {
        ImageList_Draw(systemSmall_, icon, surface.Dc(), 0, 0, ILD_TRANSPARENT);
    } else {
        HIMAGELIST list = size > smallWidth && systemLarge_ ? systemLarge_ : systemSmall_;
        const TIconHandle drawn(ImageList_GetIcon(list, icon, ILD_TRANSPARENT));
        if (!drawn) return;
        DrawIconEx(surface.Dc(), 0, 0, drawn.get(), size, size, 0, nullptr, DI_NORMAL);
    }
    surface.CopyTo(sheet, sx + bx, sy + by);
}

}  // namespace pim

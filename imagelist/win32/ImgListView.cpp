#include "imagelist/win32/ImgListView.h"

#include <commctrl.h>

#include "app/AppPlatform.h"

namespace pim {

TImgListView::TImgListView(const Params& p)
    : TListView({.Parent = p.Parent, .Bounds = p.Bounds, .ViewStyle = p.ViewStyle, .MultiSelect = p.MultiSelect,
                 .GridLines = p.GridLines}) {
    model_.DispTypes().SetFolders(p.Folders);
    model_.DispTypes().SetExt(p.Ext);
    model_.SetHooks(this);
    model_.EnterDesktop();
}

TImgListView::~TImgListView() { model_.SetHooks(nullptr); }

std::u16string TImgListView::RowText(int row) {
    if (busy_ || row < 0 || row >= ImgItems().Count()) return {};
    return NativeToUtf16(ImgItems()[row]->DisplayName());
}

void TImgListView::ScrollToOrigin() {
    if (RowCount() > 0) ListView_EnsureVisible(Handle(), 0, FALSE);
}

void TImgListView::BeginRebuild() {
    busy_ = true;
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TImgListView::EndRebuild() {
    busy_ = false;
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

}  // namespace pim

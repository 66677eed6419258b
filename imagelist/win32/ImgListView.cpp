#include "imagelist/win32/ImgListView.h"

#include <shellapi.h>

#include "app/AppPlatform.h"
#include "imagelist/win32/ShellWatch.h"
#include "imagelist/win32/ImgThread.h"

namespace pim {

namespace {

constexpr UINT kWatchMessage = WM_APP + 0x31;  // the watched folder changed

DWORD StyleBits(ui::TViewStyle style) {
    switch (style) {
        case ui::TViewStyle::vsSmallIcon: return LVS_SMALLICON;
        case ui::TViewStyle::vsList: return LVS_LIST;
        case ui::TViewStyle::vsReport: return LVS_REPORT;
        default: return LVS_ICON;
    }
}

struct TColumn {
    const char* caption;
    int format;
    int width;
};
// "名前", "サイズ", "ファイルの種類", "更新日時".
constexpr TColumn kColumns[] = {
    {"\x96\xbc\x91\x4f", LVCFMT_LEFT, 162},
    {"\x83\x54\x83\x43\x83\x59", LVCFMT_RIGHT, 69},
    {"\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x8e\xed\x97\xde", LVCFMT_LEFT, 138},
    {"\x8d\x58\x90\x56\x93\xfa\x8e\x9e", LVCFMT_LEFT, 104},
};
constexpr TSortTypeEx kColumnSort[] = {TSortTypeEx::istName, TSortTypeEx::istSize, TSortTypeEx::istType,
                                       TSortTypeEx::istDate};

}  // namespace

TImgListView::TImgListView(const Params& p)
    : TListView({.Parent = p.Parent, .Bounds = p.Bounds, .ViewStyle = p.ViewStyle, .MultiSelect = p.MultiSelect,
                 .GridLines = p.GridLines, .EditLabels = true}),
      view_(model_.DispTypes()),
      threads_(*this),
      dragDrop_(std::make_unique<TImgDragDrop>(*this)),
      iconStyle_(p.IconStyle),
      viewStyle_(p.ViewStyle) {
    model_.SetHooks(this);
    viewImage_.ImgUtil().SetPlatform(&WindowsImgPlatform());
    thumbs_.SetBkColor(static_cast<TColor>(GetSysColor(COLOR_WINDOW)));

    for (int i = 0; i < 4; ++i) {
        const std::u16string caption = ui::Widen(kColumns[i].caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
        column.fmt = kColumns[i].format;
        column.cx = kColumns[i].width;
        column.pszText = const_cast<wchar_t*>(ui::W(caption));
        SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }
    SHFILEINFOW info{};
    systemLarge_ = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
    systemSmall_ = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    int w = 32, h = 32;
    if (systemLarge_ && ImageList_GetIconSize(systemLarge_, &w, &h)) largeIcon_ = {w, h};
    ListView_SetImageList(Handle(), systemLarge_, LVSIL_NORMAL);
    spacing_ = ListView_GetItemSpacing(Handle(), FALSE);
    ListView_SetCallbackMask(Handle(), LVIS_DROPHILITED);
}

TImgListView::~TImgListView() {
    dragDrop_.reset();
    watcher_.reset();
    threads_.Stop();
    model_.SetHooks(nullptr);
    if (blank_) ImageList_Destroy(blank_);
}

void TImgListView::Setup() {
    viewImage_.OnChange = [this] { FullReset(); };
    view_.OnChange = [this] { FullReset(); };
    viewImage_.ImgUtil().OnChange = [this] { ColourReset(); };
    notification_.OnChange = [this] { model_.Rebuild(); };
    defaultExec_.OnChange = [this] { dragDrop_->UpdateRegistration(); };
    dragDrop_->UpdateRegistration();
    setUp_ = true;
    Layout();
    if (model_.FolderIdList().Absent())
        model_.EnterDesktop();
    else
        model_.Rebuild();
}

void TImgListView::SetIconStyle(TIconStyle style) {
    if (style == iconStyle_) return;
    iconStyle_ = style;
    FullReset();
}

void TImgListView::SetViewStyle(ui::TViewStyle style) {
    if (style == viewStyle_) return;
    viewStyle_ = style;
    const LONG bits = GetWindowLongW(Handle(), GWL_STYLE);
    SetWindowLongW(Handle(), GWL_STYLE, (bits & ~LVS_TYPEMASK) | StyleBits(style));
    Layout();
}

// ---- The model's window work ----------------------------------------------------

void TImgListView::SuspendNotify() { watcher_.reset(); }

void TImgListView::ResumeNotify() { Watch(); }

void TImgListView::Watch() {
    watcher_.reset();
    if (!notification_.Enabled() || !Handle()) return;
    const std::string path = model_.FolderPath();
    if (path.empty() || model_.FolderIdList().IsDesktop()) return;  // no file-system path
    watcher_ = TShellWatcher::Start(path, notification_.NotifyTypes(), Handle(), kWatchMessage);
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
    if (viewStyle_ == ui::TViewStyle::vsList) {
        // The list style's layout is its column width, fitted to the names
        // in steps (ImgListColumn.cpp): a style switch would have the list
        // view ask for every name at once.
        StartColumnFit();
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    } else {
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        // Another style and back: the list view lays its rows out anew. The
        // report style is the one in between, as its layout costs nothing;
        // the icon style would place every item (two thirds of a second for
        // 1,000 files under Wine).
        const LONG bits = GetWindowLongW(Handle(), GWL_STYLE);
        SetWindowLongW(Handle(), GWL_STYLE,
                       (bits & ~LVS_TYPEMASK) | (viewStyle_ == ui::TViewStyle::vsReport ? LVS_LIST : LVS_REPORT));
        SetWindowLongW(Handle(), GWL_STYLE, bits);
    }
    Invalidate();
}

void TImgListView::QueueLookAhead(TImgListItem& item) {
    if (viewImage_.LookAhead() && iconStyle_ == TIconStyle::iisImage && WantsThumbnail(item))
        threads_.Request(item.Id(), false);
}

bool TImgListView::WantsThumbnail(TImgListItem& item) {
    return !item.IdList().Absent() && viewImage_.Shows(item.ImageType());
}

// ---- The thumbnail queue's view ---------------------------------------------------

std::unique_ptr<TImgWorker> TImgListView::CreateWorker(TImgRequest request) {
    return CreateImgThread(std::move(request), viewImage_.ImgUtil(), Handle());
}

void TImgListView::ImageLoad(TImgListItem& item) {
    if (OnImageLoad) OnImageLoad(item);
}

void TImgListView::ImageLoaded(TImgListItem& item) {
    if (OnImageLoaded) OnImageLoaded(item);
}

void TImgListView::RepaintItem(int id) {
    const int row = ImgItems().IndexOfId(id);
    if (row >= 0) ListView_RedrawItems(Handle(), row, row);
}

// ---- Rows ---------------------------------------------------------------------------

std::u16string TImgListView::RowText(int row) {
    if (busy_ || row < 0 || row >= ImgItems().Count() || !view_.ShowCaptions()) return {};
    return NativeToUtf16(ImgItems()[row]->DisplayName());
}

void TImgListView::DisplayInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    // The list view keeps selection and focus itself; a state asked for here
    // is only the overlay or the drop highlight, and nothing else may come
    // back set.
    if (item.mask & LVIF_STATE) item.state = 0;
    if (busy_ || item.iItem < 0 || item.iItem >= ImgItems().Count()) return;
    // While the user scrolls only the focused row, or a full request, is served.
    if (scrolling_ && item.iItem != ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED) &&
        (item.mask & (LVIF_TEXT | LVIF_IMAGE)) != (LVIF_TEXT | LVIF_IMAGE))
        return;
    TImgListItem& entry = *ImgItems()[item.iItem];
    if (item.mask & LVIF_IMAGE)
        item.iImage = iconStyle_ == TIconStyle::iisImage ? I_IMAGENONE : entry.IconIndex();
    if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
        std::u16string text;
        if (item.iSubItem == 0)
            text = RowText(item.iItem);
        else if (item.iSubItem == 1)
            text = NativeToUtf16(entry.SizeText());
        else if (item.iSubItem == 2)
            text = NativeToUtf16(entry.TypeName());
        else if (item.iSubItem == 3)
            text = NativeToUtf16(entry.DateText());
        const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), n, reinterpret_cast<char16_t*>(item.pszText));
        item.pszText[n] = L'\0';
    }
    if (!entry.IdList().Absent() && iconStyle_ != TIconStyle::iisImage) {
        item.mask |= LVIF_STATE;
        item.stateMask |= LVIS_OVERLAYMASK;
        item.state = INDEXTOOVERLAYMASK(entry.OverlayIndex + 1);
    }
    if ((item.mask & LVIF_STATE) && item.iItem == dragDrop_->Highlighted()) item.state |= LVIS_DROPHILITED;
}

bool TImgListView::Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) return TListView::Notified(message, wParam, lParam, result);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    result = 0;
    switch (header->code) {
        case LVN_GETDISPINFOW:
            DisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return true;
        case NM_CUSTOMDRAW:
            result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
            return true;
        case LVN_ITEMACTIVATE: {
            const int row = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
            if (defaultExec_.DblClick() && row >= 0 && row < ImgItems().Count()) ImgItems()[row]->OpenItem();
            return true;
        }
        case LVN_ENDLABELEDITW: {
            const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            if (item.pszText && item.iItem >= 0 && item.iItem < ImgItems().Count())
                ImgItems()[item.iItem]->Rename(Utf16ToNative(reinterpret_cast<const char16_t*>(item.pszText)));
            return true;
        }
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
            dragDrop_->BeginDrag(header->code == LVN_BEGINRDRAG);
            return true;
        case LVN_COLUMNCLICK:
            ColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
            return true;
        case LVN_ODCACHEHINT:
            if (RowCount() > ImgItems().Count()) {
                TListView::SetRowCount(ImgItems().Count());
                ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED);
            }
            return true;
        default:
            return TListView::Notified(message, wParam, lParam, result);
    }
}

void TImgListView::ColumnClick(int column) {
    if (!defaultExec_.ColumnSort() || column < 0 || column > 3) return;
    if (kColumnSort[column] == SortType())
        SetDescend(!Descend());
    else
        SetSortType(kColumnSort[column]);
}

LRESULT TImgListView::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (ColumnFitMessage(message, wParam)) return 0;
    LRESULT menuResult = 0;
    if (popupMenu_.MenuMessage(message, wParam, lParam, menuResult)) return menuResult;
    switch (message) {
        case kImgResultMessage:
            threads_.TakeIn(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case kWatchMessage:
            if (watcher_ && watcher_->Serial() == static_cast<int>(wParam)) model_.Rebuild();
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            scrolling_ = LOWORD(wParam) != SB_ENDSCROLL;
            break;
        case WM_CONTEXTMENU:
            if (SelCount() == 0) break;
            ContextPopup(lParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MOUSEMOVE:
            dragDrop_->MouseMessage(message, wParam, lParam);
            break;
        case WM_DESTROY:
            dragDrop_->Revoke();
            break;
        case WM_KEYDOWN: {
            const LRESULT result = TListView::WndProc(message, wParam, lParam);
            KeyDown(wParam);
            return result;
        }
        default:
            break;
    }
    return TListView::WndProc(message, wParam, lParam);
}

void TImgListView::KeyDown(WPARAM key) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_F2 && !ctrl) {
        const int row = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
        if (row >= 0 && row < ImgItems().Count() && ImgItems()[row]->HasAttributes(sfgaoCanRename))
            ListView_EditLabel(Handle(), row);
    } else if (ctrl && key == 'A') {
        ListView_SetItemState(Handle(), -1, LVIS_SELECTED, LVIS_SELECTED);
    } else if (ctrl && key == 'I') {
        for (int row = 0; row < RowCount(); ++row) SetSelected(row, !Selected(row));
    } else {
        ShellKey(key);
    }
}

}  // namespace pim

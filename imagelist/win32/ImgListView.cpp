#include "imagelist/win32/ImgListView.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <unordered_map>

#include "base/SysUtils.h"

#include "base/CodePage.h"
#include "base/Paths.h"
#include "imagelist/FileFacts.h"
#include "imagelist/win32/ImgThread.h"
#include "ui/Application.h"
#include "imagelist/win32/ShellWatch.h"

namespace pim {

namespace {

constexpr UINT kWatchMessage = WM_APP + 0x31;    // the watched folder changed
constexpr UINT kListedMessage = WM_APP + 0x34;   // a listing of the folder ended
constexpr UINT kPaintedMessage = WM_APP + 0x35;  // the rebuilt rows are painted: look ahead
constexpr UINT_PTR kRefreshTimer = 0x33;         // a burst of changes has settled
constexpr DWORD kSettleMs = 200;                 // quiet that ends a burst
constexpr DWORD kLongestWaitMs = 1000;           // the longest a burst holds a refresh back

#ifndef LVM_CANCELEDITLABEL
#define LVM_CANCELEDITLABEL (LVM_FIRST + 179)
#endif

DWORD StyleBits(ui::TViewStyle style) {
    switch (style) {
        case ui::TViewStyle::vsSmallIcon: return LVS_SMALLICON;
        case ui::TViewStyle::vsList: return LVS_LIST;
        case ui::TViewStyle::vsReport: return LVS_REPORT;
        default: return LVS_ICON;
    }
}

struct TColumn {
    const char16_t* caption;
    int format;
    int width;
};
constexpr TColumn kColumns[] = {
    {u"名前", LVCFMT_LEFT, 162},
    {u"サイズ", LVCFMT_RIGHT, 69},
    {u"ファイルの種類", LVCFMT_LEFT, 138},
    {u"更新日時", LVCFMT_LEFT, 104},
};
constexpr TSortTypeEx kColumnSort[] = {TSortTypeEx::istName, TSortTypeEx::istSize, TSortTypeEx::istType,
                                       TSortTypeEx::istDate};

}  // namespace

TImgListView::TImgListView(const Params& p)
    : TListView({.Parent = p.Parent,
                 .Bounds = p.Bounds,
                 .ViewStyle = p.ViewStyle,
                 .MultiSelect = p.MultiSelect,
                 .GridLines = p.GridLines,
                 .EditLabels = true}),
      view_(model_.DispTypes()),
      // Three pictures waiting for each thread: taking a result in on this
      // thread takes longer than a camera's preview takes to decode.
      threads_(*this, DefaultImgWorkerCount(), 3 * DefaultImgWorkerCount()),
      dragDrop_(std::make_unique<TImgDragDrop>(*this)),
      iconStyle_(p.IconStyle),
      viewStyle_(p.ViewStyle) {
    model_.SetHooks(this);
    viewImage_.ImgUtil().SetPlatform(&WindowsImgPlatform());
    thumbs_.SetBkColor(static_cast<TColor>(GetSysColor(COLOR_WINDOW)));

    for (int i = 0; i < 4; ++i) {
        const std::u16string caption = kColumns[i].caption;
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
}

void TImgListView::Setup() {
    viewImage_.OnChange = [this] { FullReset(); };
    view_.OnChange = [this] { FullReset(); };
    viewImage_.ImgUtil().OnChange = [this] { ColourReset(); };
    notification_.OnChange = [this] { model_.Rebuild(); };
    model_.OnListChanged = [this](TImgListModel&) {
        if (refreshing_) return;  // RefreshFolder tells once the rows are back
        folderMissing_ = !model_.FolderIdList().Absent() && !model_.FolderExists();
        ListChanged();
    };
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

void TImgListView::SuspendNotify() {
    watcher_.reset();
    parentWatcher_.reset();
}

void TImgListView::ResumeNotify() { Watch(); }

std::string TImgListView::WatchedPath() {
    if (!notification_.Enabled() || !Handle() || model_.FolderIdList().IsDesktop()) return {};
    return model_.FolderPath();  // empty for a folder without a file-system path
}

void TImgListView::Watch() {
    parentWatcher_.reset();
    WatchFolder();
    const std::string parent = ParentFolderOf(WatchedPath());
    if (!parent.empty())
        parentWatcher_ = TShellWatcher::Start(parent, FILE_NOTIFY_CHANGE_DIR_NAME, Handle(), kWatchMessage);
}

void TImgListView::WatchFolder() {
    watcher_.reset();
    const std::string path = WatchedPath();
    if (!path.empty()) watcher_ = TShellWatcher::Start(path, notification_.NotifyTypes(), Handle(), kWatchMessage);
}

void TImgListView::ScheduleRefresh() {
    if (!Handle()) return;
    const DWORD now = GetTickCount();
    if (!refreshPending_) {
        refreshPending_ = true;
        firstChange_ = now;
    }
    const DWORD waited = now - firstChange_;
    const DWORD delay = waited >= kLongestWaitMs ? 0 : std::min(kSettleMs, kLongestWaitMs - waited);
    SetTimer(Handle(), kRefreshTimer, std::max<DWORD>(delay, USER_TIMER_MINIMUM), nullptr);
}

TImgListView::TRowMemo TImgListView::RememberRows() {
    TRowMemo memo;
    for (int row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); row >= 0 && row < ImgItems().Count();
         row = ListView_GetNextItem(Handle(), row, LVNI_SELECTED)) {
        memo.Selected.push_back(row);
        memo.SelectedIds.push_back(ImgItems()[row]->Id());
    }
    const int focused = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
    if (focused >= 0 && focused < ImgItems().Count()) memo.FocusedId = ImgItems()[focused]->Id();
    return memo;
}

void TImgListView::RestoreRows(const TRowMemo& memo) {
    std::unordered_map<int, int> rowOf;
    rowOf.reserve(static_cast<std::size_t>(ImgItems().Count()));
    for (int row = 0; row < ImgItems().Count(); ++row) rowOf.emplace(ImgItems()[row]->Id(), row);
    std::vector<int> rows;
    for (int id : memo.SelectedIds)
        if (const auto found = rowOf.find(id); found != rowOf.end()) rows.push_back(found->second);
    std::sort(rows.begin(), rows.end());
    restoring_ = true;
    // The list view keeps selection by row: put it back on the same items
    // (unless those rows are the ones selected already).
    if (rows != memo.Selected || static_cast<int>(SelCount()) != static_cast<int>(rows.size())) {
        ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED);
        for (int row : rows) ListView_SetItemState(Handle(), row, LVIS_SELECTED, LVIS_SELECTED);
    }
    if (const auto found = rowOf.find(memo.FocusedId);
        found != rowOf.end() && ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED) != found->second)
        ListView_SetItemState(Handle(), found->second, LVIS_FOCUSED, LVIS_FOCUSED);
    restoring_ = false;
    // A label being edited whose row now shows another item, or none, ends.
    if (editId_ >= 0 && ListView_GetEditControl(Handle())) {
        const auto found = rowOf.find(editId_);
        if (found == rowOf.end() || found->second != editRow_) {
            // Ended without a rename (Wine's cancel hands the text over all the same).
            editId_ = -1;
            SendMessageW(Handle(), LVM_CANCELEDITLABEL, 0, 0);
        }
    }
}

void TImgListView::RefreshFolder() {
    if (Handle()) KillTimer(Handle(), kRefreshTimer);
    refreshPending_ = false;
    if (!Handle() || !setUp_ || model_.IsFileMode() || model_.FolderIdList().Absent()) return;
    model_.Refresh();
}

void TImgListView::BeforeMerge() {
    refreshMemo_ = RememberRows();
    refreshing_ = true;
}

void TImgListView::AfterMerge(bool changed) {
    refreshing_ = false;
    const bool exists = model_.FolderExists();
    if (exists == folderMissing_) {
        folderMissing_ = !exists;
        changed = true;
    }
    // A folder that is gone is no longer watched; one made again is.
    if (!exists)
        watcher_.reset();
    else if (!watcher_)
        WatchFolder();
    if (!changed) return;
    RestoreRows(refreshMemo_);
    ListChanged();
}

void TImgListView::MoveSelection(int target) {
    const TRowMemo memo = RememberRows();
    if (memo.SelectedIds.empty()) return;
    ImgItems().MoveItems(memo.SelectedIds, target);
    RestoreRows(memo);
    moved_ = RememberRows();
    Invalidate();
    ListChanged();
}

bool TImgListView::InsertBlank() {
    const int focused = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
    const int at = focused >= 0 && focused < ImgItems().Count() ? focused : ImgItems().Count();
    TImgListItem* blank = model_.InsertBlank(at);
    if (!blank) return false;
    const int row = ImgItems().IndexOfId(blank->Id());
    ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(Handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(Handle(), row, FALSE);
    ListChanged();
    return true;
}

bool TImgListView::BlanksSelected() {
    for (int row = ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); row >= 0 && row < ImgItems().Count();
         row = ListView_GetNextItem(Handle(), row, LVNI_SELECTED))
        if (ImgItems()[row]->IsBlank()) return true;
    return false;
}

void TImgListView::RemoveSelectedBlanks() {
    const TRowMemo memo = RememberRows();
    std::vector<int> blanks;
    for (int row : memo.Selected)
        if (ImgItems()[row]->IsBlank()) blanks.push_back(ImgItems()[row]->Id());
    if (blanks.empty()) return;
    const int focused = ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED);
    model_.RemoveBlanks(blanks);
    RestoreRows(memo);
    // A removed row's focus goes to the row that took its place.
    if (std::find(blanks.begin(), blanks.end(), memo.FocusedId) != blanks.end() && ImgItems().Count() > 0)
        ListView_SetItemState(Handle(), std::min(focused, ImgItems().Count() - 1), LVIS_FOCUSED, LVIS_FOCUSED);
    ListChanged();
}

void TImgListView::ListChanged() {
    if (OnListChanged) OnListChanged();
}

void TImgListView::ForgetItem(TImgListItem& item) {
    threads_.Forget(item.Id());
    if (item.ThumbIndex >= 0 && item.ThumbIndex < thumbs_.Count()) thumbs_.Release(item.ThumbIndex);
}

void TImgListView::ScrollToOrigin() {
    if (RowCount() > 0) ListView_EnsureVisible(Handle(), 0, FALSE);
}

void TImgListView::BeginRebuild() {
    busy_ = true;
    // Rows coming to an empty list are painted once anyway; turning the
    // drawing back on would have Wine's list view lay 10,000 rows out
    // again (20 ms).
    redrawOff_ = RowCount() > 0;
    if (redrawOff_) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TImgListView::EndRebuild() {
    busy_ = false;
    if (viewStyle_ == ui::TViewStyle::vsList) {
        // The list style's layout is its column width, fitted to the names
        // in steps (ImgListColumn.cpp): a style switch would have the list
        // view ask for every name at once.
        StartColumnFit();
        if (redrawOff_) SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    } else {
        if (redrawOff_) SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
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
    // A list with no area to paint gets no paint to start the thumbnails.
    if (startAfterPaint_ && !GetUpdateRect(Handle(), nullptr, FALSE)) StartThumbnailsNow();
}

std::function<void()> TImgListView::ListingNotifier() {
    // From the listing's thread: only the handle, which a closed window
    // makes a message nobody takes.
    const HWND window = Handle();
    return [window] { PostMessageW(window, kListedMessage, 0, 0); };
}

// The workers would take both processors while the rebuilt rows are first
// painted (10,000 rows: that paint took twice as long), so they start when
// it ends, on the rows it showed; the pictures ahead, whose asking costs 6
// ms for 10,000 items, are asked for after that. Without a paint coming,
// all start now.
void TImgListView::StartThumbnails() {
    startAfterPaint_ = busy_ && IsWindowVisible(Handle()) && !IsIconic(GetAncestor(Handle(), GA_ROOT));
    if (!startAfterPaint_) StartThumbnailsNow();
}

void TImgListView::StartThumbnailsNow() {
    startAfterPaint_ = false;
    RequestLookAhead();
    threads_.Start();
}

void TImgListView::RequestLookAhead() {
    for (int id : lookAhead_)
        if (TImgListItem* item = ImgItems().ItemById(id)) RequestAhead(*item);
    lookAhead_.clear();
}

void TImgListView::RequestAhead(TImgListItem& item) {
    if (viewImage_.LookAhead() && iconStyle_ == TIconStyle::iisImage && WantsThumbnail(item))
        threads_.Request(item.Id(), false);
}

void TImgListView::StopThumbnails() {
    startAfterPaint_ = false;
    lookAhead_.clear();
    threads_.Stop();
}

void TImgListView::QueueLookAhead(TImgListItem& item) {
    if (busy_)
        lookAhead_.push_back(item.Id());
    else
        RequestAhead(item);
}

bool TImgListView::WantsThumbnail(TImgListItem& item) {
    // An item of no known kind has nothing a decoder could read, nor has an
    // empty file (often one still being copied in: when its bytes are there,
    // a refresh finds it changed and asks for its picture then).
    if (!item.HasEntry() || item.FileSize() == 0) return false;
    const TImageType type = item.ImageType();
    return type != TImageType::iitNone && viewImage_.Shows(type);
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

void TImgListView::RemakeThumbnails(const std::vector<int>& ids) {
    for (const int id : ids) {
        TImgListItem* item = ImgItems().ItemById(id);
        if (!item) continue;
        ForgetItem(*item);
        item->Resolved = false;
        item->ThumbIndex = -1;
        RepaintItem(id);  // painting asks for the visible ones
    }
}

void TImgListView::SetAutoOrient(bool value) {
    if (value == AutoOrient()) return;
    threads_.Stop();
    viewImage_.ImgUtil().AutoOrient = value;
    std::vector<int> jpegs;
    for (int i = 0; i < ImgItems().Count(); ++i)
        if (ImgItems()[i]->ImageType() == TImageType::iitJpeg) jpegs.push_back(ImgItems()[i]->Id());
    RemakeThumbnails(jpegs);
}

void TImgListView::RepaintItem(int id) {
    const int row = ImgItems().IndexOfId(id);
    if (row >= 0) ListView_RedrawItems(Handle(), row, row);
}

// ---- Rows ---------------------------------------------------------------------------

std::u16string TImgListView::RowText(int row) {
    if (busy_ || row < 0 || row >= ImgItems().Count() || !view_.ShowCaptions()) return {};
    if (row < paintRows_.first || row > paintRows_.second) return {};
    return Utf8ToUtf16(ImgItems()[row]->DisplayName());
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
    if (item.mask & LVIF_IMAGE) item.iImage = iconStyle_ == TIconStyle::iisImage ? I_IMAGENONE : entry.IconIndex();
    if ((item.mask & LVIF_TEXT) && item.cchTextMax > 0) {
        std::u16string text;
        if (item.iSubItem == 0)
            text = RowText(item.iItem);
        else if (item.iSubItem == 1)
            text = Utf8ToUtf16(entry.SizeText());
        else if (item.iSubItem == 2)
            text = Utf8ToUtf16(entry.TypeName());
        else if (item.iSubItem == 3)
            text = Utf8ToUtf16(entry.DateText());
        const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::copy_n(text.data(), n, reinterpret_cast<char16_t*>(item.pszText));
        item.pszText[n] = L'\0';
    }
    if (entry.HasEntry() && iconStyle_ != TIconStyle::iisImage) {
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
        case LVN_GETDISPINFOW: DisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam)); return true;
        case NM_CUSTOMDRAW: result = CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)); return true;
        case LVN_ITEMACTIVATE: {
            const int row = reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem;
            if (defaultExec_.DblClick() && row >= 0 && row < ImgItems().Count()) ImgItems()[row]->OpenItem();
            return true;
        }
        case LVN_BEGINLABELEDITW: {
            // The rename goes to this item, whatever row it holds at the end.
            const int row = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item.iItem;
            // A blank item has no file to rename.
            const bool known = row >= 0 && row < ImgItems().Count() && !ImgItems()[row]->IsBlank();
            editId_ = known ? ImgItems()[row]->Id() : -1;
            editRow_ = row;
            result = known ? FALSE : TRUE;
            return true;
        }
        case LVN_ENDLABELEDITW: EndLabelEdit(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item); return true;
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            if (restoring_) return true;  // RefreshFolder tells the new count once
            return TListView::Notified(message, wParam, lParam, result);
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG: dragDrop_->BeginDrag(header->code == LVN_BEGINRDRAG); return true;
        case LVN_COLUMNCLICK: ColumnClick(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem); return true;
        case LVN_ODCACHEHINT:
            if (RowCount() > ImgItems().Count()) {
                TListView::SetRowCount(ImgItems().Count());
                ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED);
            }
            return true;
        default: return TListView::Notified(message, wParam, lParam, result);
    }
}

void TImgListView::EndLabelEdit(const LVITEMW& edit) {
    const int id = editId_;
    editId_ = -1;
    if (!edit.pszText) return;  // cancelled
    TImgListItem* item = ImgItems().ItemById(id);
    if (!item) return;  // its file left the list meanwhile
    const std::string name = Utf16ToUtf8(reinterpret_cast<const char16_t*>(edit.pszText));
    if (name == item->DisplayName()) return;
    if (!ConfirmRename(*item, name)) return;
    std::string reason;
    const bool renamed = item->Rename(name, &reason);
    // The watcher was paused for the rename: whatever else changed meanwhile
    // is listed by a refresh, which finds the renamed item in its place.
    ScheduleRefresh();
    if (renamed) {
        const int row = ImgItems().IndexOfId(id);
        if (row >= 0) ListView_RedrawItems(Handle(), row, row);
        return;
    }
    if (!reason.empty()) throw Exception(ui::Narrow(Utf8ToUtf16(reason)));
}

// A name another entry of the folder has is refused in words the user
// reads (the shell's own refusal names no name); a file whose extension
// would change or go is renamed only when the user says so, as Explorer asks.
bool TImgListView::ConfirmRename(TImgListItem& item, const std::string& name) {
    const std::string path = item.FullPath();
    if (path.empty()) return true;  // not a file of the file system: the shell decides
    const std::string oldName(ExtractFileName(path));
    const std::string target = std::string(ExtractFilePath(path)) + name;
    if (LowerCaseName(name) != LowerCaseName(oldName) && (FileExists(target) || DirectoryExists(target)))
        throw Exception(Utf8ToAnsi("「" + name + "」という名前は既に使われています。"));
    if (!FileExists(path) || LowerCaseName(ExtractFileExt(name)) == LowerCaseName(ExtractFileExt(oldName))) return true;
    return ui::Application().Confirm(
        Utf8ToAnsi("拡張子を変更すると、ファイルが使えなくなる可能性があります。\r\n変更しますか？"));
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
        case kImgResultMessage: threads_.TakeIn(static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
        case kPaintedMessage:
            RequestLookAhead();
            threads_.Pump();
            return 0;
        case kListedMessage: model_.TakeListing(); return 0;
        case kWatchMessage:
            // Changes come in bursts: one refresh for each.
            if ((watcher_ && watcher_->Serial() == static_cast<int>(wParam)) ||
                (parentWatcher_ && parentWatcher_->Serial() == static_cast<int>(wParam)))
                ScheduleRefresh();
            return 0;
        case WM_TIMER:
            if (wParam != kRefreshTimer) break;
            RefreshFolder();
            return 0;
        case WM_PAINT: {
            // The first paint after the rows change asks for the name of
            // every row and measures it: with 10,000 rows, half a second
            // under Wine. Rows far from the screen get an empty name while
            // painting, which takes a third off that; the column width is
            // fitted to every name all the same (ImgListColumn).
            const int top = ListView_GetTopIndex(Handle());
            const int page = ListView_GetCountPerPage(Handle());
            paintRows_ = {std::max(0, top - page - 64), top + 2 * page + 64};
            const LRESULT result = TListView::WndProc(message, wParam, lParam);
            paintRows_ = {0, INT_MAX};
            if (startAfterPaint_) {
                startAfterPaint_ = false;
                threads_.Start();
                if (!lookAhead_.empty()) PostMessageW(Handle(), kPaintedMessage, 0, 0);
            }
            return result;
        }
        case WM_HSCROLL:
        case WM_VSCROLL: scrolling_ = LOWORD(wParam) != SB_ENDSCROLL; break;
        case WM_CONTEXTMENU:
            if (OnContextPopup) {
                const POINT mouse{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                OnContextPopup(lParam == -1 ? KeyboardPopupPoint() : mouse);
                return 0;
            }
            if (SelCount() == 0) break;
            ContextPopup(lParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE: {
            // A drag runs inside the handling of a press or a move, and the
            // list view ends that handling (under Wine) by selecting the row
            // pressed on, which now holds another item: the moved items get
            // the selection back.
            dragDrop_->MouseMessage(message, wParam, lParam);
            if (message == WM_MOUSEMOVE) UpdateNameHint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            const LRESULT result = TListView::WndProc(message, wParam, lParam);
            if (moved_) {
                const TRowMemo memo = std::move(*moved_);
                moved_.reset();
                RestoreRows(memo);
                ListChanged();
            }
            return result;
        }
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP: dragDrop_->MouseMessage(message, wParam, lParam); break;
        case WM_DESTROY: dragDrop_->Revoke(); break;
        case WM_KEYDOWN: {
            const LRESULT result = TListView::WndProc(message, wParam, lParam);
            KeyDown(wParam);
            return result;
        }
        default: break;
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

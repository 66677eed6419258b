// The list style's column width, fitted to the widest name up to a limit:
// one long name must not widen every column. A longer name is cut with "…"
// by the list view, and the row's hint shows it whole. The list view
// would find it itself on a relayout, but it asks for every row's name at
// once, and a name costs the shell a lookup of how to show its extension: a
// thousand of them held the window for a third of a second. Here the names
// are measured in steps between messages: first those of the first screen,
// in a posted message that comes before the first paint, so no label shows
// cut; then the rest in short slices on a timer, which yields to input and
// painting.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>

#include "base/CodePage.h"
#include "imagelist/win32/ImgListView.h"
#include "ui/Application.h"

namespace pim {

namespace {

constexpr UINT kFitMessage = WM_APP + 0x32;
constexpr UINT_PTR kFitTimer = 0x32;
constexpr int kMinColumnWidth = 128;  // the list view's narrowest column
constexpr int kLabelPadding = 12;     // the label's margins and focus frame
constexpr auto kSlice = std::chrono::milliseconds(8);  // GUI time per slice
constexpr int kNameChars = 24;        // the widest name shown whole, in average characters

}  // namespace

void TImgListView::StartColumnFit() {
    KillTimer(Handle(), kFitTimer);
    fitIds_.clear();
    fitNext_ = 0;
    fitText_ = 0;
    hintRow_ = -1;  // the rows changed: the next move over one tells its hint anew
    SetHintW({});
    ShowHint = false;
    if (viewStyle_ != ui::TViewStyle::vsList || !Handle()) return;
    {
        const TWindowDC dc(Handle());
        const TSelection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc.get(), &metrics);
        fitLimit_ = kNameChars * metrics.tmAveCharWidth;
    }
    // By Id, so a sort or a move between the steps neither skips a name nor
    // measures one twice.
    const int count = ImgItems().Count();
    fitIds_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) fitIds_.push_back(ImgItems()[i]->Id());
    if (view_.ShowCaptions()) {
        PostMessageW(Handle(), kFitMessage, 0, 0);
    } else {
        fitNext_ = fitIds_.size();
        ApplyColumnWidth();
    }
}

bool TImgListView::ColumnFitMessage(UINT message, WPARAM wParam) {
    if (message == kFitMessage) {
        if (viewStyle_ == ui::TViewStyle::vsList && fitNext_ < fitIds_.size()) FitFirstScreen();
    } else if (message == WM_TIMER && wParam == kFitTimer) {
        if (viewStyle_ != ui::TViewStyle::vsList) {
            KillTimer(Handle(), kFitTimer);
            return true;
        }
        MeasureNames(fitIds_.size(), true);
        if (fitNext_ < fitIds_.size()) return true;
        KillTimer(Handle(), kFitTimer);
        ApplyColumnWidth();
    } else {
        return false;
    }
    return true;
}

void TImgListView::FitFirstScreen() {
    RECT client{}, row{};
    GetClientRect(Handle(), &client);
    const int rowHeight =
        ListView_GetItemRect(Handle(), 0, &row, LVIR_BOUNDS) ? std::max<int>(1, row.bottom - row.top) : 16;
    const std::size_t perColumn = static_cast<std::size_t>(client.bottom / rowHeight + 1);
    // Column by column, until the columns measured fill the width.
    for (std::size_t columns = 1; fitNext_ < fitIds_.size(); ++columns) {
        MeasureNames(columns * perColumn, false);
        if (static_cast<long>(columns) * FittedWidth() >= client.right) break;
    }
    ApplyColumnWidth();
    if (fitNext_ < fitIds_.size()) SetTimer(Handle(), kFitTimer, USER_TIMER_MINIMUM, nullptr);
}

// The names up to `until`; with `slice`, only as many as fit in one slice.
void TImgListView::MeasureNames(std::size_t until, bool slice) {
    const auto deadline = std::chrono::steady_clock::now() + kSlice;
    until = std::min(until, fitIds_.size());
    const TWindowDC dc(Handle());
    const TSelection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
    while (fitNext_ < until && (!slice || std::chrono::steady_clock::now() < deadline)) {
        TImgListItem* item = ImgItems().ItemById(fitIds_[fitNext_++]);
        if (!item) continue;  // gone since
        fitText_ = std::max(fitText_, NameWidth(dc.get(), Utf8ToUtf16(item->DisplayName())));
        if (fitText_ >= fitLimit_) fitNext_ = fitIds_.size();  // no name can widen it more
    }
}

int TImgListView::NameWidth(HDC dc, const std::u16string& name) {
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(name.c_str()), static_cast<int>(name.size()), &size);
    return size.cx;
}

int TImgListView::ColumnWidthFor(int text) {
    int iconWidth = 0, iconHeight = 0;
    if (HIMAGELIST small = ListView_GetImageList(Handle(), LVSIL_SMALL))
        ImageList_GetIconSize(small, &iconWidth, &iconHeight);
    return text + iconWidth + kLabelPadding;
}

int TImgListView::FittedWidth() { return std::max(kMinColumnWidth, ColumnWidthFor(std::min(fitText_, fitLimit_))); }

void TImgListView::UpdateNameHint(POINT client) {
    int row = -1;
    if (viewStyle_ == ui::TViewStyle::vsList) {
        LVHITTESTINFO hit{};
        hit.pt = client;
        row = ListView_HitTest(Handle(), &hit);
        if (!(hit.flags & LVHT_ONITEM) || row >= ImgItems().Count()) row = -1;
    }
    if (row == hintRow_) return;
    hintRow_ = row;
    std::u16string hint;
    if (row >= 0) {
        std::u16string name = Utf8ToUtf16(ImgItems()[row]->DisplayName());
        const TWindowDC dc(Handle());
        const TSelection font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
        if (ColumnWidthFor(NameWidth(dc.get(), name)) > ListView_GetColumnWidth(Handle(), 0)) hint = std::move(name);
    }
    SetHintW(hint);
    ShowHint = !hint.empty();
    ui::Application().CancelHint();  // the next row's hint waits for its own pause
}

void TImgListView::ApplyColumnWidth() {
    const int width = FittedWidth();
    if (width == ListView_GetColumnWidth(Handle(), 0)) return;
    Undrawn([&] {
        ListView_SetColumnWidth(Handle(), 0, width);
        // The same count again: the scroll bars take the new width in.
        ListView_SetItemCountEx(Handle(), RowCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    });
}

// Under Wine the list view measures every row's name on its first paint
// after it had no rows (10,000 rows: 90 ms, though the column width is
// ours), and keeps that measure as rows are added. So rows coming to an
// empty list come in two steps: one row, painted aside into a memory
// canvas, then all of them.
void TImgListView::SetRows(int count, DWORD flags) {
    if (count > 1 && viewStyle_ == ui::TViewStyle::vsList && RowCount() == 0) {
        ListView_SetItemCountEx(Handle(), 1, flags);
        const TWindowDC dc(Handle());
        const TMemoryDC canvas(CreateCompatibleDC(dc.get()));
        const TBitmapHandle pixel(CreateCompatibleBitmap(dc.get(), 1, 1));
        const TSelection into(canvas.get(), pixel.get());
        SendMessageW(Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.get()), PRF_CLIENT);
    }
    Undrawn([&] { ListView_SetItemCountEx(Handle(), count, flags); });
}

// Wine draws the horizontal scroll bar each time the list view sets its
// range, and twice when the bar appears, 4 to 8 ms a time under Xvfb. With
// the window marked not to be drawn meanwhile (as WM_SETREDRAW marks it,
// but without telling the list view, which would lay its rows out anew),
// the bar is drawn once, with the next paint.
void TImgListView::Undrawn(const std::function<void()>& change) {
    if (!(GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE)) {
        change();
        return;
    }
    DefWindowProcW(Handle(), WM_SETREDRAW, FALSE, 0);
    change();
    DefWindowProcW(Handle(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE);
}

}  // namespace pim

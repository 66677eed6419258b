#include "ui/ListView.h"

#include <commctrl.h>

#include <algorithm>

namespace pim::ui {

namespace {

DWORD StyleOf(TViewStyle style) {
    switch (style) {
        case TViewStyle::vsSmallIcon: return LVS_SMALLICON;
        case TViewStyle::vsList: return LVS_LIST;
        case TViewStyle::vsReport: return LVS_REPORT;
        default: return LVS_ICON;
    }
}

}  // namespace

TListView::TListView(const Params& p) {
    CreateHandle({.Parent = p.Parent, .ClassName = WC_LISTVIEWW, .Bounds = p.Bounds,
                  .Style = LVS_OWNERDATA | LVS_SHAREIMAGELISTS | WS_TABSTOP | StyleOf(p.ViewStyle) |
                           (p.MultiSelect ? 0 : LVS_SINGLESEL) | (p.EditLabels ? LVS_EDITLABELS : 0),
                  .ExStyle = WS_EX_CLIENTEDGE});
    if (p.GridLines) ListView_SetExtendedListViewStyleEx(Handle(), LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
}

void TListView::SetRowCount(int count) { ListView_SetItemCountEx(Handle(), count, 0); }

int TListView::RowCount() const { return ListView_GetItemCount(Handle()); }

int TListView::SelCount() const { return static_cast<int>(ListView_GetSelectedCount(Handle())); }

int TListView::ItemIndex() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }

void TListView::SetItemIndex(int row) {
    if (row < 0) {
        const int current = ItemIndex();
        if (current >= 0) SetSelected(current, false);
        return;
    }
    SetSelected(row, true);
    SetFocused(row);
}

bool TListView::Selected(int row) const {
    return (ListView_GetItemState(Handle(), row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void TListView::SetSelected(int row, bool selected) {
    ListView_SetItemState(Handle(), row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void TListView::SetFocused(int row) { ListView_SetItemState(Handle(), row, LVIS_FOCUSED, LVIS_FOCUSED); }

bool TListView::Notified(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if ((info->item.mask & LVIF_TEXT) && info->item.iSubItem == 0 && info->item.cchTextMax > 0) {
                const std::u16string text = RowText(info->item.iItem);
                const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
                std::copy_n(text.data(), n, reinterpret_cast<char16_t*>(info->item.pszText));
                info->item.pszText[n] = L'\0';
            }
            result = 0;
            return true;
        }
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED))
                if (OnSelectItem) OnSelectItem(change->iItem, (change->uNewState & LVIS_SELECTED) != 0);
            result = 0;
            return true;
        }
        case LVN_ODSTATECHANGED: {
            const auto* change = reinterpret_cast<const NMLVODSTATECHANGE*>(lParam);
            if ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)
                if (OnSelectItem) OnSelectItem(-1, (change->uNewState & LVIS_SELECTED) != 0);
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace pim::ui

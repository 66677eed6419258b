// Reordering by dragging: the list's own drag loop, while the pointer is over
// the list, shows where the selected items would land and scrolls near the
// edges; let go there, they move (TImgListView::MoveSelection). The list
// decides in its drop source, not as a drop target: the main window takes
// dropped files on the whole form, so the list is no drop target there, and
// where it is one, its own items let go over it are not for the shell's
// target of its folder.
#include <algorithm>
#include <climits>

#include "imagelist/win32/ImgDragDrop.h"
#include "imagelist/win32/ImgListView.h"

namespace pim {

HRESULT TImgDragDrop::Continue(HRESULT answer) {
    if (state_ != TDragOutState::dsLeftRunning || !view_.Handle()) return answer;
    POINT screen{};
    GetCursorPos(&screen);
    const bool over = WindowFromPoint(screen) == view_.Handle();
    POINT client = screen;
    ScreenToClient(view_.Handle(), &client);
    if (answer == S_OK) {
        if (over) AutoScroll(client);
        ShowInsertion(over ? InsertionAt(client) : TInsertion{});
        return S_OK;
    }
    ShowInsertion({});
    if (answer != DRAGDROP_S_DROP || !over) return answer;
    view_.MoveSelection(InsertionAt(client).At);
    return DRAGDROP_S_CANCEL;
}

TImgDragDrop::TInsertion TImgDragDrop::InsertionAt(POINT client) {
    const HWND window = view_.Handle();
    const int count = view_.ImgItems().Count();
    if (count == 0) return {0, -1, false};
    LVHITTESTINFO hit{};
    hit.pt = client;
    int row = ListView_HitTest(window, &hit);
    RECT cell{};
    if (row < 0 || row >= count) {
        // Between or beside the cells: the nearest shown row.
        row = -1;
        long best = LONG_MAX;
        const int top = ListView_GetTopIndex(window);
        const int last = std::min(count, top + ListView_GetCountPerPage(window) + 64);
        for (int i = std::max(0, top); i < last; ++i) {
            RECT r{};
            if (!ListView_GetItemRect(window, i, &r, LVIR_BOUNDS)) continue;
            const long dx = client.x < r.left ? r.left - client.x : client.x >= r.right ? client.x - r.right + 1 : 0;
            const long dy = client.y < r.top ? r.top - client.y : client.y >= r.bottom ? client.y - r.bottom + 1 : 0;
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                row = i;
                cell = r;
            }
        }
        if (row < 0) return {count, count - 1, true};
    } else {
        ListView_GetItemRect(window, row, &cell, LVIR_BOUNDS);
    }
    const bool after = view_.RowsAcross() ? client.x >= (cell.left + cell.right) / 2 : client.y >= (cell.top + cell.bottom) / 2;
    return {row + (after ? 1 : 0), row, after};
}

// The list view keeps no insertion mark here (one set with LVM_SETINSERTMARK
// reads back as none under Wine): the view paints it with its row
// (TImgListView::PaintInsertion).
void TImgDragDrop::ShowInsertion(const TInsertion& insertion) {
    if (insertion.At == insertion_.At && insertion.Row == insertion_.Row && insertion.After == insertion_.After) return;
    const int old = insertion_.Row;
    insertion_ = insertion;
    if (!view_.Handle()) return;
    if (old >= 0) ListView_RedrawItems(view_.Handle(), old, old);
    if (insertion.Row >= 0) ListView_RedrawItems(view_.Handle(), insertion.Row, insertion.Row);
    UpdateWindow(view_.Handle());
}

}  // namespace pim

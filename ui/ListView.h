// The common list view in owner-data mode: rows are virtual, their texts are
// asked for when shown (RowText). Selection is the list view's own.
#pragma once

#include <string>

#include "ui/Window.h"

namespace pim::ui {

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        TViewStyle ViewStyle = TViewStyle::vsIcon;
        bool MultiSelect = false;
        bool GridLines = false;
        bool EditLabels = false;
    };
    explicit TListView(const Params& params);

    void SetRowCount(int count);
    int RowCount() const;
    int SelCount() const;
    // The lowest-numbered selected row, -1 when none.
    int ItemIndex() const;
    // Selects that row; -1 deselects the row ItemIndex names (other selected
    // rows stay selected).
    void SetItemIndex(int row);
    bool Selected(int row) const;
    void SetSelected(int row, bool selected);
    void SetFocused(int row);
    void RedrawRows() { Invalidate(); }
    // Row (item, selected): fires on every selection change; item is -1 when
    // a range of rows changed at once.
    std::function<void(int item, bool selected)> OnSelectItem;

protected:
    virtual std::u16string RowText(int row) = 0;
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

}  // namespace pim::ui

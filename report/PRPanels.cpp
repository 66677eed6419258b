// Panels: containers that pass the print on to their children, and the grid
// that prints its one cell panel once per cell.
#include "report/PReport.h"

#include <cmath>

namespace pim {

namespace {

// Where a layout panel or an item really goes when `requested` is asked
// for: a grid hands out its cell panel.
TWinControl* CellPanelOf(TWinControl* requested) {
    if (auto* grid = dynamic_cast<TPRGridPanel*>(requested)) return &grid->ChildPanel();
    return requested;
}

void CheckPanelParent(TWinControl* requested) {
    if (requested && !dynamic_cast<TPRPanel*>(requested) && !dynamic_cast<TPRPage*>(requested))
        throw Exception(std::string("TPRPage can not set on ") + requested->ClassName());
}

TRect Offset(const TRect& r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

// Nearest integer, ties to even.
int RoundEven(double x) { return static_cast<int>(std::nearbyint(x)); }

}  // namespace

// ---- TPRPanel -------------------------------------------------------------------

TPRPanel::TPRPanel() { SetBounds(0, 0, 185, 100); }

void TPRPanel::PrintPanel(TPRCanvas& canvas, TRect rect) {
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        const TRect childRect = Offset(child->BoundsRect(), rect.Left, rect.Top);
        if (auto* panel = dynamic_cast<TPRPanel*>(child)) {
            panel->PrintPanel(canvas, childRect);
        } else if (auto* item = dynamic_cast<TPRItem*>(child); item && item->Printable()) {
            item->PrintItem(canvas, childRect);
        }
    }
}

TPRPage& TPRPanel::PageOfItem() const {
    for (TWinControl* p = Parent(); p; p = p->Parent()) {
        if (auto* page = dynamic_cast<TPRPage*>(p)) return *page;
        if (!dynamic_cast<TPRPanel*>(p)) break;
    }
    throw EPdfInvalidOperation("PageOfItem --the item is not on a page.");
}

// ---- TPRLayoutPanel ---------------------------------------------------------------

TWinControl* TPRLayoutPanel::ResolveParent(TWinControl* requested) {
    CheckPanelParent(requested);
    return CellPanelOf(requested);
}

void TPRLayoutPanel::PrintPanel(TPRCanvas& canvas, TRect rect) {
    if (BeforePrint) BeforePrint(*this, canvas, rect);
    TPRPanel::PrintPanel(canvas, rect);
    if (AfterPrint) AfterPrint(*this, canvas, rect);
}

// ---- TPRGridPanel -------------------------------------------------------------------

TPRGridPanel::TPRGridPanel() {
    childPanel_ = CreateComponent<TPRChildPanel>("");
    childPanel_->SetParent(this);
    childPanel_->SetAlign(TAlign::alClient);
}

TWinControl* TPRGridPanel::ResolveParent(TWinControl* requested) {
    // A grid may sit on a grid as it is: it is a panel itself.
    CheckPanelParent(requested);
    return requested;
}

void TPRGridPanel::SetColCount(int value) {
    if (value == colCount_) return;
    if (value <= 0 || Width() / value < 10) throw Exception("invalid colcount");
    colCount_ = value;
    Realign();
}

void TPRGridPanel::SetRowCount(int value) {
    if (value == rowCount_) return;
    if (value <= 0 || Height() / value < 10) throw Exception("invalid rowcount");
    rowCount_ = value;
    Realign();
}

TRect TPRGridPanel::AlignRect() const {
    TRect r = ClientRect();
    if (colCount_ > 1) r.Right = r.Left + r.Width() / colCount_;
    if (rowCount_ > 1) r.Bottom = r.Top + r.Height() / rowCount_;
    return r;
}

void TPRGridPanel::PrintCell(TPRCanvas& canvas, const TRect& rect, int col, int row) {
    TRect cell{rect.Left, rect.Top, rect.Left + childPanel_->Width(), rect.Top + childPanel_->Height()};
    cell = Offset(cell, RoundEven(static_cast<double>(Width()) * col / colCount_),
                  RoundEven(static_cast<double>(Height()) * row / rowCount_));
    if (BeforePrintChild) BeforePrintChild(*this, canvas, col, row, cell);
    childPanel_->PrintPanel(canvas, cell);
    if (AfterPrintChild) AfterPrintChild(*this, canvas, col, row, cell);
}

void TPRGridPanel::PrintPanel(TPRCanvas& canvas, TRect rect) {
    if (BeforePrint) BeforePrint(*this, canvas, rect);
    if (printDirection_ == TPrintDirection::pdHorz) {
        for (int row = 0; row < rowCount_; ++row)
            for (int col = 0; col < colCount_; ++col) PrintCell(canvas, rect, col, row);
    } else {
        for (int col = 0; col < colCount_; ++col)
            for (int row = 0; row < rowCount_; ++row) PrintCell(canvas, rect, col, row);
    }
    if (AfterPrint) AfterPrint(*this, canvas, rect);
}

// ---- TPRItem ---------------------------------------------------------------------------

TPRItem::TPRItem() { SetBounds(0, 0, 100, 30); }

TWinControl* TPRItem::ResolveParent(TWinControl* requested) {
    if (requested && !dynamic_cast<TPRPanel*>(requested))
        throw Exception("this component must set on TPRPanel");
    return CellPanelOf(requested);
}

void TPRItem::PrintItem(TPRCanvas&, TRect) {}

TPRPage& TPRItem::PageOfItem() const {
    if (auto* panel = dynamic_cast<TPRPanel*>(Parent())) return panel->PageOfItem();
    throw EPdfInvalidOperation("PageOfItem --the item is not on a page.");
}

}  // namespace pim

#include "ui/LabeledEdit.h"

namespace pim::ui {

TLabeledEdit::TLabeledEdit(const Params& p) : position_(p.LabelPosition), spacing_(p.LabelSpacing) {
    CreateHandle({.Parent = p.Parent, .ClassName = L"EDIT", .Bounds = p.Bounds, .Text = p.Text,
                  .Style = ES_AUTOHSCROLL | WS_TABSTOP, .ExStyle = WS_EX_CLIENTEDGE});
    label_ = std::make_unique<TStaticText>(TStaticText::Params{.Parent = p.Parent, .Caption = p.LabelCaption});
    PlaceLabel();
}

void TLabeledEdit::SetBounds(const TBounds& bounds) {
    TWindow::SetBounds(bounds);
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel() {
    const TBounds edit = Bounds();
    const TBounds label = label_->Bounds();
    switch (position_) {
        case TLabelPosition::lpLeft:
            label_->SetBounds({edit.Left - label.Width - spacing_, edit.Top + (edit.Height - label.Height) / 2,
                               label.Width, label.Height});
            break;
        case TLabelPosition::lpRight:
            label_->SetBounds({edit.Left + edit.Width + spacing_, edit.Top + (edit.Height - label.Height) / 2,
                               label.Width, label.Height});
            break;
        case TLabelPosition::lpAbove:
            label_->SetBounds({edit.Left, edit.Top - label.Height - spacing_, label.Width, label.Height});
            break;
    }
}

bool TLabeledEdit::Notified(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND || HIWORD(wParam) != EN_CHANGE) return false;
    if (OnChange) OnChange();
    result = 0;
    return true;
}

}  // namespace pim::ui

#include "ui/LabeledEdit.h"

#include "base/SysUtils.h"

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

void TLabeledEdit::SetLabelPosition(TLabelPosition position) {
    position_ = position;
    PlaceLabel();
}

void TLabeledEdit::SetLabelSpacing(int spacing) {
    spacing_ = spacing;
    PlaceLabel();
}

namespace {

constexpr const char* kPositionNames[] = {"lpAbove", "lpLeft", "lpRight"};

}  // namespace

TPersistentProperties TLabeledEdit::PublishedProperties() {
    return TWindow::PublishedProperties()
        .String("Text", [this] { return Text(); }, [this](const std::string& v) { SetText(v); })
        .String("EditLabel.Caption", [this] { return label_->Text(); },
                [this](const std::string& v) {
                    label_->SetText(v);
                    PlaceLabel();
                })
        .String("LabelPosition", [this] { return std::string(kPositionNames[static_cast<int>(position_)]); },
                [this](const std::string& v) {
                    for (int i = 0; i < 3; ++i)
                        if (v == kPositionNames[i]) return SetLabelPosition(static_cast<TLabelPosition>(i));
                    throw Exception("Invalid property value");
                })
        .Integer("LabelSpacing", [this] { return spacing_; }, [this](int v) { SetLabelSpacing(v); });
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

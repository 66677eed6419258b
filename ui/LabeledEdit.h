// A one-line edit box with a label beside it (left or right) or above it, at
// LabelSpacing pixels from the box.
#pragma once

#include <memory>

#include "ui/StaticText.h"
#include "ui/Window.h"

namespace pim::ui {

enum class TLabelPosition { lpAbove, lpLeft, lpRight };

class TLabeledEdit : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        std::string LabelCaption;
        TLabelPosition LabelPosition = TLabelPosition::lpAbove;
        int LabelSpacing = 3;
        std::string Text;
    };
    explicit TLabeledEdit(const Params& params);
    TStaticText& EditLabel() { return *label_; }
    void SetBounds(const TBounds& bounds) override;
    TLabelPosition LabelPosition() const { return position_; }
    void SetLabelPosition(TLabelPosition position);
    int LabelSpacing() const { return spacing_; }
    void SetLabelSpacing(int spacing);
    TNotifyEvent OnChange;

    std::string PersistentClassName() const override { return "TLabeledEdit"; }
    TPersistentProperties PublishedProperties() override;
    std::vector<TPersistentComponent*> PersistentChildren() override { return {label_.get()}; }

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void PlaceLabel();
    std::unique_ptr<TStaticText> label_;
    TLabelPosition position_;
    int spacing_;
};

}  // namespace pim::ui

// A static text: optionally sunken, aligned left, right or centred, sized to
// its text unless given a width and height.
#pragma once

#include "ui/Window.h"

namespace pim::ui {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TStaticText : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;  // width and height 0: sized to the text
        std::string Caption;
        bool Sunken = false;
        TAlignment Alignment = TAlignment::taLeftJustify;
        bool ShowHint = false;
    };
    explicit TStaticText(const Params& params);
    void SetTextW(std::u16string_view text) override;
    bool AutoSize() const { return autoSize_; }
    // How many columns (a double-byte character takes two) of its font fit
    // in `width` pixels, and how tall its text is, wrapped at `width`.
    int ColumnsIn(int width) const;
    int TextHeight(int width) const;
    std::string PersistentClassName() const override { return "TStaticText"; }
    TPersistentProperties PublishedProperties() override {
        return TWindow::PublishedProperties().String(
            "Caption", [this] { return Text(); }, [this](const std::string& v) { SetText(v); });
    }
    TNotifyEvent OnDblClick;

    void Arrange(int dpi, int dx, int dy) override;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FontChanged() override { AdjustSize(); }

private:
    void AdjustSize();
    bool autoSize_;
};

}  // namespace pim::ui

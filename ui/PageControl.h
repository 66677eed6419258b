// A page control: a row of tabs (drawn as buttons) over a stack of tab
// sheets, one shown at a time. OnChange fires when the user picks a tab.
#pragma once

#include <memory>
#include <vector>

#include "ui/Window.h"

namespace pim::ui {

class TTabSheet : public TWindow {
public:
    TTabSheet(TWindow& pageControl, std::string_view caption, const TBounds& bounds);
    const std::string& Caption() const { return caption_; }

private:
    std::string caption_;
};

class TPageControl : public TWindow {
public:
    struct Params {
        TWindow* Parent = nullptr;
        TBounds Bounds;
        bool ButtonTabs = false;
    };
    explicit TPageControl(const Params& params);
    TTabSheet* AddSheet(std::string_view caption);
    int PageCount() const { return static_cast<int>(sheets_.size()); }
    TTabSheet* Pages(int index) const { return sheets_.at(static_cast<std::size_t>(index)).get(); }
    int ActivePageIndex() const;
    // Shows that sheet; OnChange does not fire.
    void SetActivePageIndex(int index);
    // The next (or previous) sheet, round the end, as the user picks it:
    // OnChange fires. A focus left on the sheet going away moves to the tabs.
    void SelectNextPage(bool forward);
    TNotifyEvent OnChange;
    // The sheets follow the page area.
    void SetBounds(const TBounds& bounds) override;

protected:
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FontChanged() override { FitSheets(); }

private:
    TBounds SheetBounds() const;
    void FitSheets();
    void ShowActive();
    std::vector<std::unique_ptr<TTabSheet>> sheets_;
};

}  // namespace pim::ui

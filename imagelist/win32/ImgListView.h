// The thumbnail list: an owner-data list view over the folder model. It
// lists the entries of one folder that pass its filter, in its sort order;
// row i shows item i of ImgItems, which is also page i of the PDF. The model
// reaches the window through the hooks this class implements.
#pragma once

#include <string>

#include "imagelist/ImgListModel.h"
#include "ui/ListView.h"

namespace pim {

class TImgListView : public ui::TListView, private TImgListHooks {
public:
    struct Params {
        ui::TWindow* Parent = nullptr;
        ui::TBounds Bounds;
        ui::TViewStyle ViewStyle = ui::TViewStyle::vsIcon;
        bool MultiSelect = false;
        bool GridLines = false;
        bool Folders = true;     // View.DispTypes.Folders
        std::string Ext = "*.*"; // View.DispTypes.Ext
    };
    explicit TImgListView(const Params& params);
    ~TImgListView() override;

    TImgListModel& Model() { return model_; }
    TImgListItems& ImgItems() { return model_.ImgItems(); }
    // View.DispTypes: a change rebuilds the list from the folder.
    TDispTypes& DispTypes() { return model_.DispTypes(); }

    // The folder's file-system path; setting it enters that folder.
    std::string FolderPath() { return model_.FolderPath(); }
    void SetFolderPath(const std::string& path) { model_.SetFolderPath(path); }
    TSortTypeEx SortType() const { return model_.SortType(); }
    void SetSortType(TSortTypeEx value) { model_.SetSortType(value); }
    bool Descend() const { return model_.Descend(); }
    void SetDescend(bool value) { model_.SetDescend(value); }
    // Redraws every row (after ImgItems was reordered).
    void Repaint() override { Invalidate(); }

protected:
    std::u16string RowText(int row) override;

private:
    // The model's window work.
    bool CanRebuild() override { return Handle() != nullptr; }
    TOwnerWindow OwnerWindow() override { return Handle(); }
    void ScrollToOrigin() override;
    void BeginRebuild() override;
    void EndRebuild() override;
    void SetRowCount(int count) override { TListView::SetRowCount(count); }
    void FocusRow(int index) override { SetFocused(index); }

    TImgListModel model_;
    bool busy_ = false;  // rows are answered empty while the list is rebuilt
};

}  // namespace pim

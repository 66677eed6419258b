// The thumbnail list: an owner-data list view over the folder model. Row i
// shows item i of ImgItems (also page i of the PDF) with its thumbnail, made
// off the GUI thread, or its shell icon, in a frame, and its name. It follows
// changes in the shown folder, sorts by column click and answers the keys of
// a folder window. The model reaches the window through TImgListHooks; the
// thumbnail queue through TImgThreadsHost. Its shell menu, clipboard keys
// and drag-and-drop are in ImgShellMenu.cpp and ImgDragDrop.cpp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/win32/Handles.h"
#include "imagelist/ImgList.h"
#include "imagelist/ImgListModel.h"
#include "imagelist/ImgThreads.h"
#include "imagelist/ImgViewSettings.h"
#include "imagelist/win32/ImgDragDrop.h"
#include "imagelist/win32/ImgShellMenu.h"
#include "ui/ListView.h"

namespace pim {

class TShellWatcher;

class TImgListView : public ui::TListView, private TImgListHooks, private TImgThreadsHost {
public:
    struct Params {
        ui::TWindow* Parent = nullptr;
        ui::TBounds Bounds;
        ui::TViewStyle ViewStyle = ui::TViewStyle::vsIcon;
        TIconStyle IconStyle = TIconStyle::iisIcon;
        bool MultiSelect = false;
        bool GridLines = false;
    };
    explicit TImgListView(const Params& params);
    ~TImgListView() override;

    // Settings. Changing View or ViewImage resets the list; call Setup()
    // once after configuring them before the first folder is entered.
    TViewImage& ViewImage() { return viewImage_; }
    TView& View() { return view_; }
    TDefaultExec& DefaultExec() { return defaultExec_; }
    TShellChangeNotification& ShellChangeNotification() { return notification_; }
    TImgListViewPopupMenu& ImgPopupMenu() { return popupMenu_; }
    TIconStyle IconStyle() const { return iconStyle_; }
    void SetIconStyle(TIconStyle style);
    ui::TViewStyle ViewStyle() const { return viewStyle_; }
    // Icon views fill lines left to right; the list and report styles stack
    // their rows top to bottom.
    bool RowsAcross() const {
        return viewStyle_ == ui::TViewStyle::vsIcon || viewStyle_ == ui::TViewStyle::vsSmallIcon;
    }
    void SetViewStyle(ui::TViewStyle style);
    // Takes the settings in and enters the desktop, as the window's creation
    // does once the form has loaded.
    void Setup();

    TImgListModel& Model() { return model_; }
    TImgListItems& ImgItems() { return model_.ImgItems(); }
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

    // The thumbnail queue and stores (for tests and the shell half).
    TImgThreads& Threads() { return threads_; }
    TImgList& Thumbs() override { return thumbs_; }
    TCellSize CellSize() const { return cell_; }
    // The folder watcher runs.
    bool Watching() const { return watcher_ != nullptr; }
    // The shown folder is gone (deleted, renamed or moved away): the list is
    // empty until a folder of that path is there again.
    bool FolderMissing() const { return folderMissing_; }
    // Lists the shown folder again, keeping what the user made of the list:
    // the order, the selection, the focused row, the thumbnails of files
    // that did not change and the scroll position; a label being edited
    // whose row changed is cancelled. What a burst of changes in the folder
    // ends in (at most one a second while changes keep coming, else 200 ms
    // after the last). The folder is listed on a thread of its own; the
    // rows change when the listing lands.
    void RefreshFolder();
    // A refresh is waiting for the folder to settle.
    bool RefreshPending() const { return refreshPending_; }
    // Makes the items' thumbnails again (their turn changed), visible ones
    // first.
    void RemakeThumbnails(const std::vector<int>& ids);
    // JPEG thumbnails stand as their EXIF orientation says.
    bool AutoOrient() { return viewImage_.ImgUtil().AutoOrient; }
    void SetAutoOrient(bool value);

    // After every change of the rows or their order (a rebuild, a refresh,
    // a sort, a filter), with the selection the rows kept in place.
    std::function<void()> OnListChanged;

    // The user asks for the list's popup menu at this screen point: a right
    // click at the pointer, Shift+F10 or the menu key at the focused row.
    // Unset, the list shows the shell's menu of the selected rows.
    std::function<void(POINT screen)> OnContextPopup;

    std::function<void(TImgListItem& item)> OnImageLoad;
    std::function<void(TImgListItem& item)> OnImageLoaded;

    // The shell's command on the selected rows (paste: into the shown
    // folder; in file mode it adds the clipboard's files). True when the
    // shell's verb was invoked (or the files were added).
    bool ShellCommand(TShellCommand command);
    // The selected rows' items for the shell (ImgItems' selection ID lists).
    TShellItemsOf ShellSelection();
    // Moves the selected rows' items before row target (TImgListItems::
    // MoveItems); they stay selected and the focus stays on its item.
    void MoveSelection(int target);
    // Puts a blank item (a white page) before the focused row, at the end
    // when no row has the focus; it becomes the one selected row and takes
    // the focus. False when the model takes none (see CanInsertBlank).
    bool InsertBlank();
    // Takes the selected blank items out of the list (nothing on disk is
    // touched); the rest of the selection stays.
    void RemoveSelectedBlanks();
    // Some selected row is a blank item.
    bool BlanksSelected();
    // File mode: appends the files as items.
    void AddFiles(TFileDataObject& files);
    TImgDragDrop& DragDrop() { return *dragDrop_; }
    TFileDropTargetEvent OnFileDragEnter;
    TFileDropTargetEvent OnFileDragOver;
    TFileDropTargetEvent OnFileDragDrop;
    ui::TNotifyEvent OnFileDragLeave;

protected:
    std::u16string RowText(int row) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool Notified(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // TImgListHooks: the model's window work.
    bool CanRebuild() override { return Handle() != nullptr && setUp_; }
    TOwnerWindow OwnerWindow() override { return Handle(); }
    void StopThumbnails() override;
    void StartThumbnails() override;
    void SuspendNotify() override;
    void ResumeNotify() override;
    void ScrollToOrigin() override;
    void BeginRebuild() override;
    void EndRebuild() override;
    // Keeps the scroll position: a refresh must not scroll.
    void SetRowCount(int count) override { SetRows(count, LVSICF_NOSCROLL); }
    void BeforeMerge() override;
    void AfterMerge(bool changed) override;
    void ForgetItem(TImgListItem& item) override;
    void ClearThumbnailImages() override { thumbs_.Clear(); }
    void FocusRow(int index) override { SetFocused(index); }
    void QueueLookAhead(TImgListItem& item) override;
    bool WantsThumbnail(TImgListItem& item) override;
    TImageType DetectType(const std::string& path) override { return viewImage_.ImgUtil().DetectType(path); }
    std::function<void()> ListingNotifier() override;

    // TImgThreadsHost: the thumbnail queue's view.
    TImgUtil& ImgUtil() override { return viewImage_.ImgUtil(); }
    TImgSize BoxSize() override { return {viewImage_.ImageWidth(), viewImage_.ImageHeight()}; }
    bool Rebuilding() override { return busy_; }
    std::unique_ptr<TImgWorker> CreateWorker(TImgRequest request) override;
    void ImageLoad(TImgListItem& item) override;
    void DrawBadge(TImgListItem& item) override;
    void ImageLoaded(TImgListItem& item) override;
    void RepaintItem(int id) override;

    // Layout and painting (ImgListPaint.cpp).
    void Layout();
    void FullReset();
    void ColourReset();
    LRESULT CustomDraw(NMLVCUSTOMDRAW& draw);
    void PaintCell(HDC dc, int row);
    // The mark of where dragged items would land (ImgDragDrop's Insertion).
    void PaintInsertion(HDC dc, int row);
    void PaintFrame(HDC dc, const RECT& cell, bool selected);
    void PaintPicture(HDC dc, int x, int y, TImgListItem& item);
    int ComposedIcon(TImgListItem& item);

    // The shell menu and keys (ImgShellMenu.cpp).
    std::vector<int> SelectedRows();
    void ContextPopup(LPARAM position);
    // Where a popup asked for by keyboard opens: on the focused row (the
    // first selected one when none has the focus), scrolled into view.
    POINT KeyboardPopupPoint();
    void ShellKey(WPARAM key);
    bool PasteFiles();

    // The list style's column width (ImgListColumn.cpp).
    void StartColumnFit();
    bool ColumnFitMessage(UINT message, WPARAM wParam);
    void FitFirstScreen();
    void MeasureNames(std::size_t until, bool slice);
    int FittedWidth();
    static int NameWidth(HDC dc, const std::u16string& name);
    // The column that shows a name this wide whole.
    int ColumnWidthFor(int text);
    // The row under the pointer gets its whole name as the list's hint
    // when its label is cut.
    void UpdateNameHint(POINT client);
    void ApplyColumnWidth();
    void SetRows(int count, DWORD flags);
    void Undrawn(const std::function<void()>& change);
    void StartThumbnailsNow();
    void RequestLookAhead();
    void RequestAhead(TImgListItem& item);

    void DisplayInfo(NMLVDISPINFOW& info);
    void KeyDown(WPARAM key);
    void ColumnClick(int column);
    // Whether an in-place rename to name goes ahead (raises when it is taken).
    bool ConfirmRename(TImgListItem& item, const std::string& name);
    void EndLabelEdit(const LVITEMW& item);
    void ListChanged();
    // Folder watching: the folder itself, and its name in its parent folder
    // (a folder deleted, renamed or made again).
    void Watch();
    void WatchFolder();
    std::string WatchedPath();  // empty when the folder is not to be watched
    void ScheduleRefresh();
    // What a refresh keeps of the rows (by item Id) and puts back.
    struct TRowMemo {
        std::vector<int> Selected;  // rows
        std::vector<int> SelectedIds;
        int FocusedId = -1;
    };
    TRowMemo RememberRows();
    void RestoreRows(const TRowMemo& memo);
    std::optional<TRowMemo> moved_;  // the rows a drag moved, selected again after the press
    TRowMemo refreshMemo_;           // the rows as a refresh's merge found them

    TImgListModel model_;
    TViewImage viewImage_;
    TView view_;
    TDefaultExec defaultExec_;
    TShellChangeNotification notification_;
    TImgList thumbs_;
    TImgList icons_;
    std::map<std::string, int> iconCache_;  // "overlay/icon" -> cell of icons_
    TImgThreads threads_;
    std::pair<int, int> paintRows_{0, INT_MAX};  // the rows named while painting
    std::unique_ptr<TShellWatcher> watcher_;
    std::unique_ptr<TShellWatcher> parentWatcher_;
    bool folderMissing_ = false;
    bool refreshPending_ = false;
    bool refreshing_ = false;  // inside RefreshFolder: OnListChanged waits for the rows
    bool restoring_ = false;   // putting the selection back: no selection events
    DWORD firstChange_ = 0;    // tick of the first change of the pending burst
    int editId_ = -1;          // the item whose label is being edited
    int editRow_ = -1;         // and its row when the edit began
    TImgListViewPopupMenu popupMenu_;
    std::unique_ptr<TImgDragDrop> dragDrop_;
    TImageListHandle blank_;
    HIMAGELIST systemLarge_ = nullptr;
    HIMAGELIST systemSmall_ = nullptr;
    SIZE largeIcon_{32, 32};
    DWORD spacing_ = 0;  // the list view's item spacing as first read
    TIconStyle iconStyle_;
    ui::TViewStyle viewStyle_;
    TCellSize cell_;
    bool setUp_ = false;
    bool busy_ = false;       // rows are answered empty while the list is rebuilt
    bool redrawOff_ = false;  // the rebuild turned the list view's drawing off
    // The thumbnails of a rebuild start once its rows are painted, and then
    // these items are asked for ahead, in this order (StartThumbnails).
    bool startAfterPaint_ = false;
    std::vector<int> lookAhead_;
    bool scrolling_ = false;   // between a scroll message and its end
    std::vector<int> fitIds_;  // the items whose names size the list column
    std::size_t fitNext_ = 0;  // the first of them not measured yet
    int fitText_ = 0;          // the widest name measured
    int fitLimit_ = INT_MAX;   // the widest name the column shows whole
    int hintRow_ = -1;         // the row whose name is the hint
};

}  // namespace pim

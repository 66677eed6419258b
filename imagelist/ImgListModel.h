// The folder model behind the thumbnail list: which folder is shown, which of
// its entries are listed (TDispTypes), in which order (SortType, Descend),
// and the item collection ImgItems that holds them in that order. It needs no
// window: the list view plugs its window work in through TImgListHooks, the
// command line uses it as it is.
//
//   TImgListModel model;
//   model.DispTypes().SetFolders(false);
//   model.DispTypes().SetExt("*.jpg;*.bmp;*.txt");
//   model.SetFolderPath("/home/me/photos");
//   for (int i = 0; i < model.ImgItems().Count(); ++i) use(model.ImgItems()[i]->FullPath());
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imagelist/FolderListing.h"
#include "imagelist/ImgShare.h"
#include "imagelist/ImgUtils.h"
#include "imagelist/ListMemory.h"
#include "imagelist/ShellFolder.h"

namespace pim {

// The window's part in the model's work, all on the GUI thread. Every hook
// does nothing by default, which is what a model without a window wants.
class TImgListHooks {
public:
    virtual ~TImgListHooks() = default;
    // False while the list cannot be filled (no window yet, form loading).
    virtual bool CanRebuild() { return true; }
    virtual TOwnerWindow OwnerWindow() { return nullptr; }
    virtual void StopThumbnails() {}
    virtual void StartThumbnails() {}
    // Pause and resume watching the shown folder for changes.
    virtual void SuspendNotify() {}
    virtual void ResumeNotify() {}
    virtual void ScrollToOrigin() {}
    // Around a rebuild: bulk update and busy flag on, then off and relayout.
    virtual void BeginRebuild() {}
    virtual void EndRebuild() {}
    virtual void SetRowCount(int /*count*/) {}
    virtual void ClearThumbnailImages() {}
    virtual void FocusRow(int /*index*/) {}
    // A non-folder item just listed, for look-ahead thumbnail loading.
    virtual void QueueLookAhead(TImgListItem& /*item*/) {}
    // Around the merge of a refresh's listing into the list: what the window
    // keeps of its rows is taken, then put back (changed: the list changed).
    virtual void BeforeMerge() {}
    virtual void AfterMerge(bool /*changed*/) {}
    // An item that leaves the list, or whose file changed, while the list is
    // refreshed: its thumbnail and its place in the thumbnail queue go.
    virtual void ForgetItem(TImgListItem& /*item*/) {}
    virtual bool WantsThumbnail(TImgListItem& /*item*/) { return false; }
    virtual void Repaint() {}
    virtual TImageType DetectType(const std::string& path) { return ImageTypeByExtension(path); }
    // A folder is listed on a thread of its own when this gives a function:
    // the listing calls it from that thread when it ends, and it must have
    // the GUI thread call TakeListing. Without one, a folder is listed at
    // once (what a model without a window wants).
    virtual std::function<void()> ListingNotifier() { return nullptr; }
};

class TImgListModel {
public:
    explicit TImgListModel(TShell& shell = SystemShell());
    ~TImgListModel();
    TImgListModel(const TImgListModel&) = delete;
    TImgListModel& operator=(const TImgListModel&) = delete;

    // The hooks stay borrowed; nullptr restores the do-nothing ones.
    void SetHooks(TImgListHooks* hooks);
    TShell& Shell() { return *shell_; }

    TImgListItems& ImgItems();
    // Changing any of its settings lists the current folder again, keeping
    // what the user made of the list (see TListMemory): files that leave
    // and come back return to their place with their turns.
    TDispTypes& DispTypes() { return dispTypes_; }

    TSortTypeEx SortType() const { return sortType_; }
    void SetSortType(TSortTypeEx value);
    bool Descend() const { return descend_; }
    void SetDescend(bool value);
    TViewMode ViewMode() const { return viewMode_; }
    // Switching mode empties the list; back in folder mode the current
    // folder is listed again.
    void SetViewMode(TViewMode value);
    bool IsFileMode() const { return viewMode_ == TViewMode::ivmFile; }

    // Entering a folder changes the process's current directory to it, as
    // the Windows program does; a front end that keeps relative paths of
    // its own may turn that off.
    bool ChangeCurrentDirectory = true;

    // The current folder's file-system path, or its display name when it has
    // none (the desktop); empty in file mode or before any folder was entered.
    std::string FolderPath();
    // The shown folder is there (a folder without a file-system path, such
    // as the desktop, always is); false in file mode or before any folder
    // was entered.
    bool FolderExists();
    // Enters the folder at path (ignored in file mode). A path that names
    // nothing leaves everything as it was.
    void SetFolderPath(const std::string& path) { NavigatePath(path); }
    void NavigatePath(const std::string& path);
    // Enters the folder with this absolute ID list; entering the folder
    // already shown does nothing. A folder that cannot be opened leaves the
    // list empty and the current folder as it was.
    void NavigateIdList(const TIdList& absolute);
    void EnterDesktop() { NavigateIdList(TIdList::Desktop()); }
    // Shows no folder: the list is empty and FolderPath empty until a folder
    // is entered again (for a folder asked for that cannot be opened, which
    // must not leave another folder's files listed).
    void LeaveFolder();
    const TIdList& FolderIdList() const { return folderIdList_; }
    TShellFolder* Folder() const { return folder_.get(); }

    // Lists the current folder anew (folder mode), sorted, then in the
    // user's order and with the user's turns while the folder stays open
    // (a sort or another folder ends the order). With a listing
    // notifier (see TImgListHooks) the list is empty until the listing
    // lands; the folder itself is entered at once.
    void Rebuild() { Rebuild(nullptr); }
    // A listing runs on its own thread and has not landed yet.
    bool Listing() const { return listing_ != nullptr; }
    // Lands the listing that ended (the notifier's call).
    void TakeListing();
    // Waits for the running listing and lands it: for work that needs the
    // whole list now (a PDF run started as the folder is entered).
    void FinishListing();
    // Lists the current folder again after it changed (folder mode), keeping
    // what the user made of the list: every item whose file is still there
    // stays where it is, with its Id and, unless its size or last-write time
    // changed, its thumbnail; new files go to their sorted place among the
    // items around them; items whose files are gone leave. False when the
    // listing found nothing to change (then nothing was touched). With a
    // listing notifier the folder is listed on the listing's thread and
    // merged when it lands (then false here; BeforeMerge and AfterMerge
    // tell the window).
    bool Refresh();
    // Orders ImgItems by SortType and Descend (the user's order, that of
    // the files a filter hides too, ends, and the blank items leave).
    void Sort();
    // The program's own order of two items under SortType, before Descend
    // (CompareKeys; items without an ID list first).
    int Compare(TShellItem* a, TShellItem* b);
    // File mode: appends the file at path (an empty item for an empty path).
    void AddFile(const std::string& path);

    // Blank items (white pages, TShellItem::IsBlank) belong to the user's
    // order in the shown folder: a refresh or a filter keeps them in their
    // places; a sort, another folder or a change of mode ends them.
    // There is a folder to put them in: folder mode with a folder shown.
    bool CanInsertBlank() const { return !IsFileMode() && !folderIdList_.Absent(); }
    // Puts a blank item before row index (at the end when index is not a
    // row); nullptr when CanInsertBlank is false.
    TImgListItem* InsertBlank(int index);
    // Takes the blank items with these Ids out of the list; other Ids are
    // left alone (nothing on disk is ever touched). The number taken out.
    int RemoveBlanks(const std::vector<int>& ids);

    std::function<void(TImgListModel& sender)> OnChangeFolder;
    // After every change of the items or their order made here: a rebuild,
    // a refresh that changed something, a sort, a change of mode.
    std::function<void(TImgListModel& sender)> OnListChanged;
    std::function<void(TImgListModel& sender, TImgListItem& item, bool& allowAdd)> OnImgItemAdd;

private:
    class TItems;
    friend class TItems;

    // The add event lets the item in.
    bool Allowed(TImgListItem& item);
    TFolderListing::TOrder Order() const { return {sortType_, descend_}; }
    // Puts a listing's entries in the list.
    void Land(TFolderListing& listing);
    // Rebuilds from the listing given, already started, or from a new one.
    void Rebuild(std::unique_ptr<TFolderListing> started);
    // A listing for a rebuild (sorted, as items) or for a refresh's merge.
    std::unique_ptr<TFolderListing> NewListing(bool merges);
    // Lists the current folder: at once, giving the listing, or on its own
    // thread when the hooks give a notifier (then nullptr: it lands through
    // TakeListing).
    std::unique_ptr<TFolderListing> ListFolder(bool merges);
    // The running listing is not wanted any more: it ends on its own.
    void DropListing();
    // Puts a refresh's listing in the list, between the merge hooks.
    bool Merge(TFolderListing& listing);
    bool MergeListed(TFolderListing& listing);
    // Frees the blank items (a sort); true when there were any.
    bool DropBlanks();
    void ListChanged();
    TImgListHooks& Hooks() { return *hooks_; }

    TShell* shell_;
    std::unique_ptr<TShellFolder> desktop_;
    std::unique_ptr<TShellFolder> folder_;
    TIdList folderIdList_;
    TDispTypes dispTypes_;
    TSortTypeEx sortType_ = TSortTypeEx::istName;
    bool descend_ = false;
    TViewMode viewMode_ = TViewMode::ivmFolder;
    TImgListHooks defaultHooks_;
    TImgListHooks* hooks_ = &defaultHooks_;
    std::unique_ptr<TItems> items_;
    TListMemory memory_;  // the user's order and turns in the open folder
    int lastBlankKey_ = 0;
    std::unique_ptr<TFolderListing> listing_;  // the running one
    bool listingMerges_ = false;               // it is a refresh's
    // Dropped listings still running; freed once they end.
    std::vector<std::unique_ptr<TFolderListing>> dropped_;
};

}  // namespace pim

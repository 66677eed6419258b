#include "imagelist/ImgListModel.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "imagelist/FileFacts.h"
#include "imagelist/NaturalOrder.h"

namespace pim {

// The collection as the model's: it asks the model for the folder, the mode
// and the navigation, and the hooks for the window's part.
class TImgListModel::TItems : public TImgListItems {
public:
    explicit TItems(TImgListModel& model) : model_(model) {}

    TShellFolder* GetFolder() override { return model_.folder_.get(); }
    bool IsFileMode() const override { return model_.IsFileMode(); }
    const TIdList& FolderIdList() const override { return model_.folderIdList_; }
    bool WantsThumbnail(int index) override { return model_.Hooks().WantsThumbnail(*Items(index)); }
    void NavigateIdList(const TIdList& absolute) override { model_.NavigateIdList(absolute); }
    void NavigatePath(const std::string& path) override { model_.NavigatePath(path); }
    TShell& Shell() override { return model_.Shell(); }
    TOwnerWindow OwnerWindow() override { return model_.Hooks().OwnerWindow(); }
    void SuspendNotify() override { model_.Hooks().SuspendNotify(); }
    void ResumeNotify() override { model_.Hooks().ResumeNotify(); }
    void BeforeClear() override {
        model_.Hooks().StopThumbnails();
        model_.Hooks().SetRowCount(0);
    }
    TImageType DetectType(const std::string& path) override { return model_.Hooks().DetectType(path); }

private:
    TImgListModel& model_;
};

namespace {

// An item's sort key, read as far as the order needs it: a detail not read
// yet costs the shell a question.
TSortKey KeyOf(TShellItem& item, TSortTypeEx type) {
    const std::string& path = item.FullPath();
    TSortKey key{.Folder = item.IsFolder(),
                 .Name = path.empty() ? std::string_view(item.DisplayName()) : ExtractFileName(path)};
    switch (type) {
        case TSortTypeEx::istSize: key.Size = item.FileSize(); break;
        case TSortTypeEx::istDate: key.Time = item.WriteTime(); break;
        case TSortTypeEx::istAttr: key.Attributes = item.Attributes(); break;
        default: break;
    }
    return key;
}

}  // namespace

TImgListModel::TImgListModel(TShell& shell)
    : shell_(&shell), desktop_(shell.Desktop()), items_(std::make_unique<TItems>(*this)) {
    dispTypes_.OnChange = [this] { Rebuild(); };
}

TImgListModel::~TImgListModel() {
    dropped_.clear();
    listing_.reset();
    // Items go first: their owner reaches into the model while clearing.
    hooks_ = &defaultHooks_;
    items_.reset();
}

void TImgListModel::SetHooks(TImgListHooks* hooks) { hooks_ = hooks ? hooks : &defaultHooks_; }

TImgListItems& TImgListModel::ImgItems() { return *items_; }

void TImgListModel::SetSortType(TSortTypeEx value) {
    if (value == sortType_) return;
    sortType_ = value;
    Sort();
    Hooks().Repaint();
    ListChanged();
}

void TImgListModel::SetDescend(bool value) {
    if (value == descend_) return;
    descend_ = value;
    Sort();
    Hooks().Repaint();
    ListChanged();
}

void TImgListModel::SetViewMode(TViewMode value) {
    if (value == viewMode_) return;
    viewMode_ = value;
    DropListing();
    items_->Clear();
    memory_.Forget();
    if (IsFileMode())
        ListChanged();
    else
        Rebuild();
}

std::string TImgListModel::FolderPath() {
    if (IsFileMode() || folderIdList_.Absent()) return {};
    std::string path;
    if (!folderIdList_.IsDesktop()) path = shell_->PathFromIdList(folderIdList_);
    if (path.empty() && !desktop_->GetDisplayNameOf(folderIdList_, TNameForm::nfNormal, path)) path.clear();
    return path;
}

bool TImgListModel::FolderExists() {
    if (IsFileMode() || folderIdList_.Absent()) return false;
    if (folderIdList_.IsDesktop()) return true;
    const std::string path = shell_->PathFromIdList(folderIdList_);
    return path.empty() || DirectoryExists(path);
}

void TImgListModel::NavigatePath(const std::string& path) {
    if (IsFileMode()) return;
    TIdList absolute;
    if (!shell_->ParseDisplayName(Hooks().OwnerWindow(), path, absolute) || absolute.Absent()) return;
    NavigateIdList(absolute);
}

void TImgListModel::NavigateIdList(const TIdList& absolute) {
    if (IsFileMode() || absolute.Absent()) return;
    if (!folderIdList_.Absent() && desktop_->CompareIDs(TShellColumn::scName, absolute, folderIdList_) == 0) return;
    // With a window, the folder is read on the listing's thread while this
    // one empties the list and binds the folder.
    std::unique_ptr<TFolderListing> started;
    if (std::function<void()> notify = Hooks().CanRebuild() ? Hooks().ListingNotifier() : nullptr) {
        started = NewListing(false);
        started->Start(*shell_, absolute, std::move(notify));
    }
    Hooks().SuspendNotify();
    Hooks().StopThumbnails();
    Hooks().ScrollToOrigin();
    items_->Clear();
    memory_.Forget();
    std::unique_ptr<TShellFolder> folder = absolute.IsDesktop() ? shell_->Desktop() : desktop_->BindToObject(absolute);
    if (!folder) {
        if (started) dropped_.push_back(std::move(started));
        Hooks().ResumeNotify();
        ListChanged();
        return;
    }
    folder_ = std::move(folder);
    folderIdList_ = absolute;
    if (ChangeCurrentDirectory) {
        const std::string path = shell_->PathFromIdList(folderIdList_);
        if (!path.empty()) shell_->ChangeDirectory(path);
    }
    Rebuild(std::move(started));
    Hooks().ResumeNotify();
}

void TImgListModel::LeaveFolder() {
    if (IsFileMode()) return;
    Hooks().SuspendNotify();
    Hooks().ScrollToOrigin();
    folder_.reset();
    folderIdList_ = TIdList();
    items_->Clear();  // nothing of the list may come back, blank items included
    memory_.Forget();
    Rebuild();
    Hooks().ResumeNotify();
}

void TImgListModel::Rebuild(std::unique_ptr<TFolderListing> started) {
    if (IsFileMode() || !Hooks().CanRebuild()) return;
    DropListing();
    Hooks().StopThumbnails();
    memory_.Remember(*items_);
    items_->Clear();
    Hooks().ClearThumbnailImages();
    if (started) {
        listing_ = std::move(started);
        listingMerges_ = false;
    } else if (std::unique_ptr<TFolderListing> listing = ListFolder(false)) {
        Land(*listing);
    }
}

std::unique_ptr<TFolderListing> TImgListModel::NewListing(bool merges) {
    return std::make_unique<TFolderListing>(dispTypes_, Order(), !merges, Hooks().OwnerWindow(),
                                            merges ? nullptr : items_.get());
}

std::unique_ptr<TFolderListing> TImgListModel::ListFolder(bool merges) {
    std::unique_ptr<TFolderListing> listing = NewListing(merges);
    if (!folder_) return listing;
    if (std::function<void()> notify = Hooks().ListingNotifier()) {
        listing->Start(*shell_, folderIdList_, std::move(notify));
        listing_ = std::move(listing);
        listingMerges_ = merges;
        return nullptr;
    }
    listing->Run(*folder_);
    return listing;
}

void TImgListModel::DropListing() {
    std::erase_if(dropped_, [](const auto& listing) { return listing->Finished(); });
    if (!listing_) return;
    listing_->Cancel();
    dropped_.push_back(std::move(listing_));
}

void TImgListModel::TakeListing() {
    if (!listing_ || !listing_->Finished()) return;
    FinishListing();
}

void TImgListModel::FinishListing() {
    if (!listing_) return;
    std::unique_ptr<TFolderListing> listing = std::move(listing_);
    listing->Join();
    if (listingMerges_)
        Merge(*listing);
    else
        Land(*listing);
}

void TImgListModel::Land(TFolderListing& listing) {
    Hooks().BeginRebuild();
    auto finish = [this] {
        if (OnChangeFolder) OnChangeFolder(*this);
        ListChanged();
        Hooks().StartThumbnails();
        Hooks().EndRebuild();
    };
    try {
        if (listing.Error) std::rethrow_exception(listing.Error);
        std::vector<std::unique_ptr<TShellItem>> items;
        items.reserve(listing.Items.size());
        for (std::unique_ptr<TImgListItem>& item : listing.Items)
            if (Allowed(*item)) items.push_back(std::move(item));
        listing.Items.clear();
        items_->Append(std::move(items));
        // Sorted as the listing began; the order may have changed since.
        if (listing.Order() != Order()) Sort();
        memory_.Restore(*items_);
        for (int i = 0; i < items_->Count(); ++i)
            if (TImgListItem& item = *items_->Items(i); !item.IsFolder()) Hooks().QueueLookAhead(item);
        Hooks().SetRowCount(items_->Count());
        if (items_->Count() > 0) Hooks().FocusRow(0);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

bool TImgListModel::Allowed(TImgListItem& item) {
    bool allowAdd = true;
    if (OnImgItemAdd) OnImgItemAdd(*this, item, allowAdd);
    return allowAdd;
}

bool TImgListModel::Refresh() {
    if (IsFileMode() || !Hooks().CanRebuild()) return false;
    if (listing_ && !listingMerges_) {
        // The running listing may have read the folder before it changed,
        // and the list has nothing of the user's yet: list it again.
        Rebuild();
        return false;
    }
    DropListing();  // a refresh still running may have missed this change
    const std::unique_ptr<TFolderListing> listing = ListFolder(true);
    return listing && Merge(*listing);
}

bool TImgListModel::Merge(TFolderListing& listing) {
    Hooks().BeforeMerge();
    bool changed = false;
    try {
        changed = MergeListed(listing);
    } catch (...) {
        Hooks().AfterMerge(false);
        throw;
    }
    Hooks().AfterMerge(changed);
    return changed;
}

bool TImgListModel::MergeListed(TFolderListing& listing) {
    if (listing.Error) std::rethrow_exception(listing.Error);
    // The items now listed, by path.
    std::unordered_map<std::string, TImgListItem*> byPath;
    byPath.reserve(static_cast<std::size_t>(items_->Count()));
    for (int i = 0; i < items_->Count(); ++i) {
        TImgListItem* item = items_->Items(i);
        if (item->HasEntry()) byPath.emplace(item->FullPath(), item);
    }
    std::unordered_set<TShellItem*> kept;
    std::vector<TImgListItem*> changed;
    std::vector<std::unique_ptr<TShellItem>> added;
    for (TListedEntry& entry : listing.Entries) {
        const auto found = byPath.find(entry.FullPath);
        if (found != byPath.end() && found->second->IsFolder() == entry.IsFolder && !kept.count(found->second)) {
            TImgListItem* item = found->second;
            kept.insert(item);
            item->OverlayIndex = entry.Overlay;
            if (!entry.HasFacts || !item->SameListedFacts(entry.Facts)) changed.push_back(item);
            item->Relist(std::move(entry.Child), entry.Facts);
            continue;
        }
        if (std::unique_ptr<TImgListItem> item = MakeListedItem(*items_, entry); Allowed(*item))
            added.push_back(std::move(item));
    }
    // Blank items have no file to be listed: they stay where the user put them.
    for (int i = 0; i < items_->Count(); ++i)
        if (items_->Items(i)->IsBlank()) kept.insert(items_->Items(i));
    if (added.empty() && changed.empty() && kept.size() == static_cast<std::size_t>(items_->Count())) return false;

    Hooks().BeginRebuild();
    auto finish = [this] {
        ListChanged();
        Hooks().StartThumbnails();
        Hooks().EndRebuild();
    };
    try {
        std::vector<TShellItem*> order;
        order.reserve(kept.size() + added.size());
        std::vector<std::string> gone;
        for (int i = 0; i < items_->Count(); ++i) {
            TImgListItem* item = items_->Items(i);
            if (kept.count(item)) {
                order.push_back(item);
            } else {
                Hooks().ForgetItem(*item);
                gone.push_back(item->FullPath());
            }
        }
        memory_.ForgetFiles(gone);
        for (TImgListItem* item : changed) {
            Hooks().ForgetItem(*item);
            item->Resolved = false;
            item->ThumbIndex = -1;
            item->SmallIconIndex = -1;
            item->SourceWidth = item->SourceHeight = 0;
        }
        // New items at their sorted place among the items around them: the
        // kept ones stay in the user's order; a new one goes right after the
        // kept item that comes just before it in sort order (before the
        // first kept one in sort order when none does). On a sorted list
        // that is its sorted place. Each key is read once (a sort reads it a
        // dozen times), and the kept items are sorted only when there are
        // new ones to place.
        struct TKeyed {
            TSortKey Key;
            TShellItem* Item;
        };
        auto before = [this](const TKeyed& a, const TKeyed& b) {
            const int c = CompareKeys(a.Key, b.Key, sortType_);
            return (descend_ ? -c : c) < 0;
        };
        auto sortedOf = [&](const std::vector<TShellItem*>& items) {
            std::vector<TKeyed> keyed;
            keyed.reserve(items.size());
            for (TShellItem* item : items) keyed.push_back({KeyOf(*item, sortType_), item});
            std::stable_sort(keyed.begin(), keyed.end(), before);
            return keyed;
        };
        std::vector<TShellItem*> fresh;  // the new items, in sort order once placed
        fresh.reserve(added.size());
        for (auto& item : added) fresh.push_back(item.get());
        std::unordered_map<TShellItem*, std::vector<TShellItem*>> after;  // kept item -> new ones behind it
        std::vector<TShellItem*> first;  // new ones before every kept item in sort order
        TShellItem* lowest = nullptr;    // the kept item first in sort order
        if (!fresh.empty()) {
            std::vector<TShellItem*> files;
            files.reserve(order.size());
            std::copy_if(order.begin(), order.end(), std::back_inserter(files),
                         [](TShellItem* item) { return !item->IsBlank(); });
            const std::vector<TKeyed> sorted = sortedOf(files);
            if (!sorted.empty()) lowest = sorted.front().Item;
            const std::vector<TKeyed> placed = sortedOf(fresh);
            fresh.clear();
            for (const TKeyed& item : placed) {
                fresh.push_back(item.Item);
                const auto next = std::upper_bound(sorted.begin(), sorted.end(), item, before);
                if (next == sorted.begin())
                    first.push_back(item.Item);
                else
                    after[(next - 1)->Item].push_back(item.Item);
            }
        }
        std::vector<TShellItem*> merged;
        merged.reserve(order.size() + fresh.size());
        if (!lowest) merged = first;
        for (TShellItem* item : order) {
            if (item == lowest) merged.insert(merged.end(), first.begin(), first.end());
            merged.push_back(item);
            if (const auto group = after.find(item); group != after.end())
                merged.insert(merged.end(), group->second.begin(), group->second.end());
        }
        items_->Reassign(merged, std::move(added));
        Hooks().SetRowCount(items_->Count());
        for (TShellItem* item : fresh)
            if (!item->IsFolder()) Hooks().QueueLookAhead(*static_cast<TImgListItem*>(item));
        for (TImgListItem* item : changed)
            if (!item->IsFolder()) Hooks().QueueLookAhead(*item);
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return true;
}

void TImgListModel::ListChanged() {
    if (OnListChanged) OnListChanged(*this);
}

int TImgListModel::Compare(TShellItem* a, TShellItem* b) {
    const bool aHas = a->HasEntry();
    const bool bHas = b->HasEntry();
    if (a == b || (!aHas && !bHas)) return 0;
    if (!aHas) return -1;
    if (!bHas) return 1;
    if (IsFileMode() && sortType_ == TSortTypeEx::istName) return a->DisplayName().compare(b->DisplayName());
    return CompareKeys(KeyOf(*a, sortType_), KeyOf(*b, sortType_), sortType_);
}

void TImgListModel::Sort() {
    memory_.ForgetOrder();
    if (DropBlanks()) Hooks().SetRowCount(items_->Count());
    items_->Sort([this](TShellItem* a, TShellItem* b) {
        const int result = Compare(a, b);
        return descend_ ? -result : result;
    });
}

void TImgListModel::AddFile(const std::string& path) {
    if (!IsFileMode()) return;
    if (path.empty()) {
        items_->Add(std::make_unique<TImgListItem>(*items_, TIdList(), false));
        return;
    }
    TIdList absolute;
    if (!shell_->ParseDisplayName(Hooks().OwnerWindow(), path, absolute)) return;
    const TIdList parentList = absolute.Parent();
    const TIdList last = absolute.Last();
    if (last.Absent()) return;
    std::unique_ptr<TShellFolder> parent =
        parentList.IsDesktop() ? shell_->Desktop() : desktop_->BindToObject(parentList);
    std::string name;
    if (!parent || !parent->GetDisplayNameOf(last, TNameForm::nfForParsing, name)) return;
    if (LowerCaseName(name) != LowerCaseName(path)) return;
    bool isFolder = false;
    int overlay = -1;
    SetKind(parent->GetAttributesOf(last, kEntryQuery) & kEntryQuery, isFolder, overlay);
    auto item = std::make_unique<TImgListItem>(*items_, last, isFolder);
    item->SetFullPath(std::move(name));
    item->SetParentIdList(parentList);
    item->OverlayIndex = overlay;
    TImgListItem& added = *item;
    items_->Add(std::move(item));
    if (!isFolder) Hooks().QueueLookAhead(added);
}

TImgListItem* TImgListModel::InsertBlank(int index) {
    if (!CanInsertBlank()) return nullptr;
    std::unique_ptr<TImgListItem> blank = TImgListItem::Blank(*items_, ++lastBlankKey_);
    TImgListItem* item = blank.get();
    items_->Insert(index, std::move(blank));
    Hooks().SetRowCount(items_->Count());
    Hooks().Repaint();
    ListChanged();
    return item;
}

int TImgListModel::RemoveBlanks(const std::vector<int>& ids) {
    int removed = 0;
    for (int id : ids) {
        const int row = items_->IndexOfId(id);
        if (row < 0 || !items_->Items(row)->IsBlank()) continue;
        Hooks().ForgetItem(*items_->Items(row));
        items_->Delete(row);
        ++removed;
    }
    if (removed == 0) return 0;
    Hooks().SetRowCount(items_->Count());
    Hooks().Repaint();
    ListChanged();
    return removed;
}

bool TImgListModel::DropBlanks() {
    std::vector<TShellItem*> order;
    order.reserve(static_cast<std::size_t>(items_->Count()));
    for (int i = 0; i < items_->Count(); ++i)
        if (TImgListItem* item = items_->Items(i); !item->IsBlank())
            order.push_back(item);
        else
            Hooks().ForgetItem(*item);
    if (order.size() == static_cast<std::size_t>(items_->Count())) return false;
    items_->Reassign(order, {});
    return true;
}

}  // namespace pim

#include "imagelist/ImgListModel.h"

#include <string_view>

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

constexpr std::uint32_t kEntryQuery = sfgaoFolder | sfgaoFileSysAncestor | sfgaoLink | sfgaoShare;

// Folder and overlay of a new item from its shell attributes: the shared
// overlay, then the shortcut overlay (which wins) for a link that is not a
// folder.
void SetKind(std::uint32_t attrs, bool& isFolder, int& overlay) {
    isFolder = (attrs & (sfgaoFolder | sfgaoFileSysAncestor)) != 0;
    overlay = -1;
    if (attrs & sfgaoShare) overlay = 0;
    if ((attrs & sfgaoLink) && !(attrs & sfgaoFolder)) overlay = 1;
}

}  // namespace

TImgListModel::TImgListModel(TShell& shell)
    : shell_(&shell), desktop_(shell.Desktop()), items_(std::make_unique<TItems>(*this)) {
    dispTypes_.OnChange = [this] { Rebuild(); };
}

TImgListModel::~TImgListModel() {
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
}

void TImgListModel::SetDescend(bool value) {
    if (value == descend_) return;
    descend_ = value;
    Sort();
    Hooks().Repaint();
}

void TImgListModel::SetViewMode(TViewMode value) {
    if (value == viewMode_) return;
    viewMode_ = value;
    items_->Clear();
    if (!IsFileMode()) Rebuild();
}

std::string TImgListModel::FolderPath() {
    if (IsFileMode() || folderIdList_.Absent()) return {};
    std::string path;
    if (!folderIdList_.IsDesktop()) path = shell_->PathFromIdList(folderIdList_);
    if (path.empty() && !desktop_->GetDisplayNameOf(folderIdList_, TNameForm::nfNormal, path)) path.clear();
    return path;
}

void TImgListModel::NavigatePath(const std::string& path) {
    if (IsFileMode()) return;
    TIdList absolute;
    if (!shell_->ParseDisplayName(Hooks().OwnerWindow(), path, absolute) || absolute.Absent()) return;
    NavigateIdList(absolute);
}

void TImgListModel::NavigateIdList(const TIdList& absolute) {
    if (IsFileMode() || absolute.Absent()) return;
    if (!folderIdList_.Absent() && desktop_->CompareIDs(TShellColumn::scName, absolute, folderIdList_) == 0)
        return;
    Hooks().SuspendNotify();
    Hooks().StopThumbnails();
    Hooks().ScrollToOrigin();
    items_->Clear();
    std::unique_ptr<TShellFolder> folder =
        absolute.IsDesktop() ? shell_->Desktop() : desktop_->BindToObject(absolute);
    if (!folder) {
        Hooks().ResumeNotify();
        return;
    }
    folder_ = std::move(folder);
    folderIdList_ = absolute;
    if (ChangeCurrentDirectory) {
        const std::string path = shell_->PathFromIdList(folderIdList_);
        if (!path.empty()) shell_->ChangeDirectory(path);
    }
    Rebuild();
    Hooks().ResumeNotify();
}

void TImgListModel::LeaveFolder() {
    if (IsFileMode()) return;
    Hooks().SuspendNotify();
    Hooks().ScrollToOrigin();
    folder_.reset();
    folderIdList_ = TIdList();
    Rebuild();
    Hooks().ResumeNotify();
}

void TImgListModel::Rebuild() {
    if (IsFileMode() || !Hooks().CanRebuild()) return;
    Hooks().BeginRebuild();
    auto finish = [this] {
        if (OnChangeFolder) OnChangeFolder(*this);
        Hooks().StartThumbnails();
        Hooks().EndRebuild();
    };
    try {
        Hooks().StopThumbnails();
        items_->Clear();
        Enumerate();
        Hooks().ClearThumbnailImages();
        Hooks().SetRowCount(items_->Count());
        Sort();
        if (items_->Count() > 0) Hooks().FocusRow(0);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TImgListModel::Enumerate() {
    if (!folder_) return;
    std::uint32_t flags = 0;
    if (dispTypes_.Folders()) flags |= shcontfFolders;
    if (dispTypes_.NonFolders()) flags |= shcontfNonFolders;
    if (dispTypes_.Hidden()) flags |= shcontfIncludeHidden;
    std::unique_ptr<TShellEnum> entries = folder_->EnumObjects(Hooks().OwnerWindow(), flags);
    if (!entries) return;
    const bool filters = dispTypes_.Filters();
    TIdList child;
    while (entries->Next(child)) {
        const std::uint32_t attrs = folder_->GetAttributesOf(child, kEntryQuery) & kEntryQuery;
        std::string fullPath;
        if (filters) {
            if (!folder_->GetDisplayNameOf(child, TNameForm::nfForParsing, fullPath)) fullPath.clear();
            if (!(attrs & sfgaoFileSysAncestor) && !MatchesMask(fullPath, dispTypes_.ExtList())) continue;
        }
        bool isFolder = false;
        int overlay = -1;
        SetKind(attrs, isFolder, overlay);
        auto item = std::make_unique<TImgListItem>(*items_, std::move(child), isFolder);
        if (filters) item->SetFullPath(std::move(fullPath));
        item->OverlayIndex = overlay;
        if (OnImgItemAdd) {
            bool allowAdd = true;
            OnImgItemAdd(*this, *item, allowAdd);
            if (!allowAdd) continue;
        }
        TImgListItem& added = *item;
        items_->Add(std::move(item));
        if (!isFolder) Hooks().QueueLookAhead(added);
    }
}

int TImgListModel::Compare(TShellItem* a, TShellItem* b) {
    const bool aHas = !a->IdList().Absent();
    const bool bHas = !b->IdList().Absent();
    if (a == b || (!aHas && !bHas)) return 0;
    if (!aHas) return -1;
    if (!bHas) return 1;
    if (IsFileMode() && sortType_ == TSortTypeEx::istName) return a->DisplayName().compare(b->DisplayName());
    if (!folder_) return 0;
    return folder_->CompareIDs(static_cast<TShellColumn>(sortType_), a->IdList(), b->IdList());
}

void TImgListModel::Sort() {
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

}  // namespace pim

#include "imagelist/ImgUtils.h"

#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/SysUtils.h"

namespace pim {

std::string FormatSizeText(std::uint64_t size) {
    // Counted from the whole size: the low 32 bits alone would show a 5 GB
    // file as 1 GB.
    return std::to_string(size / 1024 + 1) + "KB";
}

std::string FormatDosDateText(std::uint16_t dosDate, std::uint16_t dosTime) {
    if (dosDate == 0) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", 1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F,
                  dosDate & 0x1F, dosTime >> 11, (dosTime >> 5) & 0x3F);
    return text;
}

// --- TShellItem ---

TShellItem::TShellItem(TShellItems& owner, TIdList idList, bool isFolder)
    : owner_(&owner), id_(owner.NextId()), idList_(std::move(idList)), isFolder_(isFolder) {}

const TIdList& TShellItem::IdList() {
    if (idList_.Absent() && !fullPath_.empty()) {
        std::unique_ptr<TShellFolder> holder;
        if (TShellFolder* folder = ParentFolder(holder))
            folder->ParseDisplayName(owner_->OwnerWindow(), std::string(ExtractFileName(fullPath_)), idList_);
    }
    return idList_;
}

TIdList TShellItem::AbsoluteIdList() {
    if (IdList().Absent()) return {};
    const TIdList& parent = owner_->IsFileMode() ? parentIdList_ : owner_->FolderIdList();
    return parent.Combine(idList_);
}

TShellFolder* TShellItem::ParentFolder(std::unique_ptr<TShellFolder>& holder) {
    if (!owner_->IsFileMode()) return owner_->GetFolder();
    if (parentIdList_.Absent()) return nullptr;
    holder = owner_->Shell().Desktop();
    if (!parentIdList_.IsDesktop()) holder = holder->BindToObject(parentIdList_);
    return holder.get();
}

std::string TShellItem::NameOf(TNameForm form) {
    std::string name;
    std::unique_ptr<TShellFolder> holder;
    TShellFolder* folder = IdList().Absent() ? nullptr : ParentFolder(holder);
    if (folder && !folder->GetDisplayNameOf(idList_, form, name)) name.clear();
    return name;
}

const std::string& TShellItem::DisplayName() {
    if (!displayNameValid_ && IsBlank()) {
        displayName_ = kBlankItemName;
        displayNameValid_ = true;
    }
    if (!displayNameValid_) {
        displayName_ = NameOf(TNameForm::nfInFolder);
        displayNameValid_ = !displayName_.empty();
        // An entry gone before the shell was asked about it keeps its name.
        if (!displayNameValid_) displayName_ = ExtractFileName(fullPath_);
    }
    return displayName_;
}

const std::string& TShellItem::FullPath() {
    if (!fullPathValid_) {
        std::string path = NameOf(TNameForm::nfForParsing);
        // An entry gone before its list was made keeps its listed path.
        if (path.empty() && idList_.Absent()) return fullPath_;
        fullPath_ = std::move(path);
        fullPathValid_ = !fullPath_.empty();
    }
    return fullPath_;
}

void TShellItem::FetchFindData() {
    if (sizeDateValid_ || !HasEntry()) return;
    std::unique_ptr<TShellFolder> holder;
    TShellFolder* folder = ParentFolder(holder);
    TFindData data;
    if (!folder || IdList().Absent() || !folder->GetFindData(idList_, data)) {
        // Nothing readable: show nothing rather than what was read before.
        sizeText_.clear();
        dateText_.clear();
        size_ = 0;
        attributes_ = 0;
        writeTime_ = 0;
        return;
    }
    size_ = data.Size;
    writeTime_ = data.WriteTime;
    sizeText_ = FormatSizeText(data.Size);
    attributes_ = data.Attributes;
    if (dateText_.empty()) dateText_ = FormatDosDateText(data.DosDate, data.DosTime);
    sizeDateValid_ = true;
    textsDue_ = false;
}

// The listed facts' texts, made when first shown: making them for 10,000
// files as they are listed costs Wine 3 ms.
void TShellItem::FormatListedTexts() {
    if (!textsDue_) return;
    textsDue_ = false;
    sizeText_ = FormatSizeText(size_);
    dateText_ = FormatDosDateText(listedDosDate_, listedDosTime_);
}

const std::string& TShellItem::SizeText() {
    FetchFindData();
    FormatListedTexts();
    return sizeText_;
}

std::uint32_t TShellItem::Size() {
    FetchFindData();
    return static_cast<std::uint32_t>(size_);
}

std::uint64_t TShellItem::FileSize() {
    FetchFindData();
    return size_;
}

std::int64_t TShellItem::WriteTime() {
    FetchFindData();
    return writeTime_;
}

void TShellItem::SetListedFacts(const TFindData& data) {
    size_ = data.Size;
    writeTime_ = data.WriteTime;
    attributes_ = data.Attributes;
    listedDosDate_ = data.DosDate;
    listedDosTime_ = data.DosTime;
    textsDue_ = true;
    sizeDateValid_ = true;
    listedSize_ = data.Size;
    listedTime_ = data.WriteTime;
    listed_ = true;
}

bool TShellItem::SameListedFacts(const TFindData& data) const {
    return listed_ && listedSize_ == data.Size && listedTime_ == data.WriteTime;
}

void TShellItem::Relist(TIdList idList, const TFindData& data) {
    const bool same = SameListedFacts(data);
    // A listing that read the file system brings no list: the one made
    // for the entry still names it, unless the file changed.
    if (!idList.Absent() || !same) idList_ = std::move(idList);
    if (same) return;
    std::string path = std::move(fullPath_);
    const bool pathValid = fullPathValid_;
    ClearCache();
    if (pathValid) SetFullPath(std::move(path));
    SetListedFacts(data);
}

const std::string& TShellItem::DateText() {
    FetchFindData();
    FormatListedTexts();
    return dateText_;
}

std::uint32_t TShellItem::Attributes() {
    FetchFindData();
    return attributes_;
}

const std::string& TShellItem::TypeName() {
    if (!typeNameValid_ && !IdList().Absent()) {
        typeName_ = owner_->Shell().TypeName(AbsoluteIdList());
        typeNameValid_ = !typeName_.empty();
    }
    return typeName_;
}

int TShellItem::IconIndex() {
    if (!iconIndexValid_ && HasEntry()) {
        iconIndex_ = owner_->KindIcon(*this);
        iconIndexValid_ = iconIndex_ >= 0;
    }
    return iconIndex_;
}

// The shell's icon lookup costs several milliseconds a file under Wine, and
// a thumbnail wears its file's icon as a badge: 10,000 pictures spent a
// minute on the GUI thread asking for them. A picture or a text file shows
// its type's icon, the same for every file of its extension, so that icon
// is asked once per extension. Other kinds (programs, icons, shortcuts,
// folders) may each show their own, and are asked for each item.
int TShellItems::KindIcon(TShellItem& item) {
    const TImageType type = item.ImageType();
    const bool ofItsKind = item.OverlayIndex < 0 &&
                           (type == TImageType::iitJpeg || type == TImageType::iitBmp || type == TImageType::iitPng ||
                            type == TImageType::iitTxt || type == TImageType::iitTiff || type == TImageType::iitGif ||
                            type == TImageType::iitWebp);
    if (!ofItsKind) return Shell().IconIndex(item.AbsoluteIdList());
    const std::string ext = LowerCaseName(ExtractFileExt(item.FullPath()));
    if (const auto known = kindIcons_.find(ext); known != kindIcons_.end()) return known->second;
    const int icon = Shell().IconIndex(item.AbsoluteIdList());
    if (icon >= 0) kindIcons_[ext] = icon;
    return icon;
}

// One by one, each list costs the shell a parse of the name (0.4 ms under
// Wine: four seconds for 10,000 items chosen at once); many are found by
// path in one enumeration of the folder (60 ms for 10,000).
void TShellItems::MakeIdLists(const std::vector<TShellItem*>& items) {
    constexpr std::size_t kEnumerateFrom = 32;
    std::unordered_map<std::string_view, TShellItem*> lacking;
    for (TShellItem* item : items)
        if (item->idList_.Absent() && !item->fullPath_.empty()) lacking.emplace(item->fullPath_, item);
    TShellFolder* folder = IsFileMode() ? nullptr : GetFolder();
    if (folder && lacking.size() >= kEnumerateFrom)
        if (std::unique_ptr<TShellEnum> entries =
                folder->EnumObjects(OwnerWindow(), shcontfFolders | shcontfNonFolders | shcontfIncludeHidden)) {
            TIdList child;
            std::string path;
            while (!lacking.empty() && entries->Next(child)) {
                if (!folder->GetDisplayNameOf(child, TNameForm::nfForParsing, path)) continue;
                if (const auto found = lacking.find(path); found != lacking.end()) {
                    found->second->idList_ = std::move(child);
                    lacking.erase(found);
                }
            }
        }
    for (const auto& [path, item] : lacking) item->IdList();
}

void TShellItem::SetImageType(TImageType type) {
    imageType_ = type;
    imageTypeValid_ = true;
}

TImageType TShellItem::ImageType() {
    if (!imageTypeValid_) {
        if (isFolder_) {
            imageType_ = TImageType::iitDir;
            imageTypeValid_ = true;
        } else if (!FullPath().empty()) {
            imageType_ = owner_->DetectType(FullPath());
            imageTypeValid_ = true;
        }
    }
    return imageType_;
}

void TShellItem::ClearCache() {
    fullPathValid_ = iconIndexValid_ = typeNameValid_ = false;
    sizeDateValid_ = displayNameValid_ = imageTypeValid_ = false;
    // DateText is filled only while empty, so it is emptied with the rest.
    dateText_.clear();
    textsDue_ = false;
}

void TShellItem::SetDisplayName(std::string text) {
    displayName_ = std::move(text);
    displayNameValid_ = true;
}

void TShellItem::SetFullPath(std::string text) {
    fullPath_ = std::move(text);
    fullPathValid_ = true;
}

bool TShellItem::HasAttributes(std::uint32_t mask) {
    if (IdList().Absent()) return false;
    std::unique_ptr<TShellFolder> holder;
    TShellFolder* folder = ParentFolder(holder);
    return folder && (folder->GetAttributesOf(idList_, mask) & mask) != 0;
}

void TShellItem::OpenItem() {
    TShellItems& owner = *owner_;
    const bool fileMode = owner.IsFileMode();
    if (isFolder_ && !fileMode) {
        owner.NavigateIdList(AbsoluteIdList());
        return;
    }
    if (!fileMode && OverlayIndex == 1 && LowerCaseName(ExtractFileExt(FullPath())) == ".lnk") {
        std::string target;
        bool targetIsFolder = false;
        if (owner.Shell().ResolveLink(FullPath(), target, targetIsFolder) && targetIsFolder) {
            owner.NavigatePath(target);
            return;
        }
    }
    if (fileMode) {
        if (!FullPath().empty()) owner.Shell().ExecutePath(owner.OwnerWindow(), FullPath());
    } else if (!IdList().Absent()) {
        owner.Shell().Execute(owner.OwnerWindow(), AbsoluteIdList());
    }
}

bool TShellItem::Rename(const std::string& newName, std::string* reason) {
    if (newName.empty() || !HasAttributes(sfgaoCanRename)) return false;
    struct Resume {
        TShellItems& owner;
        ~Resume() { owner.ResumeNotify(); }
    };
    owner_->SuspendNotify();
    Resume resume{*owner_};
    std::unique_ptr<TShellFolder> holder;
    TShellFolder* folder = ParentFolder(holder);
    TIdList renamed;
    std::string why;
    if (!folder || IdList().Absent() || !folder->SetNameOf(nullptr, idList_, newName, renamed, why) ||
        renamed.Absent()) {
        if (reason) *reason = why;
        return false;
    }
    idList_ = std::move(renamed);
    fullPathValid_ = displayNameValid_ = false;
    FullPath();
    DisplayName();
    return true;
}

// --- TShellItems ---

TShellItems::~TShellItems() = default;

const TIdList& TShellItems::FolderIdList() const {
    static const TIdList none;
    return none;
}

TShellItem* TShellItems::Items(int index) const {
    if (index < 0 || index >= Count()) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    return order_[static_cast<std::size_t>(index)];
}

int TShellItems::Insert(int index, std::unique_ptr<TShellItem> item) {
    if (index < 0 || index > Count()) index = Count();
    std::lock_guard lock(mutex_);
    TShellItem* raw = item.get();
    owned_.emplace(raw->Id(), std::move(item));
    order_.insert(order_.begin() + index, raw);
    return index;
}

int TShellItems::Add(std::unique_ptr<TShellItem> item) {
    std::lock_guard lock(mutex_);
    TShellItem* raw = item.get();
    owned_.emplace(raw->Id(), std::move(item));
    order_.push_back(raw);
    return Count() - 1;
}

void TShellItems::Append(std::vector<std::unique_ptr<TShellItem>> items) {
    std::lock_guard lock(mutex_);
    order_.reserve(order_.size() + items.size());
    owned_.reserve(owned_.size() + items.size());
    for (auto& item : items) {
        order_.push_back(item.get());
        owned_.emplace(item->Id(), std::move(item));
    }
}

void TShellItems::Delete(int index) {
    TShellItem* item = Items(index);
    std::unique_ptr<TShellItem> doomed;
    {
        std::lock_guard lock(mutex_);
        order_.erase(order_.begin() + index);
        const auto it = owned_.find(item->Id());
        doomed = std::move(it->second);
        owned_.erase(it);
    }
}

void TShellItems::Move(int from, int to) {
    if (from == to) return;
    TShellItem* item = Items(from);
    Items(to);  // range check
    std::lock_guard lock(mutex_);
    order_.erase(order_.begin() + from);
    order_.insert(order_.begin() + to, item);
}

void TShellItems::MoveItems(const std::vector<int>& ids, int target) {
    std::vector<TShellItem*> moved;
    for (int id : ids) {
        TShellItem* item = ItemById(id);
        if (item && std::find(moved.begin(), moved.end(), item) == moved.end()) moved.push_back(item);
    }
    if (moved.empty()) return;
    auto isMoved = [&](TShellItem* item) { return std::find(moved.begin(), moved.end(), item) != moved.end(); };
    // The item they go before: the target, or the first row after it that
    // is not moved itself.
    TShellItem* anchor = nullptr;
    for (int row = std::max(target, 0); row < Count() && !anchor; ++row)
        if (!isMoved(order_[static_cast<std::size_t>(row)])) anchor = order_[static_cast<std::size_t>(row)];
    std::vector<TShellItem*> order;
    order.reserve(order_.size());
    for (TShellItem* item : order_) {
        if (item == anchor) order.insert(order.end(), moved.begin(), moved.end());
        if (!isMoved(item)) order.push_back(item);
    }
    if (!anchor) order.insert(order.end(), moved.begin(), moved.end());
    Reorder(std::move(order));
}

void TShellItems::Reassign(const std::vector<TShellItem*>& order, std::vector<std::unique_ptr<TShellItem>> added) {
    std::vector<std::unique_ptr<TShellItem>> doomed;
    {
        std::lock_guard lock(mutex_);
        for (auto& item : added) {
            const int id = item->Id();
            owned_.emplace(id, std::move(item));
        }
        std::unordered_map<int, bool> named;
        named.reserve(order.size());
        for (TShellItem* item : order) named.emplace(item->Id(), true);
        for (auto it = owned_.begin(); it != owned_.end();) {
            if (named.count(it->first)) {
                ++it;
            } else {
                doomed.push_back(std::move(it->second));
                it = owned_.erase(it);
            }
        }
        order_ = order;
    }
}

void TShellItems::Clear() {
    BeforeClear();
    kindIcons_.clear();  // the shell's settings may have changed since
    std::unordered_map<int, std::unique_ptr<TShellItem>> doomed;
    {
        std::lock_guard lock(mutex_);
        order_.clear();
        doomed.swap(owned_);
    }
}

void TShellItems::Reorder(std::vector<TShellItem*> order) {
    std::lock_guard lock(mutex_);
    order_.swap(order);
}

int TShellItems::IndexOfId(int id) const {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < order_.size(); ++i)
        if (order_[i]->Id() == id) return static_cast<int>(i);
    return -1;
}

TShellItem* TShellItems::ItemById(int id) const {
    std::lock_guard lock(mutex_);
    const auto it = owned_.find(id);
    return it == owned_.end() ? nullptr : it->second.get();
}

// --- TImgListItem, TImgListItems ---

std::unique_ptr<TImgListItem> TImgListItem::Blank(TShellItems& owner, int key) {
    auto item = std::make_unique<TImgListItem>(owner, TIdList(), false);
    item->SetBlankKey(key);
    item->Resolved = true;  // its picture is drawn, not made
    return item;
}

int TImgListItems::EntryCount() const {
    int count = 0;
    for (int i = 0; i < Count(); ++i) count += Items(i)->IsBlank() ? 0 : 1;
    return count;
}

void TImgListItems::BuildSelIdLists(const std::vector<int>& indices) {
    SelAbsolute = IsFileMode();
    SelIdLists.clear();
    SelIdLists.reserve(indices.size());
    for (int index : indices) {
        TImgListItem* item = Items(index);
        SelIdLists.push_back(SelAbsolute ? item->AbsoluteIdList() : item->IdList());
    }
}

}  // namespace pim

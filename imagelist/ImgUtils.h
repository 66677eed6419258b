// Items of the image list and their ordered collection. An item names one
// entry of a shell folder by its ID list and fetches its details (names,
// size, date, type, icon) from the shell on first use, caching them until
// ClearCache. The collection owns its items; its order is the display order
// and the page order.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/CodePage.h"
#include "imagelist/IdList.h"
#include "imagelist/ImgShare.h"
#include "imagelist/ShellFolder.h"

namespace pim {

class TShellItems;

// The name a blank item shows in the list.
inline constexpr TUtf8Text kBlankItemName{u8"（白紙）"};

// SizeText of a size: size div 1024 + 1, followed by "KB" (0 bytes and 1,023
// bytes give "1KB", 1,024 bytes "2KB").
std::string FormatSizeText(std::uint64_t size);
// DateText of an MS-DOS packed local time: "yyyy/mm/dd hh:nn".
std::string FormatDosDateText(std::uint16_t dosDate, std::uint16_t dosTime);

class TShellItem {
public:
    // Takes the next Id from the owner; idList is relative to the parent
    // folder. Absent, the item is an empty one, unless SetFullPath names its
    // entry: the list is then made from the name when first asked for.
    TShellItem(TShellItems& owner, TIdList idList, bool isFolder);
    virtual ~TShellItem() = default;
    TShellItem(const TShellItem&) = delete;
    TShellItem& operator=(const TShellItem&) = delete;

    TShellItems& Owner() const { return *owner_; }
    // Never reused while the collection lives; kept through sorting and moving.
    int Id() const { return id_; }
    // The item names an entry (an empty item does not).
    bool HasEntry() const { return !idList_.Absent() || !fullPath_.empty(); }
    // A blank page the user put in the list: an item with no file behind it
    // (FullPath is empty, no detail is asked of the shell) named
    // kBlankItemName. Its key, never 0, names it to TListMemory.
    bool IsBlank() const { return blankKey_ != 0; }
    int BlankKey() const { return blankKey_; }
    // Absent for an empty item, or when the entry is gone before its list
    // was made (GUI thread only).
    const TIdList& IdList();
    bool IsFolder() const { return isFolder_; }
    // Absolute ID list of the parent folder; set only in file mode.
    const TIdList& ParentIdList() const { return parentIdList_; }
    void SetParentIdList(TIdList list) { parentIdList_ = std::move(list); }
    // The parent folder's list joined with the item's own.
    TIdList AbsoluteIdList();

    // Details, fetched on first use (GUI thread only). A detail that cannot
    // be read stays empty (-1 for the icon index) and is asked again next time.
    const std::string& DisplayName();
    const std::string& FullPath();
    const std::string& SizeText();
    std::uint32_t Size();      // low 32 bits of the file size
    std::uint64_t FileSize();  // the whole file size
    std::int64_t WriteTime();  // TFindData::WriteTime
    const std::string& DateText();
    std::uint32_t Attributes();  // fa* bits of the directory record
    const std::string& TypeName();
    int IconIndex();
    TImageType ImageType();

    void ClearCache();
    // The directory record read when the entry was listed: it fills the
    // size and date details and is the stamp a later listing compares with.
    void SetListedFacts(const TFindData& data);
    // The entry was listed with this size and last-write time.
    bool SameListedFacts(const TFindData& data) const;
    // The same entry listed again with another ID list, or none when the
    // listing read the file system (a changed file when its facts differ:
    // the cached details and the list are dropped).
    void Relist(TIdList idList, const TFindData& data);
    void SetDisplayName(std::string text);
    void SetFullPath(std::string text);
    // Settles the kind (a thumbnail that failed makes it iitNone, so the
    // item is drawn with its shell icon) until ClearCache.
    void SetImageType(TImageType type);
    // True when the parent folder reports any sfgao* bit of mask for the item.
    bool HasAttributes(std::uint32_t mask);

    // Opens the item: enters a folder, follows a shortcut to a folder, or
    // hands the item to the shell's default verb.
    void OpenItem();
    // Gives the entry a new name (an in-place edit that produced text).
    // False when the name is empty, the item cannot be renamed or the shell
    // refused (a name taken or not valid: reason, when given, then says why
    // in the system's words); the item then keeps its old name. The shell
    // shows no message of its own: the caller shows the reason.
    bool Rename(const std::string& newName, std::string* reason = nullptr);

    int OverlayIndex = -1;  // -1 none, 0 shared folder, 1 shortcut
    int SourceWidth = 0;
    int SourceHeight = 0;
    int ThumbIndex = -1;
    int SmallIconIndex = -1;

    // The shell's name of the item in that form, asked afresh.
    std::string NameOf(TNameForm form);

protected:
    void SetBlankKey(int key) { blankKey_ = key; }

private:
    friend class TShellItems;  // MakeIdLists
    // The folder holding the item: the collection's in folder mode, bound
    // from ParentIdList in file mode (kept in holder).
    TShellFolder* ParentFolder(std::unique_ptr<TShellFolder>& holder);
    void FetchFindData();
    void FormatListedTexts();

    TShellItems* owner_;
    int id_;
    TIdList idList_;
    TIdList parentIdList_;
    bool isFolder_;

    std::string displayName_, fullPath_, sizeText_, dateText_, typeName_;
    std::uint64_t size_ = 0;
    std::int64_t writeTime_ = 0;
    std::uint32_t attributes_ = 0;
    std::uint64_t listedSize_ = 0;
    std::int64_t listedTime_ = 0;
    std::uint16_t listedDosDate_ = 0, listedDosTime_ = 0;
    bool listed_ = false;
    bool textsDue_ = false;  // the listed facts' texts are still to be made
    int iconIndex_ = -1;
    int blankKey_ = 0;
    TImageType imageType_ = TImageType::iitNone;
    bool fullPathValid_ = false, iconIndexValid_ = false, typeNameValid_ = false;
    bool sizeDateValid_ = false, displayNameValid_ = false, imageTypeValid_ = false;
};

// An item of the thumbnail list: Resolved says its picture is settled (its
// thumbnail was taken in, or it is drawn with an icon).
class TImgListItem : public TShellItem {
public:
    using TShellItem::TShellItem;
    // A blank item of owner with this key (not 0).
    static std::unique_ptr<TImgListItem> Blank(TShellItems& owner, int key);
    bool Resolved = false;
    // Quarter turns clockwise (0 to 3) the user gave the item's page and
    // thumbnail. It belongs to the item: sorting and moving keep it.
    int Turn = 0;
};

// The ordered collection. It owns its items. All changes happen on the GUI
// thread; ItemById may be called from any thread at any time (see below).
class TShellItems {
public:
    TShellItems() = default;
    virtual ~TShellItems();
    TShellItems(const TShellItems&) = delete;
    TShellItems& operator=(const TShellItems&) = delete;

    int Count() const { return static_cast<int>(order_.size()); }
    // The item at display position index; raises Exception "List index out
    // of bounds (n)" outside 0..Count-1.
    TShellItem* Items(int index) const;
    TShellItem* operator[](int index) const { return Items(index); }

    int Add(std::unique_ptr<TShellItem> item);
    // Puts the item at position index (at the end when index is past the
    // last row or negative); gives its position.
    int Insert(int index, std::unique_ptr<TShellItem> item);
    // Adds the items at the end, in their order.
    void Append(std::vector<std::unique_ptr<TShellItem>> items);
    // Frees the item at index.
    void Delete(int index);
    // Takes the item at from out and puts it back at position to.
    void Move(int from, int to);
    // Puts the items with these Ids, in this order, before the item at row
    // target; when that item is one of them, before the first row after it
    // that is not (at the end when there is none, or when target is past
    // the last row). Ids not in the collection, and repeated ones, are
    // skipped. A move up and a move down land alike: where the user pointed.
    void MoveItems(const std::vector<int>& ids, int target);
    // The collection becomes `order`: the items it names from those held and
    // from `added` (which it takes); held items it does not name are freed.
    void Reassign(const std::vector<TShellItem*>& order, std::vector<std::unique_ptr<TShellItem>> added);
    // Frees every item (after BeforeClear); the Id counter goes on.
    void Clear();
    // Orders the items by compare (negative: a first); items that compare
    // equal may end in any order.
    template <typename Compare>
    void Sort(Compare compare);

    // Position of the item with this Id, -1 when absent (GUI thread: the
    // position is only meaningful until the next reorder).
    int IndexOfId(int id) const;
    // The item with this Id, nullptr when absent. Safe against a concurrent
    // Sort, Move or Add on the GUI thread: the pointer stays valid until
    // Delete or Clear removes the item, and the view stops its thumbnail
    // worker before either. Its lazy details are for the GUI thread only.
    TShellItem* ItemById(int id) const;

    // Any thread: a listing makes its items on a thread of its own.
    int NextId() { return nextId_++; }
    // The shell's icon index for the item, shared by the files of one
    // extension where the kind allows (GUI thread).
    int KindIcon(TShellItem& item);
    // Makes the ID lists these items of the folder lack (for a shell
    // operation on many at once; GUI thread).
    void MakeIdLists(const std::vector<TShellItem*>& items);

    // What the collection needs from the view that owns it. Without a view:
    // no folder, folder mode, the platform's shell, nothing to navigate.
    virtual TShellFolder* GetFolder() { return nullptr; }
    virtual bool IsFileMode() const { return false; }
    virtual const TIdList& FolderIdList() const;
    virtual bool WantsThumbnail(int /*index*/) { return false; }
    virtual void NavigateIdList(const TIdList& /*absolute*/) {}
    virtual void NavigatePath(const std::string& /*path*/) {}
    virtual TShell& Shell() { return SystemShell(); }
    virtual TOwnerWindow OwnerWindow() { return nullptr; }
    // Around a rename: the folder watcher must not rebuild the list meanwhile.
    virtual void SuspendNotify() {}
    virtual void ResumeNotify() {}
    // Runs before Clear frees the items: the view stops its thumbnail
    // worker and empties its rows.
    virtual void BeforeClear() {}
    // Kind of a non-folder item's content from its path.
    virtual TImageType DetectType(const std::string& path) { return ImageTypeByExtension(path); }

private:
    void Reorder(std::vector<TShellItem*> order);

    // The display order, and the owners looked up by Id. The lock guards
    // both against ItemById from another thread; the GUI thread reads them
    // without it, since it is the only one that changes them.
    std::vector<TShellItem*> order_;
    std::unordered_map<int, std::unique_ptr<TShellItem>> owned_;
    mutable std::mutex mutex_;
    std::atomic<int> nextId_{0};
    std::unordered_map<std::string, int> kindIcons_;  // by lower-case extension
};

template <typename Compare>
void TShellItems::Sort(Compare compare) {
    // Sorted aside, then swapped in: the lock is held only for the swap. A
    // merge sort stays within bounds even when a shell comparison is not
    // consistent.
    std::vector<TShellItem*> order = order_;
    std::stable_sort(order.begin(), order.end(), [&](TShellItem* a, TShellItem* b) { return compare(a, b) < 0; });
    Reorder(std::move(order));
}

// The collection of the thumbnail list; its items are TImgListItems.
class TImgListItems : public TShellItems {
public:
    TImgListItem* Items(int index) const { return static_cast<TImgListItem*>(TShellItems::Items(index)); }
    TImgListItem* operator[](int index) const { return Items(index); }
    TImgListItem* ItemById(int id) const { return static_cast<TImgListItem*>(TShellItems::ItemById(id)); }
    int Add(std::unique_ptr<TImgListItem> item) { return TShellItems::Add(std::move(item)); }
    // The items that are files or folders: every item but the blank ones.
    int EntryCount() const;

    // ID lists of chosen items for a shell operation on them: absolute lists
    // in file mode (items come from several folders), relative ones in folder
    // mode. SelAbsolute tells which.
    void BuildSelIdLists(const std::vector<int>& indices);
    std::vector<TIdList> SelIdLists;
    bool SelAbsolute = false;
};

}  // namespace pim

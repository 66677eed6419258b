// One listing of a shell folder: the entries the display filter lets
// through, each with what an item of the list needs (its path, its
// directory record, how the shell names it), in the list's order. A
// file-system folder is read from the file system, the shell asked only
// about folders, links and the first file of each extension; other folders
// are enumerated by the shell. It asks only the folder it is given, so it
// may run on a thread of its own: under Wine reading 10,000 files takes
// about 50 ms, which the window must not wait for.
//
//   TFolderListing listing(types, {TSortTypeEx::istName, false});
//   listing.Run(folder);
//   for (TListedEntry& entry : listing.Entries) use(entry.FullPath);
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "imagelist/IdList.h"
#include "imagelist/ImgShare.h"
#include "imagelist/ImgUtils.h"
#include "imagelist/NaturalOrder.h"
#include "imagelist/ShellFolder.h"

namespace pim {

// One entry of a folder as a listing found it.
struct TListedEntry {
    TIdList Child;  // absent when the file system was read (made when needed)
    std::string FullPath;  // the shell's parsing name
    // The shell's name for it when known without asking again (see
    // TFolderListing::NameAsItsKind); empty when it is to be asked.
    std::string Shown;
    bool IsFolder = false;
    int Overlay = -1;  // -1 none, 0 shared folder, 1 shortcut
    TFindData Facts;
    bool HasFacts = false;
};

// An item of owner for the entry, with the entry's details. Any thread may
// make it: it is not in the collection yet.
std::unique_ptr<TImgListItem> MakeListedItem(TImgListItems& owner, TListedEntry& entry);

// What the list's order compares of an entry.
struct TSortKey {
    bool Folder = false;
    std::string_view Name;  // the file name, or the shell's name when there is no path
    std::uint64_t Size = 0;
    std::int64_t Time = 0;
    std::uint32_t Attributes = 0;
};

// The program's order of two entries under type, before descending: folders
// first, then the key (name, size, type: the extension, date, attributes),
// then the name in NaturalCompare's order.
int CompareKeys(const TSortKey& a, const TSortKey& b, TSortTypeEx type);

// Folder and overlay of an entry from its shell attributes (the sfgao* bits
// of kEntryQuery).
void SetKind(std::uint32_t attrs, bool& isFolder, int& overlay);
constexpr std::uint32_t kEntryQuery = sfgaoFolder | sfgaoFileSysAncestor | sfgaoLink | sfgaoShare;

class TFolderListing {
public:
    struct TOrder {
        TSortTypeEx Type = TSortTypeEx::istName;
        bool Descend = false;
        bool operator==(const TOrder&) const = default;
    };
    // Entries are left in the folder's order when sorted is false. With
    // items, the sorted entries end as Items of that collection (made where
    // the listing runs: 10,000 of them take the GUI thread 15 ms).
    TFolderListing(const TDispTypes& types, TOrder order, bool sorted = true, TOwnerWindow owner = nullptr,
                   TImgListItems* items = nullptr);
    ~TFolderListing();
    TFolderListing(const TFolderListing&) = delete;
    TFolderListing& operator=(const TFolderListing&) = delete;

    // Lists folder on the calling thread (nothing when it cannot be listed).
    void Run(TShellFolder& folder);
    // Lists the folder with this absolute ID list on a thread of its own,
    // which binds the folder itself; done is called on that thread at the
    // end. An error is kept in Error.
    void Start(TShell& shell, const TIdList& absolute, std::function<void()> done);
    // Asks a started listing to end soon; its entries are then incomplete.
    void Cancel() { cancelled_ = true; }
    // The started listing has ended (its entries and Error are ready).
    bool Finished() const { return finished_; }
    // Waits for a started listing to end.
    void Join();

    TOrder Order() const { return order_; }
    std::vector<TListedEntry> Entries;
    std::vector<std::unique_ptr<TImgListItem>> Items;
    std::exception_ptr Error;

private:
    // What the shell says of a file of each extension, learnt as the
    // listing goes: its attributes (when the file system was read) and how
    // it names it (see NameAsItsKind).
    enum class TNameRule { nrUnknown, nrFileName, nrStem, nrAsk };
    struct TKindRule {
        bool Known = false;
        std::uint32_t Attributes = 0;
        TNameRule Name = TNameRule::nrUnknown;
    };
    void Enumerate(TShellFolder& folder);
    bool Take(TShellFolder& folder, TShellFolder::TRecord& record);
    void NameAsItsKind(TShellFolder& folder, TListedEntry& entry, TKindRule* rule = nullptr);
    void Sort();

    TDispTypes types_;
    TOrder order_;
    bool sorted_;
    TOwnerWindow owner_;
    TImgListItems* items_;
    std::unordered_map<std::string, TKindRule> rules_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

}  // namespace pim

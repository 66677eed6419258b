#include "imagelist/FolderListing.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>

namespace pim {

namespace {

int Order(std::uint64_t a, std::uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; }
int Order(std::int64_t a, std::int64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

TSortKey KeyOf(const TListedEntry& entry) {
    return {.Folder = entry.IsFolder,
            .Name = entry.FullPath.empty() ? std::string_view(entry.Shown) : ExtractFileName(entry.FullPath),
            .Size = entry.Facts.Size,
            .Time = entry.Facts.WriteTime,
            .Attributes = entry.Facts.Attributes};
}

}  // namespace

int CompareKeys(const TSortKey& a, const TSortKey& b, TSortTypeEx type) {
    if (a.Folder != b.Folder) return a.Folder ? -1 : 1;
    int c = 0;
    switch (type) {
        case TSortTypeEx::istName: break;
        case TSortTypeEx::istSize: c = Order(a.Size, b.Size); break;
        case TSortTypeEx::istDate: c = Order(a.Time, b.Time); break;
        case TSortTypeEx::istType:
            if (!a.Folder) c = NaturalCompare(ExtractFileExt(a.Name), ExtractFileExt(b.Name));
            break;
        case TSortTypeEx::istAttr: c = Order(std::uint64_t{a.Attributes}, std::uint64_t{b.Attributes}); break;
    }
    return c != 0 ? c : NameCompare(a.Name, b.Name);
}

// The shared overlay, then the shortcut overlay (which wins) for a link
// that is not a folder.
void SetKind(std::uint32_t attrs, bool& isFolder, int& overlay) {
    isFolder = (attrs & (sfgaoFolder | sfgaoFileSysAncestor)) != 0;
    overlay = -1;
    if (attrs & sfgaoShare) overlay = 0;
    if ((attrs & sfgaoLink) && !(attrs & sfgaoFolder)) overlay = 1;
}

std::unique_ptr<TImgListItem> MakeListedItem(TImgListItems& owner, TListedEntry& entry) {
    auto item = std::make_unique<TImgListItem>(owner, std::move(entry.Child), entry.IsFolder);
    if (!entry.FullPath.empty()) item->SetFullPath(std::move(entry.FullPath));
    if (entry.HasFacts) item->SetListedFacts(entry.Facts);
    if (!entry.Shown.empty()) item->SetDisplayName(std::move(entry.Shown));
    item->OverlayIndex = entry.Overlay;
    return item;
}

TFolderListing::TFolderListing(const TDispTypes& types, TOrder order, bool sorted, TOwnerWindow owner,
                               TImgListItems* items)
    : types_(types), order_(order), sorted_(sorted), owner_(owner), items_(items) {
    types_.OnChange = nullptr;
}

TFolderListing::~TFolderListing() {
    Cancel();
    Join();
}

void TFolderListing::Run(TShellFolder& folder) {
    if (!folder.ReadEntries(types_.Hidden(), [&](TShellFolder::TRecord& record) { return Take(folder, record); })) {
        Entries.clear();
        Enumerate(folder);
    }
    if (sorted_ && !cancelled_) Sort();
    if (items_ && !cancelled_) {
        Items.reserve(Entries.size());
        for (TListedEntry& listed : Entries) Items.push_back(MakeListedItem(*items_, listed));
        Entries.clear();
    }
}

void TFolderListing::Enumerate(TShellFolder& folder) {
    std::uint32_t flags = 0;
    if (types_.Folders()) flags |= shcontfFolders;
    if (types_.NonFolders()) flags |= shcontfNonFolders;
    if (types_.Hidden()) flags |= shcontfIncludeHidden;
    std::unique_ptr<TShellEnum> entries = folder.EnumObjects(owner_, flags);
    if (!entries) return;
    const bool filters = types_.Filters();
    TListedEntry entry;
    while (!cancelled_ && entries->Next(entry.Child)) {
        const std::uint32_t attrs = folder.GetAttributesOf(entry.Child, kEntryQuery) & kEntryQuery;
        if (!folder.GetDisplayNameOf(entry.Child, TNameForm::nfForParsing, entry.FullPath)) entry.FullPath.clear();
        if (filters && !(attrs & sfgaoFileSysAncestor) && !MatchesMask(entry.FullPath, types_.ExtList())) continue;
        SetKind(attrs, entry.IsFolder, entry.Overlay);
        entry.Facts = TFindData();
        entry.HasFacts = folder.GetFindData(entry.Child, entry.Facts);
        entry.Shown.clear();
        NameAsItsKind(folder, entry);
        Entries.push_back(std::move(entry));
        entry = TListedEntry();
    }
}

// An entry the file system read. Its ID list is left to be made when a
// shell operation needs it (10,000 of them cost Wine's shell 100 ms). What
// the shell says of a file (a shortcut, a folder like a zip file's, its
// shown name) is its type's, so the shell is asked for the first file of
// each extension; a folder or a link is asked for itself.
bool TFolderListing::Take(TShellFolder& folder, TShellFolder::TRecord& record) {
    if (cancelled_) return false;
    const bool ownKind = record.Facts.Attributes & (faDirectory | faReparsePoint);
    if (!(record.Facts.Attributes & faDirectory) && types_.Filters() && !MatchesMask(record.Path, types_.ExtList()))
        return true;
    // The name may be a view into the path (it is on Windows): read it
    // before the path moves into the entry.
    const std::string name(record.Name);
    TListedEntry entry;
    entry.FullPath = std::move(record.Path);
    entry.Facts = record.Facts;
    entry.HasFacts = true;
    std::uint32_t attrs = (record.Facts.Attributes & faDirectory) ? sfgaoFolder | sfgaoFileSysAncestor : 0;
    TKindRule* rule = nullptr;
    if (!ownKind) {
        rule = &rules_[LowerCaseName(ExtractFileExt(name))];
        if (rule->Known) attrs = rule->Attributes;
    }
    if (!rule || !rule->Known) {
        if (folder.ParseDisplayName(owner_, name, entry.Child)) {
            attrs = folder.GetAttributesOf(entry.Child, kEntryQuery) & kEntryQuery;
            if (rule) {
                rule->Attributes = attrs;
                rule->Known = true;
            }
        }
    }
    SetKind(attrs, entry.IsFolder, entry.Overlay);
    if (entry.IsFolder ? !types_.Folders() : !types_.NonFolders()) return true;
    NameAsItsKind(folder, entry, rule);
    Entries.push_back(std::move(entry));
    return true;
}

// Under Wine the shell reads its settings each time it is asked for a
// name (about a tenth of a millisecond), and the list view asks for every
// row's name when it first paints: a folder of 10,000 files froze the
// window for a second. The shell's name for a file is the file's name, its
// extension hidden or not as the file's type decides; so the shell is asked
// for the first file of each extension, and the others are named the same
// way. Names that follow no such rule are asked for every file, when shown.
// An entry without a path is named now: the order needs its name. rule,
// when given, is the entry's extension's.
void TFolderListing::NameAsItsKind(TShellFolder& folder, TListedEntry& entry, TKindRule* rule) {
    const auto ask = [&] {
        if (entry.Child.Absent() || !folder.GetDisplayNameOf(entry.Child, TNameForm::nfInFolder, entry.Shown))
            entry.Shown.clear();
    };
    if (entry.FullPath.empty()) {
        ask();
        return;
    }
    if (entry.IsFolder) return;
    const std::string file(ExtractFileName(entry.FullPath));
    if (file.empty()) return;
    const std::string_view ext = ExtractFileExt(file);
    const std::string stem = file.substr(0, file.size() - ext.size());
    TKindRule& kind = rule ? *rule : rules_[LowerCaseName(ext)];
    if (kind.Name == TNameRule::nrUnknown) {
        ask();
        if (entry.Child.Absent()) return;  // gone: the next file of its kind tells
        kind.Name = entry.Shown == file                   ? TNameRule::nrFileName
                    : !ext.empty() && entry.Shown == stem ? TNameRule::nrStem
                                                          : TNameRule::nrAsk;
    } else if (kind.Name != TNameRule::nrAsk) {
        entry.Shown = kind.Name == TNameRule::nrFileName ? file : stem;
    }
}

void TFolderListing::Sort() {
    // Sorted by index, then moved once: an entry is large to move around.
    std::vector<std::size_t> order(Entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<TSortKey> keys;
    keys.reserve(Entries.size());
    for (const TListedEntry& entry : Entries) keys.push_back(KeyOf(entry));
    const auto before = [&](std::size_t a, std::size_t b) {
        const int c = CompareKeys(keys[a], keys[b], order_.Type);
        return (order_.Descend ? -c : c) < 0;
    };
    // A file system often gives names in order already (Wine and NTFS do):
    // one pass tells.
    if (std::is_sorted(order.begin(), order.end(), before)) return;
    std::stable_sort(order.begin(), order.end(), before);
    keys.clear();
    std::vector<TListedEntry> sorted;
    sorted.reserve(Entries.size());
    for (std::size_t i : order) sorted.push_back(std::move(Entries[i]));
    Entries = std::move(sorted);
}

void TFolderListing::Start(TShell& shell, const TIdList& absolute, std::function<void()> done) {
    thread_ = std::thread([this, &shell, absolute, done = std::move(done)] {
        try {
            std::unique_ptr<TShellFolder> folder = shell.Desktop();
            if (folder && !absolute.IsDesktop()) folder = folder->BindToObject(absolute);
            if (folder) Run(*folder);
        } catch (...) {
            Error = std::current_exception();
        }
        finished_ = true;
        if (done) done();
    });
}

void TFolderListing::Join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace pim

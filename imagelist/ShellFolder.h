// The shell namespace as the folder model sees it: folders that enumerate,
// name, compare and describe their items, and a few namespace-wide services.
// platform/win32/ShellFolder.cpp implements it over the Windows shell (COM
// folder interfaces, item ID lists made by the shell); platform/posix/
// ShellFolder.cpp over std::filesystem, with item ID lists of its own that
// carry each entry's name, kind, size and time.
//
// Names, paths and type names are UTF-8 byte strings, the program's file-name
// encoding: the file system's own bytes on POSIX, converted from the shell's
// wide strings on Windows (so a name no ANSI code page holds is not lost).
// No call throws; failures are reported by the return value.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "imagelist/IdList.h"

namespace pim {

// Shell attribute bits of an item (the values of the Windows shell's).
constexpr std::uint32_t sfgaoCanRename = 0x00000010;
constexpr std::uint32_t sfgaoLink = 0x00010000;
constexpr std::uint32_t sfgaoShare = 0x00020000;
constexpr std::uint32_t sfgaoHidden = 0x00080000;
constexpr std::uint32_t sfgaoFileSysAncestor = 0x10000000;
constexpr std::uint32_t sfgaoFolder = 0x20000000;
constexpr std::uint32_t sfgaoFileSystem = 0x40000000;

// What an enumeration includes.
constexpr std::uint32_t shcontfFolders = 0x20;
constexpr std::uint32_t shcontfNonFolders = 0x40;
constexpr std::uint32_t shcontfIncludeHidden = 0x80;

// File attribute bits of find data.
constexpr std::uint32_t faReadOnly = 0x01;
constexpr std::uint32_t faHidden = 0x02;
constexpr std::uint32_t faDirectory = 0x10;
constexpr std::uint32_t faArchive = 0x20;
constexpr std::uint32_t faReparsePoint = 0x400;

// Forms of an item's name.
enum class TNameForm {
    nfNormal,      // as shown relative to the desktop
    nfInFolder,    // as shown inside its folder
    nfForParsing,  // the parsing name: the file-system path for files and folders
};

// Columns of the per-column comparison, in the order of TSortTypeEx.
enum class TShellColumn { scName = 0, scSize = 1, scType = 2, scDate = 3, scAttributes = 4 };

// An entry's directory record.
struct TFindData {
    std::uint32_t Attributes = 0;  // fa* bits
    std::uint64_t Size = 0;        // bytes
    // Last-write time in local time as MS-DOS packs it (2-second resolution);
    // both 0 when the time cannot be held in that form (before 1980).
    std::uint16_t DosDate = 0;
    std::uint16_t DosTime = 0;
    // Last-write time in 100-nanosecond steps since 1601-01-01, as precise
    // as the platform records it (nanoseconds on POSIX; the Windows shell's
    // item ID lists keep MS-DOS times, two seconds apart); 0 when unknown.
    std::int64_t WriteTime = 0;
};

// Owner window for any user interface a call may show (an HWND on Windows,
// unused on POSIX).
using TOwnerWindow = void*;

// Yields the items of one folder, one at a time.
class TShellEnum {
public:
    virtual ~TShellEnum() = default;
    // The next item's ID list relative to the folder; false at the end or on
    // any error.
    virtual bool Next(TIdList& item) = 0;
};

// One folder of the namespace. Items are named by ID lists relative to it;
// the desktop folder also takes absolute lists (relative to the desktop).
class TShellFolder {
public:
    virtual ~TShellFolder() = default;

    // nullptr when the folder cannot be listed. flags: shcontf* bits.
    virtual std::unique_ptr<TShellEnum> EnumObjects(TOwnerWindow owner, std::uint32_t flags) = 0;
    // sfgao* bits of the item (0 when it cannot be asked); callers mask the
    // result with what they asked for in query.
    virtual std::uint32_t GetAttributesOf(const TIdList& item, std::uint32_t query) = 0;
    // The item's name in the given form; false when it has none.
    virtual bool GetDisplayNameOf(const TIdList& item, TNameForm form, std::string& name) = 0;
    // Negative, zero or positive as a sorts before, with or after b in the
    // given column. Zero means the same item.
    virtual int CompareIDs(TShellColumn column, const TIdList& a, const TIdList& b) = 0;
    // The folder an item stands for; nullptr when it is not one.
    virtual std::unique_ptr<TShellFolder> BindToObject(const TIdList& item) = 0;
    // The item's directory record; false when it cannot be had. The POSIX
    // side reads it from the file system now (false once the entry is
    // gone); the Windows shell answers from what the ID list recorded.
    virtual bool GetFindData(const TIdList& item, TFindData& data) = 0;
    // The ID list of the item with this in-folder name; false when there is none.
    virtual bool ParseDisplayName(TOwnerWindow owner, const std::string& name, TIdList& item) = 0;
    // Reads a file-system folder's entries from the file system, without
    // the shell, calling each with every entry's in-folder name, path and
    // directory record ("." and ".." left out; hidden entries too unless
    // asked for; on POSIX only folders, files and links, as the shell lists
    // them). each returns false to stop. False when the folder is none the
    // file system holds as it is (the desktop, a virtual folder, one a shell
    // extension shows), or it cannot be read: the caller then enumerates.
    // Under Wine the shell takes 100 ms to enumerate 10,000 files; this, 40.
    struct TRecord {
        std::string_view Name;
        std::string Path;
        TFindData Facts;
    };
    virtual bool ReadEntries(bool hidden, const std::function<bool(TRecord& record)>& each) {
        (void)hidden;
        (void)each;
        return false;
    }
    // Gives the item a new in-folder name; on success newItem names it. A
    // name that is taken or not a valid name is refused, and reason then
    // says why in the system's words (UTF-8; empty when it has none).
    virtual bool SetNameOf(TOwnerWindow owner, const TIdList& item, const std::string& name, TIdList& newItem,
                           std::string& reason) = 0;
};

// Services of the namespace as a whole. Absolute ID lists start at the desktop.
class TShell {
public:
    virtual ~TShell() = default;

    // The root folder of the namespace (never nullptr).
    virtual std::unique_ptr<TShellFolder> Desktop() = 0;
    // Parses a path into an absolute ID list; false when it names nothing.
    virtual bool ParseDisplayName(TOwnerWindow owner, const std::string& path, TIdList& absolute) = 0;
    // The file-system path of an absolute ID list; empty for a virtual item.
    virtual std::string PathFromIdList(const TIdList& absolute) = 0;
    // The type name shown for an item (at most 80 characters); empty when unknown.
    virtual std::string TypeName(const TIdList& absolute) = 0;
    // The item's index in the system image list; -1 when unknown.
    virtual int IconIndex(const TIdList& absolute) = 0;
    // Opens an item with its default verb.
    virtual bool Execute(TOwnerWindow owner, const TIdList& absolute) = 0;
    // Opens a file by path with its default verb (environment variables in
    // the path are expanded).
    virtual bool ExecutePath(TOwnerWindow owner, const std::string& path) = 0;
    // The target of a shortcut file, resolved without user interface; false
    // when path is not a shortcut or its target cannot be read.
    virtual bool ResolveLink(const std::string& path, std::string& target, bool& targetIsFolder) = 0;
    // Makes path the process's current directory; false on failure.
    virtual bool ChangeDirectory(const std::string& path) = 0;
};

// The platform's shell (one per process; safe to use from any thread that
// may use the shell).
TShell& SystemShell();

}  // namespace pim

// The shell namespace on Windows: the shell's own folders through COM
// (IShellFolder from the desktop down), its item ID lists, file information,
// ShellExecuteEx and shortcut resolution. Names cross the interface in UTF-8
// and reach the shell through its wide API, so no name is lost to the ANSI
// code page.
//
// The shell's file-system folders keep their path in 260 characters. A
// folder whose path is longer is parsed and listed through its short (8.3)
// form, which the file system keeps beside every long name, while the
// program goes on seeing its long path.
#include "imagelist/ShellFolder.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/CodePage.h"
#include "base/Paths.h"
#include "base/win32/ComPtr.h"
#include "base/win32/Handles.h"
#include "base/win32/WideNames.h"

namespace pim {

namespace {

// The system's words for an error code (UTF-8), without the line break it
// ends in; empty when the system has none.
std::string SystemMessage(HRESULT hr) {
    const DWORD code = HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<DWORD>(hr);
    wchar_t* text = nullptr;
    const DWORD n =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", n);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
        message.pop_back();
    return Utf8Name(message);
}

// COM on the calling thread for as long as the thread lives. A thread that
// initialised it already (the program's GUI thread) keeps its own mode.
void EnsureCom() {
    struct TComInit {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ~TComInit() {
            if (SUCCEEDED(hr)) CoUninitialize();
        }
    };
    thread_local TComInit init;
}

// An ID list the shell allocated, copied into ours and freed.
TIdList TakeIdList(LPITEMIDLIST pidl) {
    TIdList list = TIdList::FromChain(pidl);
    CoTaskMemFree(pidl);
    return list;
}

std::string Utf8(const wchar_t* text) { return text ? Utf8Name(text) : std::string(); }

PCUITEMID_CHILD Child(const TIdList& list) { return reinterpret_cast<PCUITEMID_CHILD>(list.Data()); }
PCIDLIST_ABSOLUTE Absolute(const TIdList& list) { return reinterpret_cast<PCIDLIST_ABSOLUTE>(list.Data()); }

// A name the shell returned in any of its three forms.
std::string FromStrRet(STRRET& sr, const TIdList& item) {
    switch (sr.uType) {
        case STRRET_WSTR: {
            std::string name = Utf8(sr.pOleStr);
            CoTaskMemFree(sr.pOleStr);
            return name;
        }
        case STRRET_OFFSET: {
            const char* at = reinterpret_cast<const char*>(item.Data()) + sr.uOffset;
            if (sr.uOffset >= item.ByteSize()) return {};
            return AnsiToUtf8(std::string_view(at, strnlen(at, item.ByteSize() - sr.uOffset)));
        }
        case STRRET_CSTR: return AnsiToUtf8(std::string_view(sr.cStr, strnlen(sr.cStr, sizeof sr.cStr)));
        default: return {};
    }
}

// How far local time is ahead of UTC now, in FILETIME steps: what
// FileTimeToLocalFileTime adds (the present offset, for every time).
std::int64_t LocalOffset() {
    const std::uint64_t noon = 0x01D0'0000'0000'0000;
    const FILETIME utc{static_cast<DWORD>(noon), static_cast<DWORD>(noon >> 32)};
    FILETIME local{};
    if (!FileTimeToLocalFileTime(&utc, &local)) return 0;
    return static_cast<std::int64_t>((std::uint64_t{local.dwHighDateTime} << 32 | local.dwLowDateTime) - noon);
}

TFindData FindDataOf(DWORD attributes, std::uint64_t size, std::uint64_t writeTime, std::int64_t localOffset) {
    TFindData data;
    data.Attributes = attributes;
    data.Size = size;
    data.WriteTime = static_cast<std::int64_t>(writeTime);
    const std::uint64_t shifted = writeTime + static_cast<std::uint64_t>(localOffset);
    const FILETIME local{static_cast<DWORD>(shifted), static_cast<DWORD>(shifted >> 32)};
    WORD dosDate = 0, dosTime = 0;
    if (FileTimeToDosDateTime(&local, &dosDate, &dosTime)) {
        data.DosDate = dosDate;
        data.DosTime = dosTime;
    }
    return data;
}

// A path past the shell's limit, in the two forms the program needs.
struct TLongFolder {
    std::wstring ShortPath;  // what the shell is given
    std::string LongPath;    // what the program shows and uses
};

// The long folders parsed so far, by their absolute ID list.
class TLongFolders {
public:
    void Add(const TIdList& absolute, TLongFolder folder) {
        const std::lock_guard lock(mutex_);
        folders_[KeyOf(absolute)] = std::move(folder);
    }
    std::optional<TLongFolder> Find(const TIdList& absolute) {
        const std::lock_guard lock(mutex_);
        const auto found = folders_.find(KeyOf(absolute));
        if (found == folders_.end()) return std::nullopt;
        return found->second;
    }

private:
    static std::string KeyOf(const TIdList& list) {
        return std::string(reinterpret_cast<const char*>(list.Data()), list.ByteSize());
    }
    std::mutex mutex_;
    std::map<std::string, TLongFolder> folders_;
};

TLongFolders& LongFolders() {
    static TLongFolders folders;
    return folders;
}

// A path as GetShortPathNameW or GetLongPathNameW gives it; empty on failure.
template <class Convert>
std::wstring ConvertedPath(const std::wstring& path, Convert convert) {
    const DWORD size = convert(path.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring result(size, L'\0');
    const DWORD n = convert(path.c_str(), result.data(), size);
    if (n == 0 || n >= size) return {};
    result.resize(n);
    return WithoutExtendedPrefix(std::move(result));
}

// A file-system folder whose items the shell reads from target (a path
// within its limit), while its ID list is the one given.
TComPtr<IShellFolder> FolderByTarget(const TIdList& absolute, const std::wstring& target) {
    TComPtr<IPersistFolder3> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellFSFolder, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFolder3,
                                persist.PutVoid())))
        return {};
    PERSIST_FOLDER_TARGET_INFO info{};
    lstrcpynW(info.szTargetParsingName, target.c_str(), MAX_PATH);
    info.dwAttributes = FILE_ATTRIBUTE_DIRECTORY;
    info.csidl = -1;
    TComPtr<IShellFolder> folder;
    if (FAILED(persist->InitializeEx(nullptr, reinterpret_cast<PCIDLIST_ABSOLUTE>(absolute.Data()), &info)) ||
        FAILED(persist->QueryInterface(IID_IShellFolder, folder.PutVoid())))
        return {};
    return folder;
}

// The absolute ID list of a path given in its short form. The shell parses
// a path by joining the long names of the folders before each step, so the
// path is walked one folder at a time, each parsed inside a folder that
// reads its items from the short path so far.
bool ParseShortPath(IShellFolder& desktop, const std::wstring& path, TIdList& absolute) {
    std::size_t rootEnd = 0;
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
        rootEnd = 3;
    } else if (path.starts_with(L"\\\\")) {  // a share (\\server\share\...)
        rootEnd = path.find(L'\\', path.find(L'\\', 2) + 1);
        if (rootEnd == std::wstring::npos) return false;
        ++rootEnd;
    } else {
        return false;
    }
    std::wstring walked = path.substr(0, rootEnd);
    LPITEMIDLIST pidl = nullptr;
    if (FAILED(desktop.ParseDisplayName(nullptr, nullptr, walked.data(), nullptr, &pidl, nullptr)) || !pidl)
        return false;
    TIdList list = TakeIdList(pidl);
    for (std::size_t at = rootEnd; at < path.size();) {
        std::size_t end = path.find(L'\\', at);
        if (end == std::wstring::npos) end = path.size();
        std::wstring name = path.substr(at, end - at);
        at = end + 1;
        if (name.empty()) continue;
        TComPtr<IShellFolder> folder = FolderByTarget(list, walked);
        LPITEMIDLIST child = nullptr;
        if (!folder || FAILED(folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &child, nullptr)) ||
            !child)
            return false;
        list = list.Combine(TakeIdList(child));
        if (!walked.ends_with(L'\\')) walked += L'\\';
        walked += name;
    }
    absolute = std::move(list);
    return true;
}

// The file-system path of an absolute ID list (TShell::PathFromIdList).
std::string PathOf(const TIdList& absolute) {
    if (absolute.Absent()) return {};
    if (const std::optional<TLongFolder> longFolder = LongFolders().Find(absolute)) return longFolder->LongPath;
    EnsureCom();
    wchar_t path[MAX_PATH] = {};
    return SHGetPathFromIDListW(Absolute(absolute), path) ? Utf8(path) : std::string();
}

// The entries of the folder at path, as TShellFolder::ReadEntries gives them.
bool ReadFolder(const std::string& path, bool hidden, const std::function<bool(TShellFolder::TRecord&)>& each) {
    if (path.empty()) return false;
    const HANDLE opened = CreateFileW(WidePath(path).c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return false;
    const TKernelHandle folder(opened);
    // Many records a call: FindNextFileW's one at a time costs Wine a third more.
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
    const std::int64_t localOffset = LocalOffset();  // asking Wine for each of 10,000 files costs 10 ms
    const std::string folderPath = FolderPrefix(path);
    while (GetFileInformationByHandleEx(folder.get(), FileFullDirectoryInfo, buffer.data(), bytes)) {
        const char* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto& record = *reinterpret_cast<const FILE_FULL_DIR_INFO*>(at);
            const std::wstring_view wide(record.FileName, record.FileNameLength / sizeof(wchar_t));
            if (wide != L"." && wide != L".." && (hidden || !(record.FileAttributes & FILE_ATTRIBUTE_HIDDEN))) {
                const bool isFolder = record.FileAttributes & FILE_ATTRIBUTE_DIRECTORY;
                TShellFolder::TRecord entry{
                    {},
                    folderPath + Utf8Name(wide),
                    FindDataOf(record.FileAttributes,
                               isFolder ? 0 : static_cast<std::uint64_t>(record.EndOfFile.QuadPart),
                               static_cast<std::uint64_t>(record.LastWriteTime.QuadPart), localOffset)};
                entry.Name = std::string_view(entry.Path).substr(folderPath.size());
                if (!each(entry)) return true;
            }
            if (record.NextEntryOffset == 0) break;
            at += record.NextEntryOffset;
        }
    }
    return GetLastError() == ERROR_NO_MORE_FILES;
}

class TWinEnum : public TShellEnum {
public:
    explicit TWinEnum(TComPtr<IEnumIDList> ids) : ids_(std::move(ids)) {}

    bool Next(TIdList& item) override {
        LPITEMIDLIST pidl = nullptr;
        ULONG fetched = 0;
        if (ids_->Next(1, &pidl, &fetched) != S_OK || fetched != 1 || !pidl) return false;
        item = TakeIdList(pidl);
        return true;
    }

private:
    TComPtr<IEnumIDList> ids_;
};

class TWinFolder : public TShellFolder {
public:
    explicit TWinFolder(TComPtr<IShellFolder> folder, bool desktop = false)
        : folder_(std::move(folder)), desktop_(desktop) {}

    std::unique_ptr<TShellEnum> EnumObjects(TOwnerWindow owner, std::uint32_t flags) override {
        TComPtr<IEnumIDList> ids;
        if (folder_->EnumObjects(static_cast<HWND>(owner), flags, ids.Put()) != S_OK || !ids) return nullptr;
        return std::make_unique<TWinEnum>(std::move(ids));
    }

    std::uint32_t GetAttributesOf(const TIdList& item, std::uint32_t query) override {
        if (item.Absent()) return 0;
        SFGAOF attrs = query;
        PCUITEMID_CHILD child = Child(item);
        return SUCCEEDED(folder_->GetAttributesOf(1, &child, &attrs)) ? attrs : 0;
    }

    bool GetDisplayNameOf(const TIdList& item, TNameForm form, std::string& name) override {
        if (item.Absent()) return false;
        const SHGDNF flags = form == TNameForm::nfForParsing ? SHGDN_FORPARSING
                             : form == TNameForm::nfInFolder ? SHGDN_INFOLDER
                                                             : SHGDN_NORMAL;
        STRRET sr{};
        if (FAILED(folder_->GetDisplayNameOf(Child(item), flags, &sr))) return false;
        name = FromStrRet(sr, item);
        return true;
    }

    int CompareIDs(TShellColumn column, const TIdList& a, const TIdList& b) override {
        if (a.Absent() || b.Absent()) return 0;
        const HRESULT hr = folder_->CompareIDs(static_cast<LPARAM>(column), Child(a), Child(b));
        // A failed comparison says nothing about order: count it as equal
        // rather than reading an order out of its error code.
        if (FAILED(hr)) return 0;
        return static_cast<short>(HRESULT_CODE(hr));
    }

    std::unique_ptr<TShellFolder> BindToObject(const TIdList& item) override {
        if (item.Absent()) return nullptr;
        if (desktop_) {
            if (const std::optional<TLongFolder> longFolder = LongFolders().Find(item))
                return BindByTarget(item, longFolder->ShortPath);
            if (std::unique_ptr<TShellFolder> plain = BindPlainFolder(item)) return plain;
        }
        TComPtr<IShellFolder> sub;
        if (FAILED(folder_->BindToObject(Child(item), nullptr, IID_IShellFolder, sub.PutVoid())) || !sub)
            return nullptr;
        return std::make_unique<TWinFolder>(std::move(sub));
    }

    bool GetFindData(const TIdList& item, TFindData& data) override {
        if (item.Absent()) return false;
        WIN32_FIND_DATAW fd{};
        if (FAILED(SHGetDataFromIDListW(folder_.Get(), Child(item), SHGDFIL_FINDDATA, &fd, sizeof fd))) return false;
        data = FindDataOf(
            fd.dwFileAttributes, static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow,
            static_cast<std::uint64_t>(fd.ftLastWriteTime.dwHighDateTime) << 32 | fd.ftLastWriteTime.dwLowDateTime,
            LocalOffset());
        return true;
    }

    bool ParseDisplayName(TOwnerWindow owner, const std::string& name, TIdList& item) override {
        std::wstring wide = WideName(name);
        LPITEMIDLIST pidl = nullptr;
        if (wide.empty() ||
            FAILED(
                folder_->ParseDisplayName(static_cast<HWND>(owner), nullptr, wide.data(), nullptr, &pidl, nullptr)) ||
            !pidl)
            return false;
        item = TakeIdList(pidl);
        return true;
    }

    bool ReadEntries(bool hidden, const std::function<bool(TRecord&)>& each) override {
        // Only the shell's plain file-system folder shows a folder as the
        // file system holds it (not a zip file's, nor the fonts folder's).
        TComPtr<IPersistFolder2> persist;
        CLSID kind{};
        LPITEMIDLIST absolute = nullptr;
        if (desktop_ || FAILED(folder_->QueryInterface(IID_IPersistFolder2, persist.PutVoid())) ||
            FAILED(persist->GetClassID(&kind)) || kind != CLSID_ShellFSFolder ||
            FAILED(persist->GetCurFolder(&absolute)) || !absolute)
            return false;
        const std::string path = PathOf(TakeIdList(absolute));
        return !path.empty() && ReadFolder(path, hidden, each);
    }

    bool SetNameOf(TOwnerWindow owner, const TIdList& item, const std::string& name, TIdList& newItem,
                   std::string& reason) override {
        reason.clear();
        if (item.Absent()) return false;
        // What Windows refuses in a file name, refused before the shell is
        // asked (Wine's shell would take "a/b" as a path).
        if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/:*?\"<>|") != std::string::npos ||
            std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }) ||
            name.back() == ' ' || name.back() == '.') {
            reason = SystemMessage(HRESULT_FROM_WIN32(ERROR_INVALID_NAME));
            return false;
        }
        const std::wstring wide = WideName(name);
        LPITEMIDLIST renamed = nullptr;
        const HRESULT hr =
            folder_->SetNameOf(static_cast<HWND>(owner), Child(item), wide.c_str(), SHGDN_INFOLDER, &renamed);
        if (FAILED(hr)) {
            if (renamed) CoTaskMemFree(renamed);
            reason = SystemMessage(hr);
            return false;
        }
        if (!renamed) return false;
        newItem = TakeIdList(renamed);
        return true;
    }

private:
    // A plain file-system folder, made at once: binding through the shell
    // walks the namespace from the desktop down (6 ms under Wine; this, 2).
    // A folder marked read-only or system may carry a desktop.ini that
    // gives it a view of its own, and a junction leads elsewhere: those are
    // bound through the shell.
    static std::unique_ptr<TShellFolder> BindPlainFolder(const TIdList& absolute) {
        wchar_t path[MAX_PATH] = {};
        if (!SHGetPathFromIDListW(Absolute(absolute), path) || !path[0]) return nullptr;
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT)))
            return nullptr;
        return BindByTarget(absolute, path);
    }

    static std::unique_ptr<TShellFolder> BindByTarget(const TIdList& absolute, const std::wstring& target) {
        TComPtr<IShellFolder> folder = FolderByTarget(absolute, target);
        return folder ? std::make_unique<TWinFolder>(std::move(folder)) : nullptr;
    }

    TComPtr<IShellFolder> folder_;
    bool desktop_;
};

TComPtr<IShellFolder> DesktopInterface() {
    EnsureCom();
    TComPtr<IShellFolder> desktop;
    SHGetDesktopFolder(desktop.Put());
    return desktop;
}

// A path as Linux writes it ("/home/me/photos"), given to the program under
// Wine: shell32 cannot parse it (it fails inside, reading address 0), so it
// goes in its Windows form, asked of Wine itself (Z:\home\me\photos). On
// Windows such a path is the current drive's, as the system reads it.
std::string WindowsFormOf(const std::string& path) {
    if (path.size() < 2 || path[0] != '/' || path[1] == '/') return path;
    using TDosFileName = LPWSTR(CDECL*)(LPCSTR);
    static const auto dosFileName = reinterpret_cast<TDosFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (dosFileName) {
        LPWSTR name = dosFileName(path.c_str());
        if (!name) return path;
        std::string windows = Utf8Name(name);
        HeapFree(GetProcessHeap(), 0, name);
        return windows;
    }
    std::wstring wide = WideName(path);
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    return Utf8Name(
        ConvertedPath(wide, [](LPCWSTR in, LPWSTR out, DWORD n) { return GetFullPathNameW(in, n, out, nullptr); }));
}

class TWinShell : public TShell {
public:
    std::unique_ptr<TShellFolder> Desktop() override { return std::make_unique<TWinFolder>(DesktopInterface(), true); }

    bool ParseDisplayName(TOwnerWindow owner, const std::string& given, TIdList& absolute) override {
        if (given.empty()) return false;
        const std::string path = WindowsFormOf(given);
        TComPtr<IShellFolder> desktop = DesktopInterface();
        if (!desktop) return false;
        std::wstring wide = WideName(path);
        if (wide.size() >= MAX_PATH) {
            const std::wstring extended = WidePath(path);
            TLongFolder folder{ConvertedPath(extended, GetShortPathNameW),
                               Utf8Name(ConvertedPath(extended, GetLongPathNameW))};
            // No short names on this volume, or still too long: the shell cannot take it.
            if (folder.ShortPath.empty() || folder.ShortPath.size() >= MAX_PATH || folder.LongPath.empty() ||
                !ParseShortPath(*desktop.Get(), folder.ShortPath, absolute))
                return false;
            LongFolders().Add(absolute, std::move(folder));
            return true;
        }
        LPITEMIDLIST pidl = nullptr;
        if (FAILED(
                desktop->ParseDisplayName(static_cast<HWND>(owner), nullptr, wide.data(), nullptr, &pidl, nullptr)) ||
            !pidl)
            return false;
        absolute = TakeIdList(pidl);
        return true;
    }

    std::string PathFromIdList(const TIdList& absolute) override { return PathOf(absolute); }

    std::string TypeName(const TIdList& absolute) override {
        SHFILEINFOW info{};
        if (!FileInfo(absolute, SHGFI_TYPENAME, info)) return {};
        return Utf8Name(std::wstring_view(info.szTypeName, wcsnlen(info.szTypeName, std::size(info.szTypeName))));
    }

    int IconIndex(const TIdList& absolute) override {
        SHFILEINFOW info{};
        return FileInfo(absolute, SHGFI_SYSICONINDEX, info) ? info.iIcon : -1;
    }

    bool Execute(TOwnerWindow owner, const TIdList& absolute) override {
        if (absolute.Absent()) return false;
        EnsureCom();
        SHELLEXECUTEINFOW sei{};
        sei.cbSize = sizeof sei;
        sei.fMask = SEE_MASK_IDLIST;
        sei.hwnd = static_cast<HWND>(owner);
        sei.lpIDList = const_cast<std::uint8_t*>(absolute.Data());
        sei.nShow = SW_SHOWNORMAL;
        return ShellExecuteExW(&sei) != FALSE;
    }

    bool ExecutePath(TOwnerWindow owner, const std::string& path) override {
        if (path.empty()) return false;
        EnsureCom();
        const std::wstring file = WideName(path);
        SHELLEXECUTEINFOW sei{};
        sei.cbSize = sizeof sei;
        sei.fMask = SEE_MASK_DOENVSUBST;
        sei.hwnd = static_cast<HWND>(owner);
        sei.lpFile = file.c_str();
        sei.nShow = SW_SHOWNORMAL;
        return ShellExecuteExW(&sei) != FALSE;
    }

    bool ResolveLink(const std::string& path, std::string& target, bool& targetIsFolder) override {
        EnsureCom();
        TComPtr<IShellLinkW> link;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
            return false;
        TComPtr<IPersistFile> file;
        if (FAILED(link->QueryInterface(IID_IPersistFile, file.PutVoid()))) return false;
        const std::wstring wide = WideName(path);
        if (FAILED(file->Load(wide.c_str(), STGM_READ))) return false;
        if (FAILED(link->Resolve(nullptr, SLR_NO_UI))) return false;
        wchar_t buffer[MAX_PATH] = {};
        WIN32_FIND_DATAW fd{};
        if (link->GetPath(buffer, MAX_PATH, &fd, 0) != S_OK || !buffer[0]) return false;
        target = Utf8(buffer);
        // The link records its target's attributes; the file system has the
        // last word when the record lacks them.
        const DWORD now = GetFileAttributesW(buffer);
        targetIsFolder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
                         (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY));
        return true;
    }

    bool ChangeDirectory(const std::string& path) override {
        std::wstring wide = WideName(path);
        // The current directory keeps the old limit: a long one by its short form.
        if (wide.size() >= MAX_PATH - 12) wide = ConvertedPath(WidePath(path), GetShortPathNameW);
        return !wide.empty() && SetCurrentDirectoryW(wide.c_str()) != FALSE;
    }

private:
    static bool FileInfo(const TIdList& absolute, UINT what, SHFILEINFOW& info) {
        if (absolute.Absent()) return false;
        EnsureCom();
        return SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Data()), 0, &info, sizeof info, SHGFI_PIDL | what) !=
               0;
    }
};

}  // namespace

TShell& SystemShell() {
    static TWinShell shell;
    return shell;
}

}  // namespace pim

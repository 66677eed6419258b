// The shell namespace on POSIX: the file system from "/" (the desktop, the
// empty ID list). An item of an ID list is one directory entry:
//
//   'P' | flags | size (8 bytes, LE) | last write: seconds since 1970 (8, LE,
//   signed) and nanoseconds (4, LE) | name bytes
//
// (the time in two parts: in nanoseconds alone it would overflow after 2262)
//
// so sorting by any column reads only the ID lists, as the Windows shell's
// own file-system items allow. Details (GetFindData) are read fresh from
// the file system. Only directories, regular files and symbolic links are
// listed: a pipe or device is no document, and reading one could block.
#include "imagelist/ShellFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "base/Paths.h"
#include "imagelist/ImgShare.h"
#include "imagelist/NaturalOrder.h"

extern char** environ;

namespace pim {

namespace {

constexpr char kMagic = 'P';
constexpr std::size_t kHeader = 22;

enum : unsigned char { efFolder = 1, efLink = 2, efHidden = 4, efReadOnly = 8 };

struct TEntry {
    unsigned char flags = 0;
    std::uint64_t size = 0;
    std::int64_t mtimeSec = 0;
    std::uint32_t mtimeNsec = 0;
    std::string_view name;

    bool Folder() const { return flags & efFolder; }
};

void PutLE(std::string& out, std::uint64_t v) {
    for (int k = 0; k < 8; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

void PutLE32(std::string& out, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

std::uint64_t GetLE(const char* p, int bytes = 8) {
    std::uint64_t v = 0;
    for (int k = bytes - 1; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(p[k]);
    return v;
}

bool Decode(std::string_view bytes, TEntry& e) {
    if (bytes.size() <= kHeader || bytes[0] != kMagic) return false;
    e.flags = static_cast<unsigned char>(bytes[1]);
    e.size = GetLE(bytes.data() + 2);
    e.mtimeSec = static_cast<std::int64_t>(GetLE(bytes.data() + 10));
    e.mtimeNsec = static_cast<std::uint32_t>(GetLE(bytes.data() + 18, 4));
    e.name = bytes.substr(kHeader);
    return true;
}

// The entry `name` at `path` (relative to the directory dirFd, or to the
// current directory) as an ID list item; false when it is gone or is neither
// a directory, a regular file nor a link.
bool MakeItem(int dirFd, const char* path, std::string_view name, TIdList& item) {
    struct stat st;
    if (::fstatat(dirFd, path, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    unsigned char flags = 0;
    if (S_ISLNK(st.st_mode)) {
        flags |= efLink;
        struct stat target;
        if (::fstatat(dirFd, path, &target, 0) == 0) st = target;  // a dangling link stays a file
    }
    if (S_ISDIR(st.st_mode))
        flags |= efFolder;
    else if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return false;
    if (!name.empty() && name[0] == '.') flags |= efHidden;
    if (!(st.st_mode & S_IWUSR)) flags |= efReadOnly;
    std::string bytes;
    bytes.reserve(kHeader + name.size());
    bytes.push_back(kMagic);
    bytes.push_back(static_cast<char>(flags));
    PutLE(bytes, S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size));
    PutLE(bytes, static_cast<std::uint64_t>(static_cast<std::int64_t>(st.st_mtim.tv_sec)));
    PutLE32(bytes, static_cast<std::uint32_t>(st.st_mtim.tv_nsec));
    bytes.append(name);
    item = TIdList::FromItem(bytes);
    return !item.Absent();
}

bool MakeItem(const std::string& path, std::string_view name, TIdList& item) {
    return MakeItem(AT_FDCWD, path.c_str(), name, item);
}

// The path of `list` below `folder`; false when an item is not ours.
bool PathOf(const std::string& folder, const TIdList& list, std::string& path) {
    path = folder;
    const int n = list.ItemCount();
    for (int k = 0; k < n; ++k) {
        TEntry e;
        if (!Decode(list.Item(k), e)) return false;
        path = JoinPath(path, e.name);
    }
    return true;
}

bool LastEntry(const TIdList& list, TEntry& e) {
    const int n = list.ItemCount();
    return n > 0 && Decode(list.Item(n - 1), e);
}

std::uint32_t FileAttributes(const TEntry& e) {
    std::uint32_t attrs = e.Folder() ? faDirectory : faArchive;
    if (e.flags & efHidden) attrs |= faHidden;
    if (e.flags & efReadOnly) attrs |= faReadOnly;
    if (e.flags & efLink) attrs |= faReparsePoint;
    return attrs;
}

TFindData FindDataOf(const TEntry& e) {
    TFindData data;
    data.Size = e.size;
    data.Attributes = FileAttributes(e);
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    data.WriteTime = (e.mtimeSec + kSecondsFrom1601To1970) * 10'000'000 + e.mtimeNsec / 100;
    const std::time_t seconds = static_cast<std::time_t>(e.mtimeSec);
    std::tm local{};
    if (::localtime_r(&seconds, &local) && local.tm_year >= 80 && local.tm_year <= 207) {
        data.DosDate = static_cast<std::uint16_t>((local.tm_year - 80) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
        data.DosTime = static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    }
    return data;
}

// Type names as Explorer words them: "JPG ファイル" for a file whose
// extension is .jpg (UTF-8, the file system's encoding). Built in a buffer
// of the caller's, since sorting by type asks for two per comparison.
constexpr std::string_view kFolderType = "ファイル フォルダー";
constexpr std::string_view kFileType = "ファイル";
using TTypeBuffer = char[NAME_MAX + 32];

std::string_view TypeNameOf(bool folder, std::string_view name, TTypeBuffer& buffer) {
    if (folder) return kFolderType;
    const std::string_view ext = ExtractFileExt(name);
    if (ext.size() <= 1 || ext.size() > NAME_MAX) return kFileType;
    std::size_t n = 0;
    for (char c : ext.substr(1)) buffer[n++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    buffer[n++] = ' ';
    for (char c : kFileType) buffer[n++] = c;
    return {buffer, n};
}

std::string TypeNameOf(bool folder, std::string_view name) {
    TTypeBuffer buffer;
    return std::string(TypeNameOf(folder, name, buffer));
}

int CompareNames(std::string_view a, std::string_view b) { return NameCompare(a, b); }

// Folders before files in every column, then the column, then the name, so
// only the same entry compares equal.
int CompareEntries(TShellColumn column, const TEntry& a, const TEntry& b) {
    if (a.Folder() != b.Folder()) return a.Folder() ? -1 : 1;
    int c = 0;
    switch (column) {
        case TShellColumn::scName: break;
        case TShellColumn::scSize: c = a.size < b.size ? -1 : a.size > b.size ? 1 : 0; break;
        case TShellColumn::scType: {
            TTypeBuffer x, y;
            c = NaturalCompare(TypeNameOf(a.Folder(), a.name, x), TypeNameOf(b.Folder(), b.name, y));
            break;
        }
        case TShellColumn::scDate:
            c = a.mtimeSec != b.mtimeSec ? (a.mtimeSec < b.mtimeSec ? -1 : 1)
                                         : (a.mtimeNsec < b.mtimeNsec   ? -1
                                            : a.mtimeNsec > b.mtimeNsec ? 1
                                                                        : 0);
            break;
        case TShellColumn::scAttributes: {
            const std::uint32_t x = FileAttributes(a), y = FileAttributes(b);
            c = x < y ? -1 : x > y ? 1 : 0;
            break;
        }
    }
    return c != 0 ? c : CompareNames(a.name, b.name);
}

class TPosixEnum : public TShellEnum {
public:
    TPosixEnum(DIR* dir, std::uint32_t flags) : dir_(dir), flags_(flags) {}
    ~TPosixEnum() override { ::closedir(dir_); }

    bool Next(TIdList& item) override {
        while (const dirent* d = ::readdir(dir_)) {
            const std::string_view name = d->d_name;
            if (name == "." || name == "..") continue;
            if (name[0] == '.' && !(flags_ & shcontfIncludeHidden)) continue;
            TEntry e;
            if (!MakeItem(::dirfd(dir_), d->d_name, name, item) || !Decode(item.Item(0), e))
                continue;  // gone meanwhile
            if (e.Folder() ? (flags_ & shcontfFolders) : (flags_ & shcontfNonFolders)) return true;
        }
        return false;
    }

private:
    DIR* dir_;
    std::uint32_t flags_;
};

class TPosixFolder : public TShellFolder {
public:
    TPosixFolder(std::string path, TIdList absolute) : path_(std::move(path)), absolute_(std::move(absolute)) {}

    std::unique_ptr<TShellEnum> EnumObjects(TOwnerWindow, std::uint32_t flags) override {
        DIR* dir = ::opendir(path_.c_str());
        if (!dir) return nullptr;
        return std::make_unique<TPosixEnum>(dir, flags);
    }

    std::uint32_t GetAttributesOf(const TIdList& item, std::uint32_t) override {
        TEntry e;
        if (item.IsDesktop()) return sfgaoFolder | sfgaoFileSysAncestor | sfgaoFileSystem;
        if (!LastEntry(item, e)) return 0;
        std::uint32_t attrs = sfgaoFileSystem | sfgaoCanRename;
        if (e.Folder()) attrs |= sfgaoFolder | sfgaoFileSysAncestor;
        if (e.flags & efLink) attrs |= sfgaoLink;
        if (e.flags & efHidden) attrs |= sfgaoHidden;
        return attrs;
    }

    bool GetDisplayNameOf(const TIdList& item, TNameForm form, std::string& name) override {
        if (item.Absent()) return false;
        if (form == TNameForm::nfForParsing) return PathOf(path_, item, name);
        TEntry e;
        if (item.IsDesktop()) {
            name = path_ == "/" ? path_ : std::string(ExtractFileName(path_));
            return true;
        }
        if (!LastEntry(item, e)) return false;
        name.assign(e.name);
        return true;
    }

    int CompareIDs(TShellColumn column, const TIdList& a, const TIdList& b) override {
        const int na = a.ItemCount(), nb = b.ItemCount();
        for (int k = 0; k < na && k < nb; ++k) {
            TEntry x, y;
            if (!Decode(a.Item(k), x) || !Decode(b.Item(k), y)) return 0;
            const bool last = k == na - 1 && k == nb - 1;
            if (const int c = last ? CompareEntries(column, x, y) : CompareNames(x.name, y.name); c != 0) return c;
        }
        return na < nb ? -1 : na > nb ? 1 : 0;
    }

    std::unique_ptr<TShellFolder> BindToObject(const TIdList& item) override {
        std::string path;
        if (item.Absent() || !PathOf(path_, item, path)) return nullptr;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;
        return std::make_unique<TPosixFolder>(path, absolute_.Combine(item));
    }

    bool GetFindData(const TIdList& item, TFindData& data) override {
        std::string path;
        TEntry e;
        if (!LastEntry(item, e) || !PathOf(path_, item, path)) return false;
        TIdList fresh;
        if (!MakeItem(path, e.name, fresh) || !Decode(fresh.Item(0), e)) return false;
        data = FindDataOf(e);
        return true;
    }

    bool ParseDisplayName(TOwnerWindow, const std::string& name, TIdList& item) override {
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of(std::string_view("/\0", 2)) != std::string::npos)
            return false;
        return MakeItem(JoinPath(path_, name), name, item);
    }

    bool ReadEntries(bool hidden, const std::function<bool(TRecord&)>& each) override {
        DIR* dir = ::opendir(path_.c_str());
        if (!dir) return false;
        while (const dirent* d = ::readdir(dir)) {
            const std::string_view name = d->d_name;
            TIdList item;
            TEntry e;
            if (name == "." || name == ".." || (name[0] == '.' && !hidden) ||
                !MakeItem(::dirfd(dir), d->d_name, name, item) || !Decode(item.Item(0), e))
                continue;  // gone meanwhile, or no document
            TRecord record{name, JoinPath(path_, name), FindDataOf(e)};
            if (!each(record)) break;
        }
        ::closedir(dir);
        return true;
    }

    bool SetNameOf(TOwnerWindow, const TIdList& item, const std::string& name, TIdList& newItem,
                   std::string& reason) override {
        reason.clear();
        std::string from;
        if (item.ItemCount() != 1 || !PathOf(path_, item, from)) return false;
        if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
            name.find('\0') != std::string::npos) {
            reason = std::strerror(EINVAL);
            return false;
        }
        const std::string to = JoinPath(path_, name);
        // Never over another entry: the shell refuses that too.
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
            struct stat st;
            if (errno != EINVAL) {
                reason = std::strerror(errno);
                return false;
            }
            if (::lstat(to.c_str(), &st) == 0) {
                reason = std::strerror(EEXIST);
                return false;
            }
            if (::rename(from.c_str(), to.c_str()) != 0) {
                reason = std::strerror(errno);
                return false;
            }
        }
        return MakeItem(to, name, newItem);
    }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    TIdList absolute_;
};

// Runs the desktop's opener on a path without a shell in between, and reaps
// it in the background.
bool Launch(const std::string& path) {
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

class TPosixShell : public TShell {
public:
    std::unique_ptr<TShellFolder> Desktop() override { return std::make_unique<TPosixFolder>("/", TIdList::Desktop()); }

    bool ParseDisplayName(TOwnerWindow, const std::string& path, TIdList& absolute) override {
        if (path.empty() || path.find('\0') != std::string::npos) return false;
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(path, ec).lexically_normal();
        if (ec) return false;
        absolute = TIdList::Desktop();
        std::string at = "/";
        for (const auto& part : full.relative_path()) {
            const std::string name = part.string();
            if (name.empty() || name == ".") continue;
            if (name == "..") return false;  // above the root
            at = JoinPath(at, name);
            TIdList item;
            if (!MakeItem(at, name, item)) return false;
            absolute = absolute.Combine(item);
        }
        return true;
    }

    std::string PathFromIdList(const TIdList& absolute) override {
        std::string path;
        if (absolute.Absent() || !PathOf("/", absolute, path)) return {};
        return path;
    }

    std::string TypeName(const TIdList& absolute) override {
        TEntry e;
        if (absolute.IsDesktop()) return TypeNameOf(true, "/");
        return LastEntry(absolute, e) ? TypeNameOf(e.Folder(), e.name) : std::string();
    }

    int IconIndex(const TIdList& absolute) override {
        // The standard slots of a system image list: 0 a document, 3 a folder.
        TEntry e;
        if (absolute.IsDesktop()) return 3;
        return LastEntry(absolute, e) ? (e.Folder() ? 3 : 0) : -1;
    }

    bool Execute(TOwnerWindow, const TIdList& absolute) override {
        const std::string path = PathFromIdList(absolute);
        return !path.empty() && Launch(path);
    }

    bool ExecutePath(TOwnerWindow, const std::string& path) override { return !path.empty() && Launch(path); }

    bool ResolveLink(const std::string& path, std::string& target, bool& targetIsFolder) override {
        std::error_code ec;
        if (!std::filesystem::is_symlink(path, ec)) return false;
        const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
        if (ec) return false;
        target = resolved.string();
        targetIsFolder = std::filesystem::is_directory(resolved, ec);
        return true;
    }

    bool ChangeDirectory(const std::string& path) override { return ::chdir(path.c_str()) == 0; }
};

}  // namespace

TShell& SystemShell() {
    static TPosixShell shell;
    return shell;
}

}  // namespace pim

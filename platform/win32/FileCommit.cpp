// Windows: the folder is opened once as a directory handle, and the
// temporary file is created in it and renamed over the target relative to
// that handle (NtCreateFile and FileRenameInformation with a root
// directory), so the save goes on in the folder it began in. The file is
// flushed (FlushFileBuffers) and renamed with ReplaceIfExists, which
// replaces the target in one step; a file that is given up is marked for
// deletion through its own handle. Names go to the wide API as UTF-16.
// A read-only target is refused up front: Windows refuses it too, but not
// every implementation of the API does.
#include "report/FileCommit.h"

#include <windows.h>
#include <winternl.h>
#include <fcntl.h>
#include <io.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "base/FileSystem.h"
#include "base/win32/Handles.h"
#include "base/win32/WideNames.h"

namespace pim {

namespace {

// The folder part of a path, as the wide calls open it ("." for a bare name,
// "C:\" for a file in a drive's root).
std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::wstring NameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return WideName(slash == std::string::npos ? path : path.substr(slash + 1));
}

// A file of `folder` opened by its name in it. INVALID_HANDLE_VALUE on
// failure, with the system's error code in `error`.
HANDLE OpenIn(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
              ULONG options, DWORD& error) {
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE h = nullptr;
    const NTSTATUS status = NtCreateFile(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                         share, disposition, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (NT_SUCCESS(status)) return h;
    error = RtlNtStatusToDosError(status);
    return INVALID_HANDLE_VALUE;
}

// True when another program holds the file so that it cannot be replaced:
// it cannot be opened for deletion with nothing shared.
bool HeldOpenIn(HANDLE folder, const std::wstring& name) {
    DWORD error = 0;
    const TKernelHandle h = OwnFileHandle(OpenIn(folder, name, DELETE, 0, FILE_OPEN, FILE_OPEN_REPARSE_POINT, error));
    return !h && error == ERROR_SHARING_VIOLATION;
}

HANDLE HandleOf(TFileStream& file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file.Handle()))); }

}  // namespace

// Links are rare on Windows and need rights to make: the name is replaced as it is.
std::string CommitTargetOf(const std::string& path) { return path; }

void CheckCommitTarget(const std::string& target) {
    const std::string message = "Cannot create file \"" + target + "\"";
    const auto fail = [&](DWORD error) {
        const int code = static_cast<int>(error);
        throw EStreamError(message, SystemErrorText(code), SystemErrorFault(code));
    };
    const std::wstring name = WidePath(target);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_READONLY))
            fail(ERROR_ACCESS_DENIED);
        // Replacing needs the file opened for deletion by nobody else: a
        // viewer holding the PDF is found now, not after every page was read.
        const TKernelHandle h = OwnFileHandle(
            CreateFileW(name.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!h) {
            const DWORD error = GetLastError();
            if (error == ERROR_SHARING_VIOLATION) throw EFileInUse(message, SystemErrorText(static_cast<int>(error)));
            fail(error);
        }
        return;
    }
    // A new file of that name, gone again when it is closed.
    TKernelHandle h = OwnFileHandle(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!h) fail(GetLastError());
    h.reset();
    DeleteFileW(name.c_str());  // in case the system kept it
}

struct TFileCommit::TFolder {
    TKernelHandle handle;
};

TFileCommit::TFileCommit(const std::string& target, std::string_view prefix, std::string_view suffix)
    : target_(target), folder_(std::make_unique<TFolder>()) {
    const std::string folder = FolderOf(target);
    // Shared for everything, renaming included: the save holds the folder,
    // it does not lock it.
    folder_->handle = OwnFileHandle(CreateFileW(WidePath(folder).c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder_->handle) Fail(static_cast<int>(GetLastError()));
    const HANDLE at = folder_->handle.get();
    try {
        file_ = CreateUniqueFile(folder, prefix, suffix, [at](const std::string& name, bool& exists) -> std::FILE* {
            // FILE_CREATE: fails on any existing name, and a reparse point
            // there is not followed for the creation.
            exists = false;
            DWORD error = 0;
            TKernelHandle h = OwnFileHandle(OpenIn(at, WideName(name), GENERIC_READ | GENERIC_WRITE | DELETE,
                                                   FILE_SHARE_READ, FILE_CREATE, FILE_NON_DIRECTORY_FILE, error));
            if (!h) {
                exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
                _doserrno = error;
                return nullptr;
            }
            const HANDLE raw = h.get();
            const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(raw), _O_RDWR | _O_BINARY);
            if (fd >= 0) h.release();  // the descriptor owns it now
            std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "w+b");
            if (!file) {
                FILE_DISPOSITION_INFORMATION gone{TRUE};
                IO_STATUS_BLOCK io{};
                NtSetInformationFile(raw, &io, &gone, sizeof gone, FileDispositionInformation);
                if (fd >= 0) _close(fd);
                _doserrno = ERROR_TOO_MANY_OPEN_FILES;
            }
            return file;
        });
    } catch (const EStreamError& e) {
        throw EStreamError("Cannot create file \"" + target_ + "\"", e.SystemReason(), e.Fault());
    }
    name_ = Utf8Name(NameOf(file_->FileName()));
}

TFileCommit::~TFileCommit() { Discard(); }

void TFileCommit::Fail(int error) const {
    throw EStreamError("Cannot create file \"" + target_ + "\"", SystemErrorText(error), SystemErrorFault(error));
}

void TFileCommit::Discard() noexcept {
    if (committed_ || !file_) return;
    if (file_->Handle()) {
        // Removed through its own handle, wherever its folder went.
        FILE_DISPOSITION_INFORMATION gone{TRUE};
        IO_STATUS_BLOCK io{};
        NtSetInformationFile(HandleOf(*file_), &io, &gone, sizeof gone, FileDispositionInformation);
    }
    file_.reset();
}

void TFileCommit::Commit(const std::function<bool()>& abandoned) {
    try {
        file_->Flush();
        const std::wstring leaf = NameOf(target_);
        DWORD error = 0;
        TKernelHandle old = OwnFileHandle(OpenIn(folder_->handle.get(), leaf, FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                                                 FILE_OPEN_REPARSE_POINT, error));
        if (old) {
            BY_HANDLE_FILE_INFORMATION info{};
            const BOOL known = GetFileInformationByHandle(old.get(), &info);
            old.reset();
            if (known && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) Fail(ERROR_ACCESS_DENIED);
        }
        const HANDLE h = HandleOf(*file_);
        if (!FlushFileBuffers(h)) Fail(static_cast<int>(GetLastError()));
        if (abandoned && abandoned()) throw EStreamError("Save abandoned");
        std::vector<unsigned char> buffer(offsetof(FILE_RENAME_INFORMATION, FileName) +
                                          (leaf.size() + 1) * sizeof(wchar_t));
        auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->RootDirectory = folder_->handle.get();
        rename->FileNameLength = static_cast<ULONG>(leaf.size() * sizeof(wchar_t));
        std::memcpy(rename->FileName, leaf.c_str(), leaf.size() * sizeof(wchar_t));
        IO_STATUS_BLOCK io{};
        const NTSTATUS status =
            NtSetInformationFile(h, &io, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
        if (!NT_SUCCESS(status)) {
            const DWORD renameError = RtlNtStatusToDosError(status);
            if (HeldOpenIn(folder_->handle.get(), leaf))
                throw EFileInUse("Cannot create file \"" + target_ + "\"",
                                 SystemErrorText(static_cast<int>(ERROR_SHARING_VIOLATION)));
            Fail(static_cast<int>(renameError));
        }
    } catch (...) {
        Discard();
        throw;
    }
    committed_ = true;
    file_->Close();
    file_.reset();
}

}  // namespace pim

// Byte streams and string lists: the small framework every subsystem reads
// and writes through. Strings are byte strings (Shift_JIS where text).
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/SysUtils.h"

namespace pim {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// Positions and sizes are 64-bit throughout: a PDF may pass 2 GiB.
class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes or raises EStreamError.
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() = 0;

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }

    // Reads exactly count bytes or raises EStreamError.
    void ReadBuffer(void* buffer, std::size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // Copies count bytes from source's current position (count < 0: to its end).
    std::int64_t CopyFrom(TStream& source, std::int64_t count = -1);
};

class TMemoryStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    using TStream::Write;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }

    void SetSize(std::size_t size);
    void Clear();
    const std::uint8_t* Memory() const { return data_.data(); }
    std::uint8_t* Memory() { return data_.data(); }
    std::string_view View() const {
        return {reinterpret_cast<const char*>(data_.data()), data_.size()};
    }
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(TStream& source);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<std::uint8_t> data_;
    std::size_t position_ = 0;
};

// fmCreateNew: a new file only, never an existing one nor a link's target
// (CreateNewFile in base/FileSystem.h).
enum class TFileMode { fmCreate, fmOpenRead, fmOpenReadWrite, fmCreateNew };

// A file on disk. Names are in the program's file-name encoding (UTF-8, see
// base/FileSystem.h).
class TFileStream : public TStream {
public:
    TFileStream(const std::string& fileName, TFileMode mode);
    // Takes over a file already open under that name.
    TFileStream(const std::string& fileName, std::FILE* file) : fileName_(fileName), file_(file) {}
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    using TStream::Write;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;

    // Pushes buffered bytes to the operating system and the disk; raises on failure.
    void Flush();
    // Closes the file, raising if buffered bytes could not be written.
    void Close();
    const std::string& FileName() const { return fileName_; }
    // The C library's file, for the system calls a commit makes on it
    // (sync, mode, rename by handle); nullptr once closed.
    std::FILE* Handle() const { return file_; }

private:
    std::string fileName_;
    std::FILE* file_ = nullptr;
};

// A new file of a name no file had, beside the user's files or in a
// scratch folder: `folder` + separator + `prefix` + 8 random hexadecimal
// digits + `suffix` (so the name is short whatever the files around it are
// called), created exclusively; on a collision (a file or a link already
// there) another random name is tried, a few times, before EStreamError
// ("Cannot create a new file in ...") with the system's reason.
std::unique_ptr<TFileStream> CreateUniqueFile(const std::string& folder, std::string_view prefix,
                                              std::string_view suffix);
// The same names, made by a creator of one's own: `create(name, exists)`
// makes `name` (prefix + digits + suffix, no folder) exclusively as
// CreateNewFile does, for a file made relative to a folder held open. The
// stream is named `folder` + separator + name.
using TNewFileMaker = std::function<std::FILE*(const std::string& name, bool& exists)>;
std::unique_ptr<TFileStream> CreateUniqueFile(const std::string& folder, std::string_view prefix,
                                              std::string_view suffix, const TNewFileMaker& create);
// Tests only: the random part's source (empty: back to the real one).
void SetUniqueNameRandomForTest(std::function<std::uint32_t()> random);
// How many names CreateUniqueFile tries.
inline constexpr int kUniqueFileTries = 8;

// An ordered list of byte strings.
class TStringList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const;
    std::string& operator[](int index);
    int Add(std::string s);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Move(int curIndex, int newIndex);
    void Clear() { items_.clear(); }
    int IndexOf(std::string_view s) const;

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a final line break adds no empty line.
    void SetText(std::string_view text);
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    void CheckIndex(int index, bool allowEnd) const;
    std::vector<std::string> items_;
};

using TStrings = TStringList;

}  // namespace pim

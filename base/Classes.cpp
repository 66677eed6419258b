#include "base/Classes.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <random>

#include "base/FileSystem.h"

namespace pim {

namespace {

int Seek64(std::FILE* f, std::int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, offset, whence);
#else
    return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}

std::int64_t Tell64(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}

int Whence(TSeekOrigin origin) {
    switch (origin) {
        case TSeekOrigin::soBeginning: return SEEK_SET;
        case TSeekOrigin::soCurrent: return SEEK_CUR;
        case TSeekOrigin::soEnd: return SEEK_END;
    }
    return SEEK_SET;
}

}  // namespace

// ---- TStream --------------------------------------------------------------

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (Read(buffer, count) != count) throw EStreamError("Stream read error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
    if (count < 0) count = source.Size() - source.Position();
    std::vector<char> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)));
    std::int64_t left = count;
    while (left > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, chunk.size()));
        source.ReadBuffer(chunk.data(), n);
        Write(chunk.data(), n);
        left -= static_cast<std::int64_t>(n);
    }
    return count;
}

// ---- TMemoryStream --------------------------------------------------------

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (count == 0 || position_ >= data_.size()) return 0;  // buffer may be null then
    const std::size_t n = std::min(count, data_.size() - position_);
    std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    const std::size_t end = position_ + count;
    if (end > data_.size()) data_.resize(end);  // vector growth is geometric
    std::memcpy(data_.data() + position_, buffer, count);
    position_ = end;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = static_cast<std::int64_t>(position_);
    if (origin == TSeekOrigin::soEnd) base = static_cast<std::int64_t>(data_.size());
    const std::int64_t pos = base + offset;
    if (pos < 0) throw EStreamError("Stream seek error");
    position_ = static_cast<std::size_t>(pos);
    return pos;
}

void TMemoryStream::SetSize(std::size_t size) {
    data_.resize(size);
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const std::int64_t size = source.Size();
    if (size < 0 || static_cast<std::uint64_t>(size) > std::numeric_limits<std::size_t>::max())
        throw EStreamError("Stream too large");
    data_.resize(static_cast<std::size_t>(size));
    if (size > 0) source.ReadBuffer(data_.data(), data_.size());
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, TFileMode::fmCreate);
    file.Write(data_.data(), data_.size());
    file.Close();
}

// ---- TFileStream ----------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    ClearFileError();
    if (mode == TFileMode::fmCreateNew) {
        bool exists = false;
        file_ = CreateNewFile(fileName, exists);
    } else {
        const char* how = mode == TFileMode::fmCreate ? "wb" : mode == TFileMode::fmOpenRead ? "rb" : "r+b";
        file_ = OpenFile(fileName, how);
    }
    if (!file_) {
        const bool creating = mode == TFileMode::fmCreate || mode == TFileMode::fmCreateNew;
        throw EStreamError(
            creating ? "Cannot create file \"" + fileName + "\"" : "Cannot open file \"" + fileName + "\"",
            LastFileErrorText(), LastFileErrorFault());
    }
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    if (!file_) throw EStreamError("Stream read error");
    return std::fread(buffer, 1, count, file_);
}

void TFileStream::Write(const void* buffer, std::size_t count) {
    if (!file_) throw EStreamError("Stream write error");
    ClearFileError();
    if (std::fwrite(buffer, 1, count, file_) != count)
        throw EStreamError("Stream write error", LastFileErrorText(), LastFileErrorFault());
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    if (!file_ || Seek64(file_, offset, Whence(origin)) != 0) throw EStreamError("Stream seek error");
    return Tell64(file_);
}

std::int64_t TFileStream::Size() {
    const std::int64_t here = Position();
    const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(here, TSeekOrigin::soBeginning);
    return size;
}

void TFileStream::Flush() {
    if (!file_) throw EStreamError("Stream write error");
    ClearFileError();
    if (std::fflush(file_) != 0) throw EStreamError("Stream write error", LastFileErrorText(), LastFileErrorFault());
}

void TFileStream::Close() {
    if (!file_) return;
    ClearFileError();
    const int rc = std::fclose(file_);
    file_ = nullptr;
    if (rc != 0) throw EStreamError("Stream write error", LastFileErrorText(), LastFileErrorFault());
}

// ---- CreateUniqueFile -----------------------------------------------------

namespace {

std::mutex uniqueNameMutex;
std::function<std::uint32_t()> uniqueNameRandomForTest;

std::uint32_t UniqueNameRandom() {
    std::lock_guard lock(uniqueNameMutex);
    if (uniqueNameRandomForTest) return uniqueNameRandomForTest();
    static std::mt19937 random{std::random_device{}()};
    return static_cast<std::uint32_t>(random());
}

}  // namespace

void SetUniqueNameRandomForTest(std::function<std::uint32_t()> random) {
    std::lock_guard lock(uniqueNameMutex);
    uniqueNameRandomForTest = std::move(random);
}

namespace {

// The folder with a separator after it, ready for a name.
std::string FolderWithSeparator(const std::string& folder) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    std::string path = folder;
    if (!path.empty() && path.back() != kSeparator && path.back() != '/') path += kSeparator;
    return path;
}

}  // namespace

std::unique_ptr<TFileStream> CreateUniqueFile(const std::string& folder, std::string_view prefix,
                                              std::string_view suffix, const TNewFileMaker& create) {
    const std::string path = FolderWithSeparator(folder);
    std::string reason;
    TFault fault = TFault::fUnknown;
    for (int attempt = 0; attempt < kUniqueFileTries; ++attempt) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(UniqueNameRandom()));
        const std::string name = std::string(prefix) + digits + std::string(suffix);
        ClearFileError();
        bool exists = false;
        if (std::FILE* file = create(name, exists)) return std::make_unique<TFileStream>(path + name, file);
        reason = LastFileErrorText();
        fault = LastFileErrorFault();
        if (!exists) break;  // the folder itself refuses: another name will not help
    }
    throw EStreamError("Cannot create a new file in \"" + folder + "\"", reason, fault);
}

std::unique_ptr<TFileStream> CreateUniqueFile(const std::string& folder, std::string_view prefix,
                                              std::string_view suffix) {
    const std::string base = FolderWithSeparator(folder);
    return CreateUniqueFile(folder, prefix, suffix,
                            [&](const std::string& name, bool& exists) { return CreateNewFile(base + name, exists); });
}

// ---- TStringList ----------------------------------------------------------

void TStringList::CheckIndex(int index, bool allowEnd) const {
    if (index < 0 || index > Count() || (!allowEnd && index == Count()))
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TStringList::operator[](int index) const {
    CheckIndex(index, false);
    return items_[static_cast<std::size_t>(index)];
}

std::string& TStringList::operator[](int index) {
    CheckIndex(index, false);
    return items_[static_cast<std::size_t>(index)];
}

int TStringList::Add(std::string s) {
    items_.push_back(std::move(s));
    return Count() - 1;
}

void TStringList::Insert(int index, std::string s) {
    CheckIndex(index, true);
    items_.insert(items_.begin() + index, std::move(s));
}

void TStringList::Delete(int index) {
    CheckIndex(index, false);
    items_.erase(items_.begin() + index);
}

void TStringList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    CheckIndex(curIndex, false);
    CheckIndex(newIndex, false);
    std::string s = std::move(items_[static_cast<std::size_t>(curIndex)]);
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, std::move(s));
}

int TStringList::IndexOf(std::string_view s) const {
    const auto it = std::find(items_.begin(), items_.end(), s);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

std::string TStringList::Text() const {
    std::string text;
    for (const auto& s : items_) {
        text += s;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(std::string_view text) {
    items_.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        items_.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) items_.emplace_back(text.substr(start));
}

void TStringList::LoadFromStream(TStream& stream) {
    const std::int64_t left = stream.Size() - stream.Position();
    std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(left, 0)), '\0');
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), bytes.size());
    SetText(bytes);
}

void TStringList::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

}  // namespace pim

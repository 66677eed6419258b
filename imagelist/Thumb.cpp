#include "imagelist/Thumb.h"

#include <algorithm>
#include <cstring>

#include "base/Classes.h"
#include "base/CodePage.h"
#include "graphics/JpegCodec.h"
#include "imagelist/FileFacts.h"
#include "imagelist/ImgShare.h"

namespace pim {

namespace {

constexpr std::string_view kNotAThumbFile = "  はサムネイルファイルではありません";

// The message is code page 932, as the window shows it.
EThumbError NotAThumbFile(const std::string& fileName) {
    return EThumbError(fileName + "\r\n" + Utf8ToAnsi(kNotAThumbFile));
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Doubles are stored in their IEEE bytes, little-endian, as every target is.
double GetF64(const std::uint8_t* p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void PutF64(std::uint8_t* p, double v) { std::memcpy(p, &v, sizeof v); }

// Reads magic and header from the start; raises EThumbError for another kind of file.
void ReadHeader(TFileStream& file, std::uint8_t (&head)[TThumb::kHeaderSize]) {
    file.SetPosition(0);
    if (file.Read(head, sizeof head) != sizeof head || GetU32(head) != TThumb::kMagic)
        throw NotAThumbFile(file.FileName());
}

std::uint32_t EntryCount(const std::uint8_t (&head)[TThumb::kHeaderSize]) { return GetU32(head + 20); }

struct TEntryHeader {
    std::uint32_t nameLength, dataLength, sourceWidth, sourceHeight;
    TDateTime modified;
};

// The entry header at offset; raises EThumbError when the entry runs past
// the end of the file.
TEntryHeader ReadEntryHeader(TFileStream& file, std::int64_t offset, std::int64_t fileSize) {
    std::uint8_t raw[TThumb::kEntryHeaderSize];
    file.SetPosition(offset);
    if (offset + TThumb::kEntryHeaderSize > fileSize) throw NotAThumbFile(file.FileName());
    file.ReadBuffer(raw, sizeof raw);
    TEntryHeader h{GetU32(raw), GetU32(raw + 8), GetU32(raw + 44), GetU32(raw + 48), GetF64(raw + 32)};
    if (offset + TThumb::kEntryHeaderSize + h.nameLength + h.dataLength > fileSize)
        throw NotAThumbFile(file.FileName());
    return h;
}

void CopyRange(TFileStream& from, TFileStream& to, std::int64_t begin, std::int64_t end) {
    from.SetPosition(begin);
    if (end > begin) to.CopyFrom(from, end - begin);
}

}  // namespace

TThumb::TThumb() = default;
TThumb::~TThumb() = default;

void TThumb::SetAppName(const std::string& value) {
    std::size_t cut = std::min<std::size_t>(value.size(), 10);
    for (std::size_t i = 0; i < cut; ++i) {
        if (!IsLeadByte(static_cast<unsigned char>(value[i]))) continue;
        if (i + 1 >= cut && cut == 10) cut = i;
        ++i;
    }
    appName_ = value.substr(0, cut);
}

void TThumb::SetActive(bool value) {
    active_ = value;
    if (!active_) file_.reset();
}

std::string TThumb::CacheFileName(const std::string& imagePath) const {
    std::string dir;
    switch (PathType) {
        case TPathType::iptFree: dir = Path; break;
        case TPathType::iptApp: dir = std::string(ExtractFilePath(ProgramFileName())); break;
        case TPathType::iptFolder: dir = std::string(ExtractFilePath(imagePath)); break;
        case TPathType::iptWin: dir = SystemDirectory(); break;
        case TPathType::iptTemp: dir = TempDirectory(); break;
    }
    if (!dir.empty() && ExtractFilePath(dir).size() != dir.size()) dir += kPathDelim;
    std::string name = FileName;
    if (name.empty())
        name = ChangeFileExt(ExtractFileName(ProgramFileName()), ".dat");
    else if (ExtractFileExt(name).empty())
        name += ".dat";
    return dir + name;
}

void TThumb::DropIndex() {
    file_.reset();
    index_.clear();
    indexFile_.clear();
    indexFileTime_ = 0;
    indexFileSize_ = 0;
    scanFrom_ = kHeaderSize;
}

TFileStream& TThumb::Open(const std::string& cacheFile) {
    if (!file_ || file_->FileName() != cacheFile)
        file_ = std::make_unique<TFileStream>(cacheFile, TFileMode::fmOpenRead);
    return *file_;
}

bool TThumb::Lookup(const std::string& imagePath, std::vector<std::uint8_t>& jpeg, int& sourceWidth,
                    int& sourceHeight) {
    const std::string cacheFile = CacheFileName(imagePath);
    TFileFacts facts;
    if (!GetFileFacts(cacheFile, facts) || facts.IsDirectory) {
        DropIndex();
        return false;
    }
    if (cacheFile != indexFile_ || facts.Modified != indexFileTime_ || facts.Size != indexFileSize_) {
        DropIndex();
        indexFile_ = cacheFile;
        indexFileTime_ = facts.Modified;
        indexFileSize_ = facts.Size;
    }
    bool found = false;
    try {
        found = Find(cacheFile, imagePath, jpeg, sourceWidth, sourceHeight);
    } catch (const Exception&) {
        // A damaged cache file (EThumbError) or one cut short: the image
        // counts as absent.
        DropIndex();
        return false;
    }
    if (!active_) file_.reset();
    return found;
}

bool TThumb::Find(const std::string& cacheFile, const std::string& imagePath, std::vector<std::uint8_t>& jpeg,
                  int& sourceWidth, int& sourceHeight) {
    TFileStream& file = Open(cacheFile);
    std::uint8_t head[kHeaderSize];
    ReadHeader(file, head);
    const std::uint32_t count = EntryCount(head);
    const std::int64_t fileSize = file.Size();
    const std::string name = LowerCaseName(imagePath);

    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    const auto known = std::find_if(index_.begin(), index_.end(), [&](const TIndexEntry& e) { return e.name == name; });
    std::size_t found = known == index_.end() ? kNone : static_cast<std::size_t>(known - index_.begin());
    while (found == kNone && index_.size() < count && scanFrom_ < fileSize) {
        const TEntryHeader h = ReadEntryHeader(file, scanFrom_, fileSize);
        std::string entryName(h.nameLength, '\0');
        file.ReadBuffer(entryName.data(), entryName.size());
        const std::int64_t next = scanFrom_ + kEntryHeaderSize + h.nameLength + h.dataLength;
        index_.push_back({scanFrom_, LowerCaseName(entryName), h.modified, next});
        scanFrom_ = next;
        if (index_.back().name == name) found = index_.size() - 1;
    }
    if (found == kNone) return false;

    const TIndexEntry hit = index_[found];
    TFileFacts image;
    if (!GetFileFacts(imagePath, image) || image.Modified != hit.modified) {
        Remove(cacheFile, hit, count);
        return false;
    }
    const TEntryHeader h = ReadEntryHeader(file, hit.offset, fileSize);
    file.SetPosition(hit.offset + kEntryHeaderSize + h.nameLength);
    jpeg.resize(h.dataLength);
    file.ReadBuffer(jpeg.data(), jpeg.size());
    sourceWidth = static_cast<int>(h.sourceWidth);
    sourceHeight = static_cast<int>(h.sourceHeight);
    return true;
}

void TThumb::Remove(const std::string& cacheFile, const TIndexEntry& entry, std::uint32_t count) {
    file_.reset();  // Windows replaces no open file
    std::string copy;
    std::int64_t left = 0;
    {
        TFileStream from(cacheFile, TFileMode::fmOpenRead);
        // A fresh name beside the cache, created exclusively.
        const std::unique_ptr<TFileStream> made =
            CreateUniqueFile(std::string(ExtractFilePath(cacheFile)), "~pimthumb", ".tmp");
        TFileStream& to = *made;
        copy = to.FileName();
        try {
            std::uint8_t head[kHeaderSize];
            ReadHeader(from, head);
            PutU32(head + 20, count > 0 ? count - 1 : 0);
            to.Write(head, sizeof head);
            CopyRange(from, to, kHeaderSize, entry.offset);
            CopyRange(from, to, entry.next, from.Size());
            left = to.Size();
            to.Close();
        } catch (...) {
            try {
                to.Close();  // Windows removes no open file
            } catch (const EStreamError&) {
            }
            RemoveFile(copy);
            throw;
        }
    }
    DropIndex();
    if (left <= kHeaderSize) {
        RemoveFile(copy);
        RemoveFile(cacheFile);
    } else if (!MoveFileOver(copy, cacheFile)) {
        RemoveFile(copy);
        throw EStreamError("Cannot create file \"" + cacheFile + "\"");
    }
}

void TThumb::Store(const std::string& imagePath, const TBitmap& thumbnail, int sourceWidth, int sourceHeight,
                   int quality) {
    const std::string cacheFile = CacheFileName(imagePath);
    DropIndex();
    const std::vector<std::uint8_t> jpeg = EncodeJpeg(thumbnail, {std::clamp(quality, 1, 100), false, false});

    std::uint8_t head[kHeaderSize] = {};
    std::unique_ptr<TFileStream> file;
    if (FileExists(cacheFile)) {
        file = std::make_unique<TFileStream>(cacheFile, TFileMode::fmOpenReadWrite);
        ReadHeader(*file, head);
    } else {
        // Only a new file: a link planted at the name is not written through.
        file = std::make_unique<TFileStream>(cacheFile, TFileMode::fmCreateNew);
        PutU32(head, kMagic);
        file->Write(head, sizeof head);
    }
    PutU32(head + 4, kVersion);
    std::memset(head + 8, 0, 12);
    std::memcpy(head + 8, appName_.data(), appName_.size());
    const std::uint32_t count = EntryCount(head);

    const TDateTime written = Now();
    TFileFacts image;
    const bool exists = GetFileFacts(imagePath, image);
    std::uint8_t entry[kEntryHeaderSize] = {};
    PutU32(entry, static_cast<std::uint32_t>(imagePath.size()));
    PutU32(entry + 8, static_cast<std::uint32_t>(jpeg.size()));
    PutU32(entry + 12, static_cast<std::uint32_t>(thumbnail.Width()));
    PutU32(entry + 16, static_cast<std::uint32_t>(thumbnail.Height()));
    PutF64(entry + 24, written);
    PutF64(entry + 32, exists ? image.Modified : written);
    PutU32(entry + 40, static_cast<std::uint32_t>(image.Size));
    PutU32(entry + 44, static_cast<std::uint32_t>(sourceWidth));
    PutU32(entry + 48, static_cast<std::uint32_t>(sourceHeight));

    // The entry first, the count after: a write cut short leaves a file
    // whose count does not yet take in the partial entry.
    file->Seek(0, TSeekOrigin::soEnd);
    file->Write(entry, sizeof entry);
    file->Write(imagePath);
    file->Write(jpeg.data(), jpeg.size());
    PutU32(head + 20, count + 1);
    file->SetPosition(0);
    file->Write(head, sizeof head);
    file->Close();
}

}  // namespace pim

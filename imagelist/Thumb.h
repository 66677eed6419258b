// The thumbnail cache file: finished thumbnails kept as JPEG data under the
// image's path, so a folder shown again need not decode its pictures anew.
// Off unless TImgUtil::AutoThumb is set (the program never sets it).
//
// File layout, little-endian: the magic 127 (32-bit); a 20-byte header
// (version 103, the application name in 10 bytes zero-padded, 2 zero bytes,
// the entry count); then the entries, each a 56-byte entry header (name
// length, 0, data length, thumbnail width and height, 4 bytes padding, time
// written and the image's modification time as 64-bit day counts since
// 1899-12-30 in local time, the image's size, its width and height, 0),
// the image path and the JPEG data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/DateUtils.h"
#include "base/SysUtils.h"
#include "graphics/Graphics.h"

namespace pim {

class TFileStream;

// A damaged cache file. Lookups catch it and report the image as absent.
class EThumbError : public Exception {
public:
    using Exception::Exception;
};

// Where the cache file lives: Path, the program's folder, the image's
// folder, the Windows folder, or TEMP.
enum class TPathType { iptFree, iptApp, iptFolder, iptWin, iptTemp };

class TThumb {
public:
    static constexpr std::uint32_t kMagic = 127;
    static constexpr std::uint32_t kVersion = 103;
    static constexpr int kHeaderSize = 24;  // magic and header
    static constexpr int kEntryHeaderSize = 56;

    TThumb();
    ~TThumb();
    TThumb(const TThumb&) = delete;
    TThumb& operator=(const TThumb&) = delete;

    // Cut to 10 bytes, or to 9 when a double-byte character would be split.
    const std::string& AppName() const { return appName_; }
    void SetAppName(const std::string& value);
    std::string Path;
    // ".dat" is added when it has no extension; empty: the program's name
    // with ".dat".
    std::string FileName;
    TPathType PathType = TPathType::iptFree;
    // True keeps the cache file open between lookups.
    bool Active() const { return active_; }
    void SetActive(bool value);

    // The cache file that holds (or would hold) the image's thumbnail.
    std::string CacheFileName(const std::string& imagePath) const;

    // The image's thumbnail when the cache holds one made since the image
    // last changed; a stale entry is removed. Paths compare without regard to
    // case. A missing or damaged cache file gives false.
    bool Lookup(const std::string& imagePath, std::vector<std::uint8_t>& jpeg, int& sourceWidth,
                int& sourceHeight);
    // Appends the thumbnail (JPEG at quality), creating the file when
    // missing. Raises EThumbError for a file that is not a cache file and
    // EStreamError when it cannot be written.
    void Store(const std::string& imagePath, const TBitmap& thumbnail, int sourceWidth, int sourceHeight,
               int quality);
    // Forgets the entries already seen (and closes an open file).
    void DropIndex();

private:
    struct TIndexEntry {
        std::int64_t offset;
        std::string name;  // lower-cased
        TDateTime modified;
        std::int64_t next;
    };

    bool Find(const std::string& cacheFile, const std::string& imagePath, std::vector<std::uint8_t>& jpeg,
              int& sourceWidth, int& sourceHeight);
    TFileStream& Open(const std::string& cacheFile);
    void Remove(const std::string& cacheFile, const TIndexEntry& entry, std::uint32_t count);

    std::string appName_;
    bool active_ = false;
    std::unique_ptr<TFileStream> file_;
    // The index: which file it describes, that file's modification time and
    // size when it was built (file times can be coarser than two quick
    // rewrites), the entries seen and where scanning goes on.
    std::string indexFile_;
    TDateTime indexFileTime_ = 0;
    std::uint64_t indexFileSize_ = 0;
    std::vector<TIndexEntry> index_;
    std::int64_t scanFrom_ = kHeaderSize;
};

}  // namespace pim

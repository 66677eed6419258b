// The compressed bytes of one JPEG, immutable once made and shared by every
// JPEG object copied from the one that loaded or encoded them. They live
// either in memory or in the file they were loaded from: a picture loaded
// from disk is not held in memory, and its bytes are read again, unchanged,
// when they are written out. A file that no longer holds the bytes it held at
// load time is refused rather than copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/FileSystem.h"

namespace pim {

// A fast 64-bit fingerprint of a byte sequence, fed in pieces of any size.
class TDigest {
public:
    void Add(const void* data, std::size_t size);
    std::uint64_t Value() const;
    // How many bytes were fed.
    std::uint64_t Count() const { return total_; }

private:
    // Four independent lanes, one per 8-byte word of a 32-byte block, so the
    // multiplications of neighbouring words overlap: the fingerprint keeps up
    // with copying the file.
    static constexpr std::size_t kLanes = 4;
    static constexpr std::size_t kBlock = 8 * kLanes;
    void MixBlock(const std::uint8_t* block);
    std::uint64_t lanes_[kLanes] = {0x6A09E667F3BCC908ull, 0xBB67AE8584CAA73Bull, 0x3C6EF372FE94F82Bull,
                                    0xA54FF53A5F1D36F1ull};
    std::uint64_t total_ = 0;
    std::uint8_t pending_[kBlock] = {};
    std::size_t pendingSize_ = 0;
};

// What identifies a file's bytes without reading them all again: its stamp
// (size and last write time to the finest unit kept), and a fingerprint of
// its first bytes (those read for the header).
struct TJpegFileCheck {
    TFileStamp Stamp;
    std::int64_t DigestedBytes = 0;
    std::uint64_t Digest = 0;
};

class TJpegData : public std::enable_shared_from_this<TJpegData> {
public:
    static std::shared_ptr<const TJpegData> FromBytes(std::vector<std::uint8_t> bytes);
    // The whole file `fileName` as `check` found it when its header, which
    // ends at `dataStart`, was read.
    static std::shared_ptr<const TJpegData> FromFile(std::string fileName, const TJpegFileCheck& check,
                                                     std::int64_t dataStart = 0);

    std::int64_t Size() const { return size_; }
    bool InMemory() const { return fileName_.empty(); }
    // The bytes when held in memory; nullptr for a file.
    const std::uint8_t* Bytes() const { return InMemory() ? bytes_.data() : nullptr; }
    // The source file; empty when held in memory.
    const std::string& FileName() const { return fileName_; }

    // A stream reading the bytes from the start. For a file, raises
    // EStreamError when the file cannot be opened or has changed (its stamp).
    std::unique_ptr<TStream> Open() const;
    // Appends every byte to `dest`, reading a file once. For a file, raises
    // EStreamError when it cannot be read or is no longer the file it was
    // (its stamp, or the fingerprint of its first bytes, differ); the bytes
    // already appended are then not to be used. A file without an
    // end-of-image marker after its header is marked cut off.
    void WriteTo(TStream& dest) const;

    // The data end before the image does (a file cut off while it was
    // written or copied): seen while decoding or while writing the bytes out.
    bool CutOff() const { return cutOff_.load(); }
    void MarkCutOff() const { cutOff_.store(true); }

private:
    TJpegData() = default;
    std::vector<std::uint8_t> bytes_;
    std::string fileName_;
    std::int64_t size_ = 0;
    TJpegFileCheck check_;
    std::int64_t dataStart_ = 0;
    mutable std::atomic<bool> cutOff_{false};
};

}  // namespace pim

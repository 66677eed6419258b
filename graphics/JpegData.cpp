#include "graphics/JpegData.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace pim {

namespace {

constexpr std::size_t kChunk = 1 << 16;

std::uint64_t Rotl(std::uint64_t v, int n) { return (v << n) | (v >> (64 - n)); }

std::uint64_t LoadLe64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, p, sizeof v);
    } else {
        for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    }
    return v;
}

// A read-only view on bytes kept alive by the shared data object.
class TBytesStream : public TStream {
public:
    explicit TBytesStream(std::shared_ptr<const TJpegData> data) : data_(std::move(data)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        const auto size = static_cast<std::size_t>(data_->Size());
        if (pos_ >= size) return 0;
        const std::size_t n = std::min(count, size - pos_);
        std::memcpy(buffer, data_->Bytes() + pos_, n);
        pos_ += n;
        return n;
    }
    void Write(const void*, std::size_t) override { throw EStreamError("Stream write error"); }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        std::int64_t base = origin == TSeekOrigin::soBeginning ? 0
                            : origin == TSeekOrigin::soCurrent ? static_cast<std::int64_t>(pos_)
                                                               : data_->Size();
        if (base + offset < 0) throw EStreamError("Stream seek error");
        pos_ = static_cast<std::size_t>(base + offset);
        return static_cast<std::int64_t>(pos_);
    }
    std::int64_t Size() override { return data_->Size(); }

private:
    std::shared_ptr<const TJpegData> data_;
    std::size_t pos_ = 0;
};

// Whether a JPEG reaches its end-of-image marker (FF D9) after its header.
// Entropy-coded data never hold that pair (an FF there is followed by 00 or
// a restart code), so any such pair after the header means the file is
// whole, and an EXIF thumbnail's marker, inside the header, does not count.
// While the bytes are copied only the last chunk is searched, backwards,
// where a whole file has its marker: that costs nothing. A file with more
// after its marker (a phone's motion photo) is read again from its header
// on (FoundBefore), which is rare.
class TEndMarkerSearch {
public:
    explicit TEndMarkerSearch(std::int64_t from) : from_(from) {}

    // The bytes at `offset`, in order; searched when they are the last.
    void Look(const std::uint8_t* p, std::size_t n, std::int64_t offset, bool last) {
        if (last) {
            lastStart_ = offset;
            for (std::size_t i = n; i-- > 0 && offset + static_cast<std::int64_t>(i) > from_;) {
                if (p[i] == 0xD9 && (i > 0 ? p[i - 1] : previous_) == 0xFF) {
                    found_ = true;
                    break;
                }
            }
        }
        if (n > 0) previous_ = p[n - 1];
    }
    bool Found() const { return found_; }

    // Searches the bytes from the header's end to the start of the last
    // chunk (a marker that crosses into it was seen by Look).
    bool FoundBefore(TStream& file) const {
        if (lastStart_ - from_ < 2) return false;
        file.SetPosition(from_);
        std::vector<std::uint8_t> chunk(kChunk);
        std::uint8_t before = 0;
        for (std::int64_t at = from_; at < lastStart_;) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(lastStart_ - at, kChunk));
            if (file.Read(chunk.data(), n) != n) return false;
            for (std::size_t i = 0; i < n; ++i) {
                if (chunk[i] == 0xD9 && (i > 0 ? chunk[i - 1] : before) == 0xFF && at + static_cast<std::int64_t>(i) > from_)
                    return true;
            }
            before = chunk[n - 1];
            at += static_cast<std::int64_t>(n);
        }
        return false;
    }

private:
    std::int64_t from_;
    std::int64_t lastStart_ = 0;
    std::uint8_t previous_ = 0;
    bool found_ = false;
};

}  // namespace

namespace {

std::uint64_t MixWord(std::uint64_t state, std::uint64_t word) {
    state ^= word * 0x9E3779B97F4A7C15ull;
    return Rotl(state, 29) * 0xBF58476D1CE4E5B9ull;
}

}  // namespace

void TDigest::MixBlock(const std::uint8_t* block) {
    for (std::size_t lane = 0; lane < kLanes; ++lane) lanes_[lane] = MixWord(lanes_[lane], LoadLe64(block + 8 * lane));
}

void TDigest::Add(const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    total_ += size;
    if (pendingSize_ > 0) {
        const std::size_t take = std::min(size, kBlock - pendingSize_);
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < kBlock) return;
        MixBlock(pending_);
        pendingSize_ = 0;
    }
    for (; size >= kBlock; p += kBlock, size -= kBlock) MixBlock(p);
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

std::uint64_t TDigest::Value() const {
    std::uint8_t tail[kBlock] = {};
    std::memcpy(tail, pending_, pendingSize_);
    TDigest copy = *this;
    copy.MixBlock(tail);
    std::uint64_t v = total_;
    for (const std::uint64_t lane : copy.lanes_) v = MixWord(v, lane);
    v ^= v >> 31;
    v *= 0x94D049BB133111EBull;
    return v ^ (v >> 29);
}

std::shared_ptr<const TJpegData> TJpegData::FromBytes(std::vector<std::uint8_t> bytes) {
    std::shared_ptr<TJpegData> data(new TJpegData);
    data->size_ = static_cast<std::int64_t>(bytes.size());
    data->bytes_ = std::move(bytes);
    return data;
}

std::shared_ptr<const TJpegData> TJpegData::FromFile(std::string fileName, const TJpegFileCheck& check,
                                                     std::int64_t dataStart) {
    std::shared_ptr<TJpegData> data(new TJpegData);
    data->fileName_ = std::move(fileName);
    data->size_ = check.Stamp.Size;
    data->check_ = check;
    data->dataStart_ = dataStart;
    return data;
}

std::unique_ptr<TStream> TJpegData::Open() const {
    if (InMemory()) return std::make_unique<TBytesStream>(shared_from_this());
    auto file = std::make_unique<TFileStream>(fileName_, TFileMode::fmOpenRead);
    TFileStamp now;
    if (!FileStampOf(fileName_, now) || now != check_.Stamp)
        throw EStreamError("The JPEG file changed since it was loaded: " + fileName_);
    return file;
}

void TJpegData::WriteTo(TStream& dest) const {
    if (InMemory()) {
        dest.Write(bytes_.data(), bytes_.size());
        return;
    }
    // The stamp and the first bytes' fingerprint stand for the whole: the
    // bytes are read once, here, and go straight on.
    const auto changed = [&] { return EStreamError("The JPEG file changed since it was loaded: " + fileName_); };
    TFileStream file(fileName_, TFileMode::fmOpenRead);
    TFileStamp now;
    if (!FileStampOf(fileName_, now) || now != check_.Stamp) throw changed();
    std::vector<std::uint8_t> chunk(kChunk);
    TDigest digest;
    TEndMarkerSearch end(dataStart_);
    std::int64_t done = 0;
    while (done < size_) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size_ - done, kChunk));
        if (file.Read(chunk.data(), n) != n) throw changed();
        if (done < check_.DigestedBytes) {
            const auto head = static_cast<std::size_t>(std::min<std::int64_t>(check_.DigestedBytes - done, n));
            digest.Add(chunk.data(), head);
            if (done + static_cast<std::int64_t>(head) == check_.DigestedBytes && digest.Value() != check_.Digest)
                throw changed();
        }
        dest.Write(chunk.data(), n);
        end.Look(chunk.data(), n, done, done + static_cast<std::int64_t>(n) == size_);
        done += static_cast<std::int64_t>(n);
    }
    if (!end.Found() && !end.FoundBefore(file)) MarkCutOff();
}

}  // namespace pim

#include "graphics/Exif.h"

#include <cstring>
#include <optional>

namespace pim {

namespace {

// The TIFF structure after "Exif" 0 0: a byte order, 42, the offset of the
// first directory; directories of 12-byte entries, each followed by the
// offset of the next. Offsets count from the TIFF header.
class TTiff {
public:
    TTiff(const std::uint8_t* data, std::size_t size) {
        if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return;
        tiff_ = data + 6;
        length_ = size - 6;
        little_ = tiff_[0] == 'I' && tiff_[1] == 'I';
        if (!little_ && !(tiff_[0] == 'M' && tiff_[1] == 'M')) tiff_ = nullptr;
        if (tiff_ && U16(2) != 42) tiff_ = nullptr;
    }
    explicit operator bool() const { return tiff_ != nullptr; }
    const std::uint8_t* Bytes() const { return tiff_; }
    std::size_t Length() const { return length_; }

    // The directory at that offset, when its entry count lies inside.
    std::optional<std::uint32_t> Directory(std::uint32_t offset) const {
        if (offset < 8 || offset > length_ - 2) return std::nullopt;
        return offset;
    }
    std::optional<std::uint32_t> FirstDirectory() const { return Directory(U32(4)); }
    std::optional<std::uint32_t> NextDirectory(std::uint32_t directory) const {
        const std::size_t link = directory + 2 + std::size_t{12} * U16(directory);
        if (link + 4 > length_) return std::nullopt;
        return Directory(U32(link));
    }

    // A tag holding one SHORT (or, where `orLong`, one LONG): its value. The
    // entries are read up to the tag; one past the end ends the search.
    std::optional<std::uint32_t> Number(std::uint32_t directory, unsigned tag, bool orLong) const {
        const unsigned entries = U16(directory);
        for (unsigned i = 0; i < entries; ++i) {
            const std::size_t entry = directory + 2 + std::size_t{12} * i;
            if (entry + 12 > length_) return std::nullopt;
            if (U16(entry) != tag) continue;
            if (U32(entry + 4) != 1) return std::nullopt;
            const unsigned type = U16(entry + 2);
            if (type == 3) return U16(entry + 8);
            if (type == 4 && orLong) return U32(entry + 8);
            return std::nullopt;
        }
        return std::nullopt;
    }

    // A tag holding one RATIONAL: its value, when the denominator is not 0.
    std::optional<double> Rational(std::uint32_t directory, unsigned tag) const {
        const unsigned entries = U16(directory);
        for (unsigned i = 0; i < entries; ++i) {
            const std::size_t entry = directory + 2 + std::size_t{12} * i;
            if (entry + 12 > length_) return std::nullopt;
            if (U16(entry) != tag) continue;
            if (U16(entry + 2) != 5 || U32(entry + 4) != 1) return std::nullopt;
            const std::uint32_t at = U32(entry + 8);
            if (at < 8 || at > length_ - 8) return std::nullopt;
            const std::uint32_t denominator = U32(at + 4);
            if (denominator == 0) return std::nullopt;
            return static_cast<double>(U32(at)) / denominator;
        }
        return std::nullopt;
    }

private:
    unsigned U16(std::size_t at) const {
        return little_ ? tiff_[at] | tiff_[at + 1] << 8 : tiff_[at] << 8 | tiff_[at + 1];
    }
    std::uint32_t U32(std::size_t at) const {
        return little_ ? U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16
                       : static_cast<std::uint32_t>(U16(at)) << 16 | U16(at + 2);
    }

    const std::uint8_t* tiff_ = nullptr;
    std::size_t length_ = 0;
    bool little_ = false;
};

constexpr unsigned kOrientation = 0x0112;
constexpr unsigned kXResolution = 0x011A;
constexpr unsigned kYResolution = 0x011B;
constexpr unsigned kResolutionUnit = 0x0128;
constexpr unsigned kPreviewOffset = 0x0201;
constexpr unsigned kPreviewLength = 0x0202;

}  // namespace

int ExifOrientation(const std::uint8_t* data, std::size_t size) {
    const TTiff tiff(data, size);
    if (!tiff) return 0;
    const auto first = tiff.FirstDirectory();
    if (!first) return 0;
    const auto value = tiff.Number(*first, kOrientation, false);
    return value && *value >= 1 && *value <= 8 ? static_cast<int>(*value) : 0;
}

TDensity ExifDensity(const std::uint8_t* data, std::size_t size) {
    const TTiff tiff(data, size);
    if (!tiff) return {};
    const auto first = tiff.FirstDirectory();
    if (!first) return {};
    const auto x = tiff.Rational(*first, kXResolution);
    const auto y = tiff.Rational(*first, kYResolution);
    if (!x && !y) return {};
    const auto unit = tiff.Number(*first, kResolutionUnit, false);
    if (unit && *unit != 2 && *unit != 3) return {};  // 1: no absolute unit
    return DensityPerUnit(x.value_or(0), y.value_or(0), unit && *unit == 3 ? 2 : 1);
}

std::span<const std::uint8_t> ExifPreview(const std::uint8_t* data, std::size_t size) {
    const TTiff tiff(data, size);
    if (!tiff) return {};
    const auto first = tiff.FirstDirectory();
    const auto second = first ? tiff.NextDirectory(*first) : std::nullopt;
    if (!second) return {};
    const auto offset = tiff.Number(*second, kPreviewOffset, true);
    const auto length = tiff.Number(*second, kPreviewLength, true);
    // At least a start-of-image marker, a frame and an end-of-image marker.
    if (!offset || !length || *length < 4 || *offset > tiff.Length() || *length > tiff.Length() - *offset) return {};
    const std::uint8_t* jpeg = tiff.Bytes() + *offset;
    if (jpeg[0] != 0xFF || jpeg[1] != 0xD8) return {};
    return {jpeg, *length};
}

int TurnOrientation(int orientation, int quarterTurns) {
    // Every orientation is a mirror (or none) followed by a clockwise turn;
    // turning on only adds to the turn. Indexed by orientation: the mirror
    // and the quarter turns; then back from mirror and turn to orientation.
    static constexpr int kMirror[9] = {0, 0, 1, 0, 1, 1, 0, 1, 0};
    static constexpr int kTurn[9] = {0, 0, 0, 2, 2, 3, 1, 1, 3};
    static constexpr int kOrientation[2][4] = {{1, 6, 3, 8}, {2, 7, 4, 5}};
    if (orientation < 1 || orientation > 8) orientation = 1;
    const int turn = ((kTurn[orientation] + quarterTurns) % 4 + 4) % 4;
    return kOrientation[kMirror[orientation]][turn];
}

}  // namespace pim

#include "pdf/PdfJpCMap.h"

#include <algorithm>
#include <array>

#include "base/CodePage.h"

namespace pim {

namespace {

// Lead bytes 0x81-0x9F and 0xE0-0xFC, numbered 0-59.
constexpr int kLeadCount = 60;

constexpr int LeadIndex(int lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

constexpr int LeadOfIndex(int index) { return index < 31 ? 0x81 + index : 0xE0 + index - 31; }

// The CID of the first range holding the code, as a plain scan finds it.
std::int32_t ScanRanges(const TPdfCodeRange* ranges, std::int32_t code) {
    for (std::size_t i = 0; i < kCodeRangeCount; ++i) {
        if (ranges[i].First <= code && code <= ranges[i].Last) {
            return ranges[i].FirstCid + (code - ranges[i].First);
        }
    }
    return 0;
}

// Every code a Shift_JIS text can produce (a single byte, or a lead byte with
// any second byte) looked up directly; any other code falls back to the scan.
class TCodeToCid {
public:
    explicit TCodeToCid(const TPdfCodeRange* ranges) : ranges_(ranges) {
        single_.fill(0);
        for (auto& row : double_) {
            row.fill(0);
        }
        // Filling from the last range to the first lets the first range that
        // holds a code win, as it does in the scan.
        for (std::size_t i = kCodeRangeCount; i-- > 0;) {
            Fill(ranges[i]);
        }
    }

    std::int32_t operator()(std::int32_t code) const {
        if (code >= 0 && code <= 0xFF) {
            return single_[static_cast<std::size_t>(code)];
        }
        if (code > 0xFF && code <= 0xFFFF && IsLeadByte(static_cast<unsigned char>(code >> 8))) {
            return double_[static_cast<std::size_t>(LeadIndex(code >> 8))][static_cast<std::size_t>(code & 0xFF)];
        }
        return ScanRanges(ranges_, code);
    }

private:
    void Fill(const TPdfCodeRange& range) {
        for (std::int32_t code = std::max(range.First, 0); code <= std::min(range.Last, 0xFF); ++code) {
            single_[static_cast<std::size_t>(code)] = range.FirstCid + (code - range.First);
        }
        for (int index = 0; index < kLeadCount; ++index) {
            const std::int32_t rowStart = LeadOfIndex(index) * 256;
            const std::int32_t first = std::max(range.First, rowStart);
            const std::int32_t last = std::min(range.Last, rowStart + 0xFF);
            for (std::int32_t code = first; code <= last; ++code) {
                double_[static_cast<std::size_t>(index)][static_cast<std::size_t>(code - rowStart)] =
                    range.FirstCid + (code - range.First);
            }
        }
    }

    const TPdfCodeRange* ranges_;
    std::array<std::int32_t, 256> single_{};
    std::array<std::array<std::int32_t, 256>, kLeadCount> double_{};
};

const TCodeToCid& Map90ms() {
    static const TCodeToCid map(CMap90msRanges);
    return map;
}

const TCodeToCid& Map90msp() {
    static const TCodeToCid map(CMap90mspRanges);
    return map;
}

std::int32_t CidOfCharAt(const TCodeToCid& map, std::string_view text, int position) {
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) {
        return 0;
    }
    const std::int32_t code = CodeOfCharAt(text, static_cast<std::size_t>(position - 1));
    return code < 0 ? -1 : map(code);
}

}  // namespace

std::int32_t CidOfCode90ms(std::int32_t code) { return Map90ms()(code); }

std::int32_t CidOfCode90msp(std::int32_t code) { return Map90msp()(code); }

bool IsTrailByteAt(std::string_view text, std::size_t index) {
    // The byte after a byte outside the lead range always starts a character
    // (that byte was a single-byte character or a trail byte). From there the
    // lead-range bytes pair up, so an odd run before the index ends in a lead.
    std::size_t run = 0;
    while (run < index && IsLeadByte(static_cast<unsigned char>(text[index - run - 1]))) {
        ++run;
    }
    return run % 2 == 1;
}

std::int32_t CodeOfCharAt(std::string_view text, std::size_t index) {
    if (IsTrailByteAt(text, index)) {
        return -1;
    }
    const auto byte = static_cast<unsigned char>(text[index]);
    if (!IsLeadByte(byte)) {
        return byte;
    }
    const auto next = index + 1 < text.size() ? static_cast<unsigned char>(text[index + 1]) : 0;
    return byte * 256 + next;
}

std::int32_t CidOf90msCharAt(std::string_view text, int position) { return CidOfCharAt(Map90ms(), text, position); }

std::int32_t CidOf90mspCharAt(std::string_view text, int position) {
    return CidOfCharAt(Map90msp(), text, position);
}

std::int32_t CidOfUnknownCharAt(std::string_view text, int position) {
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) {
        return 0;
    }
    return IsTrailByteAt(text, static_cast<std::size_t>(position - 1)) ? -1 : 0;
}

}  // namespace pim

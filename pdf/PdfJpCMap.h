// Shift_JIS code to CID mapping for the Japanese fonts. The fonts declare
// Adobe's CMaps "90ms-RKSJ-H" and "90msp-RKSJ-H" to the viewer; to measure
// text they map each character to its CID with the same code ranges.
//
// The range tables are generated from Adobe's CMap file by scripts/gen-jp-cmap
// (pdf/PdfJpCMapTables.cpp). Lookups go through dense per-byte tables built
// from the ranges on first use, which give the same CIDs as a scan of the
// ranges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pim {

// Codes First..Last (inclusive) map to FirstCid + (code - First). A
// single-byte code is the byte; a double-byte code is lead * 256 + trail.
struct TPdfCodeRange {
    std::int32_t First;
    std::int32_t Last;
    std::int32_t FirstCid;
};

inline constexpr std::size_t kCodeRangeCount = 171;

// The ranges of 90ms-RKSJ-H, and the same with the single-byte Latin codes
// 0x20-0x7D on the proportional CIDs from 1 (the fonts' 90msp converter).
// No code lies in two ranges of a table.
extern const TPdfCodeRange CMap90msRanges[kCodeRangeCount];
extern const TPdfCodeRange CMap90mspRanges[kCodeRangeCount];

// The CID of a code, or 0 for a code in no range.
std::int32_t CidOfCode90ms(std::int32_t code);
std::int32_t CidOfCode90msp(std::int32_t code);

// True if the byte at the 0-based index is the second byte of a double-byte
// character, reading the text as Shift_JIS from its start: a byte in
// 0x81-0x9F or 0xE0-0xFC begins a double-byte character and the byte after it
// is its trail byte, whatever its value. Looks back only over the run of
// lead-range bytes before the index, which decides it.
bool IsTrailByteAt(std::string_view text, std::size_t index);

// The Shift_JIS code of the character at the 0-based index: the byte itself,
// or lead * 256 + next byte for a lead byte (next byte 0 past the end).
// -1 for a trail byte.
std::int32_t CodeOfCharAt(std::string_view text, std::size_t index);

// The converters the Japanese fonts install: the CID of the character at the
// 1-based byte position, -1 on a trail byte, 0 for a code in no range or a
// position outside the text.
std::int32_t CidOf90msCharAt(std::string_view text, int position);
std::int32_t CidOf90mspCharAt(std::string_view text, int position);
// Only the character boundaries: -1 on a trail byte, else 0.
std::int32_t CidOfUnknownCharAt(std::string_view text, int position);

}  // namespace pim

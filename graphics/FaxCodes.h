// CCITT Group 4 (T.6) fax data read as a strict reader reads them.
//
// Writers differ in what they put in such data beyond the code's rules, and
// readers differ in what they make of it. libtiff reads leniently: a line
// may hold a run of no pixels (two changing elements on one spot), a run
// may go past the line's end (it is cut off). A strict reader, as in PDF
// viewers, leaves such a run out of the reference line, so that a pass or
// vertical code of the next line that refers to it lands elsewhere, and the
// rest of the page slips (seen with an ImageGear scan: a horizontal code
// of two empty runs at a line's start, then a pass code over them).
// Such data are only read rightly by decoding and encoding them again.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pim {

// True when the data are `rows` lines of `columns` pixels in Group 4
// codes that every reader reads alike: no run of no pixels (but a line's
// first white one), no run past the line's end, every line exactly
// `columns` long, no extension (uncompressed mode) or end-of-line code
// before the last line, and no data missing. What follows the last line
// (the end-of-block codes, fill) is not looked at.
bool Group4ReadsStrictly(const std::uint8_t* data, std::size_t size, int columns, int rows);

}  // namespace pim

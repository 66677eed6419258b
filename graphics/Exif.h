// What a camera records in a JPEG's APP1 "Exif" segment that the program
// uses: the orientation, and the small JPEG preview most cameras embed
// (usually 160 x 120), which a thumbnail can be made from for a fraction of
// the cost of the picture. The segment is untrusted: every offset is
// checked, and anything that does not add up reads as absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "graphics/Graphics.h"

namespace pim {

// The orientation (tag 274 of the first image directory): 1 upright, 2 to 8
// turned or mirrored as EXIF numbers them; 0 when the segment has no such
// tag or it cannot be read or is out of range. data: the segment's bytes
// from "Exif".
int ExifOrientation(const std::uint8_t* data, std::size_t size);

// The first image directory's XResolution and YResolution (RATIONALs) in
// its ResolutionUnit (inches unless it says centimetres); none when absent
// or unreadable.
TDensity ExifDensity(const std::uint8_t* data, std::size_t size);

// The embedded preview (the second image directory's JPEGInterchangeFormat
// and its length): the bytes of a complete JPEG inside the segment, from
// its start-of-image marker; empty when there is none or it does not fit.
std::span<const std::uint8_t> ExifPreview(const std::uint8_t* data, std::size_t size);

// The orientation that shows a picture stored with orientation (1 to 8;
// anything else counts as 1) turned on by quarterTurns quarter turns
// clockwise (negative: anticlockwise): how a page the user turned stands.
int TurnOrientation(int orientation, int quarterTurns);

}  // namespace pim

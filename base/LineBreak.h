// Where a line of Japanese text (code page 932) may break: before a Latin
// word rather than inside it, never so that the next line starts with a
// closing mark (、。」ー and the like) or this one ends with an opening
// bracket (「（ and the like).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pim {

// Where a line that must break before `fit` (a character boundary) breaks,
// by the rules above, as long as the line keeps a character; `fit` itself
// when no such place exists, and after the first character when `fit` is 0
// (a line holds a character, however wide).
std::size_t LineBreakBefore(std::string_view text, std::size_t fit);

// The text with "\r\n" put in so that no line is wider than `columns` (a
// double-byte character counts as two), breaking by the rules above; its
// own line breaks are kept.
std::string WrapColumns(std::string_view text, int columns);

}  // namespace pim

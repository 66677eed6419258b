// File-manager order of names: letters without regard to case, runs of
// digits by their value ("photo2.jpg" before "photo10.jpg"), as Explorer and
// the Linux file managers list them.
#pragma once

#include <string_view>

namespace pim {

// Negative, zero or positive as a sorts before, with or after b. Names that
// differ only in case, or in the leading zeros of a number, compare equal
// only when nothing else tells them apart: fewer leading zeros come first.
int NaturalCompare(std::string_view a, std::string_view b);

}  // namespace pim

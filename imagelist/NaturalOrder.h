// The program's own order of file names, the same on every platform: the
// order Explorer lists names in (StrCmpLogicalW). Letters without regard to
// case, runs of digits by their value ("photo2.jpg" before "photo10.jpg"),
// and, character for character, spaces and punctuation before digits and
// digits before letters ("photo.jpg", "photo_2.jpg", "photo1.jpg",
// "photoA.jpg"). Full-width digits and letters count as their ASCII ones
// (資料２ before 資料１０). Other letters come after the ASCII ones in
// code-point order, then kana in gojuon order (hiragana, katakana and
// half-width katakana together: ｶﾞ is が), then kanji in JIS X 0208 order
// (code page 932's). Japanese punctuation goes with the punctuation. Names
// are UTF-8.
#pragma once

#include <string_view>

namespace pim {

// Negative, zero or positive as a sorts before, with or after b. Names that
// differ only in case, or in the leading zeros of a number, compare equal
// only when nothing else tells them apart: fewer leading zeros come first.
int NaturalCompare(std::string_view a, std::string_view b);

// NaturalCompare, then the bytes: zero only for the same name.
int NameCompare(std::string_view a, std::string_view b);

}  // namespace pim

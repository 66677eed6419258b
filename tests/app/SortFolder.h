// One folder made alike on every platform, and the order each sort key gives
// its files: the window, pim.exe under Wine and pim on Linux must all list
// it so.
#pragma once

#include <string>
#include <vector>

namespace pim::test {

// Writes the files into folder (which exists): text files, a JPEG and a BMP
// of distinct sizes, last written an hour or more apart. Needs nothing but
// the standard library, so every test program can use it.
void MakeSortFolder(const std::string& folder);

// The file names of MakeSortFolder's folder in the order of the key: "name",
// "size", "date" or "type" (the extension, then the name), ascending.
std::vector<std::string> SortedNames(const std::string& key);

// The bookmark titles of those names (each without its extension).
std::vector<std::string> TitlesOf(const std::vector<std::string>& names);

}  // namespace pim::test

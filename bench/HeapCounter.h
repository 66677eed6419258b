// Counts the bytes the program holds on the heap through operator new, so a
// benchmark can report the peak memory of one run rather than of the process.
#pragma once

#include <cstdint>

namespace pim::bench {

// Bytes currently allocated through operator new.
std::int64_t HeapInUse();
// The highest HeapInUse since the last ResetHeapPeak.
std::int64_t HeapPeak();
void ResetHeapPeak();

}  // namespace pim::bench

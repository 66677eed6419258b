#include "bench/HeapCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace pim::bench {

namespace {

std::atomic<std::int64_t> inUse{0};
std::atomic<std::int64_t> peak{0};

// Every block carries its size in a header so delete can count it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    std::int64_t now = inUse.fetch_add(static_cast<std::int64_t>(size)) + static_cast<std::int64_t>(size);
    std::int64_t high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    inUse.fetch_sub(static_cast<std::int64_t>(*static_cast<std::size_t*>(block)));
    std::free(block);
}

}  // namespace

std::int64_t HeapInUse() { return inUse.load(); }
std::int64_t HeapPeak() { return peak.load(); }
void ResetHeapPeak() { peak.store(inUse.load()); }

}  // namespace pim::bench

void* operator new(std::size_t size) { return pim::bench::Allocate(size); }
void* operator new[](std::size_t size) { return pim::bench::Allocate(size); }
void operator delete(void* p) noexcept { pim::bench::Release(p); }
void operator delete[](void* p) noexcept { pim::bench::Release(p); }
void operator delete(void* p, std::size_t) noexcept { pim::bench::Release(p); }
void operator delete[](void* p, std::size_t) noexcept { pim::bench::Release(p); }

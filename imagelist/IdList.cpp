#include "imagelist/IdList.h"

#include <cstring>

namespace pim {

namespace {

std::uint16_t CountAt(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// Offsets of every item's count in a well-formed chain.
std::vector<std::size_t> ItemOffsets(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::size_t> offsets;
    if (bytes.empty()) return offsets;
    for (std::size_t at = 0; CountAt(bytes.data() + at) != 0; at += CountAt(bytes.data() + at))
        offsets.push_back(at);
    return offsets;
}

}  // namespace

TIdList TIdList::Desktop() {
    TIdList list;
    list.bytes_ = {0, 0};
    return list;
}

TIdList TIdList::FromItem(std::string_view itemBytes) {
    const std::size_t cb = itemBytes.size() + 2;
    if (cb > 0xFFFF) return {};
    TIdList list;
    list.bytes_.reserve(cb + 2);
    list.bytes_.push_back(static_cast<std::uint8_t>(cb & 0xFF));
    list.bytes_.push_back(static_cast<std::uint8_t>(cb >> 8));
    list.bytes_.insert(list.bytes_.end(), itemBytes.begin(), itemBytes.end());
    list.bytes_.push_back(0);
    list.bytes_.push_back(0);
    return list;
}

TIdList TIdList::FromChain(const void* chain) {
    if (!chain) return {};
    const auto* p = static_cast<const std::uint8_t*>(chain);
    std::size_t size = 0;
    while (CountAt(p + size) != 0) size += CountAt(p + size);
    TIdList list;
    list.bytes_.assign(p, p + size + 2);
    return list;
}

TIdList TIdList::FromBytes(const void* bytes, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    std::size_t at = 0;
    while (true) {
        if (size - at < 2) return {};
        const std::uint16_t cb = CountAt(p + at);
        if (cb == 0) break;
        if (cb < 2 || cb > size - at) return {};
        at += cb;
    }
    TIdList list;
    list.bytes_.assign(p, p + at + 2);
    return list;
}

int TIdList::ItemCount() const {
    if (bytes_.empty()) return 0;
    int count = 0;
    for (std::size_t at = 0; CountAt(bytes_.data() + at) != 0; at += CountAt(bytes_.data() + at)) ++count;
    return count;
}

std::string_view TIdList::Item(int index) const {
    if (bytes_.empty() || index < 0) return {};
    for (std::size_t at = 0; CountAt(bytes_.data() + at) != 0; at += CountAt(bytes_.data() + at)) {
        if (index-- == 0)
            return {reinterpret_cast<const char*>(bytes_.data() + at + 2), CountAt(bytes_.data() + at) - 2u};
    }
    return {};
}

TIdList TIdList::Combine(const TIdList& child) const {
    if (Absent()) return child;
    if (child.Absent()) return *this;
    TIdList list;
    list.bytes_.reserve(bytes_.size() + child.bytes_.size() - 2);
    list.bytes_.assign(bytes_.begin(), bytes_.end() - 2);
    list.bytes_.insert(list.bytes_.end(), child.bytes_.begin(), child.bytes_.end());
    return list;
}

TIdList TIdList::Parent() const {
    const auto offsets = ItemOffsets(bytes_);
    if (offsets.empty()) return *this;
    TIdList list;
    list.bytes_.assign(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(offsets.back()));
    list.bytes_.push_back(0);
    list.bytes_.push_back(0);
    return list;
}

TIdList TIdList::Last() const {
    const auto offsets = ItemOffsets(bytes_);
    if (offsets.empty()) return {};
    TIdList list;
    list.bytes_.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(offsets.back()), bytes_.end());
    return list;
}

}  // namespace pim

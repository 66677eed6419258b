// Item ID lists: the shell's names for its items. An ID list is a chain of
// items, each a 16-bit little-endian byte count (counting itself) followed by
// opaque bytes, ended by a zero count. The desktop, the root of the
// namespace, is the chain with no items. What the bytes inside an item mean
// is the business of the platform side that made them; the folder model only
// copies, joins and splits chains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pim {

class TIdList {
public:
    // An absent list (no item at all, not even the desktop).
    TIdList() = default;

    // The list with no items: the desktop when absolute.
    static TIdList Desktop();
    // One item holding these bytes (at most 65,533 of them).
    static TIdList FromItem(std::string_view itemBytes);
    // Reads a chain from memory that is known to be well formed (a list the
    // shell handed out). Returns an absent list for nullptr.
    static TIdList FromChain(const void* chain);
    // Reads a chain of at most size bytes; absent when it is cut short or an
    // item's count is impossible.
    static TIdList FromBytes(const void* bytes, std::size_t size);

    bool Absent() const { return bytes_.empty(); }
    // Present with no items.
    bool IsDesktop() const { return bytes_.size() == 2; }
    int ItemCount() const;

    // The chain's bytes, terminator included (nullptr when absent); this is
    // the memory form the Windows shell takes.
    const std::uint8_t* Data() const { return bytes_.empty() ? nullptr : bytes_.data(); }
    std::size_t ByteSize() const { return bytes_.size(); }

    // The bytes of item i, without its count.
    std::string_view Item(int index) const;
    // This list followed by the items of child (an absent side counts as
    // having no items; the result is absent only when both are).
    TIdList Combine(const TIdList& child) const;
    // Everything but the last item (the desktop for a one-item list).
    TIdList Parent() const;
    // The last item alone (absent when there is none).
    TIdList Last() const;

    friend bool operator==(const TIdList&, const TIdList&) = default;

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace pim

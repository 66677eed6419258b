#include "graphics/FaxCodes.h"

#include <algorithm>
#include <array>
#include <vector>

namespace pim {

namespace {

struct TCode {
    std::uint16_t Bits;
    std::uint8_t Length;
};

// The run-length codes, by run: 0 to 63, then the make-up codes for 64,
// 128, ... 1728, and the make-up codes both colours share, 1792 to 2560.
constexpr TCode kWhiteTerminating[] = {
    {0x35, 8}, {0x7, 6}, {0x7, 4}, {0x8, 4}, {0xB, 4}, {0xC, 4}, {0xE, 4}, {0xF, 4}, {0x13, 5}, {0x14, 5}, {0x7, 5},
    {0x8, 5}, {0x8, 6}, {0x3, 6}, {0x34, 6}, {0x35, 6}, {0x2A, 6}, {0x2B, 6}, {0x27, 7}, {0xC, 7}, {0x8, 7},
    {0x17, 7}, {0x3, 7}, {0x4, 7}, {0x28, 7}, {0x2B, 7}, {0x13, 7}, {0x24, 7}, {0x18, 7}, {0x2, 8}, {0x3, 8},
    {0x1A, 8}, {0x1B, 8}, {0x12, 8}, {0x13, 8}, {0x14, 8}, {0x15, 8}, {0x16, 8}, {0x17, 8}, {0x28, 8}, {0x29, 8},
    {0x2A, 8}, {0x2B, 8}, {0x2C, 8}, {0x2D, 8}, {0x4, 8}, {0x5, 8}, {0xA, 8}, {0xB, 8}, {0x52, 8}, {0x53, 8},
    {0x54, 8}, {0x55, 8}, {0x24, 8}, {0x25, 8}, {0x58, 8}, {0x59, 8}, {0x5A, 8}, {0x5B, 8}, {0x4A, 8}, {0x4B, 8},
    {0x32, 8}, {0x33, 8}, {0x34, 8}};
constexpr TCode kWhiteMakeUp[] = {
    {0x1B, 5}, {0x12, 5}, {0x17, 6}, {0x37, 7}, {0x36, 8}, {0x37, 8}, {0x64, 8}, {0x65, 8}, {0x68, 8}, {0x67, 8},
    {0xCC, 9}, {0xCD, 9}, {0xD2, 9}, {0xD3, 9}, {0xD4, 9}, {0xD5, 9}, {0xD6, 9}, {0xD7, 9}, {0xD8, 9}, {0xD9, 9},
    {0xDA, 9}, {0xDB, 9}, {0x98, 9}, {0x99, 9}, {0x9A, 9}, {0x18, 6}, {0x9B, 9}};
constexpr TCode kBlackTerminating[] = {
    {0x37, 10}, {0x2, 3},   {0x3, 2},   {0x2, 2},   {0x3, 3},   {0x3, 4},   {0x2, 4},   {0x3, 5},   {0x5, 6},
    {0x4, 6},   {0x4, 7},   {0x5, 7},   {0x7, 7},   {0x4, 8},   {0x7, 8},   {0x18, 9},  {0x17, 10}, {0x18, 10},
    {0x8, 10},  {0x67, 11}, {0x68, 11}, {0x6C, 11}, {0x37, 11}, {0x28, 11}, {0x17, 11}, {0x18, 11}, {0xCA, 12},
    {0xCB, 12}, {0xCC, 12}, {0xCD, 12}, {0x68, 12}, {0x69, 12}, {0x6A, 12}, {0x6B, 12}, {0xD2, 12}, {0xD3, 12},
    {0xD4, 12}, {0xD5, 12}, {0xD6, 12}, {0xD7, 12}, {0x6C, 12}, {0x6D, 12}, {0xDA, 12}, {0xDB, 12}, {0x54, 12},
    {0x55, 12}, {0x56, 12}, {0x57, 12}, {0x64, 12}, {0x65, 12}, {0x52, 12}, {0x53, 12}, {0x24, 12}, {0x37, 12},
    {0x38, 12}, {0x27, 12}, {0x28, 12}, {0x58, 12}, {0x59, 12}, {0x2B, 12}, {0x2C, 12}, {0x5A, 12}, {0x66, 12},
    {0x67, 12}};
constexpr TCode kBlackMakeUp[] = {
    {0xF, 10},  {0xC8, 12}, {0xC9, 12}, {0x5B, 12}, {0x33, 12}, {0x34, 12}, {0x35, 12}, {0x6C, 13}, {0x6D, 13},
    {0x4A, 13}, {0x4B, 13}, {0x4C, 13}, {0x4D, 13}, {0x72, 13}, {0x73, 13}, {0x74, 13}, {0x75, 13}, {0x76, 13},
    {0x77, 13}, {0x52, 13}, {0x53, 13}, {0x54, 13}, {0x55, 13}, {0x5A, 13}, {0x5B, 13}, {0x64, 13}, {0x65, 13}};
constexpr TCode kSharedMakeUp[] = {{0x8, 11},  {0xC, 11},  {0xD, 11},  {0x12, 12}, {0x13, 12}, {0x14, 12}, {0x15, 12},
                                   {0x16, 12}, {0x17, 12}, {0x1C, 12}, {0x1D, 12}, {0x1E, 12}, {0x1F, 12}};

constexpr int kPeekBits = 13;  // the longest run code

// A run code looked up by the next 13 bits: its run and length (0: no code).
struct TRunEntry {
    std::int16_t Run = 0;
    std::uint8_t Length = 0;
};
using TRunTable = std::array<TRunEntry, 1 << kPeekBits>;

template <std::size_t T, std::size_t M>
TRunTable MakeRunTable(const TCode (&terminating)[T], const TCode (&makeUp)[M]) {
    TRunTable table{};
    const auto put = [&table](TCode code, int run) {
        const int spare = kPeekBits - code.Length;
        for (int low = 0; low < (1 << spare); ++low)
            table[static_cast<std::size_t>((code.Bits << spare) | low)] = {static_cast<std::int16_t>(run), code.Length};
    };
    for (std::size_t i = 0; i < T; ++i) put(terminating[i], static_cast<int>(i));
    for (std::size_t i = 0; i < M; ++i) put(makeUp[i], 64 * static_cast<int>(i + 1));
    for (std::size_t i = 0; i < std::size(kSharedMakeUp); ++i) put(kSharedMakeUp[i], 1792 + 64 * static_cast<int>(i));
    return table;
}

enum class TMode : std::uint8_t { mInvalid, mPass, mHorizontal, mVertical };

// A mode code looked up by the next 7 bits: the mode, the vertical code's
// offset and the code's length. Seven zeros begin an end-of-line code,
// 0000001 the extension codes (uncompressed mode): neither is read here.
struct TModeEntry {
    TMode Mode = TMode::mInvalid;
    std::int8_t Offset = 0;
    std::uint8_t Length = 0;
};

std::array<TModeEntry, 128> MakeModeTable() {
    std::array<TModeEntry, 128> table{};
    const auto put = [&table](unsigned bits, int length, TMode mode, int offset) {
        const int spare = 7 - length;
        for (unsigned low = 0; low < (1u << spare); ++low)
            table[(bits << spare) | low] = {mode, static_cast<std::int8_t>(offset), static_cast<std::uint8_t>(length)};
    };
    put(0b1, 1, TMode::mVertical, 0);
    put(0b011, 3, TMode::mVertical, 1);
    put(0b010, 3, TMode::mVertical, -1);
    put(0b001, 3, TMode::mHorizontal, 0);
    put(0b0001, 4, TMode::mPass, 0);
    put(0b000011, 6, TMode::mVertical, 2);
    put(0b000010, 6, TMode::mVertical, -2);
    put(0b0000011, 7, TMode::mVertical, 3);
    put(0b0000010, 7, TMode::mVertical, -3);
    return table;
}

// Bits from the front, 13 at a time at most, zeros past the end.
class TBitReader {
public:
    TBitReader(const std::uint8_t* data, std::size_t size) : data_(data), end_(data + size), size_(size) { Fill(); }
    unsigned Peek() const { return static_cast<unsigned>(bits_ >> (64 - kPeekBits)); }
    void Skip(int n) {
        bits_ <<= n;
        held_ -= n;
        read_ += static_cast<std::size_t>(n);
        if (held_ < 32) Fill();
    }
    bool Overrun() const { return read_ > size_ * 8; }

private:
    void Fill() {
        while (held_ <= 56) {
            if (data_ < end_) bits_ |= std::uint64_t{*data_++} << (56 - held_);
            held_ += 8;
        }
    }

    const std::uint8_t* data_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    std::size_t size_;
    std::size_t read_ = 0;
    int held_ = 0;  // bits in bits_
};

// One run of make-up codes and a terminating code; -1 for no code. Kept
// inline, so that the reader stays in registers: the codes come by the million.
[[gnu::always_inline]] inline int ReadRun(TBitReader& in, const TRunTable& table, int limit) {
    int run = 0;
    for (;;) {
        const TRunEntry e = table[in.Peek()];
        if (e.Length == 0) return -1;
        in.Skip(e.Length);
        run += e.Run;
        if (e.Run < 64) return run;
        if (run > limit) return -1;
    }
}

}  // namespace

bool Group4ReadsStrictly(const std::uint8_t* data, std::size_t size, int columns, int rows) {
    static const TRunTable white = MakeRunTable(kWhiteTerminating, kWhiteMakeUp);
    static const TRunTable black = MakeRunTable(kBlackTerminating, kBlackMakeUp);
    static const std::array<TModeEntry, 128> modes = MakeModeTable();
    if (columns <= 0 || rows <= 0) return false;

    // Changing elements: where a run of the other colour begins (even
    // places: black ones). The line above ends with sentinels at the end of
    // the line, enough for b1 and b2 past its last element.
    const auto room = static_cast<std::size_t>(columns) + 4;
    std::vector<int> lines(2 * room, columns);
    int* reference = lines.data();
    int* coding = lines.data() + room;
    TBitReader in(data, size);
    for (int row = 0; row < rows; ++row) {
        std::size_t count = 0;
        int a0 = -1;  // before the line's first pixel
        int colour = 0;
        std::size_t above = 0;  // the first element of the line above right of a0
        while (a0 < columns) {
            const TModeEntry mode = modes[in.Peek() >> (kPeekBits - 7)];
            if (mode.Mode == TMode::mInvalid) return false;
            in.Skip(mode.Length);
            while (reference[above] <= a0) ++above;
            // b1: the first element right of a0 starting a run of the other colour.
            const std::size_t b = above + ((above & 1) != static_cast<std::size_t>(colour) ? 1 : 0);
            const int b1 = reference[b], b2 = reference[b + 1];
            if (mode.Mode == TMode::mPass) {
                a0 = b2;
            } else if (mode.Mode == TMode::mHorizontal) {
                const int first = ReadRun(in, colour ? black : white, columns);
                const int second = ReadRun(in, colour ? white : black, columns);
                if (first < 0 || second <= 0 || (first == 0 && a0 >= 0)) return false;
                const int a1 = std::max(a0, 0) + first, a2 = a1 + second;
                if (a2 > columns) return false;
                coding[count++] = a1;
                coding[count++] = a2;
                a0 = a2;
            } else {
                const int a1 = b1 + mode.Offset;
                if (a1 <= a0 || a1 < 0 || a1 > columns) return false;
                coding[count++] = a1;
                a0 = a1;
                colour ^= 1;
            }
        }
        if (a0 != columns || in.Overrun()) return false;
        // Each element lies right of the one before, so a line has no more
        // than `columns` of them, and the sentinels fit.
        std::fill(coding + count, coding + count + 3, columns);
        std::swap(reference, coding);
    }
    return true;
}

}  // namespace pim

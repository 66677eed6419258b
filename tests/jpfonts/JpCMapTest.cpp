#include "pdf/PdfJpCMap.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/CodePage.h"

namespace pim {
namespace {

// The plain scan over the ranges that the direct lookups must agree with.
std::int32_t ScanCid(const TPdfCodeRange* ranges, std::int32_t code) {
    for (std::size_t i = 0; i < kCodeRangeCount; ++i) {
        if (ranges[i].First <= code && code <= ranges[i].Last) {
            return ranges[i].FirstCid + (code - ranges[i].First);
        }
    }
    return 0;
}

// Byte kinds read from the start of the text: 0 single, 1 lead, 2 trail.
std::vector<int> ForwardKinds(const std::string& text) {
    std::vector<int> kinds(text.size(), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(text[i]))) {
            kinds[i] = 1;
            if (i + 1 < text.size()) {
                kinds[++i] = 2;
            }
        }
    }
    return kinds;
}

bool HasRecord(const TPdfCodeRange* ranges, std::int32_t first, std::int32_t last, std::int32_t cid) {
    for (std::size_t i = 0; i < kCodeRangeCount; ++i) {
        if (ranges[i].First == first && ranges[i].Last == last && ranges[i].FirstCid == cid) {
            return true;
        }
    }
    return false;
}

TEST(JpCMap, TablesHoldTheKnownRecords) {
    struct Row {
        std::int32_t first, last, cid;
    };
    const Row shared[] = {{0x7E, 0x7E, 631},       {0xA0, 0xDF, 326},       {0x8140, 0x817E, 633},
                          {0x8180, 0x81AC, 696},   {0x824F, 0x8258, 780},   {0x8260, 0x8279, 790},
                          {0x8281, 0x829A, 816},   {0xFB80, 0xFBFC, 8581},  {0xFC40, 0xFC4B, 8706}};
    for (const Row& row : shared) {
        EXPECT_TRUE(HasRecord(CMap90msRanges, row.first, row.last, row.cid)) << std::hex << row.first;
        EXPECT_TRUE(HasRecord(CMap90mspRanges, row.first, row.last, row.cid)) << std::hex << row.first;
    }
    const TPdfCodeRange& last = CMap90msRanges[kCodeRangeCount - 1];
    EXPECT_EQ(last.First, 0xFC40);
    EXPECT_EQ(last.FirstCid, 8706);

    EXPECT_EQ(CMap90msRanges[0].First, 0x20);
    EXPECT_EQ(CMap90msRanges[0].Last, 0x7D);
    EXPECT_EQ(CMap90msRanges[0].FirstCid, 231);
    EXPECT_EQ(CMap90mspRanges[0].First, 0x20);
    EXPECT_EQ(CMap90mspRanges[0].Last, 0x7D);
    EXPECT_EQ(CMap90mspRanges[0].FirstCid, 1);
    for (std::size_t i = 1; i < kCodeRangeCount; ++i) {
        EXPECT_EQ(CMap90msRanges[i].First, CMap90mspRanges[i].First) << i;
        EXPECT_EQ(CMap90msRanges[i].Last, CMap90mspRanges[i].Last) << i;
        EXPECT_EQ(CMap90msRanges[i].FirstCid, CMap90mspRanges[i].FirstCid) << i;
    }
}

TEST(JpCMap, RangesDoNotOverlap) {
    for (std::size_t i = 0; i < kCodeRangeCount; ++i) {
        ASSERT_LE(CMap90msRanges[i].First, CMap90msRanges[i].Last) << i;
        for (std::size_t j = i + 1; j < kCodeRangeCount; ++j) {
            const bool apart =
                CMap90msRanges[i].Last < CMap90msRanges[j].First || CMap90msRanges[j].Last < CMap90msRanges[i].First;
            EXPECT_TRUE(apart) << i << " and " << j;
        }
    }
}

TEST(JpCMap, DirectLookupAgreesWithTheScanForEveryCode) {
    for (std::int32_t code = -2; code <= 0x10001; ++code) {
        ASSERT_EQ(CidOfCode90ms(code), ScanCid(CMap90msRanges, code)) << std::hex << code;
        ASSERT_EQ(CidOfCode90msp(code), ScanCid(CMap90mspRanges, code)) << std::hex << code;
    }
}

TEST(JpCMap, CharactersMapToTheirCids) {
    EXPECT_EQ(CidOf90mspCharAt("A", 1), 34);
    EXPECT_EQ(CidOf90mspCharAt("i", 1), 74);
    EXPECT_EQ(CidOf90mspCharAt(" ", 1), 1);
    EXPECT_EQ(CidOf90msCharAt("A", 1), 264);
    EXPECT_EQ(CidOf90msCharAt("~", 1), 631);
    // Half-width katakana are single bytes.
    EXPECT_EQ(CidOf90msCharAt("\xA0", 1), 326);
    EXPECT_EQ(CidOf90mspCharAt("\xDF", 1), 389);
    // Ideographic space, then a kanji outside the width list.
    const std::string text = "\x81\x40\x88\xA0";
    EXPECT_EQ(CidOf90mspCharAt(text, 1), 633);
    EXPECT_EQ(CidOf90mspCharAt(text, 2), -1);
    EXPECT_EQ(CidOf90mspCharAt(text, 3), 1125 + 1);
    EXPECT_EQ(CidOf90mspCharAt(text, 4), -1);
    // Control codes and unassigned codes map to 0.
    EXPECT_EQ(CidOf90msCharAt("\t", 1), 0);
    EXPECT_EQ(CidOf90msCharAt("\x80", 1), 0);
    EXPECT_EQ(CidOf90msCharAt("\x85\x40", 1), 0);
}

TEST(JpCMap, BrokenAndOutOfRangeInput) {
    // A lead byte at the end has no trail byte: its code is lead * 256.
    EXPECT_EQ(CodeOfCharAt("a\x82", 1), 0x8200);
    EXPECT_EQ(CidOf90msCharAt("a\x82", 2), 0);
    // Any byte after a lead byte is its trail, even an ASCII one.
    EXPECT_EQ(CidOf90msCharAt("\x88" "A", 2), -1);
    EXPECT_EQ(CidOf90msCharAt("abc", 0), 0);
    EXPECT_EQ(CidOf90msCharAt("abc", 4), 0);
    EXPECT_EQ(CidOf90msCharAt("", 1), 0);
}

TEST(JpCMap, TrailBytesFoundFromBehindMatchAForwardReading) {
    std::mt19937 random(20240607);
    // Bytes drawn mostly from the lead range, so long runs of them occur.
    const unsigned char alphabet[] = {0x20, 0x41, 0x40, 0x7E, 0x80, 0x81, 0x82, 0x88, 0x9F,
                                      0xA0, 0xB1, 0xDF, 0xE0, 0xEA, 0xFC, 0xFD, 0x00, 0x0D};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 1);
    std::uniform_int_distribution<std::size_t> length(0, 40);
    for (int round = 0; round < 2000; ++round) {
        std::string text(length(random), '\0');
        for (char& c : text) {
            c = static_cast<char>(alphabet[pick(random)]);
        }
        const std::vector<int> kinds = ForwardKinds(text);
        for (std::size_t i = 0; i < text.size(); ++i) {
            ASSERT_EQ(IsTrailByteAt(text, i), kinds[i] == 2) << "round " << round << " byte " << i;
        }
    }
}

}  // namespace
}  // namespace pim

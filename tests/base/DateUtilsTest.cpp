#include "base/DateUtils.h"

#include <gtest/gtest.h>

#include "base/SysUtils.h"

namespace pim {
namespace {

TEST(DateUtils, EpochAndKnownDays) {
    EXPECT_DOUBLE_EQ(EncodeDateTime({1899, 12, 30}), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({1900, 1, 1}), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDateTime({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
    const auto p = DecodeDateTime(EncodeDateTime({2026, 2, 28, 23, 59, 58, 0}));
    EXPECT_EQ(p.year, 2026);
    EXPECT_EQ(p.month, 2);
    EXPECT_EQ(p.day, 28);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(p.minute, 59);
    EXPECT_EQ(p.second, 58);
}

TEST(DateUtils, RejectsInvalidParts) {
    EXPECT_THROW(EncodeDateTime({2023, 2, 29}), Exception);
    EXPECT_NO_THROW(EncodeDateTime({2024, 2, 29}));
    EXPECT_THROW(EncodeDateTime({2024, 13, 1}), Exception);
    EXPECT_THROW(EncodeDateTime({2024, 1, 1, 24, 0, 0, 0}), Exception);
}

TEST(DateUtils, NowIsPlausible) {
    const auto p = DecodeDateTime(Now());
    EXPECT_GE(p.year, 2024);
    EXPECT_LE(p.year, 2100);
}

}  // namespace
}  // namespace pim

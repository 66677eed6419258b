#include "imagelist/IdList.h"

#include <gtest/gtest.h>

namespace pim {
namespace {

TEST(IdList, JoinsAndSplitsChains) {
    const TIdList a = TIdList::FromItem("home"), b = TIdList::FromItem("me");
    const TIdList ab = a.Combine(b);
    EXPECT_EQ(ab.ItemCount(), 2);
    EXPECT_EQ(ab.Item(0), "home");
    EXPECT_EQ(ab.Item(1), "me");
    EXPECT_EQ(ab.Item(2), "");
    EXPECT_EQ(ab.Parent(), a);
    EXPECT_EQ(ab.Last(), b);
    EXPECT_EQ(ab.ByteSize(), 2 + 4 + 2 + 2 + 2u);

    EXPECT_TRUE(a.Parent().IsDesktop());
    EXPECT_TRUE(TIdList::Desktop().Last().Absent());
    EXPECT_EQ(TIdList::Desktop().Combine(a), a);
    EXPECT_EQ(TIdList().Combine(a), a);
    EXPECT_EQ(a.Combine(TIdList()), a);
    EXPECT_TRUE(TIdList().Absent());
    EXPECT_EQ(TIdList().ItemCount(), 0);
    EXPECT_EQ(TIdList().Data(), nullptr);
}

TEST(IdList, ReadsChainsFromMemory) {
    const TIdList ab = TIdList::FromItem("x").Combine(TIdList::FromItem("yz"));
    EXPECT_EQ(TIdList::FromChain(ab.Data()), ab);
    EXPECT_EQ(TIdList::FromBytes(ab.Data(), ab.ByteSize()), ab);
    EXPECT_TRUE(TIdList::FromChain(nullptr).Absent());
}

TEST(IdList, RejectsMalformedBytes) {
    const unsigned char cutShort[] = {5, 0, 'a', 'b', 'c'};              // no terminator
    const unsigned char overlong[] = {9, 0, 'a', 0, 0};                  // count past the end
    const unsigned char tinyCount[] = {1, 0, 0, 0};                      // count below its own size
    EXPECT_TRUE(TIdList::FromBytes(cutShort, sizeof cutShort).Absent());
    EXPECT_TRUE(TIdList::FromBytes(overlong, sizeof overlong).Absent());
    EXPECT_TRUE(TIdList::FromBytes(tinyCount, sizeof tinyCount).Absent());
    EXPECT_TRUE(TIdList::FromBytes(cutShort, 1).Absent());
    EXPECT_TRUE(TIdList::FromItem(std::string(70000, 'a')).Absent());
}

}  // namespace
}  // namespace pim

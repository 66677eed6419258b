#include <gtest/gtest.h>

#include <filesystem>

#include "app/PageSpool.h"
#include "tests/app/TestPictures.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

TEST(PageSpool, MovesContentOutOfMemoryKeepingEveryByte) {
    const std::string folder = test::FreshFolder("spool");
    TPdfStream first, second;
    const std::string a(100000, 'a'), b("\x00\x01\x02 small", 9);
    first.Content().Write(a);
    second.Content().Write(b);
    std::string file;
    {
        TPageSpool spool(folder);
        ASSERT_TRUE(spool.Spool(first.Content()));
        ASSERT_TRUE(spool.Spool(second.Content()));
        file = spool.FileName();
        EXPECT_TRUE(std::filesystem::exists(file));
        EXPECT_EQ(spool.Size(), static_cast<std::int64_t>(a.size() + b.size()));
        EXPECT_EQ(first.Content().MemorySize(), 0);
        EXPECT_EQ(first.Content().ContentSize(), static_cast<std::int64_t>(a.size()));
        EXPECT_EQ(second.Content().ToString(), b);
        EXPECT_EQ(first.Content().ToString(), a);
        // Content already outside memory is not spooled twice.
        EXPECT_FALSE(spool.Spool(first.Content()));
    }
    EXPECT_FALSE(std::filesystem::exists(file));  // removed with the spool
}

TEST(PageSpool, WithoutScratchSpaceTheBytesStayInMemory) {
    TPdfStream stream;
    stream.Content().Write(std::string_view("bytes"));
    TPageSpool noFolder("");
    EXPECT_FALSE(noFolder.Spool(stream.Content()));
    TPageSpool badFolder(test::OutputPath("spool-missing/below"));
    EXPECT_FALSE(badFolder.Spool(stream.Content()));
    EXPECT_EQ(stream.Content().MemorySize(), 5);
    EXPECT_EQ(stream.Content().ToString(), "bytes");
}

}  // namespace
}  // namespace pim

#include "base/CodePage.h"
#include "imagelist/Thumb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "graphics/Resample.h"
#include "imagelist/ImgShare.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;
using test::MessageOf;
using test::OutputPath;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::uint32_t U32At(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
}

TBitmap Solid(int w, int h) {
    TBitmap b(w, h, TPixelFormat::pf24bit);
    FillBitmap(b, 0x336699);
    return b;
}

void Touch(const std::string& path, int secondsLater) {
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(secondsLater));
}

// A folder of two images and a cache file beside them.
class ThumbTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = OutputPath("thumb-cache");
        fs::remove_all(dir);
        fs::create_directories(dir);
        a = dir + "/A.jpg";
        b = dir + "/b.jpg";
        WriteFileBytes(a, std::string(1234, 'a'));
        WriteFileBytes(b, "b");
        thumb.PathType = TPathType::iptFolder;
        thumb.FileName = "cache";
        thumb.SetAppName("Pim");
        cache = dir + "/cache.dat";
    }
    std::string dir, a, b, cache;
    TThumb thumb;
};

TEST_F(ThumbTest, StoresEntriesInItsLayout) {
    EXPECT_EQ(thumb.CacheFileName(a), cache);
    thumb.Store(a, Solid(12, 9), 4000, 3000, 90);
    thumb.Store(b, Solid(5, 7), 50, 70, 90);
    const std::string bytes = ReadFileBytes(cache);
    EXPECT_EQ(U32At(bytes, 0), 127u);
    EXPECT_EQ(U32At(bytes, 4), 103u);
    EXPECT_EQ(bytes.substr(8, 12), std::string("Pim\0\0\0\0\0\0\0\0\0", 12));
    EXPECT_EQ(U32At(bytes, 20), 2u);
    const std::size_t e = 24;
    EXPECT_EQ(U32At(bytes, e), a.size());
    const std::uint32_t dataLength = U32At(bytes, e + 8);
    EXPECT_EQ(U32At(bytes, e + 12), 12u);
    EXPECT_EQ(U32At(bytes, e + 16), 9u);
    EXPECT_EQ(U32At(bytes, e + 40), 1234u);
    EXPECT_EQ(U32At(bytes, e + 44), 4000u);
    EXPECT_EQ(U32At(bytes, e + 48), 3000u);
    EXPECT_EQ(bytes.substr(e + 56, a.size()), a);
    EXPECT_EQ(bytes.substr(e + 56 + a.size(), 2), "\xFF\xD8");
    EXPECT_EQ(U32At(bytes, e + 56 + a.size() + dataLength), b.size());

    std::vector<std::uint8_t> jpeg;
    int w = 0, h = 0;
    ASSERT_TRUE(thumb.Lookup(b, jpeg, w, h));  // found past the first entry
    EXPECT_EQ(w, 50);
    EXPECT_EQ(h, 70);
    // Case does not matter (a link spells the name otherwise where the file
    // system tells case).
#ifndef _WIN32
    fs::create_symlink(a, dir + "/a.JPG");
#endif
    ASSERT_TRUE(thumb.Lookup(dir + "/a.JPG", jpeg, w, h));
    EXPECT_EQ(jpeg.size(), dataLength);
    EXPECT_EQ(w, 4000);
    EXPECT_EQ(h, 3000);
    EXPECT_FALSE(thumb.Lookup(dir + "/c.jpg", jpeg, w, h));
}

TEST_F(ThumbTest, AChangedImageLosesItsEntry) {
    thumb.Store(a, Solid(4, 4), 40, 40, 90);
    thumb.Store(b, Solid(4, 4), 40, 40, 90);
    std::vector<std::uint8_t> jpeg;
    int w = 0, h = 0;
    Touch(a, 10);
    EXPECT_FALSE(thumb.Lookup(a, jpeg, w, h));
    EXPECT_EQ(U32At(ReadFileBytes(cache), 20), 1u);
    EXPECT_TRUE(thumb.Lookup(b, jpeg, w, h));
    Touch(b, 10);
    EXPECT_FALSE(thumb.Lookup(b, jpeg, w, h));
    // Nothing left: the cache file and its copy are gone.
    EXPECT_FALSE(fs::exists(cache));
    EXPECT_FALSE(fs::exists(dir + "/cache.~tmp"));
}

TEST_F(ThumbTest, ARewrittenFileIsReadAfresh) {
    thumb.Store(a, Solid(30, 30), 40, 40, 90);
    thumb.Store(b, Solid(4, 4), 40, 40, 90);
    std::vector<std::uint8_t> jpeg, expected;
    int w = 0, h = 0;
    ASSERT_TRUE(thumb.Lookup(b, jpeg, w, h));  // both entries indexed
    // Another user of the file drops the first entry, so the second moves.
    TThumb other;
    other.PathType = TPathType::iptFolder;
    other.FileName = "cache";
    Touch(a, 10);
    EXPECT_FALSE(other.Lookup(a, jpeg, w, h));
    ASSERT_TRUE(other.Lookup(b, expected, w, h));
    ASSERT_TRUE(thumb.Lookup(b, jpeg, w, h));
    EXPECT_EQ(jpeg, expected);
}

TEST_F(ThumbTest, ADamagedFileCountsAsEmpty) {
    std::vector<std::uint8_t> jpeg;
    int w = 0, h = 0;
    WriteFileBytes(cache, std::string(64, '\0'));
    EXPECT_FALSE(thumb.Lookup(a, jpeg, w, h));
    EXPECT_EQ(MessageOf<EThumbError>([&] { thumb.Store(a, Solid(4, 4), 4, 4, 90); }),
              cache + Utf8ToAnsi("\r\n  はサムネイルファイルではありません"));
    // An entry cut short, and a count larger than the entries.
    fs::remove(cache);
    thumb.Store(a, Solid(4, 4), 4, 4, 90);
    std::string bytes = ReadFileBytes(cache);
    bytes[20] = 9;
    WriteFileBytes(cache, bytes.substr(0, bytes.size() - 10));
    EXPECT_FALSE(thumb.Lookup(a, jpeg, w, h));
    EXPECT_FALSE(thumb.Lookup(b, jpeg, w, h));
}

TEST(Thumb, NamesAndPlaces) {
    TThumb thumb;
    thumb.SetAppName("ABCDEFGHIJKL");
    EXPECT_EQ(thumb.AppName(), "ABCDEFGHIJ");
    thumb.SetAppName("ABCDEFGHI\x82\xa0");  // the tenth byte leads a double-byte character
    EXPECT_EQ(thumb.AppName(), "ABCDEFGHI");
    thumb.SetAppName("ABCDEFGH\x82\xa0Z");
    EXPECT_EQ(thumb.AppName(), "ABCDEFGH\x82\xa0");

    thumb.Path = "/var/cache";
    thumb.FileName = "thumbs";
    EXPECT_EQ(thumb.CacheFileName("/photos/a.jpg"), "/var/cache" + std::string(1, kPathDelim) + "thumbs.dat");
    thumb.Path = "/var/cache/";
    thumb.FileName = "thumbs.db";
    EXPECT_EQ(thumb.CacheFileName("/photos/a.jpg"), "/var/cache/thumbs.db");
    thumb.PathType = TPathType::iptFolder;
    thumb.FileName.clear();
    EXPECT_EQ(thumb.CacheFileName("/photos/a.jpg"), "/photos/imagelist_tests.dat");
}

}  // namespace
}  // namespace pim

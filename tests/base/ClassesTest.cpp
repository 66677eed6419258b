#include "base/Classes.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace pim {
namespace {

TEST(MemoryStream, WriteSeekReadAndGrow) {
    TMemoryStream s;
    s.Write("hello");
    s.Seek(-2, TSeekOrigin::soEnd);
    s.Write("p!!");
    EXPECT_EQ(s.View(), "help!!");
    s.SetPosition(0);
    char buf[4] = {};
    EXPECT_EQ(s.Read(buf, 4), 4u);
    EXPECT_EQ(std::string(buf, 4), "help");
    EXPECT_EQ(s.Read(buf, 4), 2u);  // short read at the end
    EXPECT_THROW(s.ReadBuffer(buf, 1), EStreamError);
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    // Writing past the end fills the gap with zeros.
    s.SetPosition(8);
    s.Write("x");
    EXPECT_EQ(s.View(), std::string_view("help!!\0\0x", 9));
}

TEST(FileStream, RoundTripAndErrors) {
    const auto path = (std::filesystem::path(PIM_TEST_OUTPUT) / "classes_roundtrip.bin").string();
    {
        TFileStream f(path, TFileMode::fmCreate);
        f.Write("abc\r\ndef");
        f.Close();
    }
    TFileStream f(path, TFileMode::fmOpenRead);
    EXPECT_EQ(f.Size(), 8);
    f.Seek(5, TSeekOrigin::soBeginning);
    char buf[3];
    f.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "def");
    EXPECT_THROW(TFileStream("/nonexistent-dir/x", TFileMode::fmCreate), EStreamError);
    EXPECT_THROW(TFileStream(path + ".missing", TFileMode::fmOpenRead), EStreamError);

    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(m.View(), "abc\r\ndef");
}

TEST(StringList, EditingOperations) {
    TStringList l;
    l.Add("a");
    l.Add("b");
    l.Add("c");
    l.Insert(0, "z");
    l.Move(0, 3);  // z to the end
    l.Delete(1);   // drop b
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l[0], "a");
    EXPECT_EQ(l[1], "c");
    EXPECT_EQ(l[2], "z");
    EXPECT_EQ(l.IndexOf("c"), 1);
    EXPECT_EQ(l.IndexOf("q"), -1);
    EXPECT_EQ(l.Text(), "a\r\nc\r\nz\r\n");
    EXPECT_THROW(l[3], Exception);
    EXPECT_THROW(l.Insert(5, "x"), Exception);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, SplitsAtEveryLineBreakKindWithoutConverting) {
    TStringList l;
    // Mixed breaks; Shift_JIS bytes (0x82 0xA0 is "あ") pass through untouched.
    l.SetText("one\r\ntwo\nthree\r\x82\xA0\r\n\r\nlast");
    ASSERT_EQ(l.Count(), 6);
    EXPECT_EQ(l[2], "three");
    EXPECT_EQ(l[3], "\x82\xA0");
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "last");
    l.SetText("x\r\n");
    EXPECT_EQ(l.Count(), 1);  // a final break adds no empty line
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
}

}  // namespace
}  // namespace pim

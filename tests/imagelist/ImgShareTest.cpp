#include "imagelist/ImgShare.h"

#include <gtest/gtest.h>

namespace pim {
namespace {

TEST(DispTypes, NormalisesTheMaskList) {
    TDispTypes types;
    EXPECT_EQ(types.ExtList(), ";*.*;");
    EXPECT_FALSE(types.Filters());
    types.SetExt("*.JPG;*.bmp");
    EXPECT_EQ(types.ExtList(), ";*.jpg;*.bmp;");
    EXPECT_TRUE(types.Filters());
    types.SetExt(";*.txt;");
    EXPECT_EQ(types.ExtList(), ";*.txt;");
    types.SetExt("");
    EXPECT_EQ(types.ExtList(), ";*.*;");
    types.SetExt("*.jpg;*.*");
    EXPECT_FALSE(types.Filters());
}

TEST(DispTypes, FiresOnChangeOnlyForNewValues) {
    TDispTypes types;
    int changes = 0;
    types.OnChange = [&] { ++changes; };
    types.SetFolders(true);
    types.SetNonFolders(true);
    types.SetHidden(true);
    types.SetExt("*.*");
    EXPECT_EQ(changes, 0);
    types.SetFolders(false);
    types.SetNonFolders(false);
    types.SetHidden(false);
    types.SetExt("*.jpg");
    types.SetExt("*.jpg");
    EXPECT_EQ(changes, 4);
}

TEST(MaskTest, KnowsOnlyStarDotExtensionAndExactNames) {
    const std::string list = ";*.jpg;*.bmp;*.txt;";
    EXPECT_TRUE(MatchesMask("/p/A.JPG", list));
    EXPECT_FALSE(MatchesMask("/p/b.jpeg", list));
    EXPECT_TRUE(MatchesMask("/p/x.bmp", list));
    EXPECT_TRUE(MatchesMask("y.txt", list));
    EXPECT_FALSE(MatchesMask("/p/jpg", list));
    EXPECT_FALSE(MatchesMask("/p/a.jpg.gz", list));
    EXPECT_TRUE(MatchesMask("/p/.hidden.jpg", list));

    EXPECT_TRUE(MatchesMask("/p/Notes.TXT", ";notes.txt;"));   // an exact name
    EXPECT_FALSE(MatchesMask("/p/other.txt", ";notes.txt;"));
    EXPECT_FALSE(MatchesMask("/p/a.jpg", ";*jpg;"));           // star without the dot
    EXPECT_TRUE(MatchesMask("/p/*jpg", ";*jpg;"));
    EXPECT_FALSE(MatchesMask("/p/a.jpg", ";a*.jpg;"));         // no other wildcards
    EXPECT_TRUE(MatchesMask("/p/README", ";*;"));              // no extension
}

TEST(FileNames, SplitPathsAndLowerCaseSafely) {
    EXPECT_EQ(ExtractFileName("/a/b.c/name.tar.gz"), "name.tar.gz");
    EXPECT_EQ(ExtractFileExt("/a/b.c/name.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("/a/b.c/name"), "");
    EXPECT_EQ(ExtractFilePath("/a/b.c/name.tar.gz"), "/a/b.c/");
    EXPECT_EQ(ChangeFileExt("/a/b.c/name.tar.gz", ".~tmp"), "/a/b.c/name.tar.~tmp");
    EXPECT_EQ(ChangeFileExt("/a/b.c/name", ".dat"), "/a/b.c/name.dat");
    EXPECT_EQ(LowerCaseName("ABC.Jpg"), "abc.jpg");
    // Names are UTF-8: "Ё" ends in 0x81, a lead byte of code page 932, and
    // must not hide the separator after it.
#ifdef _WIN32
    EXPECT_EQ(ExtractFileName("C:\\\xD0\x81\\\xC3\xA9.JPG"), "\xC3\xA9.JPG");
#else
    EXPECT_EQ(ExtractFileName("/\xD0\x81/\xC3\xA9.JPG"), "\xC3\xA9.JPG");
#endif
    EXPECT_EQ(LowerCaseName("\xD0\x81" "A.JPG"), "\xD0\x81" "a.jpg");
}

}  // namespace
}  // namespace pim

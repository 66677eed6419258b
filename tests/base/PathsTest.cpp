#include "base/Paths.h"

#include <gtest/gtest.h>

#include <string>

#include "base/FileKind.h"

namespace pim {
namespace {

// A path written with '/' as the platform writes it.
std::string P(std::string path) {
    for (char& c : path)
        if (c == '/') c = kPathDelim;
    return path;
}

TEST(Paths, FolderOfAFileWithAndWithoutItsSeparator) {
    struct Case {
        std::string path, withSeparator, existingFile;
    };
    const Case cases[] = {
        {P("/photos/trip/a.jpg"), P("/photos/trip/"), P("/photos/trip")},
        {P("/a.jpg"), P("/"), P("/")},  // the root keeps its separator
        {"a.jpg", "", "."},
        {P("rel/a.jpg"), P("rel/"), "rel"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractFilePath(c.path), c.withSeparator) << c.path;
        EXPECT_EQ(FolderOfExistingFile(c.path), c.existingFile) << c.path;
    }
#ifdef _WIN32
    EXPECT_EQ(FolderOfExistingFile("C:\\a.jpg"), "C:\\");
    EXPECT_EQ(FolderOfExistingFile("C:a.jpg"), "C:");
#endif
}

TEST(Paths, ParentNameAndJoin) {
    struct Case {
        std::string path, parent;
    };
    const Case parents[] = {
        {"C:\\photos\\trip", "C:\\photos"},
        {"C:\\photos\\trip\\", "C:\\photos"},
        {"C:\\photos", "C:\\"},
        {"C:\\", ""},
        {"C:", ""},
        {"/home/me/", "/home"},
        {"photos", ""},
    };
    for (const Case& c : parents) EXPECT_EQ(ParentFolderOf(c.path), c.parent) << c.path;

    EXPECT_EQ(FolderNameOf(P("/photos/trip")), "trip");
    EXPECT_EQ(FolderNameOf("trip"), "trip");
    EXPECT_EQ(FolderNameOf(P("/")), "");

    // An empty folder: no prefix at all, but a name joined below the root.
    EXPECT_EQ(FolderPrefix(""), "");
    EXPECT_EQ(FolderPrefix(P("/a")), P("/a/"));
    EXPECT_EQ(FolderPrefix(P("/a/")), P("/a/"));
    EXPECT_EQ(JoinPath("", "x"), P("/x"));
    EXPECT_EQ(JoinPath(P("/a"), "x"), P("/a/x"));
    EXPECT_EQ(JoinPath(P("/a/"), "x"), P("/a/x"));
}

TEST(FileKinds, DecidedOnceFromTheName) {
    struct Case {
        const char* name;
        TFileKind kind;
    };
    const Case cases[] = {
        {"a.jpg", TFileKind::fkJpeg},
        {"A.JPG", TFileKind::fkJpeg},
        {"a.b.Bmp", TFileKind::fkBmp},
        {"notes.txt", TFileKind::fkText},
        {"x.png", TFileKind::fkPng},
        {".png", TFileKind::fkPng},
        {"scan.tif", TFileKind::fkTiff},
        {"scan.TIFF", TFileKind::fkTiff},
        {"old.gif", TFileKind::fkGif},
        {"web.WebP", TFileKind::fkWebp},
        // Only the extension counts, not the last three characters.
        {"a.jpeg", TFileKind::fkOther},
        {"a.xjpg", TFileKind::fkOther},
        {"jpg", TFileKind::fkOther},
        {"a.jpg.gz", TFileKind::fkOther},
        {"", TFileKind::fkOther},
    };
    for (const Case& c : cases) EXPECT_EQ(FileKindOf(P("/f.d/").append(c.name)), c.kind) << c.name;

    EXPECT_EQ(FileKindOfWord("png"), TFileKind::fkPng);
    EXPECT_EQ(FileKindOfWord("webp"), TFileKind::fkWebp);
    // The three scanner and web kinds share one type bit.
    EXPECT_EQ(FileKindBit(TFileKind::fkTiff), FileKindBit(TFileKind::fkGif));
    EXPECT_EQ(FileKindBit(TFileKind::fkTiff), FileKindBit(TFileKind::fkWebp));
    EXPECT_EQ(FileKindOfWord("JPG"), TFileKind::fkOther);
    EXPECT_EQ(FileKindBit(TFileKind::fkOther), 0);
}

}  // namespace
}  // namespace pim

// The tests' own folder and pictures kept in the test output for a person
// to look at.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/Classes.h"
#include "base/CodePage.h"
#include "graphics/BmpFile.h"
#include "tests/imagelist/FolderFixture.h"

namespace pim::test {

inline std::filesystem::path ThumbDir() {
    static const std::filesystem::path dir = [] {
        std::filesystem::path path = TestOutputDir() / "thumbs";
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }();
    return dir;
}

// A file (UTF-8 name) there, in the program's file-name encoding.
inline std::string ThumbPath(std::string_view utf8Name) {
    return Utf16ToUtf8((ThumbDir() / U8Path(utf8Name)).u16string());
}

// Saves the picture as thumbs-<name>.bmp in the test output.
inline void KeepPicture(std::string_view name, const TBitmap& bitmap) {
    TFileStream file(NativePath(TestOutputDir() / ("thumbs-" + std::string(name) + ".bmp")), TFileMode::fmCreate);
    WriteBmp(file, bitmap);
}

// The pixel as 0xRRGGBB.
inline unsigned RgbAt(const TBitmap& bitmap, int x, int y) {
    const TPaletteEntry c = bitmap.PixelColor(x, y);
    return unsigned{c.peRed} << 16 | unsigned{c.peGreen} << 8 | c.peBlue;
}

}  // namespace pim::test

#include <gtest/gtest.h>

#include "TestImages.h"
#include "graphics/Picture.h"

namespace pim {
namespace {

TEST(Picture, LoadsByExtensionAndCopiesWhatItHolds) {
    const std::string bmpPath = test::OutPath("picture.BMP");
    test::Pattern(20, 10).SaveToFile(bmpPath);
    const std::string jpgPath = test::OutPath("picture.Jpeg");
    TJPEGImage jpeg;
    jpeg.Assign(test::Pattern(20, 10));
    jpeg.SaveToFile(jpgPath);

    TPicture picture;
    picture.LoadFromFile(bmpPath);
    EXPECT_TRUE(picture.IsBitmap());
    EXPECT_FALSE(picture.IsJpeg());
    EXPECT_EQ(picture.Width(), 20);

    picture.LoadFromFile(jpgPath);
    EXPECT_TRUE(picture.IsJpeg());
    EXPECT_EQ(picture.Height(), 10);
    ASSERT_NE(picture.Jpeg(), nullptr);

    TPicture copy(picture);
    ASSERT_TRUE(copy.IsJpeg());
    EXPECT_NE(copy.Graphic(), picture.Graphic());
    EXPECT_EQ(copy.Jpeg()->Data().get(), picture.Jpeg()->Data().get());

    EXPECT_THROW(picture.LoadFromFile(test::OutPath("notes.txt")), EInvalidGraphic);
    EXPECT_TRUE(picture.IsJpeg());  // unchanged
    EXPECT_THROW(picture.LoadFromFile(test::OutPath("missing.bmp")), EStreamError);
    EXPECT_TRUE(picture.IsJpeg());

    TBitmap& bmp = picture.Bitmap();  // replaces the JPEG with an empty bitmap
    EXPECT_TRUE(picture.IsBitmap());
    EXPECT_TRUE(bmp.Empty());
    picture.Clear();
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
}

}  // namespace
}  // namespace pim

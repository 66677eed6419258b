#include "imagelist/ImgPlatform.h"

#include <cstdint>

#include "base/Classes.h"
#include "graphics/BmpFile.h"
#include "graphics/Resample.h"

namespace pim {

namespace {

// The usual size of a shell icon, kept by the plain square that stands for one.
constexpr int kIconSize = 32;

}  // namespace

void TImgPlatform::DrawIcon(const std::string& /*path*/, int /*iconIndex*/, TColor bkColor, TBitmap& bitmap) {
    bitmap = TBitmap(kIconSize, kIconSize, TPixelFormat::pf24bit);
    FillBitmap(bitmap, bkColor);
}

int TImgPlatform::LoadBmp(const std::string& path, TBitmap& bitmap) {
    // The page's own reader, so a thumbnail shows what its page will.
    try {
        LoadBmpFile(path, bitmap);
    } catch (const Exception&) {
        return -1;
    }
    return 0;
}

TImgPlatform& NoImgPlatform() {
    static TImgPlatform platform;
    return platform;
}

int AviFrameNumber(int framePos, int length) {
    if (framePos <= 0) return framePos;
    return static_cast<int>(std::int64_t{framePos} * length / 100);
}

}  // namespace pim

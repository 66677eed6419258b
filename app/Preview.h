// The adjustment tab's pictures: the first selected file as its page will
// show it ("効果確認": adjusted and encoded as the run does) or as stored
// ("元の画像"), both turned as the page is turned (the user's quarter turns
// on top of a JPEG's EXIF orientation when that is applied).
#pragma once

#include <string>

#include "app/ImageAdjust.h"
#include "graphics/Picture.h"

namespace pim {

// How the page of a file is turned.
struct TPreviewTurn {
    int QuarterTurns = 0;    // the user's, clockwise
    bool AutoOrient = true;  // "EXIF回転"
};

// "効果確認": the picture the run writes for `file` with `adjust` (a BMP or
// PNG comes back as a JPEG), turned as its page. Raises when the file cannot
// be read or decoded.
TPicture PreviewPicture(const std::string& file, const TAdjustSettings& adjust, const TPreviewTurn& turn = {});

// "元の画像": the file as stored (a PNG over white), turned as its page.
TPicture OriginalPicture(const std::string& file, const TPreviewTurn& turn = {});

// Whether a preview failed because the picture is too large to be held in
// memory (its size past the bitmap ceiling, or memory running out), rather
// than because the file is not a readable picture.
bool IsTooLargeToPreview(std::exception_ptr error);

}  // namespace pim

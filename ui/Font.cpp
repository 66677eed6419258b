#include "ui/Font.h"

#include "ui/Window.h"

namespace pim::ui {

TFontHandle MakeFont(std::string_view face, int height, BYTE charset, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    const std::u16string wide = Widen(face);
    lstrcpynW(lf.lfFaceName, W(wide), LF_FACESIZE);
    return TFontHandle(CreateFontIndirectW(&lf));
}

}  // namespace pim::ui

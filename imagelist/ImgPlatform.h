// The pictures the thumbnail maker needs the platform for: shell icons,
// metafiles, the shell's image extractor, video frames and text drawn in a
// font. The Windows side implements them with GDI and the shell; the core's
// own implementation (NoImgPlatform) has none of them, so those kinds end in
// the icon picture, and its icon is a plain square of the background colour.
// Every call runs on the thumbnail worker's thread.
#pragma once

#include <string>

#include "graphics/Graphics.h"
#include "imagelist/ImgShare.h"

namespace pim {

// The font text thumbnails are drawn in.
struct TImgFont {
    std::string Name;  // empty: the platform's default face
    int Charset = 1;   // the platform's default character set
    // Pixels; negative: the character height without internal leading, as
    // the Windows font calls take it; 0: taken from Size.
    int Height = 0;
    int Size = 12;  // points, used when Height is 0
};

class TImgPlatform {
public:
    virtual ~TImgPlatform() = default;

    // The icon picture of a file: the icon the shell associates with it
    // (iconIndex 0) or the icon at iconIndex in the file, drawn at (0, 0) on
    // a bitmap of the icon's size filled with bkColor.
    virtual void DrawIcon(const std::string& path, int iconIndex, TColor bkColor, TBitmap& bitmap);
    // How many icons an executable or library holds.
    virtual int CountIcons(const std::string& /*path*/) { return 0; }

    // The decoders: 0 on success, else a failure code (the caller then
    // draws the icon picture). BMP files are read by the core's own reader
    // on every platform (the one that reads a page's picture); the call is
    // virtual only so a test can slow it down.
    virtual int LoadBmp(const std::string& path, TBitmap& bitmap);
    // A metafile played at its own size on bkColor.
    virtual int LoadMetafile(const std::string& /*path*/, TColor /*bkColor*/, TBitmap& /*bitmap*/) { return -1; }
    // The shell's image extractor drawing the file into the bitmap at the
    // bitmap's size.
    virtual int ExtractImage(const std::string& /*path*/, TBitmap& /*bitmap*/) { return -1; }
    // Frame AviFrameNumber(framePos, length) of the file's first video stream.
    virtual int LoadVideoFrame(const std::string& /*path*/, int /*framePos*/, TBitmap& /*bitmap*/) { return -1; }

    // Text: the height of "H" in the font (below 1 when it cannot be drawn),
    // and the text drawn from (0, 0) with tabs expanded.
    virtual int TextLineHeight(const TImgFont& /*font*/) { return 0; }
    virtual void DrawText(TBitmap& /*bitmap*/, const TImgFont& /*font*/, const std::string& /*text*/) {}
};

// The core's implementation: no icons, metafiles, extractor, video or text.
TImgPlatform& NoImgPlatform();

// The frame shown for a video of `length` frames: framePos percent of it
// when framePos is above 0, else framePos itself.
int AviFrameNumber(int framePos, int length);

}  // namespace pim

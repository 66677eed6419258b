// TImgUtil, the thumbnail maker: it tells a file's content kind, decodes the
// file with the decoder for that kind, fits the picture to the thumbnail box
// and falls back to the file's icon when decoding fails. JPEG and BMP files
// and the line limits of text pictures are handled here; what needs the
// platform (icons, metafiles, the shell's extractor, video, drawing text)
// goes through TImgPlatform.
//
// One TImgUtil is shared by the list's thumbnail worker: LoadImage runs on
// the worker thread, and the GUI thread reads Bitmap() only after the worker
// has finished. DetectType may run on the GUI thread meanwhile (items ask it
// for their kind); it only reads the settings, which the view changes only
// while no worker runs.
//
//   TImgUtil util;
//   if (util.LoadImage(path, 94, 0, 94) == 0) thumbs.Add(util.Bitmap());
#pragma once

#include <memory>
#include <string>

#include "graphics/Graphics.h"
#include "graphics/Jpeg.h"
#include "imagelist/ImgPlatform.h"
#include "imagelist/ImgResample.h"
#include "imagelist/ImgShare.h"
#include "imagelist/SPlugin.h"
#include "imagelist/Thumb.h"

namespace pim {

class TStream;
struct TJpegHeader;

// A loader the program may attach for files of its own kinds.
class TCustomLoader {
public:
    virtual ~TCustomLoader() = default;
    virtual bool Handles(const std::string& path) = 0;
    // False when the file could not be read.
    virtual bool Load(const std::string& path, TBitmap& bitmap) = 0;
};

// Result codes of LoadImage besides a decoder's own.
constexpr int kImgLoaded = 0;
constexpr int kImgMissing = 1;  // neither a file nor a folder
constexpr int kImgFailed = -1;  // a decoder raised

class TImgUtil {
public:
    // platform is borrowed; nullptr means the core's NoImgPlatform().
    explicit TImgUtil(TImgPlatform* platform = nullptr);
    ~TImgUtil();
    TImgUtil(const TImgUtil&) = delete;
    TImgUtil& operator=(const TImgUtil&) = delete;

    void SetPlatform(TImgPlatform* platform);

    // JPEG quality (1..100) of thumbnails written to the cache.
    int Quality() const { return quality_; }
    void SetQuality(int value);
    TJPEGPerformance Performance = TJPEGPerformance::jpBestSpeed;
    // Extra extensions read as text, as "*.log;*.ini".
    const std::string& TextExt() const { return textExt_; }
    void SetTextExt(const std::string& value);
    // Kept as a setting; the decoding order does not depend on it.
    bool SusiePriority = false;
    // Use and fill the thumbnail cache (not with igtNormal).
    bool AutoThumb = false;
    TImgFont Font;
    TThumb& Thumbnail() { return thumbnail_; }
    TSPlugin& SPlugin() { return sPlugin_; }
    TGetType GetType = TGetType::igtPreview;
    // JPEG thumbnails stand as their EXIF orientation says, as pages do
    // with the same setting.
    bool AutoOrient = false;
    // Background of icons, metafiles and text; a change fires OnChange.
    TColor BKColor() const { return bkColor_; }
    void SetBKColor(TColor value);
    // Video frame shown, in percent of the stream's length.
    int AviFramePos = 20;
    TNotifyEvent OnChange;
    // Borrowed; nullptr when none is attached.
    TCustomLoader* CustomLoader = nullptr;

    // The content kind of the file at path.
    TImageType DetectType(const std::string& path);

    // Makes the picture of the file for a width x height box into Bitmap():
    // kImgLoaded when a picture was made (for icon kinds and unknown files,
    // the icon), kImgMissing when nothing exists at path, otherwise the
    // failing decoder's code (kImgFailed when it raised) with the icon
    // picture (the icon at iconIndex) made instead.
    int LoadImage(const std::string& path, int width, int iconIndex, int height);

    // Results of the last LoadImage.
    const TBitmap& Bitmap() const { return bitmap_; }
    TImageType ImageType() const { return imageType_; }
    int SourceWidth() const { return sourceWidth_; }
    int SourceHeight() const { return sourceHeight_; }
    int IconCount() const { return iconCount_; }
    int IconIndex() const { return iconIndex_; }

private:
    int Decode(const std::string& path, int width, int height);
    int LoadJpeg(TStream& stream, int width, int height);
    bool LoadExifPreview(const TJpegHeader& photo, int width, int height);
    int DecodeText(const std::string& path, int width, int height);
    int DecodeShellImage(const std::string& path, int width, int height);
    int MakeIcon(const std::string& path, int iconIndex);
    void Fit(int width, int height);
    bool FromCache(const std::string& path, int width, int height);
    void ToCache(const std::string& path);
    bool UsesCache() const { return AutoThumb && GetType != TGetType::igtNormal; }

    TImgPlatform* platform_;
    int quality_ = 90;
    std::string textExt_;
    std::string textExtList_ = ";;";  // lower-cased, ";"-framed, without "*"
    TColor bkColor_ = clWhite;
    TThumb thumbnail_;
    TSPlugin sPlugin_;

    TBitmap bitmap_;
    TImageType imageType_ = TImageType::iitNone;
    int iconCount_ = 0;
    int iconIndex_ = 0;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
};

// The lines a text picture shows: at most maxLines lines of at most maxBytes
// bytes each (the rest of a line is dropped), carriage returns left out,
// joined by CR LF. The stream is read in chunks of at most 1,024 bytes.
std::string ReadTextPictureLines(TStream& stream, int maxLines, int maxBytes);

}  // namespace pim

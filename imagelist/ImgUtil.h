// TImgUtil, the thumbnail maker: it tells a file's content kind, decodes the
// file with the decoder for that kind, fits the picture to the thumbnail box
// and falls back to the file's icon when decoding fails. JPEG and BMP files
// and the line limits of text pictures are handled here; what needs the
// platform (icons, metafiles, the shell's extractor, video, drawing text)
// goes through TImgPlatform.
//
// One TImgUtil is shared by the list's thumbnail workers: each calls
// LoadImage with a TImgResult of its own, on its own thread, and the GUI
// thread reads a result only after its worker has finished. DetectType may
// run on the GUI thread meanwhile (items ask it for their kind). Both only
// read the settings, which the view changes only while no worker runs; the
// thumbnail cache and the plug-ins, which keep state, are used by one
// thread at a time.
//
//   TImgUtil util;
//   if (util.LoadImage(path, 94, 0, 94) == 0) thumbs.Add(util.Bitmap());
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "graphics/Graphics.h"
#include "graphics/Jpeg.h"
#include "graphics/Resample.h"
#include "imagelist/ImgPlatform.h"
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

// What LoadImage made.
struct TImgResult {
    TBitmap Bitmap{0, 0, TPixelFormat::pf24bit};
    TImageType ImageType = TImageType::iitNone;
    int SourceWidth = 0;  // the picture's size as stored, before any turn
    int SourceHeight = 0;
    int IconCount = 0;
    int IconIndex = 0;
};

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
    bool AutoOrient = true;
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
    // The result goes to Bitmap() and the other accessors below.
    int LoadImage(const std::string& path, int width, int iconIndex, int height);
    // The same into a result of the caller's, which may run on several
    // threads at once. A picture (JPEG, BMP, PNG) is shown turned on by
    // quarterTurns clockwise, a JPEG with AutoOrient after its EXIF
    // orientation, as its page will be.
    int LoadImage(const std::string& path, int width, int iconIndex, int height, TImgResult& result,
                  int quarterTurns = 0);

    // Results of the last LoadImage without a result of the caller's.
    const TBitmap& Bitmap() const { return last_.Bitmap; }
    TImageType ImageType() const { return last_.ImageType; }
    int SourceWidth() const { return last_.SourceWidth; }
    int SourceHeight() const { return last_.SourceHeight; }
    int IconCount() const { return last_.IconCount; }
    int IconIndex() const { return last_.IconIndex; }

private:
    struct TJob;
    int Decode(TJob& job);
    int LoadJpeg(TJob& job, TStream& stream);
    bool LoadExifPreview(TJob& job, const TJpegHeader& photo, int orientation);
    int DecodeText(TJob& job);
    int DecodeShellImage(TJob& job);
    int MakeIcon(TJob& job);
    void Fit(TJob& job);
    bool FromCache(TJob& job);
    void ToCache(TJob& job);
    bool UsesCache() const { return AutoThumb && GetType != TGetType::igtNormal; }

    TImgPlatform* platform_;
    int quality_ = 90;
    std::string textExt_;
    std::string textExtList_ = ";;";  // lower-cased, ";"-framed, without "*"
    TColor bkColor_ = clWhite;
    TThumb thumbnail_;
    TSPlugin sPlugin_;

    std::mutex stateful_;  // the cache and the plug-ins
    TImgResult last_;
};

// The lines a text picture shows: at most maxLines lines of at most maxBytes
// bytes each (the rest of a line is dropped), carriage returns left out,
// joined by CR LF. The stream is read in chunks of at most 1,024 bytes.
std::string ReadTextPictureLines(TStream& stream, int maxLines, int maxBytes);

}  // namespace pim

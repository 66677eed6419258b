#include "imagelist/ImgUtil.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <vector>

#include "base/Classes.h"
#include "graphics/JpegCodec.h"
#include "graphics/Png.h"
#include "imagelist/FileFacts.h"

namespace pim {

TImgUtil::TImgUtil(TImgPlatform* platform) : platform_(platform ? platform : &NoImgPlatform()) {}

TImgUtil::~TImgUtil() = default;

void TImgUtil::SetPlatform(TImgPlatform* platform) { platform_ = platform ? platform : &NoImgPlatform(); }

void TImgUtil::SetQuality(int value) { quality_ = std::clamp(value, 1, 100); }

void TImgUtil::SetTextExt(const std::string& value) {
    textExt_ = value;
    std::string list = LowerCaseName(value);
    std::erase(list, '*');
    textExtList_ = ";" + list + ";";
}

void TImgUtil::SetBKColor(TColor value) {
    if (value == bkColor_) return;
    bkColor_ = value;
    if (OnChange) OnChange();
}

TImageType TImgUtil::DetectType(const std::string& path) {
    if (CustomLoader && CustomLoader->Handles(path)) return TImageType::iitCustom;
    const std::string ext = LowerCaseName(ExtractFileExt(path));
    if (ext.empty()) {
        const bool drive = path.size() >= 2 && path.compare(path.size() - 2, 2, ":\\") == 0;
        return drive || DirectoryExists(path) ? TImageType::iitDir : TImageType::iitNone;
    }
    const TImageType known = ImageTypeByExtension(path);
    if (known != TImageType::iitNone) return known;
    if (textExtList_.find(ext) != std::string::npos) return TImageType::iitTxt;
    if (sPlugin_.Claims(path)) return TImageType::iitSusie;
    return TImageType::iitNone;
}

int TImgUtil::LoadImage(const std::string& path, int width, int iconIndex, int height) {
    bitmap_ = TBitmap(0, 0, TPixelFormat::pf24bit);
    imageType_ = TImageType::iitNone;
    iconCount_ = 0;
    iconIndex_ = 0;
    sourceWidth_ = sourceHeight_ = 0;
    TFileFacts facts;
    if (!GetFileFacts(path, facts)) return kImgMissing;

    imageType_ = DetectType(path);
    switch (imageType_) {
        case TImageType::iitNone: case TImageType::iitIco: case TImageType::iitCur: case TImageType::iitAni:
        case TImageType::iitExe: case TImageType::iitDll: case TImageType::iitDir:
            return MakeIcon(path, iconIndex);
        default:
            break;
    }
    if (UsesCache() && FromCache(path, width, height)) return kImgLoaded;

    int code = kImgFailed;
    try {
        code = Decode(path, width, height);
    } catch (const std::exception&) {
        code = kImgFailed;
    }
    if (code != kImgLoaded) {
        MakeIcon(path, iconIndex);
        return code;
    }
    if (UsesCache()) ToCache(path);
    return kImgLoaded;
}

int TImgUtil::Decode(const std::string& path, int width, int height) {
    // Every decoder ends here: the picture as decoded is the source size,
    // then it is fitted to the box.
    const auto decoded = [&](int code) {
        if (code != kImgLoaded) return code;
        Ensure24Bit(bitmap_);
        sourceWidth_ = bitmap_.Width();
        sourceHeight_ = bitmap_.Height();
        Fit(width, height);
        return code;
    };
    switch (imageType_) {
        case TImageType::iitBmp:
            return decoded(platform_->LoadBmp(path, bitmap_));
        case TImageType::iitJpeg: {
            TFileStream file(path, TFileMode::fmOpenRead);
            return LoadJpeg(file, width, height);
        }
        case TImageType::iitPng: {
            // Transparent parts show the list's background.
            TPngImage png;
            png.LoadFromFile(path);
            png.SetBackground({static_cast<std::uint8_t>(bkColor_), static_cast<std::uint8_t>(bkColor_ >> 8),
                               static_cast<std::uint8_t>(bkColor_ >> 16), 0});
            png.AssignTo(bitmap_);
            return decoded(kImgLoaded);
        }
        case TImageType::iitEmf: case TImageType::iitWmf:
            return decoded(platform_->LoadMetafile(path, bkColor_, bitmap_));
        case TImageType::iitHtml: case TImageType::iitEml:
            return DecodeShellImage(path, width, height);
        case TImageType::iitTxt:
            return DecodeText(path, width, height);
        case TImageType::iitAvi:
            return decoded(platform_->LoadVideoFrame(path, AviFramePos, bitmap_));
        case TImageType::iitCustom:
            return decoded(CustomLoader && CustomLoader->Load(path, bitmap_) ? kImgLoaded : kImgFailed);
        case TImageType::iitSusie:
            // A file no plug-in could decode after all gets its icon.
            return decoded(sPlugin_.Decode(path, bitmap_));
        default:
            return kImgFailed;
    }
}

void TImgUtil::Fit(int width, int height) {
    if (GetType != TGetType::igtNormal) FitBitmap(bitmap_, width, height, GetType);
}

// A camera's own preview instead of the photo, when it shows the same
// picture (the same fitted size within a pixel: not cropped, not
// letterboxed) at least as large as the box shows it: about a millisecond
// against the whole photo's decoding. A preview that cannot be read leaves
// the photo to be decoded.
bool TImgUtil::LoadExifPreview(const TJpegHeader& photo, int width, int height) {
    const std::vector<std::uint8_t>& bytes = photo.exifPreview;
    if (bytes.empty() || GetType == TGetType::igtNormal) return false;
    try {
        const TJpegHeader preview = ReadJpegHeader(bytes.data(), bytes.size());
        const TImgSize shown = FitSize(photo.width, photo.height, width, height, GetType);
        const TImgSize fromPreview = FitSize(preview.width, preview.height, width, height, GetType);
        if (std::abs(shown.Width - fromPreview.Width) > 1 || std::abs(shown.Height - fromPreview.Height) > 1)
            return false;
        if (preview.width < shown.Width || preview.height < shown.Height) return false;  // it would be enlarged
        // Too short for its own blocks: a cut-off preview would show grey.
        if (static_cast<std::int64_t>(bytes.size()) - preview.dataStart < preview.minDataBytes) return false;
        TMemoryStream data;
        data.Write(bytes.data(), bytes.size());
        data.SetPosition(0);
        TJpegDecodeOptions options;
        options.fast = Performance == TJPEGPerformance::jpBestSpeed;
        options.scaleDenom = JpegScaleFor(preview.width, preview.height, shown.Width, shown.Height);
        pim::DecodeJpeg(data, options, bitmap_);
    } catch (const Exception&) {
        return false;
    }
    Ensure24Bit(bitmap_);
    sourceWidth_ = photo.width;
    sourceHeight_ = photo.height;
    Fit(width, height);
    return true;
}

int TImgUtil::LoadJpeg(TStream& stream, int width, int height) {
    const std::int64_t start = stream.Position();
    const TJpegHeader header = ReadJpegHeader(stream);
    stream.SetPosition(start);
    if (header.width != width || header.height != height)
        if (LoadExifPreview(header, width, height)) return kImgLoaded;
    TJpegDecodeOptions options;
    options.fast = Performance == TJPEGPerformance::jpBestSpeed;
    options.smoothing = !options.fast;
    const bool exact = header.width == width && header.height == height;
    if (GetType != TGetType::igtNormal && !exact)
        options.scaleDenom = JpegScaleFor(header.width, header.height, width, height);
    pim::DecodeJpeg(stream, options, bitmap_);
    Ensure24Bit(bitmap_);
    sourceWidth_ = header.width;
    sourceHeight_ = header.height;
    if (!exact) Fit(width, height);
    return kImgLoaded;
}

int TImgUtil::DecodeText(const std::string& path, int width, int height) {
    if (!FileExists(path)) return kImgMissing;
    bitmap_ = TBitmap(std::max(2 * width, 0), std::max(2 * height, 0), TPixelFormat::pf24bit);
    FillBitmap(bitmap_, bkColor_);
    const int lineHeight = platform_->TextLineHeight(Font);
    if (lineHeight < 1) return kImgMissing;
    TFileStream file(path, TFileMode::fmOpenRead);
    const std::string text = ReadTextPictureLines(file, 2 * height / lineHeight + 1, width + 1);
    platform_->DrawText(bitmap_, Font, text);
    sourceWidth_ = bitmap_.Width();
    sourceHeight_ = bitmap_.Height();
    Fit(width, height);
    return kImgLoaded;
}

int TImgUtil::DecodeShellImage(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0) return kImgFailed;
    constexpr int kExtractWidth = 640;
    bitmap_ = TBitmap(kExtractWidth, static_cast<int>(static_cast<double>(kExtractWidth) / width * height),
                      TPixelFormat::pf24bit);
    const int code = platform_->ExtractImage(path, bitmap_);
    if (code != kImgLoaded) return code;
    Ensure24Bit(bitmap_);
    sourceWidth_ = bitmap_.Width();
    sourceHeight_ = bitmap_.Height();
    // The picture already has the box's aspect.
    if (GetType != TGetType::igtNormal) Resample(bitmap_, width, height);
    return kImgLoaded;
}

int TImgUtil::MakeIcon(const std::string& path, int iconIndex) {
    if (imageType_ == TImageType::iitExe || imageType_ == TImageType::iitDll) {
        iconCount_ = -1;
        iconCount_ = platform_->CountIcons(path);
    }
    platform_->DrawIcon(path, iconIndex, bkColor_, bitmap_);
    Ensure24Bit(bitmap_);
    sourceWidth_ = bitmap_.Width();
    sourceHeight_ = bitmap_.Height();
    iconIndex_ = iconIndex;
    return kImgLoaded;
}

bool TImgUtil::FromCache(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> jpeg;
    int sourceWidth = 0, sourceHeight = 0;
    if (!thumbnail_.Lookup(path, jpeg, sourceWidth, sourceHeight)) return false;
    try {
        TMemoryStream data;
        data.Write(jpeg.data(), jpeg.size());
        data.SetPosition(0);
        LoadJpeg(data, width, height);
    } catch (const Exception&) {
        return false;  // a damaged entry: decode the file itself
    }
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    return true;
}

void TImgUtil::ToCache(const std::string& path) {
    try {
        thumbnail_.Store(path, bitmap_, sourceWidth_, sourceHeight_, quality_);
    } catch (const Exception&) {
        // The thumbnail is made; a cache that cannot take it only costs time.
    }
}

std::string ReadTextPictureLines(TStream& stream, int maxLines, int maxBytes) {
    std::string text, line;
    int lines = 0;
    bool pending = false;  // bytes of a line not yet ended
    const auto endLine = [&] {
        if (lines > 0) text += "\r\n";
        text += line;
        line.clear();
        pending = false;
        ++lines;
    };
    char chunk[1024];
    while (lines < maxLines) {
        const std::size_t n = stream.Read(chunk, sizeof chunk);
        if (n == 0) break;
        for (std::size_t i = 0; i < n && lines < maxLines; ++i) {
            const char c = chunk[i];
            if (c == '\r') continue;
            if (c == '\n') {
                endLine();
                continue;
            }
            pending = true;
            if (static_cast<int>(line.size()) < maxBytes) line += c;
        }
    }
    if (pending && lines < maxLines) endLine();
    return text;
}

}  // namespace pim

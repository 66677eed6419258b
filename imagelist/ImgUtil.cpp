#include "imagelist/ImgUtil.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <vector>

#include "base/Classes.h"
#include "graphics/Exif.h"
#include "graphics/JpegCodec.h"
#include "graphics/Png.h"
#include "graphics/ScanWebFiles.h"
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

// One LoadImage call: the box, what it asked for and where the result goes.
struct TImgUtil::TJob {
    const std::string& path;
    int width;
    int height;
    int iconIndex;
    int quarterTurns;
    TImgResult& out;
};

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
    if (sPlugin_.Count() > 0) {
        std::lock_guard lock(stateful_);
        if (sPlugin_.Claims(path)) return TImageType::iitSusie;
    }
    return TImageType::iitNone;
}

int TImgUtil::LoadImage(const std::string& path, int width, int iconIndex, int height) {
    return LoadImage(path, width, iconIndex, height, last_);
}

int TImgUtil::LoadImage(const std::string& path, int width, int iconIndex, int height, TImgResult& result,
                        int quarterTurns) {
    result = TImgResult{};
    TJob job{path, width, height, iconIndex, ((quarterTurns % 4) + 4) % 4, result};
    TFileFacts facts;
    if (!GetFileFacts(path, facts)) return kImgMissing;

    result.ImageType = DetectType(path);
    switch (result.ImageType) {
        case TImageType::iitNone:
        case TImageType::iitIco:
        case TImageType::iitCur:
        case TImageType::iitAni:
        case TImageType::iitExe:
        case TImageType::iitDll:
        case TImageType::iitDir: return MakeIcon(job);
        default: break;
    }
    // The cache keeps pictures as their files store them.
    const bool cached = UsesCache() && job.quarterTurns == 0 && !AutoOrient;
    if (cached && FromCache(job)) return kImgLoaded;

    int code = kImgFailed;
    try {
        code = Decode(job);
    } catch (const std::exception&) {
        code = kImgFailed;
    }
    if (code != kImgLoaded) {
        MakeIcon(job);
        return code;
    }
    if (cached) ToCache(job);
    return kImgLoaded;
}

int TImgUtil::Decode(TJob& job) {
    TBitmap& bitmap = job.out.Bitmap;
    // Every decoder ends here: the picture as decoded is the source size,
    // then it is turned as its page will be and fitted to the box.
    const auto decoded = [&](int code) {
        if (code != kImgLoaded) return code;
        Ensure24Bit(bitmap);
        job.out.SourceWidth = bitmap.Width();
        job.out.SourceHeight = bitmap.Height();
        const TImageType type = job.out.ImageType;
        if (type == TImageType::iitBmp || type == TImageType::iitPng || type == TImageType::iitTiff ||
            type == TImageType::iitGif || type == TImageType::iitWebp)
            Orient(bitmap, TurnOrientation(1, job.quarterTurns));
        Fit(job);
        return code;
    };
    switch (job.out.ImageType) {
        case TImageType::iitBmp: return decoded(platform_->LoadBmp(job.path, bitmap));
        case TImageType::iitJpeg: {
            TFileStream file(job.path, TFileMode::fmOpenRead);
            return LoadJpeg(job, file);
        }
        case TImageType::iitPng: {
            // Transparent parts show the list's background.
            TPngImage png;
            png.LoadFromFile(job.path);
            png.SetBackground({static_cast<std::uint8_t>(bkColor_), static_cast<std::uint8_t>(bkColor_ >> 8),
                               static_cast<std::uint8_t>(bkColor_ >> 16), 0});
            png.AssignTo(bitmap);
            return decoded(kImgLoaded);
        }
        case TImageType::iitTiff:
        case TImageType::iitGif:
        case TImageType::iitWebp: {
            // The first page as the PDF shows it, over white.
            const TFileKind kind = job.out.ImageType == TImageType::iitTiff  ? TFileKind::fkTiff
                                   : job.out.ImageType == TImageType::iitGif ? TFileKind::fkGif
                                                                             : TFileKind::fkWebp;
            RasterPixelsToBitmap(DecodeScanWebFile(job.path, kind), bitmap);
            return decoded(kImgLoaded);
        }
        case TImageType::iitEmf:
        case TImageType::iitWmf: return decoded(platform_->LoadMetafile(job.path, bkColor_, bitmap));
        case TImageType::iitHtml:
        case TImageType::iitEml: return DecodeShellImage(job);
        case TImageType::iitTxt: return DecodeText(job);
        case TImageType::iitAvi: return decoded(platform_->LoadVideoFrame(job.path, AviFramePos, bitmap));
        case TImageType::iitCustom:
            return decoded(CustomLoader && CustomLoader->Load(job.path, bitmap) ? kImgLoaded : kImgFailed);
        case TImageType::iitSusie: {
            // A file no plug-in could decode after all gets its icon.
            std::unique_lock lock(stateful_);
            const int code = sPlugin_.Decode(job.path, bitmap);
            lock.unlock();
            return decoded(code);
        }
        default: return kImgFailed;
    }
}

void TImgUtil::Fit(TJob& job) {
    if (GetType != TGetType::igtNormal) FitBitmap(job.out.Bitmap, job.width, job.height, GetType);
}

namespace {

// The box a stored picture is fitted to before it is turned: the box on
// its side when the turn stands the picture on its side.
TImgSize StoredBox(int width, int height, int orientation) {
    return orientation >= 5 ? TImgSize{height, width} : TImgSize{width, height};
}

}  // namespace

// A camera's own preview instead of the photo, when it shows the same
// picture (the same fitted size within a pixel: not cropped, not
// letterboxed) at least as large as the box shows it: about a millisecond
// against the whole photo's decoding. A preview that cannot be read leaves
// the photo to be decoded. The preview is stored turned as the photo is.
bool TImgUtil::LoadExifPreview(TJob& job, const TJpegHeader& photo, int orientation) {
    const std::vector<std::uint8_t>& bytes = photo.exifPreview;
    if (bytes.empty() || GetType == TGetType::igtNormal) return false;
    const TImgSize box = StoredBox(job.width, job.height, orientation);
    try {
        const TJpegHeader preview = ReadJpegHeader(bytes.data(), bytes.size());
        const TImgSize shown = FitSize(photo.width, photo.height, box.Width, box.Height, GetType);
        const TImgSize fromPreview = FitSize(preview.width, preview.height, box.Width, box.Height, GetType);
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
        pim::DecodeJpeg(data, options, job.out.Bitmap);
    } catch (const Exception&) {
        return false;
    }
    Ensure24Bit(job.out.Bitmap);
    job.out.SourceWidth = photo.width;
    job.out.SourceHeight = photo.height;
    Orient(job.out.Bitmap, orientation);
    Fit(job);
    return true;
}

int TImgUtil::LoadJpeg(TJob& job, TStream& stream) {
    const std::int64_t start = stream.Position();
    const TJpegHeader header = ReadJpegHeader(stream);
    stream.SetPosition(start);
    const int orientation = TurnOrientation(AutoOrient ? header.orientation : 1, job.quarterTurns);
    const TImgSize box = StoredBox(job.width, job.height, orientation);
    const bool exact = header.width == box.Width && header.height == box.Height;
    if (!exact && LoadExifPreview(job, header, orientation)) return kImgLoaded;
    TJpegDecodeOptions options;
    options.fast = Performance == TJPEGPerformance::jpBestSpeed;
    options.smoothing = !options.fast;
    if (GetType != TGetType::igtNormal && !exact)
        options.scaleDenom = JpegScaleFor(header.width, header.height, box.Width, box.Height);
    TBitmap& bitmap = job.out.Bitmap;
    pim::DecodeJpeg(stream, options, bitmap);
    Ensure24Bit(bitmap);
    job.out.SourceWidth = header.width;
    job.out.SourceHeight = header.height;
    Orient(bitmap, orientation);
    if (!exact) Fit(job);
    return kImgLoaded;
}

int TImgUtil::DecodeText(TJob& job) {
    if (!FileExists(job.path)) return kImgMissing;
    TBitmap& bitmap = job.out.Bitmap;
    bitmap = TBitmap(std::max(2 * job.width, 0), std::max(2 * job.height, 0), TPixelFormat::pf24bit);
    FillBitmap(bitmap, bkColor_);
    const int lineHeight = platform_->TextLineHeight(Font);
    if (lineHeight < 1) return kImgMissing;
    TFileStream file(job.path, TFileMode::fmOpenRead);
    const std::string text = ReadTextPictureLines(file, 2 * job.height / lineHeight + 1, job.width + 1);
    platform_->DrawText(bitmap, Font, text);
    job.out.SourceWidth = bitmap.Width();
    job.out.SourceHeight = bitmap.Height();
    Fit(job);
    return kImgLoaded;
}

int TImgUtil::DecodeShellImage(TJob& job) {
    if (job.width <= 0 || job.height <= 0) return kImgFailed;
    constexpr int kExtractWidth = 640;
    TBitmap& bitmap = job.out.Bitmap;
    bitmap = TBitmap(kExtractWidth, static_cast<int>(static_cast<double>(kExtractWidth) / job.width * job.height),
                     TPixelFormat::pf24bit);
    const int code = platform_->ExtractImage(job.path, bitmap);
    if (code != kImgLoaded) return code;
    Ensure24Bit(bitmap);
    job.out.SourceWidth = bitmap.Width();
    job.out.SourceHeight = bitmap.Height();
    // The picture already has the box's aspect.
    if (GetType != TGetType::igtNormal) Resample(bitmap, job.width, job.height);
    return kImgLoaded;
}

int TImgUtil::MakeIcon(TJob& job) {
    TImgResult& out = job.out;
    if (out.ImageType == TImageType::iitExe || out.ImageType == TImageType::iitDll) {
        out.IconCount = -1;
        out.IconCount = platform_->CountIcons(job.path);
    }
    platform_->DrawIcon(job.path, job.iconIndex, bkColor_, out.Bitmap);
    Ensure24Bit(out.Bitmap);
    out.SourceWidth = out.Bitmap.Width();
    out.SourceHeight = out.Bitmap.Height();
    out.IconIndex = job.iconIndex;
    return kImgLoaded;
}

bool TImgUtil::FromCache(TJob& job) {
    std::vector<std::uint8_t> jpeg;
    int sourceWidth = 0, sourceHeight = 0;
    {
        std::lock_guard lock(stateful_);
        if (!thumbnail_.Lookup(job.path, jpeg, sourceWidth, sourceHeight)) return false;
    }
    try {
        TMemoryStream data;
        data.Write(jpeg.data(), jpeg.size());
        data.SetPosition(0);
        LoadJpeg(job, data);
    } catch (const Exception&) {
        return false;  // a damaged entry: decode the file itself
    }
    job.out.SourceWidth = sourceWidth;
    job.out.SourceHeight = sourceHeight;
    return true;
}

void TImgUtil::ToCache(TJob& job) {
    try {
        std::lock_guard lock(stateful_);
        thumbnail_.Store(job.path, job.out.Bitmap, job.out.SourceWidth, job.out.SourceHeight, quality_);
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

#include "app/ImageAdjust.h"

#include <array>
#include <cmath>

#include "app/MainModel.h"
#include "base/CodePage.h"
#include "graphics/BmpFile.h"
#include "graphics/ScanWebFiles.h"

namespace pim {

namespace {

// One weighted channel, R, G or B, for every byte value. The products are
// the same extended-precision values the formula makes, so a table lookup
// gives the same sums.
struct TGreyWeights {
    std::array<long double, 256> red, green, blue;
    TGreyWeights() {
        for (int v = 0; v < 256; ++v) {
            red[v] = 0.289L * v;
            green[v] = 0.586L * v;
            blue[v] = 0.114L * v;
        }
    }
};

const TGreyWeights& GreyWeights() {
    static const TGreyWeights weights;
    return weights;
}

}  // namespace

std::uint8_t GreyOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const TGreyWeights& w = GreyWeights();
    // nearbyint rounds halves to the even neighbour in the default mode.
    const long double grey = std::nearbyint(w.red[red] + w.green[green] + w.blue[blue]);
    return ClampByte(static_cast<int>(grey));
}

void MatchBitmaps(TBitmap& source, TBitmap& result) {
    source.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetPixelFormat(TPixelFormat::pf24bit);
    result.SetSize(source.Width(), source.Height());
}

TBitmap ApplyEffect(TBitmap source, const TAdjustSettings& settings) {
    try {
        TBitmap result;
        MatchBitmaps(source, result);
        std::array<std::uint8_t, 256> shifted;  // ClampByte(v + brightness) for every byte v
        for (int v = 0; v < 256; ++v) shifted[v] = ClampByte(v + settings.Brightness);
        const int width = source.Width();
        for (int y = 0; y < source.Height(); ++y) {
            const std::uint8_t* in = source.ScanLine(y);
            std::uint8_t* out = result.ScanLine(y);
            if (settings.Greyscale) {
                // Memory order of a pixel: blue, green, red.
                for (int x = 0; x < width; ++x, in += 3, out += 3)
                    out[0] = out[1] = out[2] = shifted[GreyOf(in[2], in[1], in[0])];
            } else {
                for (int i = 0; i < width * 3; ++i) out[i] = shifted[in[i]];
            }
        }
        return result;
    } catch (...) {
        // The effect is optional: the picture goes on as it was.
        return source;
    }
}

void LoadTextLines(const std::string& file, TStringList& lines) {
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    lines.SetText(
        TextFileToAnsi({reinterpret_cast<const char*>(bytes.Memory()), static_cast<std::size_t>(bytes.Size())}));
}

void AdjustImage(const TAdjustTarget& target, const TAdjustSettings& settings, TWorkObjects& work) {
    target.CurrentKind = FileKindOf(target.CurrentFile);
    if (target.CurrentKind == TFileKind::fkText) {
        LoadTextLines(target.CurrentFile, target.TextLines);
        return;
    }
    if (target.CurrentKind == TFileKind::fkJpeg) {
        work.WorkJpeg.LoadFromFile(target.CurrentFile);
        work.WorkJpeg.AssignTo(work.WorkBitmap);  // decoded once, straight into the work bitmap
        work.SourceCutOff = work.WorkJpeg.Data()->CutOff();
        work.SourceOrientation = work.WorkJpeg.Header().orientation;
        work.SourceDensity = work.WorkJpeg.Header().density;
        work.WorkBitmap.SetPixelFormat(TPixelFormat::pf24bit);
    } else if (target.CurrentKind == TFileKind::fkPng) {
        // Decoded over white, as its page would show it.
        TPngImage png;
        png.LoadFromFile(target.CurrentFile);
        png.CheckData();  // the warning its page would give without re-encoding
        work.SourceDensity = png.Density();
        const std::string damage = png.Decode(work.WorkBitmap);
        work.SourceCutOff = png.CutOff();
        if (!work.SourceCutOff) work.SourceWarning = png.Damage().empty() ? damage : png.Damage();
        target.CurrentKind = TFileKind::fkJpeg;
    } else if (IsScanWebKind(target.CurrentKind)) {
        // TIFF, GIF and WebP: the first page over white.
        const TRasterPixels pixels = DecodeScanWebFile(target.CurrentFile, target.CurrentKind);
        RasterPixelsToBitmap(pixels, work.WorkBitmap);
        work.SourceWarning = pixels.Damage;
        work.SourceDensity = pixels.Density;
        target.CurrentKind = TFileKind::fkJpeg;
    } else {
        work.SourceWarning = LoadBmpFile(target.CurrentFile, work.WorkBitmap);
        work.SourceDensity = work.WorkBitmap.Density();
        target.CurrentKind = TFileKind::fkJpeg;  // from here on the picture is a JPEG
    }
    if (settings.Greyscale || settings.Brightness != 0)
        work.WorkBitmap = ApplyEffect(std::move(work.WorkBitmap), settings);

    // The JPEG object keeps its settings (a progressive source stays
    // progressive) and now holds the bitmap and no compressed data.
    work.WorkJpeg.Assign(std::move(work.WorkBitmap));
    if (settings.Quality != 100) {
        work.WorkJpeg.SetCompressionQuality(settings.Quality);
        work.WorkStream.SetPosition(0);
        work.WorkJpeg.SaveToStream(work.WorkStream);
        work.WorkStream.SetPosition(0);
        work.WorkJpeg.LoadFromStream(work.WorkStream);
    }
    // A copy: it shares the compressed data, or holds the bitmap with the
    // default quality 90 at which the PDF writer will encode it.
    target.Image1.SetGraphic(&work.WorkJpeg);
}

}  // namespace pim

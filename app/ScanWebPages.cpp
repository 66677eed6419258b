#include "app/ScanWebPages.h"

#include "graphics/WebpFile.h"

namespace pim {

namespace {

// Decoded pixels as the JPEG item takes them: the effect of 画像の調整 when
// it applies, encoded at the quality (or by the PDF writer at 100).
std::unique_ptr<TGraphic> AsJpeg(const TRasterPixels& pixels, const TAdjustSettings& adjust, bool applyEffect) {
    TBitmap bitmap;
    RasterPixelsToBitmap(pixels, bitmap);
    if (applyEffect && (adjust.Greyscale || adjust.Brightness != 0)) bitmap = ApplyEffect(std::move(bitmap), adjust);
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->Assign(std::move(bitmap));
    if (adjust.Quality != 100) {
        jpeg->SetCompressionQuality(adjust.Quality);
        TMemoryStream encoded;
        jpeg->SaveToStream(encoded);
        encoded.SetPosition(0);
        jpeg->LoadFromStream(encoded);
    }
    return jpeg;
}

TScanWebPage FromPixels(const TRasterPixels& pixels, const TAdjustSettings& adjust, bool reencode) {
    TScanWebPage page;
    page.Warning = pixels.Damage;
    page.Density = pixels.Density;
    if (reencode)
        page.Picture = AsJpeg(pixels, adjust, true);
    else
        page.Picture = std::make_unique<TRasterPage>(TRasterPage::FromPixels(pixels));
    return page;
}

}  // namespace

TScanWebPage PrepareScanWebPage(const std::string& file, TFileKind kind, const TAdjustSettings& adjust, bool reencode,
                                TScanWebMorePages& more) {
    more = {};
    if (kind == TFileKind::fkTiff) {
        auto tiff = std::make_shared<const TTiffFile>(TTiffFile::Open(file));
        more.Tiff = tiff;
        more.Count = tiff->PageCount();
        TScanWebPage page = PrepareScanWebPage(more, 0, adjust, reencode);
        return page;
    }
    if (kind == TFileKind::fkWebp) {
        const TWebpPicture webp = DecodeWebpFile(file);
        if (webp.Lossy && !reencode) {
            TScanWebPage page;
            page.Warning = webp.Pixels.Damage;
            page.Picture = AsJpeg(webp.Pixels, adjust, false);
            return page;
        }
        return FromPixels(webp.Pixels, adjust, reencode);
    }
    return FromPixels(DecodeScanWebFile(file, kind), adjust, reencode);
}

TScanWebPage PrepareScanWebPage(const TScanWebMorePages& pages, int index, const TAdjustSettings& adjust,
                                bool reencode) {
    const TTiffFile& tiff = *pages.Tiff;
    TScanWebPage page;
    if (!reencode && tiff.KeepsData(index)) {
        page.Picture = std::make_unique<TRasterPage>(tiff.KeptPage(index));
    } else if (reencode) {
        page = FromPixels(tiff.Decode(index), adjust, true);
    } else {
        const TRasterPixels pixels = tiff.Decode(index);
        page.Warning = pixels.Damage;
        page.Picture = std::make_unique<TRasterPage>(tiff.Recompressed(index, pixels));
    }
    page.Density = tiff.Facts(index).Density;
    // A damaged page list is told with the last page there is.
    if (index == tiff.PageCount() - 1 && !tiff.ChainDamage().empty())
        page.Warning += (page.Warning.empty() ? "" : "; ") + tiff.ChainDamage();
    return page;
}

std::string PageBookmarkSuffix(int index, int count) {
    if (count <= 1) return {};
    return " (" + std::to_string(index + 1) + "/" + std::to_string(count) + ")";
}

}  // namespace pim

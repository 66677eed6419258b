// The pages of TIFF, GIF and WebP files in the run: a TIFF gives every page,
// GIF and WebP one. A page is a TRasterPage for the "Pdf-Raster" item, or a
// JPEG object for the JPEG item: a lossy WebP (encoded at the quality of
// JPEG再変換) and every page when JPEG再変換 is on (decoded, adjusted and
// encoded as a BMP is).
#pragma once

#include <memory>
#include <string>

#include "app/ImageAdjust.h"
#include "graphics/ScanWebFiles.h"
#include "graphics/TiffFile.h"

namespace pim {

struct TScanWebPage {
    std::unique_ptr<TGraphic> Picture;
    std::string Warning;  // why the page is not the whole picture; empty when it is
    TDensity Density;     // what the file states for the page (none when nothing)
};

// A file's pages after its first, made in their turn so that a long scan
// never waits whole in memory.
struct TScanWebMorePages {
    std::shared_ptr<const TTiffFile> Tiff;
    int Count = 1;  // all the file's pages
};

// The first page of `file`; a TIFF's further pages are left in `more`.
TScanWebPage PrepareScanWebPage(const std::string& file, TFileKind kind, const TAdjustSettings& adjust, bool reencode,
                                TScanWebMorePages& more);
// Page `index` (from 0) of a multi-page file.
TScanWebPage PrepareScanWebPage(const TScanWebMorePages& pages, int index, const TAdjustSettings& adjust,
                                bool reencode);

// What the bookmark of page `index` of `count` adds to the file's name: "" for
// a file of one page, " (n/N)" otherwise.
std::string PageBookmarkSuffix(int index, int count);

}  // namespace pim

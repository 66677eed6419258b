// The scanner and web picture kinds together (TIFF, GIF, WebP), told by the
// file kind: what the thumbnails, the preview and re-encoding decode.
#pragma once

#include <string>

#include "base/FileKind.h"
#include "graphics/RasterPage.h"

namespace pim {

constexpr bool IsScanWebKind(TFileKind kind) {
    return kind == TFileKind::fkTiff || kind == TFileKind::fkGif || kind == TFileKind::fkWebp;
}

// The first page decoded over white, as its PDF page shows it; raises as
// the kind's reader does.
TRasterPixels DecodeScanWebFile(const std::string& fileName, TFileKind kind);

}  // namespace pim

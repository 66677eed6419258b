#include "graphics/ScanWebFiles.h"

#include "graphics/GifFile.h"
#include "graphics/TiffFile.h"
#include "graphics/WebpFile.h"

namespace pim {

TRasterPixels DecodeScanWebFile(const std::string& fileName, TFileKind kind) {
    switch (kind) {
        case TFileKind::fkTiff: return TTiffFile::Open(fileName).Decode(0);
        case TFileKind::fkGif: return DecodeGifFile(fileName);
        case TFileKind::fkWebp: return DecodeWebpFile(fileName).Pixels;
        default: throw EInvalidGraphic("not a TIFF, GIF or WebP file", TFault::fNotItsKind);
    }
}

}  // namespace pim

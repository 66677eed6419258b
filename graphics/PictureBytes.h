// A whole picture file in memory, for the readers that decode from memory.
#pragma once

#include <string>

#include "base/Classes.h"
#include "graphics/Graphics.h"

namespace pim {

// Raises EStreamError when the file cannot be read, EInvalidGraphic (too
// large) past the bitmap memory ceiling.
inline void LoadPictureBytes(const std::string& fileName, TMemoryStream& bytes, const char* kind) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    if (file.Size() > BitmapMemoryLimit())
        throw EInvalidGraphic(std::string(kind) + " file is larger than the program holds", TFault::fTooLarge);
    bytes.CopyFrom(file);
}

}  // namespace pim

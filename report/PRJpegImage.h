// The JPEG picture item: prints the picture's compressed data unchanged as a
// DCT-encoded image object.
#pragma once

#include "report/PReport.h"

namespace pim {

class TPRJpegImage : public TPRImage {
public:
    const char* ClassName() const override { return "TPRJpegImage"; }
    void PrintItem(TPRCanvas& canvas, TRect rect) override;
    // Raises "only jpeg image is allowed." when the picture holds another
    // kind of graphic.
    void SetPicture(const TPicture& value) override;

    // A free name `base` + n with a fresh n from `next` for every attempt, at
    // most 65535 attempts; raises "image count over max value.." when every
    // attempt hits a taken name.
    static std::string FindFreeRandomName(const std::string& base, const std::function<int()>& next,
                                          const std::function<bool(const std::string&)>& taken);

protected:
    std::string FreeImageName(const TPdfDoc& doc) override;
};

}  // namespace pim

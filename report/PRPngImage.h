// The PNG picture item: prints the picture through the "Pdf-Png" builder,
// its compressed data unchanged where the kind allows.
#pragma once

#include "report/PReport.h"

namespace pim {

class TPRPngImage : public TPRImage {
public:
    const char* ClassName() const override { return "TPRPngImage"; }
    void PrintItem(TPRCanvas& canvas, TRect rect) override;
    // Raises "only png image is allowed." when the picture holds another
    // kind of graphic.
    void SetPicture(const TPicture& value) override;
};

}  // namespace pim

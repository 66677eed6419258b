#include "app/Preview.h"

#include <memory>
#include <new>

#include "app/MainModel.h"
#include "graphics/Exif.h"
#include "graphics/Jpeg.h"
#include "graphics/Resample.h"

namespace pim {

namespace {

// The picture turned to `orientation` (1 leaves it as it is): a bitmap then.
TPicture Turned(TPicture picture, int orientation) {
    if (orientation == 1 || !picture.Graphic()) return picture;
    auto bitmap = std::make_unique<TBitmap>();
    picture.Graphic()->AssignTo(*bitmap);
    Ensure24Bit(*bitmap);
    Orient(*bitmap, orientation);
    picture.SetGraphic(std::move(bitmap));
    return picture;
}

}  // namespace

TPicture PreviewPicture(const std::string& file, const TAdjustSettings& adjust, const TPreviewTurn& turn) {
    TWorkObjects work;
    TFileKind kind = TFileKind::fkOther;
    TPicture picture;
    TStringList lines;
    AdjustImage({file, kind, picture, lines}, adjust, work);
    const int stored = turn.AutoOrient && work.SourceOrientation ? work.SourceOrientation : 1;
    return Turned(std::move(picture), TurnOrientation(stored, turn.QuarterTurns));
}

TPicture OriginalPicture(const std::string& file, const TPreviewTurn& turn) {
    TPicture picture;
    picture.LoadFromFile(file);
    const TJPEGImage* jpeg = picture.Jpeg();
    const int stored = turn.AutoOrient && jpeg && jpeg->Header().orientation ? jpeg->Header().orientation : 1;
    return Turned(std::move(picture), TurnOrientation(stored, turn.QuarterTurns));
}

bool IsTooLargeToPreview(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return e.Fault() == TFault::fTooLarge || e.Fault() == TFault::fOutOfMemory;
    } catch (const std::bad_alloc&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace pim

// The PNG picture object. Loading reads and checks the file's structure and
// keeps where its image data are, not the pixels: a picture whose compressed
// data can go into a PDF as they are is never inflated by this program.
// Pixels are decoded when a bitmap is asked for, composited over a
// background colour (white unless set). Copies share the source and the
// structure.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/FileSystem.h"
#include "graphics/Graphics.h"
#include "graphics/PngFile.h"

namespace pim {

// The bytes a PNG picture was read from: its file, read again when needed
// and refused once its stamp changes, or bytes in memory.
class TPngSource {
public:
    static std::shared_ptr<const TPngSource> FromFile(std::string fileName, const TFileStamp& stamp);
    static std::shared_ptr<const TPngSource> FromBytes(std::vector<std::uint8_t> bytes);

    bool InMemory() const { return fileName_.empty(); }
    const std::string& FileName() const { return fileName_; }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    // A stream over the bytes from the start; for a file, raises EStreamError
    // when it cannot be opened or its stamp changed since it was read.
    std::unique_ptr<TStream> Open() const;

private:
    TPngSource() = default;
    std::string fileName_;
    TFileStamp stamp_;
    std::vector<std::uint8_t> bytes_;
};

// A decoded kind's samples over white, 8-bit grey or RGB rows, compressed
// with Flate.
struct TPngFlateSamples {
    int Channels = 3;
    std::vector<std::uint8_t> Data;
    std::string Damage;  // why the samples are not the whole picture (DecodePng); empty when they are
};

class TPngImage : public TGraphic {
public:
    int Width() const override { return structure_ ? structure_->Width : 0; }
    int Height() const override { return structure_ ? structure_->Height : 0; }
    bool Empty() const override { return !structure_; }

    // Takes the stream's bytes from its position to its end.
    void LoadFromStream(TStream& stream) override;
    // Reads the file once (its CRCs) and refers to it from then on.
    void LoadFromFile(const std::string& fileName) override;
    // Writes the source's bytes as they are.
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TPngImage>(*this); }
    // A 24-bit bitmap of the picture over the background colour.
    void AssignTo(TBitmap& dest) const override { Decode(dest); }
    // AssignTo, returning why the bitmap is not the whole picture (damaged
    // image data decode as far as they go); empty when it is.
    std::string Decode(TBitmap& dest) const;

    // The colour under transparent pixels (and rows a cut-off file lacks).
    void SetBackground(TPaletteEntry colour) { background_ = colour; }

    const TPngStructure& Structure() const { return *structure_; }
    const std::shared_ptr<const TPngSource>& Source() const { return source_; }
    // The compressed data go into a PDF as they are: a lossless kind whose
    // data CheckData did not find wanting.
    bool Lossless() const { return structure_ && structure_->Lossless() && damage_.empty(); }
    // The file ends before its end chunk: its page shows what is there.
    bool CutOff() const { return structure_ && structure_->CutOff; }
    // For a lossless kind: inflates its data once, keeping nothing, and
    // checks that they make exactly the picture (CheckPngData). Data that do
    // not are decoded as far as they go and compressed again, as the other
    // kinds are: the picture is no longer Lossless.
    void CheckData();
    // For the kinds that are not lossless: decoded over white and
    // compressed again, once; copies made after share the result.
    std::shared_ptr<const TPngFlateSamples> FlateSamples() const;
    // Why the page will not show the file's picture as it is (the sentence of
    // a warning), as found by CheckData or FlateSamples; empty when nothing
    // was found. A cut-off file's is that its data end early.
    std::string Damage() const { return !damage_.empty() ? damage_ : samples_ ? samples_->Damage : std::string(); }

private:
    std::shared_ptr<const TPngSource> source_;
    std::shared_ptr<const TPngStructure> structure_;
    std::string damage_;  // found by CheckData
    mutable std::shared_ptr<const TPngFlateSamples> samples_;
    TPaletteEntry background_{255, 255, 255, 0};
};

}  // namespace pim

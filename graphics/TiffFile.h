// TIFF files through libtiff: every page (image file directory) in order,
// a reduced-resolution copy of a page (a thumbnail) left out. A page is
// made for the PDF as the file holds it where the PDF can take the data as
// they are (CCITT Group 3 or 4 bilevel data in one strip, one complete JPEG
// stream), else decoded over white and compressed losslessly.
//
// Sizes are checked before anything is decoded: the bitmap ceiling, the
// compressed data within the file, and no more decoded bytes than the
// compression can make of them (a bomb). Errors raise EInvalidGraphic
// ("TIFF image is not valid: ...") with their TFault; data damaged part
// way decode as far as they go and the page says why (Damage).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/RasterPage.h"

namespace pim {

// One page's facts, as its directory gives them.
struct TTiffPageFacts {
    int Directory = 0;  // its directory's number in the file
    int Width = 0;
    int Height = 0;
    int Compression = 1;
    int Photometric = 0;
    int BitsPerSample = 1;
    int SamplesPerPixel = 1;
    int FillOrder = 1;
    bool Tiled = false;
    std::uint32_t Chunks = 0;      // strips or tiles
    std::uint32_t FaxOptions = 0;  // T4Options or T6Options
    bool JpegTables = false;
    bool WholeJpeg = false;        // one strip holding a complete JPEG stream of the page
    std::int64_t FirstOffset = 0;  // the first strip's
    std::int64_t FirstSize = 0;
    std::int64_t DataBytes = 0;  // all strips or tiles
    TDensity Density;            // X/YResolution in ResolutionUnit; none without a unit
};

class TTiffFile {
public:
    // Reads every directory of the file. Raises EInvalidGraphic for a file
    // that is no TIFF, has no page, or whose first page is damaged; a
    // directory chain damaged further on ends the pages there (ChainDamage).
    static TTiffFile Open(const std::string& fileName);
    static TTiffFile FromBytes(std::vector<std::uint8_t> bytes);

    int PageCount() const { return static_cast<int>(pages_.size()); }
    const TTiffPageFacts& Facts(int page) const { return pages_.at(static_cast<std::size_t>(page)); }
    // Why pages after the last are missing (the run's warning); empty when none are.
    const std::string& ChainDamage() const { return chainDamage_; }

    // The page for the PDF: its data as they are where the PDF takes them,
    // else decoded over white and compressed.
    TRasterPage MakePage(int page) const;
    // The page decoded over white (grey pages as grey, palette pages as
    // indices, black-and-white ones as 1 bit).
    TRasterPixels Decode(int page) const;
    // The page's data go into the PDF as they are: the PDF takes them, and
    // Group 4 data are read alike by libtiff and by strict readers (their
    // codes are walked once for each call).
    bool KeepsData(int page) const;
    // The page with its data as they are, where KeepsData.
    TRasterPage KeptPage(int page) const;
    // The page's decoded pixels compressed losslessly: a fax page's as
    // Group 4 data again, any other with Flate.
    TRasterPage Recompressed(int page, const TRasterPixels& pixels) const;

private:
    void ReadPages();
    // The page is fax data in one strip the PDF takes, by its facts.
    bool FaxAsItIs(int page) const;

    std::shared_ptr<const TPngSource> source_;
    std::int64_t size_ = 0;
    std::vector<TTiffPageFacts> pages_;
    std::string chainDamage_;
};

}  // namespace pim

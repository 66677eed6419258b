// Image adjustment for the PDF: a picture is decoded to a 24-bit bitmap,
// given the brightness and greyscale settings, and encoded again as a JPEG at
// the chosen quality. The preview and the PDF run share this pipeline, so the
// preview shows exactly what the run writes.
#pragma once

#include <cstdint>
#include <string>

#include "base/Classes.h"
#include "base/FileKind.h"
#include "graphics/Graphics.h"
#include "graphics/Jpeg.h"
#include "graphics/Picture.h"

namespace pim {

// The group "画像の調整" of the main window.
struct TAdjustSettings {
    int Brightness = 0;      // ScrollBar1 "明るさ", -255..255
    int Quality = 100;       // ScrollBar2 "画質", 0..100; 100 leaves encoding to the PDF writer
    bool Greyscale = false;  // CheckBox2 "グレイスケール"
};

// The objects of one image's preparation: created by the caller, released by
// it afterwards on every path.
struct TWorkObjects {
    TJPEGImage WorkJpeg;
    TBitmap WorkBitmap;
    TMemoryStream WorkStream;
    // The source JPEG ended before its image did (decoded grey from there),
    // or the source PNG file was cut off.
    bool SourceCutOff = false;
    // What else was wrong with the source, though it made its picture (a
    // PNG's damaged image data, a BMP's untrue header fields): the sentence
    // of the run's warning; empty when nothing was.
    std::string SourceWarning;
    // The source JPEG's EXIF orientation (0 none); the adjusted JPEG has none.
    int SourceOrientation = 0;
    // The density the source file states (none when it states none).
    TDensity SourceDensity;
};

// 255 at or above 255, 0 at or below 0, v otherwise.
constexpr std::uint8_t ClampByte(int v) { return v >= 255 ? 255 : v <= 0 ? 0 : static_cast<std::uint8_t>(v); }

// Grey of a pixel: the nearest integer (halves to even) to
// 0.289 R + 0.586 G + 0.114 B, computed in extended precision. The weights
// add up to 0.989: white gives 252.
std::uint8_t GreyOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Makes both bitmaps 24 bits per pixel and gives result the size of source.
void MatchBitmaps(TBitmap& source, TBitmap& result);

// A new bitmap with brightness added (after the grey conversion when
// greyscale is on). If anything fails on the way, the source comes back
// unchanged and nothing is reported.
TBitmap ApplyEffect(TBitmap source, const TAdjustSettings& settings);

// What AdjustImage reads and writes besides its settings.
struct TAdjustTarget {
    const std::string& CurrentFile;
    TFileKind& CurrentKind;  // set from CurrentFile; a BMP or PNG becomes a JPEG
    TPicture& Image1;        // receives the adjusted picture
    TStringList& TextLines;  // receives a text file's lines (PRText1's Lines)
};

// A text file's lines in code page 932, whichever of the encodings Notepad
// saves it was saved in (TextFileToAnsi).
void LoadTextLines(const std::string& file, TStringList& lines);

// Loads CurrentFile and makes it a JPEG with the settings: a text file only
// fills TextLines. Below quality 100 the JPEG is encoded here and Image1
// holds exactly the encoded data; at 100 Image1 holds the adjusted bitmap
// inside a JPEG object, which the PDF writer encodes at its default quality
// (90). Raises when the file cannot be read or decoded.
void AdjustImage(const TAdjustTarget& target, const TAdjustSettings& settings, TWorkObjects& work);

}  // namespace pim

// The kinds of file a PDF is made of, decided once from the file's name.
// Everything that differs between kinds by name alone lives in one table:
// the extension, the word for the kind (the type box's caption, the command
// line's -t word), its bit among the ticked types and its pattern in the
// list's mask. A new kind is a new row (and its reader in the run).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pim {

enum class TFileKind : std::uint8_t { fkOther, fkJpeg, fkBmp, fkText, fkPng, fkTiff, fkGif, fkWebp };

struct TFileKindRow {
    TFileKind Kind;
    std::string_view Extension;  // with its dot, lower case
    std::string_view Word;       // "jpg": the type box and the command line
    int TypeBit;                 // its bit among the ticked types
    std::string_view Mask;       // its entry in the list's mask
};

// In the order of the type boxes and of the mask. The scanner and web
// kinds (TIFF, GIF, WebP) share one bit: one type box turns them on and off
// together. A kind may have two extensions (".tif" and ".tiff"), one row each.
inline constexpr int kScanWebTypeBit = 16;
inline constexpr std::array<TFileKindRow, 8> kFileKinds{{
    {TFileKind::fkJpeg, ".jpg", "jpg", 1, "*.jpg"},
    {TFileKind::fkBmp, ".bmp", "bmp", 2, "*.bmp"},
    {TFileKind::fkText, ".txt", "txt", 4, "*.txt"},
    {TFileKind::fkPng, ".png", "png", 8, "*.png"},
    {TFileKind::fkTiff, ".tif", "tif", kScanWebTypeBit, "*.tif"},
    {TFileKind::fkTiff, ".tiff", "tif", kScanWebTypeBit, "*.tiff"},
    {TFileKind::fkGif, ".gif", "gif", kScanWebTypeBit, "*.gif"},
    {TFileKind::fkWebp, ".webp", "webp", kScanWebTypeBit, "*.webp"},
}};

// The row of a kind (null for fkOther).
constexpr const TFileKindRow* FileKindRow(TFileKind kind) {
    for (const TFileKindRow& row : kFileKinds)
        if (row.Kind == kind) return &row;
    return nullptr;
}
// (No pointer test here: the sanitizers' build cannot evaluate one at compile time.)
constexpr int FileKindBit(TFileKind kind) {
    for (const TFileKindRow& row : kFileKinds)
        if (row.Kind == kind) return row.TypeBit;
    return 0;
}

// The kind of a file by its extension, ASCII letters in any case; fkOther
// for any other name.
TFileKind FileKindOf(std::string_view fileName);
// The kind a type word names ("jpg"), fkOther for any other word.
TFileKind FileKindOfWord(std::string_view word);

}  // namespace pim

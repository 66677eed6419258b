// The main window's rules that do not need a window: which files the type
// boxes list, which sort key a combo-box index means, how the output file is
// named, what the status bar and the progress dialog say. The window and the
// command line both go through these, so both make the same PDF.
//
// Texts are written in UTF-8 and given out in code page 932 (Shift_JIS), as
// the window and the progress dialog show them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/CodePage.h"
#include "base/FileKind.h"
#include "base/Paths.h"
#include "imagelist/ImgShare.h"

namespace pim {

// ---- Texts -------------------------------------------------------------------

// The system's own texts in UTF-8 (u8 literals, held as char texts).
namespace text {
// Window caption and the document's creator.
inline constexpr TUtf8Text AppTitle{u8"Pim-ピム-"};
// Error boxes of the run.
inline constexpr TUtf8Text MsgNoImages{u8"画像が存在しません"};
inline constexpr TUtf8Text MsgStopped{u8"強制終了されました"};
// Progress dialog captions.
inline constexpr TUtf8Text CaptionRunning{u8"ＰＤＦ作成中...."};
inline constexpr TUtf8Text CaptionFinished{u8"ＰＤＦ作成終了"};
// Progress label while reading, followed by n/total.
inline constexpr TUtf8Text LabelReading{u8"画像読み込み:"};
// Finished label, first and second line (the break is LF then CR).
inline constexpr TUtf8Text MsgCreated{u8"ＰＤＦが作成出来ました"};
inline constexpr TUtf8Text MsgWhereToLook{u8"(*所在は保存先フォルダを確認して下さい)"};
// Status bar prefixes.
inline constexpr TUtf8Text StatusTotal{u8"画像合計："};
inline constexpr TUtf8Text StatusSelected{u8"選択合計："};
// Third status panel while the image folder is gone.
inline constexpr TUtf8Text StatusNoFolder{u8"フォルダがありません"};
}  // namespace text

// The same texts as they leave the program, in code page 932: the window's
// captions and status bar, the progress dialog, the error boxes, the
// document's creator and the console take them so.
inline const std::string kAppTitle = Utf8ToAnsi(text::AppTitle);
inline const std::string kMsgNoImages = Utf8ToAnsi(text::MsgNoImages);
inline const std::string kMsgStopped = Utf8ToAnsi(text::MsgStopped);
inline const std::string kCaptionRunning = Utf8ToAnsi(text::CaptionRunning);
inline const std::string kCaptionFinished = Utf8ToAnsi(text::CaptionFinished);
inline const std::string kLabelReading = Utf8ToAnsi(text::LabelReading);
inline const std::string kMsgCreated = Utf8ToAnsi(text::MsgCreated);
inline const std::string kMsgWhereToLook = Utf8ToAnsi(text::MsgWhereToLook);
inline const std::string kStatusTotal = Utf8ToAnsi(text::StatusTotal);
inline const std::string kStatusSelected = Utf8ToAnsi(text::StatusSelected);
inline const std::string kStatusNoFolder = Utf8ToAnsi(text::StatusNoFolder);

// "画像読み込み:3/10" for the third of ten files (index 2).
std::string ReadingLabel(int index, int count);
// The finished label, both lines.
std::string FinishedLabel();
// "画像合計：12" and "選択合計：3".
std::string TotalStatusText(int count);
std::string SelectedStatusText(int count);

// ---- Type filter and sorting ------------------------------------------------

// Ticked file types, each kind's bit in the file-kind table: jpg 1, bmp 2,
// txt 4, png 8, and 16 for TIFF, GIF and WebP together.
inline constexpr int ftJpg = FileKindBit(TFileKind::fkJpeg);
inline constexpr int ftBmp = FileKindBit(TFileKind::fkBmp);
inline constexpr int ftTxt = FileKindBit(TFileKind::fkText);
inline constexpr int ftPng = FileKindBit(TFileKind::fkPng);
inline constexpr int ftScanWeb = FileKindBit(TFileKind::fkTiff);
inline constexpr int ftAll = ftJpg | ftBmp | ftTxt | ftPng | ftScanWeb;

// The list's mask for FileTypeBits: 0 "*.pim" (lists nothing), 31
// "*.jpg;*.bmp;*.txt;*.png;*.tif;*.tiff;*.gif;*.webp", the ticked kinds in
// that order; none outside 0..31 (the mask then stays as it is).
std::optional<std::string> MaskOfFileTypeBits(int fileTypeBits);

// The sort combo box: 0 name, 1 modification time, 2 size, 3 type; none
// for any other index.
std::optional<TSortTypeEx> SortTypeOfIndex(int index);
// The direction combo box: 0 ascending (false), 1 descending (true).
std::optional<bool> DescendOfIndex(int index);

// ---- Names -----------------------------------------------------------------

// "フォルダ名" is FolderNameOf (base/Paths.h).

// The output file: folder + separator + name + ".pdf", or "default.pdf" for
// an empty name. The separator is always added, also after a folder that
// already ends in one; the name is used as typed, and one that already ends
// in ".pdf" (in any case) gets no second one.
std::string OutputFileName(std::string_view folder, std::string_view name);

// ---- Output name rules ----------------------------------------------------

// What can be wrong with the output name, checked as Windows takes file
// names, on every platform (a PDF made on Linux must open on Windows).
enum class TNameRule {
    nrNone,
    nrForbiddenCharacter,  // one of \ / : * ? " < > |
    nrControlCharacter,    // a character below U+0020
    nrOnlySpacesOrDots,
    nrTrailingDotOrSpace,
    nrDeviceName,  // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
    nrTooLong,     // more than 255 UTF-16 units with ".pdf"
};

struct TNameProblem {
    TNameRule Rule = TNameRule::nrNone;
    std::string Detail;  // the character, or the device name, in the file-name encoding
    int Length = 0;      // nrTooLong: the name's length with ".pdf", in UTF-16 units
    explicit operator bool() const { return Rule != TNameRule::nrNone; }
};

// The name as typed in the name box (file-name encoding, without ".pdf";
// empty stands for "default.pdf" and passes).
TNameProblem CheckOutputName(std::string_view name);
// What is wrong, for the command line (English, file-name encoding) and for
// the window (Japanese, code page 932).
std::string NameProblemText(const TNameProblem& problem);
std::string NameProblemTextAnsi(const TNameProblem& problem);

// The last three characters of the file name, lower-cased ("jpg", "bmp",
// "txt", "png"). Kept for the run's cause texts only; everything else asks
// FileKindOf (base/FileKind.h).
std::string CurrentExtOf(std::string_view fileName);

// A bookmark title: the file name without its last four characters
// (photo01.jpg gives photo01), in code page 932.
std::string BookmarkTitleOf(std::string_view fileName);
// The same title from the true name, in UTF-16, when code page 932 cannot
// hold the name (the title above would have lost characters); empty when it
// can.
std::u16string UnicodeBookmarkTitleOf(std::string_view fileName);

}  // namespace pim

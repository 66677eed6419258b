// The main window's rules that do not need a window: which files the type
// boxes list, which sort key a combo-box index means, how the output file is
// named, what the status bar and the progress dialog say. The window and the
// command line both go through these, so both make the same PDF.
//
// Texts are Shift_JIS (code page 932) byte strings, as the window shows them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "imagelist/ImgShare.h"

namespace pim {

// ---- Texts -------------------------------------------------------------------

// Window caption and the document's creator: "Pim-ピム-".
inline constexpr std::string_view kAppTitle = "\x50\x69\x6d\x2d\x83\x73\x83\x80\x2d";
// Error boxes of the run: "画像が存在しません", "強制終了されました".
inline constexpr std::string_view kMsgNoImages =
    "\x89\xe6\x91\x9c\x82\xaa\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb9\x82\xf1";
inline constexpr std::string_view kMsgStopped =
    "\x8b\xad\x90\xa7\x8f\x49\x97\xb9\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd";
// Progress dialog captions: "ＰＤＦ作成中....", "ＰＤＦ作成終了".
inline constexpr std::string_view kCaptionRunning =
    "\x82\x6f\x82\x63\x82\x65\x8d\xec\x90\xac\x92\x86\x2e\x2e\x2e\x2e";
inline constexpr std::string_view kCaptionFinished = "\x82\x6f\x82\x63\x82\x65\x8d\xec\x90\xac\x8f\x49\x97\xb9";
// Progress label while reading: "画像読み込み:" followed by n/total.
inline constexpr std::string_view kLabelReading = "\x89\xe6\x91\x9c\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x3a";
// Finished label, first line "ＰＤＦが作成出来ました", second line
// "(*所在は保存先フォルダを確認して下さい)"; the break is LF then CR.
inline constexpr std::string_view kMsgCreated =
    "\x82\x6f\x82\x63\x82\x65\x82\xaa\x8d\xec\x90\xac\x8f\x6f\x97\x88\x82\xdc\x82\xb5\x82\xbd";
inline constexpr std::string_view kMsgWhereToLook =
    "\x28\x2a\x8f\x8a\x8d\xdd\x82\xcd\x95\xdb\x91\xb6\x90\xe6\x83\x74\x83\x48\x83\x8b\x83\x5f"
    "\x82\xf0\x8a\x6d\x94\x46\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x29";
// Status bar prefixes: "画像合計：", "選択合計：".
inline constexpr std::string_view kStatusTotal = "\x89\xe6\x91\x9c\x8d\x87\x8c\x76\x81\x46";
inline constexpr std::string_view kStatusSelected = "\x91\x49\x91\xf0\x8d\x87\x8c\x76\x81\x46";
// Third status panel while the image folder is gone: "フォルダがありません".
inline constexpr std::string_view kStatusNoFolder =
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

// "画像読み込み:3/10" for the third of ten files (index 2).
std::string ReadingLabel(int index, int count);
// The finished label, both lines.
std::string FinishedLabel();
// "画像合計：12" and "選択合計：3".
std::string TotalStatusText(int count);
std::string SelectedStatusText(int count);

// ---- Type filter and sorting ------------------------------------------------

// Ticked file types: jpg 1, bmp 2, txt 4, png 8.
inline constexpr int ftJpg = 1;
inline constexpr int ftBmp = 2;
inline constexpr int ftTxt = 4;
inline constexpr int ftPng = 8;
inline constexpr int ftAll = ftJpg | ftBmp | ftTxt | ftPng;

// The list's mask for FileTypeBits: 0 "*.pim" (lists nothing), 15
// "*.jpg;*.bmp;*.txt;*.png", the ticked kinds in that order; none outside
// 0..15 (the mask then stays as it is).
std::optional<std::string> MaskOfFileTypeBits(int fileTypeBits);

// The sort combo box: 0 name, 1 modification time, 2 size, 3 type; none
// for any other index.
std::optional<TSortTypeEx> SortTypeOfIndex(int index);
// The direction combo box: 0 ascending (false), 1 descending (true).
std::optional<bool> DescendOfIndex(int index);

// ---- Names -----------------------------------------------------------------

// "フォルダ名": the last component of the folder path, everything after its
// last separator (the whole path when it has none, empty for a root such as
// "C:\").
std::string FolderNameOf(std::string_view folderPath);

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
    nrDeviceName,          // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with or without an extension
    nrTooLong,             // more than 255 UTF-16 units with ".pdf"
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

// CurrentExt: the last three characters of the file name, lower-cased
// ("jpg", "bmp", "txt", "png").
std::string CurrentExtOf(std::string_view fileName);

// A bookmark title: the file name without its last four characters
// (photo01.jpg gives photo01), in code page 932.
std::string BookmarkTitleOf(std::string_view fileName);
// The same title from the true name, in UTF-16, when code page 932 cannot
// hold the name (the title above would have lost characters); empty when it
// can.
std::u16string UnicodeBookmarkTitleOf(std::string_view fileName);

// The platform's path separator.
char PathDelimiter();

}  // namespace pim

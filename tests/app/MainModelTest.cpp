#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "app/MainModel.h"
#include "app/ScanWebPages.h"
#include "base/CodePage.h"

namespace pim {
namespace {

std::string Sep() { return std::string(1, PathDelimiter()); }

TEST(MainModel, TextsAreTheWindowsOwnInCodePage932) {
    EXPECT_EQ(AnsiToUtf8(kAppTitle), "Pim-ピム-");
    EXPECT_EQ(AnsiToUtf8(kMsgNoImages), "画像が存在しません");
    EXPECT_EQ(AnsiToUtf8(kMsgStopped), "強制終了されました");
    EXPECT_EQ(AnsiToUtf8(kCaptionRunning), "ＰＤＦ作成中....");
    EXPECT_EQ(AnsiToUtf8(kCaptionFinished), "ＰＤＦ作成終了");
    EXPECT_EQ(AnsiToUtf8(ReadingLabel(2, 10)), "画像読み込み:3/10");
    EXPECT_EQ(AnsiToUtf8(FinishedLabel()), "ＰＤＦが作成出来ました\n\r(*所在は保存先フォルダを確認して下さい)");
    EXPECT_EQ(AnsiToUtf8(TotalStatusText(12)), "画像合計：12");
    EXPECT_EQ(AnsiToUtf8(SelectedStatusText(0)), "選択合計：0");
}

// The texts are written in UTF-8 and leave in code page 932: these are the
// bytes the window, the progress dialog and the PDF's creator have always
// shown, byte for byte.
TEST(MainModel, TextsLeaveAsTheirCodePage932Bytes) {
    const std::pair<std::string_view, std::string_view> texts[] = {
        {kAppTitle, "\x50\x69\x6d\x2d\x83\x73\x83\x80\x2d"},
        {kMsgNoImages, "\x89\xe6\x91\x9c\x82\xaa\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb9\x82\xf1"},
        {kMsgStopped, "\x8b\xad\x90\xa7\x8f\x49\x97\xb9\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd"},
        {kCaptionRunning, "\x82\x6f\x82\x63\x82\x65\x8d\xec\x90\xac\x92\x86\x2e\x2e\x2e\x2e"},
        {kCaptionFinished, "\x82\x6f\x82\x63\x82\x65\x8d\xec\x90\xac\x8f\x49\x97\xb9"},
        {kLabelReading, "\x89\xe6\x91\x9c\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x3a"},
        {kMsgCreated, "\x82\x6f\x82\x63\x82\x65\x82\xaa\x8d\xec\x90\xac\x8f\x6f\x97\x88\x82\xdc\x82\xb5\x82\xbd"},
        {kMsgWhereToLook,
         "\x28\x2a\x8f\x8a\x8d\xdd\x82\xcd\x95\xdb\x91\xb6\x90\xe6\x83\x74\x83\x48\x83\x8b\x83\x5f"
         "\x82\xf0\x8a\x6d\x94\x46\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x29"},
        {kStatusTotal, "\x89\xe6\x91\x9c\x8d\x87\x8c\x76\x81\x46"},
        {kStatusSelected, "\x91\x49\x91\xf0\x8d\x87\x8c\x76\x81\x46"},
        {kStatusNoFolder, "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1"},
    };
    for (const auto& [text, bytes] : texts) EXPECT_EQ(text, bytes) << AnsiToUtf8(bytes);
    // A u8 text stays UTF-8 whatever the folder's execution character set.
    EXPECT_EQ(text::AppTitle.view(), "Pim-\xe3\x83\x94\xe3\x83\xa0-");
}

TEST(MainModel, TypeBoxesGiveTheMaskTable) {
    const char* expected[] = {"*.pim", "*.jpg",       "*.bmp",       "*.jpg;*.bmp",
                              "*.txt", "*.jpg;*.txt", "*.bmp;*.txt", "*.jpg;*.bmp;*.txt"};
    for (int bits = 0; bits < 8; ++bits) EXPECT_EQ(MaskOfFileTypeBits(bits), expected[bits]) << bits;
    // The png box adds its pattern last to whatever else is ticked.
    for (int bits = 0; bits < 8; ++bits)
        EXPECT_EQ(MaskOfFileTypeBits(bits | ftPng), bits ? std::string(expected[bits]) + ";*.png" : "*.png") << bits;
    // One box for the scanner and web kinds, after the others.
    EXPECT_EQ(MaskOfFileTypeBits(ftScanWeb), "*.tif;*.tiff;*.gif;*.webp");
    EXPECT_EQ(MaskOfFileTypeBits(ftAll), "*.jpg;*.bmp;*.txt;*.png;*.tif;*.tiff;*.gif;*.webp");
    EXPECT_FALSE(MaskOfFileTypeBits(-1));
    EXPECT_FALSE(MaskOfFileTypeBits(32));
}

TEST(MainModel, ComboBoxIndicesGiveSortKeyAndDirection) {
    EXPECT_EQ(SortTypeOfIndex(0), TSortTypeEx::istName);
    EXPECT_EQ(SortTypeOfIndex(1), TSortTypeEx::istDate);
    EXPECT_EQ(SortTypeOfIndex(2), TSortTypeEx::istSize);
    EXPECT_EQ(SortTypeOfIndex(3), TSortTypeEx::istType);
    EXPECT_FALSE(SortTypeOfIndex(4));
    EXPECT_FALSE(SortTypeOfIndex(-1));
    EXPECT_EQ(DescendOfIndex(0), false);
    EXPECT_EQ(DescendOfIndex(1), true);
    EXPECT_FALSE(DescendOfIndex(2));
}

TEST(MainModel, FolderNameIsTheLastComponent) {
    EXPECT_EQ(FolderNameOf(Sep() + "photos" + Sep() + "trip"), "trip");
    EXPECT_EQ(FolderNameOf("trip"), "trip");
    // A root ends in the separator: no name, so the PDF is "default.pdf".
    EXPECT_EQ(FolderNameOf("C:" + Sep()), "");
}

TEST(MainModel, OutputFileNameAlwaysInsertsTheSeparator) {
    EXPECT_EQ(OutputFileName("dir", ""), "dir" + Sep() + "default.pdf");
    EXPECT_EQ(OutputFileName("dir", "abc"), "dir" + Sep() + "abc.pdf");
    EXPECT_EQ(OutputFileName("dir" + Sep(), "abc"), "dir" + Sep() + Sep() + "abc.pdf");
    // Used as typed, with no second ".pdf".
    EXPECT_EQ(OutputFileName("dir", "report.pdf"), "dir" + Sep() + "report.pdf");
    EXPECT_EQ(OutputFileName("dir", "Report.PDF"), "dir" + Sep() + "Report.PDF");
    EXPECT_EQ(OutputFileName("dir", "a.pdf.x"), "dir" + Sep() + "a.pdf.x.pdf");
    EXPECT_EQ(OutputFileName("dir", ".pdf"), "dir" + Sep() + ".pdf.pdf");
}

TEST(MainModel, CurrentExtAndBookmarkTitleComeFromTheFileName) {
    const std::string path = Sep() + "x.y" + Sep() + "Photo01.JPG";
    EXPECT_EQ(CurrentExtOf(path), "jpg");
    EXPECT_EQ(CurrentExtOf("notes.txt"), "txt");
    EXPECT_EQ(CurrentExtOf("ab"), "ab");
    EXPECT_EQ(BookmarkTitleOf(path), "Photo01");
    EXPECT_EQ(BookmarkTitleOf("a.jpg"), "a");
    EXPECT_EQ(BookmarkTitleOf(".jpg"), "");
    EXPECT_EQ(BookmarkTitleOf("abc"), "");
    // Four-letter extensions of the program's kinds go whole; a multi-page
    // file's pages add their number.
    EXPECT_EQ(BookmarkTitleOf("scan.TIFF"), "scan");
    EXPECT_EQ(BookmarkTitleOf("web.webp"), "web");
    EXPECT_EQ(BookmarkTitleOf("old.gif"), "old");
    EXPECT_EQ(PageBookmarkSuffix(0, 1), "");
    EXPECT_EQ(PageBookmarkSuffix(1, 3), " (2/3)");
    // Names code page 932 holds keep the title above; others keep their
    // true characters, four of them dropped (a pair of surrogates is one).
    EXPECT_EQ(UnicodeBookmarkTitleOf("\xE5\x86\x99\xE7\x9C\x9F.jpg"), u"");  // 写真.jpg
    EXPECT_EQ(UnicodeBookmarkTitleOf(Sep() + "\xC3\xA9.jpg"), u"\u00E9");
    EXPECT_EQ(UnicodeBookmarkTitleOf("a\xF0\x9F\x98\x80.jp\xF0\x9F\x98\x80"), u"a\U0001F600");  // a😀.jp😀
}

}  // namespace
}  // namespace pim

namespace pim {
namespace {

TEST(OutputNameRules, NamesWindowsTakes) {
    for (const char* name : {"", "abc", "photo 2024.01", "日本語の名前", ".hidden", "a.b.c", "CONSOLE", "COM10", "LPT0",
                             "con-x", "nul_", "x.con", "\xF0\x9F\x98\x80"})
        EXPECT_FALSE(CheckOutputName(name)) << name;
    EXPECT_FALSE(CheckOutputName(std::string(251, 'n')));  // 255 with ".pdf"
}

TEST(OutputNameRules, NamesWindowsRefuses) {
    for (const char c : std::string("\\/:*?\"<>|")) {
        const TNameProblem p = CheckOutputName(std::string("a") + c + "b");
        EXPECT_EQ(p.Rule, TNameRule::nrForbiddenCharacter) << c;
        EXPECT_EQ(p.Detail, std::string(1, c));
    }
    EXPECT_EQ(CheckOutputName("a\tb").Rule, TNameRule::nrControlCharacter);
    EXPECT_EQ(CheckOutputName(std::string("a\x01", 2)).Rule, TNameRule::nrControlCharacter);
    EXPECT_EQ(CheckOutputName("   ").Rule, TNameRule::nrOnlySpacesOrDots);
    EXPECT_EQ(CheckOutputName(". .").Rule, TNameRule::nrOnlySpacesOrDots);
    EXPECT_EQ(CheckOutputName("abc.").Rule, TNameRule::nrTrailingDotOrSpace);
    EXPECT_EQ(CheckOutputName("abc ").Rule, TNameRule::nrTrailingDotOrSpace);
    for (const char* name : {"CON", "con", "Prn", "AUX", "nul", "COM1", "com9", "LPT1", "lpt9", "nul.txt", "CON.tar.gz",
                             "aux .x", "COM\xC2\xB9", "CONIN$", "conout$"}) {
        const TNameProblem p = CheckOutputName(name);
        EXPECT_EQ(p.Rule, TNameRule::nrDeviceName) << name;
    }
    EXPECT_EQ(CheckOutputName("nul.txt").Detail, "nul");
    const TNameProblem tooLong = CheckOutputName(std::string(252, 'n'));
    EXPECT_EQ(tooLong.Rule, TNameRule::nrTooLong);
    EXPECT_EQ(tooLong.Length, 256);
    // Counted in UTF-16 units, as Windows counts: 100 kanji are 100.
    std::string kanji;
    for (int i = 0; i < 100; ++i) kanji += "漢";
    EXPECT_FALSE(CheckOutputName(kanji));
}

TEST(OutputNameRules, EachRuleIsWorded) {
    EXPECT_EQ(NameProblemText(CheckOutputName("a:b")),
              "the name holds \":\", which Windows does not allow in a file name (none of \\ / : * ? \" < > |)");
    EXPECT_EQ(NameProblemText(CheckOutputName("con")),
              "\"con\" is a device name Windows reserves (CON, PRN, AUX, NUL, COM1-9, LPT1-9), with or without an "
              "extension");
    EXPECT_EQ(AnsiToUtf8(NameProblemTextAnsi(CheckOutputName("a:b"))),
              "名前に使えない文字「:」があります（\\ / : * ? \" < > | は使えません）");
    EXPECT_EQ(AnsiToUtf8(NameProblemTextAnsi(CheckOutputName("LPT1.txt"))),
              "「LPT1」はWindowsが機器のために予約している名前です（拡張子があっても使えません）");
    for (const std::string& name : {std::string("a\tb"), std::string(".."), std::string("a."), std::string(300, 'x')})
        EXPECT_FALSE(NameProblemText(CheckOutputName(name)).empty()) << name;
}

}  // namespace
}  // namespace pim

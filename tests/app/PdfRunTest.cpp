#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>

#ifdef _WIN32
#include <windows.h>

#include "base/win32/WideNames.h"
#endif

#include "app/MainModel.h"
#include "app/PdfRun.h"
#include "base/CodePage.h"
#include "base/FileSystem.h"
#include "graphics/JpegCodec.h"
#include "imagelist/ImgListModel.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/RunHost.h"
#include "tests/app/TestPictures.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::ReadFileBytes;
using test::TPdfFacts;
using test::TRecordingHost;
using test::WriteFileBytes;

std::string Utf8(std::string_view ansi) { return AnsiToUtf8(ansi); }

// The system's codes for a missing folder and a refused write.
#ifdef _WIN32
constexpr int kNoFolder = 3;      // ERROR_PATH_NOT_FOUND
constexpr int kAccessDenied = 5;  // ERROR_ACCESS_DENIED
#else
constexpr int kNoFolder = ENOENT;
constexpr int kAccessDenied = EACCES;
#endif

// A run over the files of `folder`, in the order given, written into it.
struct RunFixture {
    explicit RunFixture(const std::string& name) : folder(test::FreshFolder(name)) { settings.ImageFolder = folder; }
    std::string Path(const std::string& file) const { return folder + "/" + file; }
    void List(std::initializer_list<const char*> names) {
        files.clear();
        for (const char* f : names) files.push_back(Path(f));
    }
    std::string Output() const { return OutputFileName(folder, settings.OutputName); }
    TPdfRunResult Run(TPdfRunHost& on) { return run.CreatePdf(on, files, settings); }

    std::string folder;
    std::vector<std::string> files;
    TPdfRunSettings settings;
    TPdfRun run;
    TRecordingHost host;
};

TEST(PdfRun, MakesOnePagePerFileAndFollowsTheProgressDialogsStates) {
    RunFixture f("run-pages");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(40, 30));
    test::WriteBmpFile(f.Path("b.bmp"), test::MakeBitmap(2, 1, [](int x, int) {
                           return x == 0 ? test::TRgb{0, 0, 255} : test::TRgb{255, 0, 0};
                       }));
    WriteFileBytes(f.Path("c.txt"), "line one\r\n");
    test::WriteJpegFile(f.Path("d.jpg"), test::GradientBitmap(16, 8), {.grayscale = true});
    f.List({"a.jpg", "b.bmp", "c.txt", "d.jpg"});
    f.settings.Title = Utf8ToAnsi("日本");

    const TPdfRunResult result = f.Run(f.host);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    EXPECT_TRUE(f.host.errors.empty());
    EXPECT_EQ(f.host.opened, 1);
    EXPECT_EQ(f.host.messageRounds, 4);
    EXPECT_EQ(f.host.maximum, 4);
    EXPECT_EQ(f.host.positions, (std::vector<int>{0, 1, 2, 3, 4}));
    ASSERT_EQ(f.host.labels.size(), 5u);
    EXPECT_EQ(Utf8(f.host.labels[0]), "画像読み込み:1/4");
    EXPECT_EQ(Utf8(f.host.labels[3]), "画像読み込み:4/4");
    EXPECT_EQ(f.host.labels[4], FinishedLabel());
    EXPECT_EQ(f.host.captions, (std::vector<std::string>{std::string(kCaptionRunning), std::string(kCaptionFinished)}));
    EXPECT_TRUE(f.host.finished);
    EXPECT_EQ(f.run.Picture().Graphic(), nullptr);
    EXPECT_EQ(f.run.PReport1->FileName(), f.Output());
    ASSERT_VALID_PDF(f.Output());

    const TPdfFacts pdf = TPdfFacts::FromFile(f.Output());
    const std::vector<int> pages = pdf.Pages();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pdf.PageSize(pages[0]), std::make_pair(40, 30));
    EXPECT_EQ(pdf.PageSize(pages[1]), std::make_pair(2, 1));
    EXPECT_EQ(pdf.PageSize(pages[2]), std::make_pair(480, 680));
    EXPECT_EQ(pdf.PageSize(pages[3]), std::make_pair(16, 8));
    // A colour JPEG goes in byte for byte; a BMP as raw RGB samples.
    EXPECT_EQ(pdf.Object(pdf.PageImages(pages[0]).at(0)).Stream, ReadFileBytes(f.Path("a.jpg")));
    EXPECT_EQ(pdf.Object(pdf.PageImages(pages[1]).at(0)).Stream, std::string("\x00\x00\xFF\xFF\x00\x00", 6));
    EXPECT_TRUE(pdf.PageImages(pages[2]).empty());
    // A greyscale JPEG is encoded again, in colour.
    const std::string& grey = pdf.Object(pdf.PageImages(pages[3]).at(0)).Stream;
    EXPECT_EQ(ReadJpegHeader(reinterpret_cast<const std::uint8_t*>(grey.data()), grey.size()).components, 3);

    EXPECT_EQ(pdf.OutlineTitles(), (std::vector<std::string>{"a", "b", "c", "d"}));
    // Opens on page 1 at zoom 1 (10 points above its top); each bookmark
    // shows the top edge of its page.
    EXPECT_EQ(TPdfFacts::Value(pdf.Catalog(), "OpenAction"), "[" + std::to_string(pages[0]) + " 0 R /XYZ 0 40 1 ]");
    const int outlines = TPdfFacts::Reference(pdf.Catalog(), "Outlines");
    const int second = TPdfFacts::Reference(
        pdf.Object(TPdfFacts::Reference(pdf.Object(outlines).Dictionary, "First")).Dictionary, "Next");
    EXPECT_EQ(TPdfFacts::Value(pdf.Object(second).Dictionary, "Dest"),
              "[" + std::to_string(pages[1]) + " 0 R /XYZ 0 1 1 ]");
    EXPECT_EQ(TPdfFacts::Value(pdf.Catalog(), "PageLayout"), "/OneColumn");
    EXPECT_NE(pdf.Catalog().find("/FitWindow true"), std::string::npos);
    EXPECT_NE(pdf.Catalog().find("/CenterWindow true"), std::string::npos);
    EXPECT_EQ(test::PdfTextToUtf8(pdf.Info("Title")), "日本");
    EXPECT_EQ(pdf.Info("Title").rfind("<FEFF", 0), 0u);
    EXPECT_EQ(test::PdfTextToUtf8(pdf.Info("Creator")), "Pim-ピム-");
}

TEST(PdfRun, WritesIntoTheSaveFolderUnderTheTypedName) {
    RunFixture f("run-save-folder");
    const std::string save = test::FreshFolder("run-save-folder-out");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    f.settings.UseSaveFolder = true;
    f.settings.SaveFolder = save;
    f.settings.OutputName = "abc";
    ASSERT_EQ(f.Run(f.host).Outcome, TPdfRunOutcome::roDone);
    EXPECT_TRUE(std::filesystem::exists(save + PathDelimiter() + "abc.pdf"));
    EXPECT_FALSE(std::filesystem::exists(f.Output()));
}

TEST(PdfRun, AnEmptyListEndsAtOnceWithItsOwnMessage) {
    RunFixture f("run-empty");
    const TPdfRunResult result = f.Run(f.host);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roNoFiles);
    EXPECT_EQ(f.host.errors, std::vector<std::string>{std::string(kMsgNoImages)});
    EXPECT_EQ(f.host.opened, 0);
    EXPECT_EQ(f.run.PReport1->Doc(), nullptr);
}

// Every failure: one message, the document discarded, the old file kept. A
// stop says "強制終了されました"; any other failure that the PDF was not
// made, the file and the cause, in the box and in the dialog's label.
void ExpectFailurePath(RunFixture& f, const TPdfRunResult& result) {
    EXPECT_EQ(f.host.errors, std::vector<std::string>{result.Message});
    EXPECT_FALSE(f.host.finished);
    EXPECT_EQ(f.host.statusUpdates, 1);
    EXPECT_EQ(f.run.PReport1->Doc(), nullptr);
    EXPECT_EQ(f.run.Picture().Graphic(), nullptr);
    if (result.Outcome == TPdfRunOutcome::roStopped) {
        EXPECT_EQ(result.Message, kMsgStopped);
    } else {
        EXPECT_EQ(Utf8(result.Message).rfind("ＰＤＦを作成できませんでした。\r\n", 0), 0u) << Utf8(result.Message);
        EXPECT_EQ(result.Message, FailureMessage(result));
        ASSERT_FALSE(f.host.labels.empty());
        EXPECT_EQ(f.host.labels.back(), result.Message);
    }
    EXPECT_EQ(ReadFileBytes(f.Output()), "old");
}

// No file of the run's own is left in the folder.
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PdfRun, AStopBeforeTheSecondFileWritesNothing) {
    RunFixture f("run-stop");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    test::WriteJpegFile(f.Path("b.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg", "b.jpg"});
    WriteFileBytes(f.Output(), "old");
    f.host.onMessages = [&](int round) { f.host.stopped = round == 2; };
    const TPdfRunResult result = f.Run(f.host);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roStopped);
    EXPECT_EQ(f.host.labels.size(), 1u);
    ExpectFailurePath(f, result);
}

// A stop while the PDF is written (Ctrl-C or being told to end, on the
// command line) gives the save up at any moment before the rename, the last
// one included: the run ends as stopped, no temporary file stays.
TEST(PdfRun, AnAbandonedSaveEndsAsAStopAndLeavesNoFile) {
    RunFixture f("run-abandon");
    test::WriteBmpFile(f.Path("a.bmp"), test::GradientBitmap(600, 600));
    f.List({"a.bmp"});
    int asks = 0;  // how often a save that goes through asks
    f.run.SaveAbandoned = [&] { return ++asks < 0; };
    ASSERT_EQ(f.Run(f.host).Outcome, TPdfRunOutcome::roDone);
    ASSERT_GT(asks, 2);
    const std::size_t size = ReadFileBytes(f.Output()).size();
    for (const int at : {2, asks}) {  // after the first piece; just before the rename
        SCOPED_TRACE(at);
        f.host = {};
        WriteFileBytes(f.Output(), "old");
        int asked = 0;
        std::size_t written = 0;  // the temporary file's size when the save is given up
        f.run.SaveAbandoned = [&] {
            if (++asked == at)
                for (const std::string& name : NamesIn(f.folder))
                    if (name.starts_with("~pim")) written = std::filesystem::file_size(test::FsPath(f.Path(name)));
            return asked >= at;
        };
        const TPdfRunResult result = f.Run(f.host);
        EXPECT_EQ(result.Outcome, TPdfRunOutcome::roStopped);
        EXPECT_EQ(asked, at + 1);  // and once more for how the run ended
        if (at == asks) {
            EXPECT_EQ(written, size);  // the whole PDF was on the disk
        }
        ExpectFailurePath(f, result);
        EXPECT_EQ(NamesIn(f.folder), (std::vector<std::string>{"a.bmp", "default.pdf"}));
    }
}

TEST(PdfRun, ACorruptFileFailsTheRunAndNamesTheFile) {
    RunFixture f("run-corrupt");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    WriteFileBytes(f.Path("b.jpg"), "this is no JPEG");
    test::WriteBmpFile(f.Path("c.bmp"), test::GradientBitmap(8, 8));
    f.List({"a.jpg", "b.jpg", "c.bmp"});
    WriteFileBytes(f.Output(), "old");
    const TPdfRunResult result = f.Run(f.host);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_FALSE(result.WhileSaving);
    EXPECT_EQ(result.FailedFile, f.Path("b.jpg"));
    EXPECT_FALSE(result.Cause.empty());
    // The label said which file was read; then it shows the failure, which
    // names the file (not its folder) and the reader's cause.
    ASSERT_GE(f.host.labels.size(), 2u);
    EXPECT_EQ(Utf8(f.host.labels[f.host.labels.size() - 2]), "画像読み込み:2/3");
    EXPECT_EQ(Utf8(result.Message),
              "ＰＤＦを作成できませんでした。\r\n読み込めないファイル: b.jpg\r\n原因: JPEG画像ではありません（" +
                  result.Cause + "）");
    ExpectFailurePath(f, result);
}

// A little-endian 32-bit number, as BMP headers hold them.
std::string Le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

// A 2 x 2 BMP whose header claims `compression`, cut to `length` bytes.
std::string Bmp(std::uint32_t compression, std::size_t length) {
    std::string b = "BM" + Le32(70) + Le32(0) + Le32(54) + Le32(40) + Le32(2) + Le32(2) +
                    std::string("\x01\x00\x18\x00", 4) + Le32(compression) + Le32(16) + Le32(0) + Le32(0) + Le32(0) +
                    Le32(0) + std::string(16, '\xff');
    return b.substr(0, std::min(length, b.size()));
}

// The cause line says in Japanese what went wrong, with the reader's own
// words after it in parentheses.
TEST(PdfRun, TheCauseOfACommonFailureIsToldInJapanese) {
    struct TCase {
        const char* file;
        std::string bytes;
        const char* japanese;
    };
    const std::vector<TCase> cases = {
        {"not.jpg", "this is no JPEG", "JPEG画像ではありません"},
        {"not.png", "this is no PNG either", "PNG画像ではありません"},
        {"cut.bmp", Bmp(0, 30), "ファイルが途中で切れています"},
        {"crc.png", test::PngHeaderOnly(4, 4, false), "ファイルが壊れています"},
        {"huge.png", test::PngHeaderOnly(60000, 60000), "画像が大きすぎます"},
        {"jpeg.bmp", Bmp(4, 70), "対応していない形式の画像です"},
        {"not.tif", "this is no TIFF", "TIFF画像ではありません"},
        {"not.gif", "this is no GIF", "GIF画像ではありません"},
        {"not.webp", "RIFF\x04\0\0\0WAVEfmt ", "WebP画像ではありません"},
        {"cut.gif", std::string("GIF89a\x40\0\x40\0\xF7\0\0", 13), "ファイルが途中で切れています"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.file);
        RunFixture f(std::string("run-cause-") + c.file);
        WriteFileBytes(f.Path(c.file), c.bytes);
        f.files = {f.Path(c.file)};
        const TPdfRunResult result = f.Run(f.host);
        ASSERT_EQ(result.Outcome, TPdfRunOutcome::roFailed);
        EXPECT_EQ(Utf8(result.Message), std::string("ＰＤＦを作成できませんでした。\r\n読み込めないファイル: ") +
                                            c.file + "\r\n原因: " + c.japanese + "（" + result.Cause + "）");
    }
}

// The output is checked before the first page is read: a name Windows would
// refuse, a missing folder, a read-only PDF end the run at once.
TEST(PdfRun, ABadOutputNameFailsBeforeAnyPageIsRead) {
    RunFixture f("run-bad-name");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    WriteFileBytes(f.Path("default.pdf"), "old");
    for (const char* name : {"a:b", "con", "LPT1.x", "x?", "trailing.", "   "}) {
        TRecordingHost host;
        f.settings.OutputName = name;
        const TPdfRunResult result = f.Run(host);
        EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed) << name;
        EXPECT_EQ(result.Stage, TPdfRunStage::rsOutput) << name;
        EXPECT_TRUE(result.NameProblem) << name;
        EXPECT_EQ(result.FailedFile, f.Output()) << name;
        EXPECT_EQ(result.Cause, NameProblemText(result.NameProblem));
        EXPECT_EQ(host.messageRounds, 0) << name;  // no page read
        EXPECT_EQ(host.errors, std::vector<std::string>{result.Message});
        EXPECT_NE(result.Message.find(NameProblemTextAnsi(result.NameProblem)), std::string::npos);
        EXPECT_NE(Utf8(result.Message).find("書き込めないＰＤＦ: " + f.Output()), std::string::npos);
    }
    EXPECT_EQ(NamesIn(f.folder), (std::vector<std::string>{"a.jpg", "default.pdf"}));
    EXPECT_EQ(ReadFileBytes(f.Path("default.pdf")), "old");
}

TEST(PdfRun, AReadOnlyPdfFailsBeforeAnyPageIsRead) {
    RunFixture f("run-readonly-pdf");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    WriteFileBytes(f.Output(), "old");
    std::filesystem::permissions(f.Output(), std::filesystem::perms::owner_read);
    const TPdfRunResult result = f.Run(f.host);
    std::filesystem::permissions(f.Output(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_EQ(result.Stage, TPdfRunStage::rsOutput);
    EXPECT_EQ(result.Cause, SystemErrorText(kAccessDenied));
    EXPECT_NE(Utf8(result.Message).find("\r\n原因: アクセスが許可されていません（" + result.Cause + "）"),
              std::string::npos);
    EXPECT_EQ(f.host.messageRounds, 0);
    ExpectFailurePath(f, result);
    EXPECT_EQ(NamesIn(f.folder), (std::vector<std::string>{"a.jpg", "default.pdf"}));
}

#ifdef _WIN32
// A PDF that another program holds open (a viewer that shares no deletion)
// cannot be replaced: found before any page is read, and said so with the
// PDF's name.
TEST(PdfRun, APdfHeldOpenElsewhereFailsBeforeAnyPageIsRead) {
    RunFixture f("run-pdf-in-use");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    WriteFileBytes(f.Output(), "old");
    const HANDLE viewer = CreateFileW(WidePath(f.Output()).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    const TPdfRunResult result = f.Run(f.host);
    CloseHandle(viewer);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_EQ(result.Stage, TPdfRunStage::rsOutput);
    EXPECT_EQ(f.host.messageRounds, 0);
    EXPECT_EQ(result.Cause, "ＰＤＦが他のアプリで開かれています");
    EXPECT_EQ(Utf8(result.Message), "ＰＤＦを作成できませんでした。\r\n書き込めないＰＤＦ: " + f.Output() +
                                        "\r\n原因: ＰＤＦが他のアプリで開かれています");
    ExpectFailurePath(f, result);
    EXPECT_EQ(NamesIn(f.folder), (std::vector<std::string>{"a.jpg", "default.pdf"}));
    // Let go, the same run writes the PDF.
    TRecordingHost host;
    EXPECT_EQ(f.Run(host).Outcome, TPdfRunOutcome::roDone);
}
#endif

// Any name the file system takes: the temporary file's name does not grow
// with the PDF's, so a name of 250 characters is written.
TEST(PdfRun, ALongNameIsWritten) {
    RunFixture f("run-long-name");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    f.settings.OutputName = std::string(250, 'n');
    const TPdfRunResult result = f.Run(f.host);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.FailedFile << ": " << result.Cause;
    EXPECT_EQ(NamesIn(f.folder), (std::vector<std::string>{"a.jpg", std::string(250, 'n') + ".pdf"}));
    // One more and the name passes Windows' 255.
    f.settings.OutputName = std::string(252, 'n');
    TRecordingHost host;
    const TPdfRunResult tooLong = f.Run(host);
    EXPECT_EQ(tooLong.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_EQ(tooLong.NameProblem.Rule, TNameRule::nrTooLong);
    EXPECT_EQ(host.messageRounds, 0);
}

#ifndef _WIN32
// Another user's links at every name the temporary file could take: the
// run fails cleanly (or takes a name that is free), the links' targets stay
// as they were, and nothing of the run's is left.
TEST(PdfRun, LinksPlantedAtTheTemporaryNamesAreNeverWrittenThrough) {
    RunFixture f("run-planted-links");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    WriteFileBytes(f.Output(), "old");
    const std::string victim = test::FreshFolder("run-planted-victim") + "/victim";
    WriteFileBytes(victim, "precious");
    // The random part runs through four values; links wait at the first three.
    std::uint32_t next = 0;
    SetUniqueNameRandomForTest([&] { return 0xabc00000u + next++ % 4; });
    char name[32];
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::snprintf(name, sizeof name, "~pim%08x.tmp", 0xabc00000u + i);
        std::filesystem::create_symlink(victim, f.Path(name));
    }
    const TPdfRunResult result = f.Run(f.host);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_EQ(ReadFileBytes(f.Output()).substr(0, 5), "%PDF-");
    EXPECT_EQ(NamesIn(f.folder).size(), 5u);  // a.jpg, default.pdf and the three links

    // Now every name is taken: the run fails before the first page, saying why.
    std::snprintf(name, sizeof name, "~pim%08x.tmp", 0xabc00003u);
    std::filesystem::create_symlink(victim, f.Path(name));
    WriteFileBytes(f.Output(), "old");
    TRecordingHost host;
    const TPdfRunResult refused = f.Run(host);
    SetUniqueNameRandomForTest(nullptr);
    EXPECT_EQ(refused.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_EQ(refused.Stage, TPdfRunStage::rsOutput);
    EXPECT_EQ(refused.Cause, SystemErrorText(EEXIST));
    EXPECT_EQ(host.messageRounds, 0);
    EXPECT_EQ(ReadFileBytes(victim), "precious");
    EXPECT_EQ(ReadFileBytes(f.Output()), "old");
    EXPECT_EQ(NamesIn(f.folder).size(), 6u);
}

// The temporary file is only its owner's until it becomes the PDF, which
// then has the mode a new file gets.
TEST(PdfRun, ANewPdfGetsTheModeOfANewFile) {
    RunFixture f("run-new-mode");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    const mode_t old = ::umask(022);
    const TPdfRunResult result = f.Run(f.host);
    ::umask(old);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    struct stat st {};
    ASSERT_EQ(::stat(f.Output().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
}
#endif

// A page past the 14,400 units viewers accept is scaled down, its aspect
// kept and the JPEG's bytes unchanged; a warning names the file.
TEST(PdfRun, AWidePanoramaIsScaledToAPageViewersAccept) {
    RunFixture f("run-panorama");
    test::WriteJpegFile(f.Path("wide.jpg"), test::GradientBitmap(15000, 800));
    f.List({"wide.jpg"});
    const TPdfRunResult result = f.Run(f.host);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    ASSERT_EQ(result.Warnings.size(), 1u);
    EXPECT_EQ(result.Warnings[0].File, f.Path("wide.jpg"));
    EXPECT_NE(result.Warnings[0].Cause.find("14400 x 768"), std::string::npos) << result.Warnings[0].Cause;
    const std::string pdf = ReadFileBytes(f.Output());
    const TPdfFacts facts(pdf);
    EXPECT_EQ(facts.PageSize(facts.Pages().at(0)), (std::pair<int, int>{14400, 768}));
    EXPECT_NE(pdf.find(ReadFileBytes(f.Path("wide.jpg"))), std::string::npos);  // byte for byte
    EXPECT_VALID_PDF(f.Output());
}

// A JPEG whose data are far too short for its declared size (a header that
// claims 65500 x 65500 pixels in a few hundred bytes) gets the cut-off
// warning, and its page is scaled into bounds.
TEST(PdfRun, AJpegTooShortForItsSizeIsWarnedAbout) {
    RunFixture f("run-huge-claim");
    test::WriteJpegFile(f.Path("small.jpg"), test::GradientBitmap(16, 16));
    std::string bytes = ReadFileBytes(f.Path("small.jpg"));
    const std::size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes.replace(sof + 5, 4, "\xFF\xDC\xFF\xDC");  // height, width: 65500
    WriteFileBytes(f.Path("huge.jpg"), bytes);
    f.List({"huge.jpg"});
    const TPdfRunResult result = f.Run(f.host);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    ASSERT_EQ(result.Warnings.size(), 2u);
    EXPECT_EQ(result.Warnings[0].File, f.Path("huge.jpg"));
    EXPECT_NE(result.Warnings[0].Cause.find("scaled down to 14400 x 14400"), std::string::npos);
    EXPECT_NE(result.Warnings[1].Cause.find("cut off"), std::string::npos);
    const TPdfFacts facts = TPdfFacts::FromFile(f.Output());
    EXPECT_EQ(facts.PageSize(facts.Pages().at(0)), (std::pair<int, int>{14400, 14400}));
}

TEST(PdfRun, AMissingSaveFolderFailsBeforeAnyPageIsRead) {
    RunFixture f("run-no-save-folder");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg"});
    f.settings.UseSaveFolder = true;
    f.settings.SaveFolder = f.Path("missing");
    const TPdfRunResult result = f.Run(f.host);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_EQ(result.Stage, TPdfRunStage::rsOutput);
    EXPECT_FALSE(result.WhileSaving);
    EXPECT_EQ(result.FailedFile, f.run.PReport1->FileName());
    EXPECT_EQ(result.Cause, SystemErrorText(kNoFolder));  // the system's words
    EXPECT_EQ(f.host.messageRounds, 0);
    EXPECT_FALSE(std::filesystem::exists(f.Path("missing")));
    EXPECT_EQ(f.host.errors, std::vector<std::string>{result.Message});
    EXPECT_EQ(Utf8(result.Message), "ＰＤＦを作成できませんでした。\r\n書き込めないＰＤＦ: " +
                                        f.run.PReport1->FileName() + "\r\n原因: " + SystemErrorText(kNoFolder));
}

// JPEG bytes are read again when the PDF is written: a source that changed or
// vanished in between must fail the run, never give a different PDF.
class SourceChangedTest : public testing::TestWithParam<bool> {};

TEST_P(SourceChangedTest, BeforeTheSaveFailsTheRun) {
    const bool vanish = GetParam();
    RunFixture f(vanish ? "run-source-vanished" : "run-source-changed");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(24, 24));
    test::WriteJpegFile(f.Path("b.jpg"), test::GradientBitmap(8, 8));
    f.List({"a.jpg", "b.jpg"});
    WriteFileBytes(f.Output(), "old");
    f.host.onMessages = [&](int round) {
        if (round != 2) return;
        if (vanish) {
            std::filesystem::remove(f.Path("a.jpg"));
        } else {  // same size, other bytes
            std::string bytes = ReadFileBytes(f.Path("a.jpg"));
            bytes[bytes.size() / 2] ^= 0x55;
            WriteFileBytes(f.Path("a.jpg"), bytes);
        }
    };
    const TPdfRunResult result = f.Run(f.host);
    EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_TRUE(result.WhileSaving);
    ExpectFailurePath(f, result);
}

INSTANTIATE_TEST_SUITE_P(PdfRun, SourceChangedTest, testing::Values(false, true));

TEST(PdfRun, ACmykJpegIsEncodedAgainInTrueColours) {
    RunFixture f("run-cmyk");
    test::WriteCmykJpegFile(f.Path("cyan.jpg"), 16, 16, 255, 0, 0, 0);
    f.List({"cyan.jpg"});
    ASSERT_EQ(f.Run(f.host).Outcome, TPdfRunOutcome::roDone);
    const TPdfFacts pdf = TPdfFacts::FromFile(f.Output());
    const test::TPdfObjectText& image = pdf.Object(pdf.PageImages(pdf.Pages().at(0)).at(0));
    EXPECT_EQ(TPdfFacts::Value(image.Dictionary, "ColorSpace"), "/DeviceRGB");
    const auto* data = reinterpret_cast<const std::uint8_t*>(image.Stream.data());
    EXPECT_EQ(ReadJpegHeader(data, image.Stream.size()).components, 3);
    TBitmap decoded;
    DecodeJpeg(data, image.Stream.size(), {}, decoded);
    const TPaletteEntry pixel = decoded.PixelColor(8, 8);
    EXPECT_LE(pixel.peRed, 8);
    EXPECT_GE(pixel.peGreen, 247);
    EXPECT_GE(pixel.peBlue, 247);
}

TEST(PdfRun, ReencodingMakesEveryPictureAnAdjustedJpeg) {
    RunFixture f("run-reencode");
    test::WriteBmpFile(f.Path("red.bmp"), test::SolidBitmap(16, 16, {255, 0, 0}));
    f.List({"red.bmp"});
    f.settings.ReencodeJpeg = true;
    f.settings.Adjust = {0, 80, true};
    ASSERT_EQ(f.Run(f.host).Outcome, TPdfRunOutcome::roDone);
    const TPdfFacts pdf = TPdfFacts::FromFile(f.Output());
    const test::TPdfObjectText& image = pdf.Object(pdf.PageImages(pdf.Pages().at(0)).at(0));
    EXPECT_EQ(TPdfFacts::Value(image.Dictionary, "Filter"), "[/DCTDecode ]");
    TBitmap decoded;
    DecodeJpeg(reinterpret_cast<const std::uint8_t*>(image.Stream.data()), image.Stream.size(), {}, decoded);
    const TPaletteEntry pixel = decoded.PixelColor(8, 8);
    EXPECT_NEAR(pixel.peRed, 74, 2);  // the grey of pure red
    EXPECT_NEAR(pixel.peGreen, 74, 2);
}

// Image bytes held in memory (bitmap samples, re-encoded JPEGs) wait for
// the save in a scratch file: memory does not grow with the folder.
TEST(PdfRun, PrintedPagesKeepNoImageBytesInMemory) {
    RunFixture f("run-spool");
    test::WriteBmpFile(f.Path("a.bmp"), test::GradientBitmap(64, 64));
    test::WriteJpegFile(f.Path("b.jpg"), test::GradientBitmap(64, 64), {.grayscale = true});
    test::WriteBmpFile(f.Path("c.bmp"), test::GradientBitmap(8, 8));
    f.List({"a.bmp", "b.jpg", "c.bmp"});
    std::int64_t inMemory = -1;
    f.host.onMessages = [&](int round) {
        if (round != 3) return;
        inMemory = 0;
        TPdfXref& xref = *f.run.PReport1->Doc()->Xref();
        for (int i = 0; i < xref.EntryCount(); ++i)
            if (auto* image = dynamic_cast<TPdfImage*>(xref.EntryAt(i).Value.get()))
                inMemory += image->Content().MemorySize();
    };
    ASSERT_EQ(f.Run(f.host).Outcome, TPdfRunOutcome::roDone);
    EXPECT_EQ(inMemory, 0);
    const TPdfFacts pdf = TPdfFacts::FromFile(f.Output());
    EXPECT_EQ(pdf.Object(pdf.PageImages(pdf.Pages().at(0)).at(0)).Stream.size(), 64u * 64u * 3u);
}

// Names code page 932 cannot hold, listed by the shell, and in the save
// folder's path: each page shows its own picture, and each bookmark reads the
// true name.
TEST(PdfRun, NamesOutsideTheAnsiCodePageKeepTheirOwnPagesAndBookmarks) {
    const std::string folder = test::ShellPath(test::FreshFolder("run-names"));
    const std::string save = test::ShellPath(test::FreshFolder("run-names-\xC3\xA9-\xED\x95\x9C"));  // é, 한
    const std::string separator(1, PathDelimiter());
    const std::vector<std::string> titles = {"e", "\xC3\xA9", "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4"};  // e, é, 한국어
    for (std::size_t i = 0; i < titles.size(); ++i)
        test::WriteJpegFile(folder + separator + titles[i] + ".jpg", test::GradientBitmap(8 + static_cast<int>(i), 8));
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.SetFolderPath(folder);
    TPdfRun run;
    TPdfRunSettings settings;
    settings.ImageFolder = model.FolderPath();
    settings.UseSaveFolder = true;
    settings.SaveFolder = save;
    TRecordingHost host;
    const TPdfRunResult result = run.CreatePdf(host, ListedFiles(model.ImgItems()), settings);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.FailedFile << ": " << result.Cause;

    const TPdfFacts pdf = TPdfFacts::FromFile(save + separator + "default.pdf");
    const std::vector<std::string> outline = pdf.OutlineTitles();
    EXPECT_EQ(std::set<std::string>(outline.begin(), outline.end()),
              std::set<std::string>(titles.begin(), titles.end()));
    const std::vector<int> pages = pdf.Pages();
    ASSERT_EQ(pages.size(), 3u);
    for (std::size_t i = 0; i < pages.size() && i < outline.size(); ++i)
        EXPECT_EQ(pdf.Object(pdf.PageImages(pages[i]).at(0)).Stream,
                  ReadFileBytes(folder + separator + outline[i] + ".jpg"))
            << outline[i];
}

// A JPEG cut off in its data still makes its page, copied or decoded, and
// the run names it among its warnings.
TEST(PdfRun, ACutOffJpegMakesItsPageAndAWarning) {
    RunFixture f("run-cutoff");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(64, 64));
    const std::string bytes = ReadFileBytes(f.Path("a.jpg"));
    WriteFileBytes(f.Path("b.jpg"), bytes.substr(0, bytes.size() * 2 / 3));
    f.List({"b.jpg", "a.jpg"});
    for (const bool reencode : {false, true}) {
        f.settings.ReencodeJpeg = reencode;
        const TPdfRunResult result = f.Run(f.host);
        ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
        ASSERT_EQ(result.Warnings.size(), 1u) << reencode;
        EXPECT_EQ(result.Warnings[0].File, f.Path("b.jpg"));
        EXPECT_EQ(TPdfFacts::FromFile(f.Output()).Pages().size(), 2u);
    }
}

// The PDF with its dates masked.
std::string WithoutDates(std::string pdf) {
    for (std::size_t at = pdf.find("(D:"); at != std::string::npos; at = pdf.find("(D:", at + 1))
        pdf.replace(at + 3, 14, 14, '0');
    return pdf;
}

// Worker threads prepare the pages ahead; the PDF is the one a single
// thread makes, byte for byte, pages copied, re-encoded, bitmap and text.
// One run object makes them all, as the window's does for every click: a
// later run names its images as the first did.
TEST(PdfRun, WorkersMakeTheSamePdfByteForByte) {
    RunFixture f("run-jobs");
    for (const char* name : {"p0.jpg", "p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"})
        test::WriteJpegFile(f.Path(name), test::GradientBitmap(40 + name[1] - '0', 30));
    test::WriteJpegFile(f.Path("q.jpg"), test::GradientBitmap(20, 20), {.progressive = true, .grayscale = true});
    test::WriteBmpFile(f.Path("r.bmp"), test::GradientBitmap(16, 9));
    WriteFileBytes(f.Path("s.txt"), "one\r\ntwo\r\n");
    f.List({"p0.jpg", "q.jpg", "p1.jpg", "r.bmp", "p2.jpg", "s.txt", "p3.jpg", "p4.jpg", "p5.jpg"});
    TPdfRun run;
    for (const bool reencode : {false, true}) {
        std::string single;
        for (const int jobs : {1, 3}) {
            TPdfRunSettings settings;
            settings.ImageFolder = f.folder;
            settings.ReencodeJpeg = reencode;
            settings.Jobs = jobs;
            TRecordingHost host;
            ASSERT_EQ(run.CreatePdf(host, f.files, settings).Outcome, TPdfRunOutcome::roDone);
            EXPECT_EQ(host.labels.size(), 10u);
            const std::string pdf = WithoutDates(ReadFileBytes(f.Output()));
            if (jobs == 1)
                single = pdf;
            else
                EXPECT_TRUE(pdf == single) << "reencode " << reencode;
        }
    }
}

// With workers a stop still comes before the next page, and a file that
// cannot be read fails the run at its own page, named.
TEST(PdfRun, WorkersStopAndFailAtTheRightPage) {
    RunFixture f("run-jobs-stop");
    for (const char* name : {"a.jpg", "b.jpg", "d.jpg", "e.jpg"})
        test::WriteJpegFile(f.Path(name), test::GradientBitmap(8, 8));
    WriteFileBytes(f.Path("c.jpg"), "no JPEG");
    f.List({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
    f.settings.Jobs = 4;
    WriteFileBytes(f.Output(), "old");
    const TPdfRunResult failed = f.Run(f.host);
    EXPECT_EQ(failed.Outcome, TPdfRunOutcome::roFailed);
    EXPECT_EQ(failed.FailedFile, f.Path("c.jpg"));
    ASSERT_GE(f.host.labels.size(), 2u);
    EXPECT_EQ(Utf8(f.host.labels[f.host.labels.size() - 2]), "画像読み込み:3/5");
    EXPECT_EQ(f.host.labels.back(), failed.Message);

    TRecordingHost stopped;
    stopped.onMessages = [&](int round) { stopped.stopped = round == 2; };
    EXPECT_EQ(f.Run(stopped).Outcome, TPdfRunOutcome::roStopped);
    EXPECT_EQ(stopped.labels.size(), 1u);
    EXPECT_EQ(ReadFileBytes(f.Output()), "old");
}

#ifndef _WIN32
// A FIFO named like a picture, which no writer ever opens: its page fails at
// once, named, with or without workers, where reading it would wait for ever.
TEST(PdfRun, AFifoNamedLikeAPictureFailsItsPageInsteadOfWaiting) {
    RunFixture f("run-fifo");
    test::WriteJpegFile(f.Path("a.jpg"), test::GradientBitmap(8, 8));
    ASSERT_EQ(mkfifo(f.Path("b.jpg").c_str(), 0600), 0);
    f.List({"a.jpg", "b.jpg"});
    for (const int jobs : {1, 0}) {
        f.settings.Jobs = jobs;
        const TPdfRunResult result = f.Run(f.host);
        EXPECT_EQ(result.Outcome, TPdfRunOutcome::roFailed) << jobs;
        EXPECT_EQ(result.FailedFile, f.Path("b.jpg"));
        EXPECT_EQ(result.Cause, kNotAFile);
    }
}
#endif

TEST(PdfRun, BookmarksFollowTheWorkingListsOrder) {
    RunFixture f("run-order");
    for (const char* name : {"x.jpg", "y.jpg", "z.jpg"}) test::WriteJpegFile(f.Path(name), test::GradientBitmap(4, 4));
    f.List({"z.jpg", "x.jpg", "y.jpg"});
    ASSERT_EQ(f.Run(f.host).Outcome, TPdfRunOutcome::roDone);
    EXPECT_EQ(TPdfFacts::FromFile(f.Output()).OutlineTitles(), (std::vector<std::string>{"z", "x", "y"}));
}

}  // namespace
}  // namespace pim

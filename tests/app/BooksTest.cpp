// Books: blank pages, chapters, binding and page display in a run, and the
// batches over a folder of chapter folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/MainModel.h"
#include "app/PdfBatch.h"
#include "app/PdfRun.h"
#include "base/CodePage.h"
#include "base/Paths.h"
#include "tests/app/PdfFacts.h"
#include "tests/app/RunHost.h"
#include "tests/app/TestPictures.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

namespace fs = std::filesystem;
using test::TPdfFacts;
using test::TRecordingHost;
using Size = std::pair<int, int>;

std::vector<Size> PageSizes(const TPdfFacts& pdf) {
    std::vector<Size> sizes;
    for (int page : pdf.Pages()) sizes.push_back(pdf.PageSize(page));
    return sizes;
}

void WriteBmp(const std::string& path, int width, int height) {
    test::WriteBmpFile(path, test::SolidBitmap(width, height, {10, 200, 30}));
}

TEST(PdfRunBooks, BlankPagesTakeTheSizeOfTheirNeighbourAndHaveNoBookmark) {
    const std::string folder = test::FreshFolder("books-blank");
    WriteBmp(folder + "/a.bmp", 40, 30);
    WriteBmp(folder + "/b.bmp", 20, 10);
    test::WriteFileBytes(folder + "/t.txt", "text\r\n");
    const Size a{40, 30}, b{20, 10}, text{480, 680};
    const struct {
        std::vector<std::string> files;
        std::vector<Size> sizes;
        std::vector<std::string> titles;
    } cases[] = {
        // First (the next real page's size), middle (the page before), last.
        {{"", "", "a.bmp", "", "b.bmp", ""}, {a, a, a, a, b, b}, {"a", "b"}},
        {{"", "t.txt", "", "b.bmp"}, {text, text, text, b}, {"t", "b"}},
        {{""}, {text}, {}},  // no real page at all
        {{"", ""}, {text, text}, {}},
    };
    for (int jobs : {1, 0}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.files.size() << " entries, jobs " << jobs);
            std::vector<std::string> files;
            for (const std::string& f : c.files) files.push_back(f.empty() ? f : folder + "/" + f);
            TPdfRunSettings settings;
            settings.ImageFolder = folder;
            settings.Jobs = jobs;
            TPdfRun run;
            TRecordingHost host;
            const TPdfRunResult result = run.CreatePdf(host, files, settings);
            ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
            EXPECT_EQ(host.maximum, static_cast<int>(files.size()));  // a blank counts as a page
            const std::string pdfPath = run.PReport1->FileName();
            ASSERT_VALID_PDF(pdfPath);
            const TPdfFacts pdf = TPdfFacts::FromFile(pdfPath);
            EXPECT_EQ(PageSizes(pdf), c.sizes);
            EXPECT_EQ(pdf.OutlineTitles(), c.titles);
            for (std::size_t i = 0; i < c.files.size(); ++i) {
                if (!c.files[i].empty()) continue;
                const int page = pdf.Pages()[i];
                EXPECT_TRUE(pdf.PageImages(page).empty());
                const std::string content =
                    pdf.Object(TPdfFacts::Reference(pdf.Object(page).Dictionary, "Contents")).Stream;
                EXPECT_EQ(content.find("Do"), std::string::npos) << content;
                EXPECT_EQ(content.find("BT"), std::string::npos) << content;
            }
        }
    }
}

// Chapters: a bookmark each, at its first page (a blank one too), its pages
// under it; files before the first chapter stay at the top level. Binding
// and page display reach the catalog.
TEST(PdfRunBooks, ChaptersGroupTheirPagesAndBindingAndDisplayReachTheCatalog) {
    const std::string folder = test::FreshFolder("books-chapters");
    for (const char* name : {"cover.bmp", "p1.bmp", "p2.bmp", "p3.bmp", "p4.bmp"}) WriteBmp(folder + "/" + name, 8, 8);
    const auto path = [&](const char* name) { return folder + "/" + name; };
    TPdfRunSettings settings;
    settings.ImageFolder = folder;
    settings.Binding = TBinding::bRight;
    settings.PageDisplay = TPageDisplay::pdSpreadCover;
    // Given out of order; "Ω" is not in code page 932; "空" has no file.
    settings.Chapters = {{"第2話 Ω", 3}, {"第1話", 1}, {"空", 6}};
    TPdfRun run;
    TRecordingHost host;
    const TPdfRunResult result = run.CreatePdf(
        host, {path("cover.bmp"), path("p1.bmp"), path("p2.bmp"), "", path("p3.bmp"), path("p4.bmp")}, settings);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    ASSERT_VALID_PDF(run.PReport1->FileName());
    const TPdfFacts pdf = TPdfFacts::FromFile(run.PReport1->FileName());
    const std::vector<int> pages = pdf.Pages();
    ASSERT_EQ(pages.size(), 6u);
    const auto outline = pdf.Outline();
    ASSERT_EQ(outline.size(), 3u);
    EXPECT_EQ(outline[0].Title, "cover");
    EXPECT_EQ(outline[0].Page, pages[0]);
    EXPECT_TRUE(outline[0].Children.empty());
    EXPECT_EQ(outline[1].Title, "第1話");
    EXPECT_EQ(outline[1].Page, pages[1]);
    ASSERT_EQ(outline[1].Children.size(), 2u);
    EXPECT_EQ(outline[1].Children[1].Title, "p2");
    EXPECT_EQ(outline[1].Children[1].Page, pages[2]);
    EXPECT_EQ(outline[2].Title, "第2話 Ω");
    EXPECT_EQ(outline[2].Page, pages[3]);  // the blank page opens the chapter
    ASSERT_EQ(outline[2].Children.size(), 2u);
    EXPECT_EQ(outline[2].Children[0].Title, "p3");
    EXPECT_EQ(outline[2].Children[0].Page, pages[4]);

    EXPECT_EQ(TPdfFacts::Value(pdf.Catalog(), "PageLayout"), "/TwoColumnRight");
    EXPECT_NE(pdf.Catalog().find("/Direction /R2L"), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes(run.PReport1->FileName()).substr(0, 9), "%PDF-1.3 ");

    // The next run of the same object without chapters or binding: flat and 1.2.
    TPdfRunSettings plain;
    plain.ImageFolder = folder;
    const TPdfRunResult again = run.CreatePdf(host, {path("p1.bmp"), path("p2.bmp")}, plain);
    ASSERT_EQ(again.Outcome, TPdfRunOutcome::roDone) << again.Cause;
    const TPdfFacts flat = TPdfFacts::FromFile(run.PReport1->FileName());
    EXPECT_EQ(flat.OutlineTitles(), (std::vector<std::string>{"p1", "p2"}));
    EXPECT_EQ(flat.Outline()[0].Children.size(), 0u);
    EXPECT_EQ(TPdfFacts::Value(flat.Catalog(), "PageLayout"), "/OneColumn");
    EXPECT_EQ(test::ReadFileBytes(run.PReport1->FileName()).substr(0, 9), "%PDF-1.2 ");
}

// 12 chapter folders "第1話".."第12話" (natural order, not byte order):
// chapter n holds n % 3 + 1 pictures whose widths give their order; 第4話 is
// empty, 第7話 holds a broken JPEG after a good picture. A file of the
// image folder itself is not a chapter.
struct ChapterFolders {
    // The shell lists folders by their Windows paths.
    explicit ChapterFolders(const std::string& name) : root(test::ShellPath(test::FreshFolder(name))) {
        WriteBmp(root + "/own.bmp", 5, 5);
        for (int n = 1; n <= 12; ++n) {
            const std::string folder = Chapter(n);
            fs::create_directory(test::FsPath(folder));
            if (n == 4) continue;
            for (int i = 0; i < Pages(n); ++i) WriteBmp(folder + "/" + std::to_string(i + 1) + ".bmp", 10 * n + i, 7);
            if (n == 7) test::WriteFileBytes(folder + "/9.jpg", "this is no JPEG");
        }
    }
    std::string Chapter(int n) const { return JoinPath(root, "第" + std::to_string(n) + "話"); }
    static int Pages(int n) { return n % 3 + 1; }
    std::string root;
};

TEST(PdfBatch, OnePdfPerChapterFolderSkipsTheEmptyAndGoesOnPastTheBroken) {
    ChapterFolders f("books-batch");
    TPdfRun run;
    TRecordingHost host;
    TPdfRunSettings settings;
    settings.ImageFolder = f.root;
    const TPdfBatchResult result = CreatePdfPerSubfolder(run, host, settings, {});
    EXPECT_EQ(result.Folders, 12);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(result.Skipped, std::vector<std::string>{"第4話"});
    ASSERT_EQ(result.Failed.size(), 1u);
    EXPECT_EQ(result.Failed[0].Folder, "第7話");
    EXPECT_NE(AnsiToUtf8(result.Failed[0].Cause).find("9.jpg"), std::string::npos)
        << AnsiToUtf8(result.Failed[0].Cause);
    EXPECT_NE(AnsiToUtf8(result.Failed[0].Cause).find("JPEG画像ではありません"), std::string::npos);
    ASSERT_EQ(result.Made.size(), 10u);
    int made = 0;
    for (int n = 1; n <= 12; ++n) {
        const std::string pdfPath = OutputFileName(f.root, "第" + std::to_string(n) + "話");
        if (n == 4 || n == 7) {
            EXPECT_FALSE(fs::exists(test::FsPath(pdfPath))) << pdfPath;
            continue;
        }
        EXPECT_EQ(result.Made[static_cast<std::size_t>(made++)], pdfPath);
        const TPdfFacts pdf = TPdfFacts::FromFile(pdfPath);
        std::vector<Size> expected;
        for (int i = 0; i < ChapterFolders::Pages(n); ++i) expected.push_back({10 * n + i, 7});
        EXPECT_EQ(PageSizes(pdf), expected) << pdfPath;
    }
    ASSERT_VALID_PDF(OutputFileName(f.root, "第12話"));
    for (const auto& entry : fs::directory_iterator(test::FsPath(f.root)))
        EXPECT_EQ(entry.path().filename().string().rfind("~pim", 0), std::string::npos);

    // One dialog, no error box; the label names the folder and the file.
    EXPECT_EQ(host.opened, 1);
    EXPECT_TRUE(host.errors.empty());
    EXPECT_TRUE(host.finished);
    ASSERT_FALSE(host.labels.empty());
    EXPECT_EQ(AnsiToUtf8(host.labels.front()), "フォルダ 1 / 12：第1話\r\n画像読み込み:1/2  1.bmp");
    std::string cause = AnsiToUtf8(result.Failed[0].Cause);
    for (std::size_t at = cause.find("\r\n"); at != std::string::npos; at = cause.find("\r\n", at + 3))
        cause.insert(at + 2, "　");
    EXPECT_EQ(AnsiToUtf8(host.labels.back()),
              "10個のPDFを作成しました\r\nスキップ: 第4話（ファイルがありません）\r\n失敗: 第7話\r\n　" + cause);
    EXPECT_EQ(host.labels.back(), BatchSummary(result));
}

TEST(PdfBatch, AStopEndsTheBatchKeepingTheFinishedPdfsAndNoPartOfTheNext) {
    ChapterFolders f("books-batch-stop");
    TPdfRun run;
    TRecordingHost host;
    // 第1話 has two pages (rounds 1 and 2), the batch looks once between
    // folders (3): the stop comes on 第2話's first page.
    host.onMessages = [&](int round) { host.stopped = round == 4; };
    TPdfRunSettings settings;
    settings.ImageFolder = f.root;
    settings.UseSaveFolder = true;
    settings.SaveFolder = test::ShellPath(test::FreshFolder("books-batch-stop-out"));
    const TPdfBatchResult result = CreatePdfPerSubfolder(run, host, settings, {});
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Made, std::vector<std::string>{OutputFileName(settings.SaveFolder, "第1話")});
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(test::FsPath(settings.SaveFolder)))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"第1話.pdf"});
    EXPECT_EQ(AnsiToUtf8(BatchSummary(result)), "強制終了されました\r\n1個のPDFを作成しました");
    EXPECT_EQ(host.opened, 1);
    EXPECT_TRUE(host.errors.empty());
}

TEST(PdfBatch, AllSubfoldersInOnePdfAsChaptersAfterTheFolderOwnFiles) {
    ChapterFolders f("books-all");
    fs::remove(test::FsPath(f.Chapter(7) + "/9.jpg"));
    TPdfRun run;
    TRecordingHost host;
    TPdfRunSettings settings;
    settings.ImageFolder = f.root;
    TListingOptions listing;
    const TPdfRunResult result =
        CreatePdfOfAllSubfolders(run, host, ListFolderFiles(f.root, listing), {1}, settings, listing);
    ASSERT_EQ(result.Outcome, TPdfRunOutcome::roDone) << result.Cause;
    const std::string pdfPath = OutputFileName(f.root, "books-all");
    EXPECT_EQ(run.PReport1->FileName(), pdfPath);
    ASSERT_VALID_PDF(pdfPath);
    const TPdfFacts pdf = TPdfFacts::FromFile(pdfPath);
    const auto outline = pdf.Outline();
    ASSERT_EQ(outline.size(), 12u);  // own.bmp, then 11 chapters
    EXPECT_EQ(outline[0].Title, "own");
    EXPECT_EQ(pdf.PageSize(pdf.Pages()[0]), Size(5, 5));
    std::size_t page = 1;
    for (int n = 1, at = 1; n <= 12; ++n) {
        if (n == 4) continue;
        const auto& chapter = outline[static_cast<std::size_t>(at++)];
        EXPECT_EQ(chapter.Title, "第" + std::to_string(n) + "話");
        ASSERT_EQ(chapter.Children.size(), static_cast<std::size_t>(ChapterFolders::Pages(n))) << chapter.Title;
        EXPECT_EQ(chapter.Page, pdf.Pages()[page]);
        for (int i = 0; i < ChapterFolders::Pages(n); ++i)
            EXPECT_EQ(pdf.PageSize(pdf.Pages()[page++]), Size(10 * n + i, 7));
    }
    EXPECT_EQ(page, pdf.Pages().size());
}

}  // namespace
}  // namespace pim

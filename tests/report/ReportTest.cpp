// The report driver: properties and their guards, the document life cycle,
// a three-page document printed the way the application prints one, and
// saves that fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/CodePage.h"
#include "report/FileCommit.h"
#include "report/PReport.h"
#include "tests/report/ReportTestUtil.h"
#include "tests/support/PdfCheck.h"
#include "tests/support/TestTools.h"

namespace pim {
namespace {

using test::MessageOf;
namespace fs = std::filesystem;

TEST(Report, FreshDefaults) {
    const TDateTime before = Now();
    TPReport report;
    EXPECT_EQ(report.FileName(), "default.pdf");
    EXPECT_EQ(report.Author(), "");
    EXPECT_EQ(report.Title(), "");
    EXPECT_GE(report.CreationDate(), before - 1e-6);
    EXPECT_LE(report.CreationDate(), Now() + 1e-6);
    EXPECT_EQ(report.ModDate(), 0.0);
    EXPECT_EQ(report.PageLayout(), plSinglePage);
    EXPECT_EQ(report.PageMode(), pmUseNone);
    EXPECT_FALSE(report.UseOutlines());
    EXPECT_EQ(report.ViewerPreference(), 0);
    EXPECT_EQ(report.CurrentPageNumber(), 0);
    EXPECT_EQ(report.Doc(), nullptr);
}

TEST(Report, DocumentPropertiesAreFrozenWhileADocumentIsOpen) {
    TPReport report;
    report.SetTitle("old");
    report.SetNonFullScreenPageMode(pmFullScreen);
    EXPECT_EQ(report.NonFullScreenPageMode(), pmUseNone);
    report.BeginDocument();

    EXPECT_EQ(MessageOf([&] { report.SetTitle("new"); }), "SetTitle --invalid operation.");
    EXPECT_THROW(report.SetTitle("new"), EPdfInvalidOperation);
    EXPECT_EQ(report.Title(), "old");
    EXPECT_EQ(MessageOf([&] { report.SetAuthor(""); }), "SetAuthor --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetCreationDate(1); }), "SetCreationDate --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetCreator(""); }), "SetCreator --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetKeywords(""); }), "SetKeyWords --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetModDate(1); }), "SetModDate --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetSubject(""); }), "SetSubject --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetPageLayout(plOneColumn); }), "SetPageLayout --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetPageMode(pmUseThumbs); }), "SetPageMode --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetNonFullScreenPageMode(pmUseThumbs); }),
              "SetNonFullScreenPageMode --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetUseOutlines(true); }), "SetUseOutlines --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetViewerPreference(1); }), "SetViewerPreference --invalid operation.");
    // The plain fields can change at any time.
    report.SetFileName("x.pdf");
    report.SetCompressionMethod(cmNone);

    report.AbortDocument();
    report.SetTitle("new");
    EXPECT_EQ(report.Title(), "new");
}

TEST(Report, OperationsThatNeedAnOpenDocument) {
    TPReport report;
    TPRPage page;
    EXPECT_EQ(MessageOf([&] { report.EndDocument(); }), "document is null..");
    EXPECT_THROW(report.EndDocument(), EInvalidOperation);
    EXPECT_THROW(report.PrintPage(page), EPdfInvalidOperation);
    EXPECT_EQ(MessageOf([&] { report.CreateDestination(); }), "CreateDestination --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.OpenAction(); }), "GetOpenAction --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.SetOpenAction(nullptr); }), "SetOpenAction --invalid operation.");
    EXPECT_EQ(MessageOf([&] { report.OutlineRoot(); }), "GetOutlineRoot --invalid operation.");
    report.AbortDocument();  // nothing open: nothing happens

    report.BeginDocument();  // outlines off
    EXPECT_EQ(MessageOf([&] { report.OutlineRoot(); }), "GetOutlineRoot --invalid operation.");
}

TEST(Report, CountsPagesAndSizesThemFromThePageControl) {
    TPReport report;
    TPRPage page;
    std::vector<int> seen;
    page.OnPrintPage = [&](TPRPage& sender, TPRCanvas& canvas) {
        EXPECT_EQ(&sender, &page);
        EXPECT_EQ(canvas.PageCanvas(), report.Doc()->GetCanvas());
        seen.push_back(report.CurrentPageNumber());
    };
    report.BeginDocument();
    page.SetBounds(0, 0, 480, 680);
    report.PrintPage(page);
    report.PrintPage(page);
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    TPdfDictionary* pdfPage = report.Doc()->GetCanvas()->GetPage();
    EXPECT_EQ(test::Serialized(*pdfPage->Lookup("MediaBox")), "[0 0 480 680 ]");

    // A second BeginDocument starts afresh.
    TPdfDoc* first = report.Doc();
    report.BeginDocument();
    EXPECT_NE(report.Doc(), nullptr);
    EXPECT_EQ(report.CurrentPageNumber(), 0);
    (void)first;
}

TEST(Report, DestinationsAreMeasuredFromTheTopOfThePage) {
    TPReport report;
    report.SetUseOutlines(true);
    TPRPage page;  // 842 high
    TPRDestination* dest = nullptr;
    page.OnPrintPage = [&](TPRPage&, TPRCanvas&) { dest = report.CreateDestination(); };
    report.BeginDocument();
    report.PrintPage(page);
    ASSERT_NE(dest, nullptr);
    EXPECT_EQ(dest->Data().Top(), 852);  // 10 points above the page
    EXPECT_EQ(dest->Data().Zoom(), 1.0f);
    EXPECT_EQ(dest->DestinationType(), dtXYZ);
    dest->SetTop(0);
    EXPECT_EQ(dest->Data().Top(), 842);
    dest->SetBottom(842);
    EXPECT_EQ(dest->Data().Bottom(), 0);

    TPROutlineEntry* entry = report.OutlineRoot()->AddChild();
    entry->SetDest(dest);
    EXPECT_EQ(entry->Dest(), dest);

    // A destination of another document is refused.
    TPReport other;
    TPRPage otherPage;
    TPRDestination* foreign = nullptr;
    otherPage.OnPrintPage = [&](TPRPage&, TPRCanvas&) { foreign = other.CreateDestination(); };
    other.BeginDocument();
    other.PrintPage(otherPage);
    EXPECT_EQ(MessageOf([&] { entry->SetDest(foreign); }), "SetDest --internal docs are not equal.");
    EXPECT_EQ(entry->Dest(), dest);
}

// ---- The application's three-page run -------------------------------------------------

struct ThreePageRun {
    TPReport report;
    TPRPage page;
    std::vector<std::string> files{"photo01.jpg", "memo.txt", "scan.bmp"};
    std::vector<std::pair<int, int>> sizes{{800, 600}, {480, 680}, {300, 200}};

    ThreePageRun() {
        report.SetCreator(Utf8ToAnsi("Pim-ピム-"));
        report.SetTitle(Utf8ToAnsi("タイトル"));
        report.SetAuthor("someone");
        report.SetPageLayout(plOneColumn);
        report.SetUseOutlines(true);
        report.SetViewerPreference(ViewerPreferenceBit(vpFitWindow) | ViewerPreferenceBit(vpCenterWindow));
        // What the application's page handler does on every page.
        page.OnPrintPage = [this](TPRPage&, TPRCanvas&) {
            const int n = report.CurrentPageNumber();
            if (n == 1) {
                report.SetOpenAction(report.CreateDestination());
                report.OpenAction()->SetDestinationType(dtXYZ);
                report.OpenAction()->SetZoom(1.0f);
            }
            TPROutlineEntry* entry = report.OutlineRoot()->AddChild();
            TPRDestination* dest = report.CreateDestination();
            entry->SetDest(dest);
            dest->SetTop(0);
            const std::string& file = files[static_cast<std::size_t>(n - 1)];
            entry->SetTitle(file.substr(0, file.size() - 4));
        };
    }

    void Save(const std::string& path) {
        report.SetFileName(path);
        report.BeginDocument();
        for (auto [w, h] : sizes) {
            page.SetBounds(0, 0, w, h);
            report.PrintPage(page);
        }
        report.EndDocument();
    }
    std::string Run(const std::string& path) {
        Save(path);
        return test::ReadFileBytes(path);
    }
};

TEST(ReportRun, ThreePagesWithOpenActionAndOneBookmarkEach) {
    ThreePageRun run;
    const std::string path = test::OutputPath("report_three_pages.pdf");
    fs::remove(path);
    const std::string pdf = run.Run(path);
    EXPECT_EQ(run.report.Doc(), nullptr);
    EXPECT_VALID_PDF(path);

    // Our own bytes: catalog, outline root, first bookmark.
    EXPECT_NE(pdf.find("1 0 obj\r\n<<\r\n/Type /Catalog\r\n/Outlines 2 0 R\r\n/Pages 4 0 R\r\n"
                       "/PageMode /UseNone\r\n/PageLayout /OneColumn\r\n"
                       "/ViewerPreferences <<\r\n/FitWindow true\r\n/CenterWindow true\r\n>>\r\n"
                       "/OpenAction [5 0 R /XYZ 0 610 1 ]\r\n>>"),
              std::string::npos)
        << pdf.substr(0, 400);
    EXPECT_NE(pdf.find("/Type /Outlines\r\n/Count 3\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Title (photo01)\r\n"), std::string::npos);
    EXPECT_NE(pdf.find("/Dest [5 0 R /XYZ 0 600 1 ]"), std::string::npos);
    EXPECT_NE(pdf.find("/MediaBox [0 0 800 600 ]"), std::string::npos);
    EXPECT_NE(pdf.find("/Creator <FEFF"), std::string::npos);

    // A second opinion from qpdf's parser.
    PIM_NEEDS_TOOLS();
    const std::string json = test::QpdfJson(path);
    ASSERT_FALSE(json.empty()) << "qpdf --json gave nothing";
    EXPECT_NE(json.find(R"("/PageLayout":"/OneColumn")"), std::string::npos);
    EXPECT_NE(json.find(R"("/ViewerPreferences":{"/CenterWindow":true,"/FitWindow":true})"), std::string::npos);
    EXPECT_NE(json.find(R"("/OpenAction":["5 0 R","/XYZ",0,610,1])"), std::string::npos) << json;
    EXPECT_EQ(test::QpdfPageSizes(json), (std::vector<std::string>{"0,0,800,600", "0,0,480,680", "0,0,300,200"}));
    EXPECT_EQ(test::QpdfOutlineTitles(json), (std::vector<std::string>{"photo01", "memo", "scan"}));
    // Each bookmark leads to the top of its own page.
    EXPECT_NE(json.find(R"("object":"9 0 R","outlines":[{"dest":["9 0 R","/XYZ",0,680,1],"object":"11 0 R",)"
                        R"("title":"memo"}])"),
              std::string::npos);
}

// ---- Saves that fail ---------------------------------------------------------------------

// Files in the folder other than those listed.
std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

fs::path FreshFolder(const std::string& name) {
    fs::path folder = test::OutputPath(name);
    std::error_code ignored;  // a folder left read-only by an interrupted run
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

TEST(ReportSave, NoPageLeavesNoFileAndKeepsTheOldOne) {
    const fs::path folder = FreshFolder("report_save_nopage");
    const std::string target = (folder / "out.pdf").string();
    TPReport report;
    report.SetFileName(target);
    report.BeginDocument();
    EXPECT_EQ(MessageOf([&] { report.EndDocument(); }), "GetPage --the Page is nil");
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_NE(report.Doc(), nullptr);  // the document stays open

    test::WriteFileBytes(target, "old pdf");
    EXPECT_THROW(report.EndDocument(), EPdfInvalidOperation);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"out.pdf"});
    EXPECT_EQ(test::ReadFileBytes(target), "old pdf");
}

TEST(ReportSave, MissingFolderRaisesAndCreatesNothing) {
    const fs::path folder = FreshFolder("report_save_missing");
    const std::string target = (folder / "no such folder" / "out.pdf").string();
    ThreePageRun run;
    EXPECT_EQ(MessageOf([&] { run.Run(target); }), "Cannot create file \"" + target + "\"");
    EXPECT_TRUE(FilesIn(folder).empty());
    EXPECT_NE(run.report.Doc(), nullptr);
    run.report.AbortDocument();
}

TEST(ReportSave, ReadOnlyTargetIsLeftAsItWas) {
    const fs::path folder = FreshFolder("report_save_readonly");
    const std::string target = (folder / "out.pdf").string();
    test::WriteFileBytes(target, "old pdf");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ThreePageRun run;
    EXPECT_THROW(run.Run(target), EStreamError);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"out.pdf"});
    EXPECT_EQ(test::ReadFileBytes(target), "old pdf");
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);  // so the next run can clear it
}

TEST(ReportSave, ReadOnlyFolderIsLeftAsItWas) {
    const fs::path folder = FreshFolder("report_save_rofolder");
    const std::string target = (folder / "out.pdf").string();
    test::WriteFileBytes(target, "old pdf");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    if (test::WritableDespitePermissions(folder)) {
        fs::permissions(folder, fs::perms::owner_all);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    ThreePageRun run;
    EXPECT_THROW(run.Run(target), EStreamError);
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"out.pdf"});
    EXPECT_EQ(test::ReadFileBytes(target), "old pdf");
}

TEST(ReportSave, SuccessReplacesAnExistingFile) {
    const fs::path folder = FreshFolder("report_save_replace");
    const std::string target = (folder / "out.pdf").string();
    test::WriteFileBytes(target, "old pdf");
    ThreePageRun run;
    const std::string pdf = run.Run(target);
    EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.2 ");
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"out.pdf"});
}

#ifndef _WIN32
// The save stays with the folder it began in: moved while the file is
// written, the folder gets the PDF, or keeps its old one when the save is
// given up; no temporary file stays anywhere. (Windows refuses to move a
// folder that holds an open file; Wine moves it but then renames and
// removes files by the folder's old path, so the case is the system's.)
TEST(ReportSave, AFolderMovedDuringTheSaveKeepsItsSave) {
    for (const bool givenUp : {false, true}) {
        SCOPED_TRACE(givenUp ? "given up" : "finished");
        const fs::path top = FreshFolder("report_save_moved");
        const fs::path folder = top / "before", moved = top / "after";
        fs::create_directories(folder);
        test::WriteFileBytes((folder / "out.pdf").string(), "old pdf");
        ThreePageRun run;
        int asked = 0;
        run.report.SaveAbandoned = [&] {
            if (++asked == 1) fs::rename(folder, moved);
            return givenUp && asked > 1;
        };
        const std::string message = MessageOf([&] { run.Save((folder / "out.pdf").string()); });
        EXPECT_EQ(message, givenUp ? "Save abandoned" : "(no exception)");
        EXPECT_FALSE(fs::exists(folder));
        EXPECT_EQ(FilesIn(moved), std::vector<std::string>{"out.pdf"});
        EXPECT_EQ(test::ReadFileBytes((moved / "out.pdf").string()).substr(0, 7), givenUp ? "old pdf" : "%PDF-1.");
    }
}

// Another user's link at the PDF's name, planted in a shared folder, is
// not followed: the link itself becomes the PDF (with a new file's mode),
// the file it led to stays as it was, a dangling one makes nothing outside
// the folder, and a read-only file behind one does not refuse the save.
TEST(ReportSave, AnotherUsersLinkIsReplacedNotFollowed) {
    const fs::path folder = FreshFolder("report_save_planted");
    const fs::path home = FreshFolder("report_save_planted_home");
    test::WriteFileBytes((home / "bashrc").string(), "precious");
    test::WriteFileBytes((home / "readonly").string(), "kept");
    fs::permissions(home / "readonly", fs::perms::owner_read);
    const fs::path link = folder / "out.pdf";
    for (const char* to : {"bashrc", "missing", "readonly"}) {
        SCOPED_TRACE(to);
        fs::remove(link);
        fs::create_symlink(home / to, link);
        if (::lchown(link.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "only root can give a link to another user";
        EXPECT_EQ(CommitTargetOf(link.string()), link.string());
        EXPECT_NO_THROW(CheckCommitTarget(link.string()));
        EXPECT_EQ(ThreePageRun().Run(link.string()).substr(0, 9), "%PDF-1.2 ");
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(link)));
        EXPECT_NE(fs::status(link).permissions() & fs::perms::owner_write, fs::perms::none);
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"out.pdf"});
        EXPECT_EQ(FilesIn(home), (std::vector<std::string>{"bashrc", "readonly"}));
        EXPECT_EQ(test::ReadFileBytes((home / "bashrc").string()), "precious");
        EXPECT_EQ(test::ReadFileBytes((home / "readonly").string()), "kept");
    }
}

// A replaced PDF keeps its permission bits, and a link named as the PDF stays
// a link: the file it leads to is written (created when missing).
TEST(ReportSave, ReplacingKeepsPermissionBitsAndLinks) {
    const fs::path folder = FreshFolder("report_save_keep");
    const std::string target = (folder / "out.pdf").string();
    test::WriteFileBytes(target, "old pdf");
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(target, mode);
    ThreePageRun().Run(target);
    EXPECT_EQ(fs::status(target).permissions(), mode);

    fs::create_directories(folder / "real");
    fs::create_symlink("real/linked.pdf", folder / "link.pdf");
    for (int run = 0; run < 2; ++run) {  // first the link leads nowhere, then to the first run's file
        ThreePageRun().Run((folder / "link.pdf").string());
        EXPECT_TRUE(fs::is_symlink(folder / "link.pdf"));
        EXPECT_EQ(test::ReadFileBytes((folder / "real/linked.pdf").string()).substr(0, 9), "%PDF-1.2 ");
        EXPECT_EQ(FilesIn(folder / "real"), std::vector<std::string>{"linked.pdf"});
    }
}
#endif

}  // namespace
}  // namespace pim

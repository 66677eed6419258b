// The folder model on the POSIX side: the file-manager order, dot files,
// symbolic links, renaming, opening, and the window's hooks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "imagelist/FolderListing.h"
#include "imagelist/ImgListModel.h"
#include "tests/imagelist/FolderFixture.h"
#include "tests/imagelist/ShellDouble.h"

namespace pim {
namespace {

using namespace std::chrono_literals;
using test::TFolderFixture;

class PosixFolder : public ::testing::Test {
protected:
    PosixFolder()
        : fixture_(test::TestOutputDir() / "imagelist",
                   std::string("posix-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    static std::vector<std::string> Names(TImgListModel& model) {
        std::vector<std::string> names;
        for (int i = 0; i < model.ImgItems().Count(); ++i) names.push_back(model.ImgItems()[i]->DisplayName());
        return names;
    }

    std::string Root() const { return fixture_.Root().string(); }
    std::string PathOf(const char* name) const { return fixture_.PathOf(name).string(); }

    TFolderFixture fixture_;
};

TEST_F(PosixFolder, SortsAsAFileManagerDoes) {
    fixture_.File("photo10.jpg", 300, 1h);
    fixture_.File("Photo2.jpg", 100, 3h);
    fixture_.File("photo1.txt", 200, 2h);
    fixture_.File("a.bmp", 5000, 4h);
    fixture_.Folder("zeta");
    fixture_.Folder("Alpha");
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(fixture_.PathOf("Alpha"), now - 10h);
    std::filesystem::last_write_time(fixture_.PathOf("zeta"), now - 5h);
    TImgListModel model;
    model.SetFolderPath(Root());
    // Folders first, then names: case ignored, numbers by value.
    EXPECT_EQ(Names(model),
              (std::vector<std::string>{"Alpha", "zeta", "a.bmp", "photo1.txt", "Photo2.jpg", "photo10.jpg"}));
    model.SetSortType(TSortTypeEx::istSize);
    EXPECT_EQ(Names(model),
              (std::vector<std::string>{"Alpha", "zeta", "Photo2.jpg", "photo1.txt", "photo10.jpg", "a.bmp"}));
    model.SetSortType(TSortTypeEx::istDate);
    EXPECT_EQ(Names(model),
              (std::vector<std::string>{"Alpha", "zeta", "a.bmp", "Photo2.jpg", "photo1.txt", "photo10.jpg"}));
    model.SetSortType(TSortTypeEx::istType);  // "BMP ファイル", "JPG ファイル", "TXT ファイル"
    EXPECT_EQ(Names(model),
              (std::vector<std::string>{"Alpha", "zeta", "a.bmp", "Photo2.jpg", "photo10.jpg", "photo1.txt"}));
    EXPECT_EQ(model.ImgItems()[2]->TypeName(), "BMP ファイル");
    EXPECT_EQ(model.ImgItems()[0]->TypeName(), "ファイル フォルダー");
    model.SetDescend(true);
    EXPECT_EQ(Names(model),
              (std::vector<std::string>{"photo1.txt", "photo10.jpg", "Photo2.jpg", "a.bmp", "zeta", "Alpha"}));
}

// Last-write times far from now (past 2262, before 1970) convert without
// overflow and sort in time order; MS-DOS dates cannot show them.
TEST_F(PosixFolder, FarFutureAndPastTimesSortInTimeOrder) {
    const std::pair<const char*, std::time_t> files[] = {
        {"y2300.jpg", 10'413'792'000}, {"now.jpg", std::time(nullptr)}, {"y1960.jpg", -315'619'200}};
    for (const auto& [name, seconds] : files) {
        fixture_.File(name);
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        struct stat st {};
        if (::utimensat(AT_FDCWD, PathOf(name).c_str(), times, 0) != 0 || ::stat(PathOf(name).c_str(), &st) != 0 ||
            st.st_mtime != seconds)
            GTEST_SKIP() << "the file system cannot keep the time of " << name;
    }
    TImgListModel model;
    model.SetSortType(TSortTypeEx::istDate);
    model.SetFolderPath(Root());
    EXPECT_EQ(Names(model), (std::vector<std::string>{"y1960.jpg", "now.jpg", "y2300.jpg"}));
    EXPECT_EQ(model.ImgItems()[0]->DateText(), "");
    EXPECT_EQ(model.ImgItems()[2]->DateText(), "");
}

TEST_F(PosixFolder, NamesDifferingOnlyInCaseAreTwoItems) {
    fixture_.File("a.jpg");
    fixture_.File("A.jpg");
    fixture_.Folder("x");
    fixture_.Folder("X");
    TImgListModel model;
    model.SetFolderPath(Root());
    EXPECT_EQ(Names(model), (std::vector<std::string>{"X", "x", "A.jpg", "a.jpg"}));
    // Entering "X" after "x" is entering another folder.
    fixture_.File("X/in-upper.jpg");
    model.SetFolderPath(PathOf("x"));
    EXPECT_EQ(Names(model), std::vector<std::string>{});
    model.SetFolderPath(PathOf("X"));
    EXPECT_EQ(Names(model), std::vector<std::string>{"in-upper.jpg"});
}

TEST_F(PosixFolder, DotFilesAreHiddenFiles) {
    fixture_.File(".secret.jpg");
    fixture_.File("plain.jpg");
    TImgListModel model;
    model.DispTypes().SetExt("*.jpg");
    model.SetFolderPath(Root());
    EXPECT_EQ(Names(model), (std::vector<std::string>{".secret.jpg", "plain.jpg"}));
    EXPECT_TRUE(model.ImgItems()[0]->HasAttributes(sfgaoHidden));
    EXPECT_TRUE(model.ImgItems()[0]->Attributes() & faHidden);
    model.DispTypes().SetHidden(false);
    EXPECT_EQ(Names(model), std::vector<std::string>{"plain.jpg"});
}

TEST_F(PosixFolder, DetailsComeFromTheFileSystem) {
    fixture_.File("a.jpg", 1500, 26h);
    ::chmod(PathOf("a.jpg").c_str(), 0444);
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 1);
    TImgListItem* item = model.ImgItems()[0];
    struct stat st;
    ASSERT_EQ(::stat(PathOf("a.jpg").c_str(), &st), 0);
    std::tm local{};
    ::localtime_r(&st.st_mtime, &local);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y/%m/%d %H:%M", &local);
    EXPECT_EQ(item->DateText(), expected);
    EXPECT_EQ(item->SizeText(), "2KB");
    EXPECT_EQ(item->Size(), 1500u);
    EXPECT_EQ(item->Attributes(), faArchive | faReadOnly);
    EXPECT_EQ(item->DisplayName(), "a.jpg");
    EXPECT_EQ(item->FullPath(), PathOf("a.jpg"));
    EXPECT_EQ(item->IconIndex(), 0);
    EXPECT_TRUE(item->HasAttributes(sfgaoCanRename));
    EXPECT_FALSE(item->HasAttributes(sfgaoFolder | sfgaoLink));

    // A vanished file has no size or date to show; its name and path are
    // known from its ID list, or from the listing when it had none yet.
    fixture_.File("b.jpg");
    model.Rebuild();
    for (int i = 0; i < model.ImgItems().Count(); ++i) {
        item = model.ImgItems()[i];
        std::filesystem::remove(item->FullPath());
        item->ClearCache();
        EXPECT_EQ(item->SizeText(), "");
        EXPECT_EQ(item->DateText(), "");
        EXPECT_EQ(item->FullPath(), PathOf(i == 0 ? "a.jpg" : "b.jpg"));
        EXPECT_EQ(item->DisplayName(), i == 0 ? "a.jpg" : "b.jpg");
    }
    // The shell was asked about the first file of the extension read: the
    // other one had no list yet, and now cannot have one.
    EXPECT_NE(model.ImgItems()[0]->IdList().Absent(), model.ImgItems()[1]->IdList().Absent());
}

TEST_F(PosixFolder, LinksCarryTheShortcutOverlayAndSpecialFilesAreLeftOut) {
    fixture_.File("target.jpg");
    fixture_.Folder("dir");
    std::filesystem::create_symlink("target.jpg", fixture_.PathOf("link.jpg"));
    std::filesystem::create_directory_symlink("dir", fixture_.PathOf("dirlink"));
    std::filesystem::create_symlink("nowhere.jpg", fixture_.PathOf("dangling.jpg"));
    ASSERT_EQ(::mkfifo(PathOf("pipe.jpg").c_str(), 0600), 0);
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(Names(model), (std::vector<std::string>{"dir", "dirlink", "dangling.jpg", "link.jpg", "target.jpg"}));
    TImgListItems& items = model.ImgItems();
    EXPECT_TRUE(items[1]->IsFolder());
    EXPECT_EQ(items[1]->OverlayIndex, -1);  // a folder gets no shortcut overlay
    EXPECT_TRUE(items[1]->HasAttributes(sfgaoLink));
    EXPECT_EQ(items[2]->OverlayIndex, 1);
    EXPECT_EQ(items[3]->OverlayIndex, 1);
    EXPECT_EQ(items[4]->OverlayIndex, -1);
    EXPECT_EQ(items[2]->SizeText(), "1KB");  // the link itself when it leads nowhere

    // Opening the folder link enters it.
    fixture_.File("dir/inside.jpg");
    items[1]->OpenItem();
    EXPECT_EQ(model.FolderPath(), PathOf("dirlink"));
    EXPECT_EQ(Names(model), std::vector<std::string>{"inside.jpg"});
}

TEST_F(PosixFolder, OpeningAFileLaunchesItAndAFolderIsEntered) {
    fixture_.File("a.jpg");
    fixture_.Folder("sub");
    fixture_.File("sub/b.jpg");
    test::TShellDouble shell;
    TImgListModel model(shell);
    model.SetFolderPath(Root());
    ASSERT_EQ(Names(model), (std::vector<std::string>{"sub", "a.jpg"}));
    model.ImgItems()[1]->OpenItem();
    EXPECT_EQ(shell.launched, std::vector<std::string>{PathOf("a.jpg")});
    model.ImgItems()[0]->OpenItem();
    EXPECT_EQ(model.FolderPath(), PathOf("sub"));
    EXPECT_EQ(Names(model), std::vector<std::string>{"b.jpg"});

    model.SetViewMode(TViewMode::ivmFile);
    model.AddFile(PathOf("sub/b.jpg"));
    model.ImgItems()[0]->OpenItem();
    EXPECT_EQ(shell.launched.back(), PathOf("sub/b.jpg"));
}

TEST_F(PosixFolder, RenameNeverReplacesAnotherFile) {
    fixture_.File("a.jpg", 10);
    fixture_.File("b.jpg", 20);
    struct THooks : TImgListHooks {
        int suspended = 0, resumed = 0;
        void SuspendNotify() override { ++suspended; }
        void ResumeNotify() override { ++resumed; }
    } hooks;
    TImgListModel model;
    model.SetHooks(&hooks);
    model.SetFolderPath(Root());
    TImgListItem* a = model.ImgItems()[0];
    const int before = hooks.suspended;
    EXPECT_FALSE(a->Rename("b.jpg"));
    EXPECT_FALSE(a->Rename(""));
    EXPECT_FALSE(a->Rename("x/y.jpg"));
    EXPECT_EQ(std::filesystem::file_size(fixture_.PathOf("b.jpg")), 20u);
    EXPECT_TRUE(a->Rename("c.jpg"));
    EXPECT_EQ(a->DisplayName(), "c.jpg");
    EXPECT_EQ(a->FullPath(), PathOf("c.jpg"));
    EXPECT_EQ(a->SizeText(), "1KB");
    EXPECT_TRUE(std::filesystem::exists(fixture_.PathOf("c.jpg")));
    EXPECT_FALSE(std::filesystem::exists(fixture_.PathOf("a.jpg")));
    EXPECT_EQ(hooks.suspended - before, 3);  // the empty name stops before
    EXPECT_EQ(hooks.suspended, hooks.resumed);
}

TEST_F(PosixFolder, RebuildRunsTheWindowsStepsInOrder) {
    fixture_.File("a.jpg");
    fixture_.File("b.jpg");
    fixture_.Folder("sub");
    struct THooks : TImgListHooks {
        std::vector<std::string> log;
        void StopThumbnails() override { log.push_back("stop"); }
        void StartThumbnails() override { log.push_back("start"); }
        void SuspendNotify() override { log.push_back("suspend"); }
        void ResumeNotify() override { log.push_back("resume"); }
        void ScrollToOrigin() override { log.push_back("scroll"); }
        void BeginRebuild() override { log.push_back("begin"); }
        void EndRebuild() override { log.push_back("end"); }
        void SetRowCount(int n) override { log.push_back("rows " + std::to_string(n)); }
        void ClearThumbnailImages() override { log.push_back("thumbs"); }
        void FocusRow(int i) override { log.push_back("focus " + std::to_string(i)); }
        void QueueLookAhead(TImgListItem& item) override { log.push_back("queue " + item.DisplayName()); }
        void Repaint() override { log.push_back("repaint"); }
    } hooks;
    TImgListModel model;
    model.SetHooks(&hooks);
    model.OnChangeFolder = [&](TImgListModel&) { hooks.log.push_back("changed"); };
    model.SetFolderPath(Root());
    // The listing lands in the list's order, the look-ahead with it.
    EXPECT_EQ(hooks.log, (std::vector<std::string>{"suspend", "stop", "scroll", "stop", "rows 0", "stop", "stop",
                                                   "rows 0", "thumbs", "begin", "queue a.jpg", "queue b.jpg", "rows 3",
                                                   "focus 0", "changed", "start", "end", "resume"}));

    hooks.log.clear();
    model.SetSortType(TSortTypeEx::istName);
    model.SetDescend(false);
    EXPECT_TRUE(hooks.log.empty());
    model.SetDescend(true);
    EXPECT_EQ(hooks.log, std::vector<std::string>{"repaint"});

    // Without a window nothing is listed.
    struct TNoWindow : TImgListHooks {
        bool CanRebuild() override { return false; }
    } noWindow;
    model.SetHooks(&noWindow);
    model.Rebuild();
    EXPECT_EQ(model.ImgItems().Count(), 3);
    model.SetHooks(nullptr);
}

TEST_F(PosixFolder, TheAddEventCanHoldItemsBack) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) fixture_.File(name);
    TImgListModel model;
    model.OnImgItemAdd = [](TImgListModel&, TImgListItem& item, bool& allowAdd) {
        allowAdd = item.DisplayName() != "b.jpg";
    };
    model.SetFolderPath(Root());
    EXPECT_EQ(Names(model), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    // Ids stay distinct and the vetoed one is not reused.
    EXPECT_NE(model.ImgItems()[0]->Id(), model.ImgItems()[1]->Id());
    model.OnImgItemAdd = nullptr;
    model.Rebuild();
    EXPECT_EQ(model.ImgItems().Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_GE(model.ImgItems()[i]->Id(), 3);

    // A handler that throws still lets the rebuild end its steps.
    int changed = 0;
    model.OnChangeFolder = [&](TImgListModel&) { ++changed; };
    model.OnImgItemAdd = [](TImgListModel&, TImgListItem&, bool&) { throw std::runtime_error("veto"); };
    EXPECT_THROW(model.Rebuild(), std::runtime_error);
    EXPECT_EQ(changed, 1);
}

// With a notifier, as in the window: the folder is entered at once, its
// entries land when the model is told the listing ended, in the order asked
// for by then; a new listing drops the running one; a refresh merges when
// its listing lands.
TEST_F(PosixFolder, AListingOnItsOwnThreadLandsWhenTaken) {
    for (const char* name : {"a.jpg", "b.jpg", "c.txt"}) fixture_.File(name);
    struct THooks : TImgListHooks {
        std::atomic<int> ended{0};
        std::vector<std::string> merges;
        std::function<void()> ListingNotifier() override {
            return [this] { ++ended; };
        }
        void BeforeMerge() override { merges.push_back("before"); }
        void AfterMerge(bool changed) override { merges.push_back(changed ? "changed" : "same"); }
    } hooks;
    TImgListModel model;
    model.SetHooks(&hooks);
    int changed = 0;
    model.OnListChanged = [&](TImgListModel&) { ++changed; };
    model.SetFolderPath(Root());
    EXPECT_EQ(model.FolderPath(), Root());
    EXPECT_EQ(model.ImgItems().Count(), 0);
    EXPECT_EQ(changed, 0);
    for (int i = 0; i < 500 && hooks.ended == 0; ++i) std::this_thread::sleep_for(10ms);
    ASSERT_EQ(hooks.ended, 1);
    ASSERT_TRUE(model.Listing());
    model.TakeListing();
    EXPECT_FALSE(model.Listing());
    EXPECT_EQ(Names(model), (std::vector<std::string>{"a.jpg", "b.jpg", "c.txt"}));
    EXPECT_EQ(changed, 1);

    model.DispTypes().SetExt("*.txt");
    model.DispTypes().SetExt("*.jpg");  // the "*.txt" listing is dropped
    model.SetDescend(true);
    model.FinishListing();
    EXPECT_EQ(Names(model), (std::vector<std::string>{"b.jpg", "a.jpg"}));
    EXPECT_EQ(changed, 3);  // the descend on the empty list, then the landing
    model.TakeListing();    // the dropped listing's notice: nothing
    EXPECT_EQ(changed, 3);

    // A refresh is listed there too, and merged between the window's hooks.
    fixture_.File("c.jpg");
    EXPECT_FALSE(model.Refresh());
    EXPECT_TRUE(hooks.merges.empty());
    model.FinishListing();
    EXPECT_EQ(Names(model), (std::vector<std::string>{"c.jpg", "b.jpg", "a.jpg"}));
    EXPECT_EQ(hooks.merges, (std::vector<std::string>{"before", "changed"}));
}

// A file-system folder is read from the file system, the shell asked about
// folders, links and one file of each extension: what it lists, under every
// filter, is what the shell's enumeration lists.
TEST_F(PosixFolder, ReadingTheFolderListsWhatTheShellEnumerates) {
    fixture_.File("b.jpg", 100, 1h);
    fixture_.File("A.JPG", 2000, 2h);
    fixture_.File("c.txt");
    fixture_.File(".hidden.jpg");
    fixture_.File("noext");
    fixture_.Folder("sub.jpg");
    std::filesystem::create_symlink("b.jpg", fixture_.PathOf("link.jpg"));
    struct TEnumerated : test::TFolderDouble {
        using TFolderDouble::TFolderDouble;
        bool ReadEntries(bool, const std::function<bool(TRecord&)>&) override { return false; }
    };
    TIdList absolute;
    ASSERT_TRUE(SystemShell().ParseDisplayName(nullptr, Root(), absolute));
    const bool never = false;
    std::unique_ptr<TShellFolder> read = SystemShell().Desktop()->BindToObject(absolute);
    TEnumerated enumerated(SystemShell().Desktop()->BindToObject(absolute), never);
    const auto entries = [](TShellFolder& folder, const TDispTypes& types) {
        TFolderListing listing(types, {TSortTypeEx::istDate, true});
        listing.Run(folder);
        std::vector<std::string> out;
        for (const TListedEntry& e : listing.Entries)
            out.push_back(e.FullPath + "|" + e.Shown + "|" + std::to_string(e.IsFolder) + std::to_string(e.Overlay) +
                          "|" + std::to_string(e.Facts.Size) + "|" + std::to_string(e.Facts.WriteTime) + "|" +
                          std::to_string(e.Facts.Attributes) + "|" + std::to_string(e.Facts.DosDate));
        return out;
    };
    for (const char* ext : {"*.*", "*.jpg", "noext;*.txt"})
        for (int kinds = 0; kinds < 8; ++kinds) {
            TDispTypes types;
            types.SetExt(ext);
            types.SetFolders(kinds & 1);
            types.SetNonFolders(kinds & 2);
            types.SetHidden(kinds & 4);
            const std::vector<std::string> shell = entries(enumerated, types);
            EXPECT_EQ(entries(*read, types), shell) << ext << " " << kinds;
            if (std::string(ext) == "*.*" && kinds == 7) {
                EXPECT_EQ(shell.size(), 7u);
            }
        }
}

// A record's name may be a view into its path (Windows reads it so): the
// listing reads the name before it takes the path. A short path is held in
// the string itself, whose bytes a move clears.
TEST_F(PosixFolder, ARecordsNameIsReadBeforeItsPathIsTaken) {
    struct TViewingFolder : test::TFolderDouble {
        using TFolderDouble::TFolderDouble;
        std::vector<std::string> asked;
        bool ReadEntries(bool, const std::function<bool(TRecord&)>& each) override {
            for (const char* path : {"x.qq", "y.rr"}) {
                TRecord record{{}, path, {}};
                record.Name = record.Path;
                each(record);
            }
            return true;
        }
        bool ParseDisplayName(TOwnerWindow, const std::string& name, TIdList&) override {
            asked.push_back(name);
            return false;
        }
    };
    const bool never = false;
    TViewingFolder folder(SystemShell().Desktop(), never);
    TFolderListing listing(TDispTypes(), {}, false);
    listing.Run(folder);
    EXPECT_EQ(folder.asked, (std::vector<std::string>{"x.qq", "y.rr"}));
    ASSERT_EQ(listing.Entries.size(), 2u);
    EXPECT_EQ(listing.Entries[0].FullPath, "x.qq");
}

// Many ID lists are made at once by one enumeration, matched by path; an
// entry gone meanwhile gets none.
TEST_F(PosixFolder, ManyIdListsAreMadeAtOnce) {
    for (int i = 0; i < 40; ++i) fixture_.File("p" + std::to_string(100 + i) + ".jpg");
    test::TShellDouble shell;
    TImgListModel model(shell);
    model.SetFolderPath(Root());
    EXPECT_EQ(shell.parses, 1);  // the first file of the extension
    std::vector<TShellItem*> items;
    for (int i = 0; i < model.ImgItems().Count(); ++i) items.push_back(model.ImgItems()[i]);
    ASSERT_EQ(items.size(), 40u);
    std::filesystem::remove(PathOf("p120.jpg"));
    model.ImgItems().MakeIdLists(items);
    EXPECT_EQ(shell.parses, 2);  // the gone one, after the enumeration
    for (TShellItem* item : items) {
        TIdList absolute;
        if (item->DisplayName() == "p120.jpg") {
            EXPECT_TRUE(item->IdList().Absent());
        } else {
            ASSERT_TRUE(SystemShell().ParseDisplayName(nullptr, item->FullPath(), absolute));
            EXPECT_EQ(item->IdList(), absolute.Last()) << item->FullPath();
        }
    }
}

TEST_F(PosixFolder, AFolderThatCannotBeListedGivesAnEmptyList) {
    fixture_.File("a.jpg");
    test::TShellDouble shell;
    shell.failEnum = true;
    TImgListModel model(shell);
    model.SetFolderPath(Root());
    EXPECT_EQ(model.FolderPath(), Root());
    EXPECT_EQ(model.ImgItems().Count(), 0);
    shell.failEnum = false;
    model.Rebuild();
    EXPECT_EQ(model.ImgItems().Count(), 1);
}

TEST_F(PosixFolder, PathsAreTakenAsTheShellWouldParseThem) {
    fixture_.Folder("sub");
    fixture_.File("sub/a.jpg");
    TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.EnterDesktop();
    EXPECT_EQ(model.FolderPath(), "/");
    EXPECT_GT(model.ImgItems().Count(), 0);

    model.SetFolderPath(Root() + "/sub/../sub/");
    EXPECT_EQ(model.FolderPath(), PathOf("sub"));
    ASSERT_EQ(model.ImgItems().Count(), 1);
    EXPECT_EQ(model.ImgItems()[0]->FullPath(), PathOf("sub/a.jpg"));

    // Relative to the current directory, which entering a folder changes.
    TImgListModel other;
    other.SetFolderPath(Root());
    EXPECT_EQ(std::filesystem::current_path(), fixture_.Root());
    other.SetFolderPath("sub");
    EXPECT_EQ(other.FolderPath(), PathOf("sub"));
    EXPECT_EQ(std::filesystem::current_path(), fixture_.PathOf("sub"));
    std::filesystem::current_path(test::TestOutputDir());
}

}  // namespace
}  // namespace pim

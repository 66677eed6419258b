// The folder model over the platform's own shell: what both sides promise.
// Built into the native suite and into the Windows suite (run under Wine).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "imagelist/ImgListModel.h"
#include "tests/imagelist/FolderFixture.h"

namespace pim {
namespace {

using test::NativeName;
using test::NativePath;
using test::TFolderFixture;

#ifdef _WIN32
constexpr const char* kSeparator = "\\";
#else
constexpr const char* kSeparator = "/";
#endif

// "yyyy/mm/dd hh:nn"
bool IsDateText(const std::string& text) {
    const std::string shape = "dddd/dd/dd dd:dd";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i)
        if (shape[i] == 'd' ? !(text[i] >= '0' && text[i] <= '9') : text[i] != shape[i]) return false;
    return true;
}

class FolderModel : public ::testing::Test {
protected:
    FolderModel() : fixture_(test::TestOutputDir() / "imagelist", Name()) {}

    static std::string Name() {
        return std::string("common-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    // File names of the listed items, in list order.
    static std::vector<std::string> Names(TImgListModel& model) {
        std::vector<std::string> names;
        for (int i = 0; i < model.ImgItems().Count(); ++i)
            names.emplace_back(ExtractFileName(model.ImgItems()[i]->FullPath()));
        return names;
    }

    static std::set<std::string> NameSet(TImgListModel& model) {
        const auto names = Names(model);
        return {names.begin(), names.end()};
    }

    std::string Root() const { return NativePath(fixture_.Root()); }

    TFolderFixture fixture_;
};

TEST_F(FolderModel, ListsWhatTheMaskLetsThrough) {
    for (const char* name : {"A.JPG", "b.jpeg", "x.bmp", "y.txt", "z.png"}) fixture_.File(name);
    fixture_.Folder("sub.jpg.d");
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.DispTypes().SetExt("*.jpg;*.bmp;*.txt");
    model.SetFolderPath(Root());
    EXPECT_EQ(model.FolderPath(), Root());
    EXPECT_EQ(NameSet(model), (std::set<std::string>{"A.JPG", "x.bmp", "y.txt"}));

    // "*.*" among other masks lets everything through.
    model.DispTypes().SetExt("*.jpg;*.*");
    EXPECT_EQ(NameSet(model), (std::set<std::string>{"A.JPG", "b.jpeg", "x.bmp", "y.txt", "z.png"}));

    // Folders are never held back by the mask.
    model.DispTypes().SetExt("*.txt");
    model.DispTypes().SetFolders(true);
    EXPECT_EQ(NameSet(model), (std::set<std::string>{"sub.jpg.d", "y.txt"}));
    for (int i = 0; i < model.ImgItems().Count(); ++i) {
        TImgListItem* item = model.ImgItems()[i];
        const bool folder = ExtractFileName(item->FullPath()) == "sub.jpg.d";
        EXPECT_EQ(item->IsFolder(), folder);
        EXPECT_EQ(item->ImageType(), folder ? TImageType::iitDir : TImageType::iitTxt);
    }

    // Non-folders off: only the folder.
    model.DispTypes().SetNonFolders(false);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"sub.jpg.d"}));
}

// Names, and the icons of pictures and texts, are learnt from the shell
// once per extension: every item must still show what the shell itself
// shows for it.
TEST_F(FolderModel, ItemsAreNamedAsTheShellNamesThem) {
    for (const char* name : {"a.jpg", "B.JPG", "c.jpg", "d.bmp", "e.txt", "f.txt", "noext", "g.h.jpg"})
        fixture_.File(name);
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.DispTypes().SetExt("*.*");
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 8);
    for (int i = 0; i < model.ImgItems().Count(); ++i) {
        TImgListItem* item = model.ImgItems()[i];
        EXPECT_EQ(item->DisplayName(), item->NameOf(TNameForm::nfInFolder)) << item->FullPath();
        EXPECT_EQ(item->IconIndex(), SystemShell().IconIndex(item->AbsoluteIdList())) << item->FullPath();
    }
}

TEST_F(FolderModel, SizeTextCountsStartedKilobytes) {
    fixture_.File("zero.txt", 0);
    fixture_.File("k1023.txt", 1023);
    fixture_.File("k1024.txt", 1024);
    fixture_.File("k13.txt", 13 * 1024 - 1);
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 4);
    std::set<std::string> seen;
    for (int i = 0; i < model.ImgItems().Count(); ++i) {
        TImgListItem* item = model.ImgItems()[i];
        const std::string name(ExtractFileName(item->FullPath()));
        seen.insert(name + "=" + item->SizeText());
        EXPECT_TRUE(IsDateText(item->DateText())) << item->DateText();
        EXPECT_FALSE(item->TypeName().empty());
        EXPECT_FALSE(item->Attributes() & faDirectory);
    }
    EXPECT_EQ(seen, (std::set<std::string>{"zero.txt=1KB", "k1023.txt=1KB", "k1024.txt=2KB", "k13.txt=13KB"}));
    for (int i = 0; i < model.ImgItems().Count(); ++i) {
        if (ExtractFileName(model.ImgItems()[i]->FullPath()) == "k13.txt") {
            EXPECT_EQ(model.ImgItems()[i]->Size(), 13u * 1024 - 1);
        }
    }
}

TEST_F(FolderModel, DescendingIsTheExactReverse) {
    for (const char* name : {"c.jpg", "a.jpg", "b2.jpg", "b10.jpg", "B1.jpg", "d.txt", "e.bmp"}) fixture_.File(name);
    TImgListModel model;
    model.SetFolderPath(Root());
    const auto ascending = Names(model);
    ASSERT_EQ(ascending.size(), 7u);
    model.SetDescend(true);
    EXPECT_EQ(Names(model), std::vector<std::string>(ascending.rbegin(), ascending.rend()));
    model.SetDescend(false);
    EXPECT_EQ(Names(model), ascending);
}

// The program's own order, the same under Windows, Wine and Linux: the
// shell's column comparison is not asked (Wine's sorts every column by name).
TEST_F(FolderModel, SortsByEveryKeyInItsOwnOrder) {
    using namespace std::chrono_literals;
    fixture_.File("photo10.jpg", 300, 1h);
    fixture_.File("Photo2.jpg", 100, 3h);
    fixture_.File("photo1.txt", 200, 2h);
    fixture_.File("a.bmp", 5000, 4h);
    fixture_.File("photo.jpg", 200, 5h);
    fixture_.File("photo_2.jpg", 5000, 6h);
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.SetFolderPath(Root());
    // Punctuation before digits before letters; numbers by value; case ignored.
    EXPECT_EQ(Names(model), (std::vector<std::string>{"a.bmp", "photo.jpg", "photo_2.jpg", "photo1.txt", "Photo2.jpg",
                                                      "photo10.jpg"}));
    model.SetSortType(TSortTypeEx::istSize);  // ties by name
    EXPECT_EQ(Names(model), (std::vector<std::string>{"Photo2.jpg", "photo.jpg", "photo1.txt", "photo10.jpg", "a.bmp",
                                                      "photo_2.jpg"}));
    model.SetSortType(TSortTypeEx::istDate);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"photo_2.jpg", "photo.jpg", "a.bmp", "Photo2.jpg", "photo1.txt",
                                                      "photo10.jpg"}));
    model.SetSortType(TSortTypeEx::istType);  // the extension, then the name
    EXPECT_EQ(Names(model), (std::vector<std::string>{"a.bmp", "photo.jpg", "photo_2.jpg", "Photo2.jpg", "photo10.jpg",
                                                      "photo1.txt"}));
    model.SetDescend(true);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"photo1.txt", "photo10.jpg", "Photo2.jpg", "photo_2.jpg",
                                                      "photo.jpg", "a.bmp"}));
    model.SetSortType(TSortTypeEx::istSize);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"photo_2.jpg", "a.bmp", "photo10.jpg", "photo1.txt", "photo.jpg",
                                                      "Photo2.jpg"}));
}

TEST_F(FolderModel, ARefreshKeepsTheUsersOrderAndPutsNewFilesInTheirPlace) {
    using namespace std::chrono_literals;
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "h.jpg"}) fixture_.File(name, 10);
    TImgListModel model;
    int changes = 0;
    model.OnListChanged = [&](TImgListModel&) { ++changes; };
    model.SetFolderPath(Root());
    ASSERT_EQ(Names(model), (std::vector<std::string>{"b.jpg", "d.jpg", "f.jpg", "h.jpg"}));
    model.ImgItems()[0]->ThumbIndex = 5;  // b: its thumbnail, made once
    model.ImgItems()[0]->Resolved = true;
    model.ImgItems()[1]->ThumbIndex = 6;  // d
    model.ImgItems()[1]->Resolved = true;
    const int idB = model.ImgItems()[0]->Id();
    const int idD = model.ImgItems()[1]->Id();
    // The user's order: h first.
    model.ImgItems().MoveItems({model.ImgItems()[3]->Id()}, 0);
    ASSERT_EQ(Names(model), (std::vector<std::string>{"h.jpg", "b.jpg", "d.jpg", "f.jpg"}));

    // Nothing changed: nothing is touched.
    changes = 0;
    EXPECT_FALSE(model.Refresh());
    EXPECT_EQ(changes, 0);

    for (const char* name : {"a.jpg", "c.jpg", "e.jpg", "i.jpg"}) fixture_.File(name, 10);
    std::filesystem::remove(fixture_.PathOf("f.jpg"));
    fixture_.File("d.jpg", 20, 1s);  // rewritten: a new size and time
    EXPECT_TRUE(model.Refresh());
    EXPECT_EQ(changes, 1);
    // The kept items keep the user's order, f leaves; each new file goes
    // right after the item before it in name order (a, which has none,
    // right before b, the first in name order).
    EXPECT_EQ(Names(model), (std::vector<std::string>{"h.jpg", "i.jpg", "a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}));
    TImgListItem* b = model.ImgItems().ItemById(idB);
    TImgListItem* d = model.ImgItems().ItemById(idD);
    ASSERT_TRUE(b && d);
    EXPECT_EQ(b->ThumbIndex, 5);  // unchanged: no second decode
    EXPECT_TRUE(b->Resolved);
    EXPECT_EQ(d->ThumbIndex, -1);  // changed: made again
    EXPECT_FALSE(d->Resolved);
    EXPECT_EQ(d->FileSize(), 20u);

    // A sort ends the user's order.
    model.SetSortType(TSortTypeEx::istSize);
    model.SetSortType(TSortTypeEx::istName);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "h.jpg", "i.jpg"}));
}

// A filter hides files for a while: the user's order and turns stay, hidden
// files come back to their place (after the file they followed), a file new
// meanwhile to its sorted place among them; a sort ends the order, another
// folder the turns, a file deleted its memory.
TEST_F(FolderModel, AFilterKeepsTheUsersOrderAndTurns) {
    for (const char* name : {"a.jpg", "b.bmp", "c.txt", "d.png", "e.txt"}) fixture_.File(name);
    fixture_.Folder("other");
    TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.DispTypes().SetFolders(false);
    const std::string all = "*.jpg;*.bmp;*.txt;*.png";
    const std::string noText = "*.jpg;*.bmp;*.png";
    model.DispTypes().SetExt(all);
    model.SetFolderPath(Root());
    TImgListItems& items = model.ImgItems();
    auto item = [&](const char* name) {
        for (int i = 0; i < items.Count(); ++i)
            if (ExtractFileName(items[i]->FullPath()) == name) return items[i];
        ADD_FAILURE() << name << " is not listed";
        return items[0];
    };
    auto turns = [&] {
        std::string text;
        for (int i = 0; i < items.Count(); ++i) text += std::to_string(items[i]->Turn);
        return text;
    };
    items.MoveItems({item("d.png")->Id()}, 0);
    item("a.jpg")->Turn = 1;
    item("c.txt")->Turn = 2;
    ASSERT_EQ(Names(model), (std::vector<std::string>{"d.png", "a.jpg", "b.bmp", "c.txt", "e.txt"}));

    struct TStep {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> names;
        std::string turns;
    };
    const TStep steps[] = {
        {"txt unticked", [&] { model.DispTypes().SetExt(noText); }, {"d.png", "a.jpg", "b.bmp"}, "010"},
        {"txt ticked", [&] { model.DispTypes().SetExt(all); }, {"d.png", "a.jpg", "b.bmp", "c.txt", "e.txt"}, "01020"},
        {"b moved first while txt is hidden",
         [&] {
             model.DispTypes().SetExt(noText);
             items.MoveItems({item("b.bmp")->Id()}, 0);
             fixture_.File("bb.txt");
             model.DispTypes().SetExt(all);
         },
         {"b.bmp", "bb.txt", "c.txt", "e.txt", "d.png", "a.jpg"},
         "002001"},
        {"a file deleted is forgotten",
         [&] {
             std::filesystem::remove(fixture_.PathOf("c.txt"));
             ASSERT_TRUE(model.Refresh());
             fixture_.File("c.txt");
             model.DispTypes().SetExt(noText);
             model.DispTypes().SetExt(all);
         },
         {"b.bmp", "bb.txt", "c.txt", "e.txt", "d.png", "a.jpg"},
         "000001"},
        {"a sort orders every file",
         [&] {
             model.DispTypes().SetExt(noText);
             model.SetSortType(TSortTypeEx::istSize);
             model.SetSortType(TSortTypeEx::istName);
             model.DispTypes().SetExt(all);
         },
         {"a.jpg", "b.bmp", "bb.txt", "c.txt", "d.png", "e.txt"},
         "100000"},
        {"another folder forgets the turns",
         [&] {
             model.SetFolderPath(NativePath(fixture_.PathOf("other")));
             model.SetFolderPath(Root());
         },
         {"a.jpg", "b.bmp", "bb.txt", "c.txt", "d.png", "e.txt"},
         "000000"},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(Names(model), step.names);
        EXPECT_EQ(turns(), step.turns);
    }
}

// A blank item belongs to the user's order: it keeps its place through
// refreshes and filters (a hidden file that followed it comes back after
// it); a sort, another folder or file mode ends it; taking it out of the
// list touches nothing on disk, and a filter does not bring it back.
TEST_F(FolderModel, BlankItemsKeepTheirPlacesAsTheUsersOrderDoes) {
    for (const char* name : {"a.jpg", "c.jpg", "e.txt"}) fixture_.File(name);
    fixture_.Folder("other");
    TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.DispTypes().SetFolders(false);
    const std::string all = "*.jpg;*.txt";
    model.DispTypes().SetExt(all);
    EXPECT_FALSE(model.CanInsertBlank());  // no folder shown yet
    EXPECT_EQ(model.InsertBlank(0), nullptr);
    model.SetFolderPath(Root());
    TImgListItems& items = model.ImgItems();
    // The rows, a blank one as "-".
    auto rows = [&] {
        std::string text;
        for (int i = 0; i < items.Count(); ++i) {
            if (i > 0) text += ' ';
            if (items[i]->IsBlank())
                text += '-';
            else
                text.append(ExtractFileName(items[i]->FullPath()));
        }
        return text;
    };
    auto idOf = [&](const char* name) {
        for (int i = 0; i < items.Count(); ++i)
            if (ExtractFileName(items[i]->FullPath()) == name) return items[i]->Id();
        ADD_FAILURE() << name << " is not listed";
        return -1;
    };
    auto blankIds = [&] {
        std::vector<int> ids;
        for (int i = 0; i < items.Count(); ++i)
            if (items[i]->IsBlank()) ids.push_back(items[i]->Id());
        return ids;
    };
    auto refilter = [&](const std::string& mask) { model.DispTypes().SetExt(mask); };

    struct TStep {
        const char* what;
        std::function<void()> act;
        std::string rows;
    };
    const TStep steps[] = {
        {"before a row", [&] { ASSERT_NE(model.InsertBlank(1), nullptr); }, "a.jpg - c.jpg e.txt"},
        {"past the last row: at the end", [&] { model.InsertBlank(99); }, "a.jpg - c.jpg e.txt -"},
        {"new files go to their places around them",
         [&] {
             fixture_.File("b.jpg");
             fixture_.File("d.jpg");
             EXPECT_TRUE(model.Refresh());
         },
         "a.jpg b.jpg - c.jpg d.jpg e.txt -"},
        {"a refresh that finds nothing new keeps them", [&] { EXPECT_FALSE(model.Refresh()); },
         "a.jpg b.jpg - c.jpg d.jpg e.txt -"},
        {"a file gone",
         [&] {
             std::filesystem::remove(fixture_.PathOf("c.jpg"));
             EXPECT_TRUE(model.Refresh());
         },
         "a.jpg b.jpg - d.jpg e.txt -"},
        {"moved after a blank", [&] { items.MoveItems({idOf("e.txt")}, 3); }, "a.jpg b.jpg - e.txt d.jpg -"},
        {"a filter hides a file", [&] { refilter("*.jpg"); }, "a.jpg b.jpg - d.jpg -"},
        {"and shows it again after the blank", [&] { refilter(all); }, "a.jpg b.jpg - e.txt d.jpg -"},
        {"only blanks leave",
         [&] {
             EXPECT_EQ(model.RemoveBlanks({blankIds().front(), idOf("a.jpg")}), 1);
         },
         "a.jpg b.jpg e.txt d.jpg -"},
        {"a filter does not bring a removed one back",
         [&] {
             refilter("*.jpg");
             refilter(all);
         },
         "a.jpg b.jpg e.txt d.jpg -"},
        {"a sort ends them",
         [&] {
             model.SetSortType(TSortTypeEx::istSize);
             model.SetSortType(TSortTypeEx::istName);
         },
         "a.jpg b.jpg d.jpg e.txt"},
        {"another folder ends them",
         [&] {
             model.InsertBlank(0);
             model.SetFolderPath(NativePath(fixture_.PathOf("other")));
             model.SetFolderPath(Root());
         },
         "a.jpg b.jpg d.jpg e.txt"},
        {"leaving the folder ends them",
         [&] {
             model.InsertBlank(0);
             model.LeaveFolder();
             EXPECT_EQ(items.Count(), 0);
             EXPECT_FALSE(model.CanInsertBlank());
             model.SetFolderPath(Root());
         },
         "a.jpg b.jpg d.jpg e.txt"},
        {"file mode ends them and takes none",
         [&] {
             model.InsertBlank(0);
             model.SetViewMode(TViewMode::ivmFile);
             EXPECT_EQ(items.Count(), 0);
             EXPECT_EQ(model.InsertBlank(0), nullptr);
             model.SetViewMode(TViewMode::ivmFolder);
         },
         "a.jpg b.jpg d.jpg e.txt"},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(rows(), step.rows);
    }
    for (const char* name : {"a.jpg", "b.jpg", "d.jpg", "e.txt"})
        EXPECT_TRUE(std::filesystem::exists(fixture_.PathOf(name)));
}

TEST_F(FolderModel, ARefreshOfASortedListKeepsItSorted) {
    for (const char* name : {"p2.jpg", "p4.jpg", "p6.jpg"}) fixture_.File(name);
    TImgListModel model;
    model.SetDescend(true);
    model.SetFolderPath(Root());
    for (const char* name : {"p1.jpg", "p3.jpg", "p5.jpg", "p10.jpg"}) fixture_.File(name);
    EXPECT_TRUE(model.Refresh());
    EXPECT_EQ(Names(model),
              (std::vector<std::string>{"p10.jpg", "p6.jpg", "p5.jpg", "p4.jpg", "p3.jpg", "p2.jpg", "p1.jpg"}));
}

TEST_F(FolderModel, AGoneFolderEmptiesTheListAndAFolderMadeAgainIsListedAgain) {
    for (const char* name : {"x.jpg", "y.jpg"}) fixture_.File(name);
    TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 2);
    std::filesystem::remove_all(fixture_.Root());
    EXPECT_TRUE(model.Refresh());
    EXPECT_EQ(model.ImgItems().Count(), 0);
    EXPECT_FALSE(model.FolderExists());
    std::filesystem::create_directories(fixture_.Root());
    fixture_.File("z.jpg");
    EXPECT_TRUE(model.FolderExists());
    EXPECT_TRUE(model.Refresh());
    EXPECT_EQ(Names(model), (std::vector<std::string>{"z.jpg"}));
}

TEST_F(FolderModel, EnteringTheSameFolderChangesNothing) {
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"}) fixture_.File(name);
    TImgListModel model;
    int changes = 0;
    model.OnChangeFolder = [&](TImgListModel&) { ++changes; };
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 4);
    EXPECT_EQ(changes, 1);
    TImgListItem* first = model.ImgItems()[0];
    const int firstId = first->Id();
    model.ImgItems().Move(0, 2);
    const auto moved = Names(model);
    model.SetFolderPath(Root());
    model.SetFolderPath(Root() + NativeName(kSeparator));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Names(model), moved);
    EXPECT_EQ(model.ImgItems()[2], first);
    EXPECT_EQ(model.ImgItems()[2]->Id(), firstId);
    EXPECT_EQ(model.ImgItems().ItemById(firstId), first);
}

TEST_F(FolderModel, PathsThatNameNoFolderChangeNothingOrEmptyTheList) {
    fixture_.File("a.jpg");
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 1);

    // A path that does not exist: everything stays.
    model.SetFolderPath(NativePath(fixture_.Root() / "missing"));
    model.SetFolderPath("");
    EXPECT_EQ(model.FolderPath(), Root());
    EXPECT_EQ(model.ImgItems().Count(), 1);

    // A file: it parses but is no folder. The list is emptied and the
    // current folder stays.
    model.SetFolderPath(NativePath(fixture_.PathOf("a.jpg")));
    EXPECT_EQ(model.FolderPath(), Root());
    EXPECT_EQ(model.ImgItems().Count(), 0);
    model.Rebuild();
    EXPECT_EQ(model.ImgItems().Count(), 1);
}

TEST_F(FolderModel, LeavingTheFolderListsNothingUntilAnotherIsEntered) {
    fixture_.File("a.jpg");
    TImgListModel model;
    model.SetFolderPath(Root());
    model.LeaveFolder();
    EXPECT_EQ(model.FolderPath(), "");
    EXPECT_EQ(model.ImgItems().Count(), 0);
    model.Rebuild();
    EXPECT_EQ(model.ImgItems().Count(), 0);
    model.SetFolderPath(Root());
    EXPECT_EQ(NameSet(model), std::set<std::string>{"a.jpg"});
}

// Five nested folders of 55 characters: a path far past the old limit of
// 260 characters, listed and named in its long form. The tree is removed
// one level at a time (the library's recursive removal stops at the old
// limit on Windows), before and after.
TEST_F(FolderModel, AFolderPastTheOldPathLimitIsListed) {
    const std::filesystem::path top = test::TestOutputDir() / "imagelist" / "long-path";
    std::filesystem::path deep = top;
    for (const char c : {'a', 'b', 'c', 'd', 'e'}) deep /= std::string(55, c);
    const auto removeTree = [&] {
        std::error_code ec;
        std::filesystem::remove(deep / "x.jpg", ec);
        for (std::filesystem::path level = deep; level != top; level = level.parent_path())
            std::filesystem::remove(level, ec);
    };
    removeTree();
    std::filesystem::create_directories(deep);
    std::ofstream(deep / "x.jpg") << "x";
    ASSERT_GT(NativePath(deep).size(), 300u);
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.SetFolderPath(NativePath(deep));
    EXPECT_EQ(model.FolderPath(), NativePath(deep));
    EXPECT_EQ(Names(model), std::vector<std::string>{"x.jpg"});
    removeTree();
}

TEST_F(FolderModel, JapaneseNamesKeepTheirBytes) {
    fixture_.File("写真１.jpg", 10);
    fixture_.Folder("フォルダ");
    fixture_.File("フォルダ/表.txt", 10);  // 表 ends in the byte of "\" in code page 932
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.DispTypes().SetExt("*.jpg;*.txt");
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 1);
    TImgListItem* item = model.ImgItems()[0];
    EXPECT_EQ(item->FullPath(), NativePath(fixture_.PathOf("写真１.jpg")));
    EXPECT_EQ(std::string(ExtractFileName(item->FullPath())), NativeName("写真１.jpg"));
    EXPECT_EQ(item->SizeText(), "1KB");

    model.SetFolderPath(NativePath(fixture_.PathOf("フォルダ")));
    EXPECT_EQ(model.FolderPath(), NativePath(fixture_.PathOf("フォルダ")));
    ASSERT_EQ(model.ImgItems().Count(), 1);
    EXPECT_EQ(std::string(ExtractFileName(model.ImgItems()[0]->FullPath())), NativeName("表.txt"));
    EXPECT_EQ(model.ImgItems()[0]->ImageType(), TImageType::iitTxt);
}

TEST_F(FolderModel, AFileThatVanishesAfterListingDoesNoHarm) {
    fixture_.File("gone.jpg", 2000);
    fixture_.File("kept.jpg", 2000);
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 2);
    std::filesystem::remove(fixture_.PathOf("gone.jpg"));
    for (int i = 0; i < 2; ++i) {
        TImgListItem* item = model.ImgItems()[i];
        item->DisplayName();
        item->SizeText();
        item->DateText();
        item->TypeName();
        item->IconIndex();
        item->ImageType();
    }
    model.SetSortType(TSortTypeEx::istDate);
    model.SetSortType(TSortTypeEx::istSize);
    EXPECT_EQ(model.ImgItems().Count(), 2);
    model.Rebuild();
    EXPECT_EQ(Names(model), (std::vector<std::string>{"kept.jpg"}));
}

TEST_F(FolderModel, FileModeListsAddedFilesByName) {
    fixture_.File("b.jpg");
    fixture_.File("a.jpg");
    fixture_.File("C.jpg");
    TImgListModel model;
    model.SetViewMode(TViewMode::ivmFile);
    model.SetFolderPath(Root());  // ignored in file mode
    EXPECT_EQ(model.FolderPath(), "");
    EXPECT_EQ(model.ImgItems().Count(), 0);
    for (const char* name : {"b.jpg", "a.jpg", "C.jpg", "missing.jpg"})
        model.AddFile(NativePath(fixture_.PathOf(name)));
    model.AddFile("");
    ASSERT_EQ(model.ImgItems().Count(), 4);
    TImgListItem* a = model.ImgItems()[1];
    EXPECT_EQ(a->FullPath(), NativePath(fixture_.PathOf("a.jpg")));
    EXPECT_FALSE(a->ParentIdList().Absent());
    EXPECT_EQ(a->DisplayName(), "a.jpg");
    EXPECT_EQ(a->SizeText(), "1KB");
    model.Sort();
    // Byte order, case-sensitive; the empty item first.
    EXPECT_TRUE(model.ImgItems()[0]->IdList().Absent());
    EXPECT_EQ(model.ImgItems()[1]->DisplayName(), "C.jpg");
    EXPECT_EQ(model.ImgItems()[2]->DisplayName(), "a.jpg");
    EXPECT_EQ(model.ImgItems()[3]->DisplayName(), "b.jpg");
    model.SetDescend(true);
    EXPECT_EQ(model.ImgItems()[0]->DisplayName(), "b.jpg");
    EXPECT_TRUE(model.ImgItems()[3]->IdList().Absent());
}

}  // namespace
}  // namespace pim

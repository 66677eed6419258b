// The folder model over the platform's own shell: what both sides promise.
// Built into the native suite and into the Windows suite (run under Wine).
#include <gtest/gtest.h>

#include <algorithm>
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

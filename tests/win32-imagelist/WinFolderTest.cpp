// The folder model over the Windows shell: hidden attributes, shortcuts,
// renaming through the shell, the desktop, and the shell's own name order.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imagelist/ImgListModel.h"
#include "tests/imagelist/FolderFixture.h"

namespace pim {
namespace {

using test::NativePath;
using test::TFolderFixture;

class WinFolder : public ::testing::Test {
protected:
    WinFolder()
        : fixture_(test::TestOutputDir() / "imagelist",
                   std::string("win-") + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    ~WinFolder() override { CoUninitialize(); }

    static std::vector<std::string> Names(TImgListModel& model) {
        std::vector<std::string> names;
        for (int i = 0; i < model.ImgItems().Count(); ++i)
            names.emplace_back(ExtractFileName(model.ImgItems()[i]->FullPath()));
        return names;
    }

    std::string Root() const { return NativePath(fixture_.Root()); }
    std::string PathOf(const char* name) const { return NativePath(fixture_.PathOf(name)); }

    // A shortcut file at link pointing at target.
    static bool MakeShortcut(const std::string& link, const std::string& target) {
        IShellLinkA* shellLink = nullptr;
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&shellLink))))
            return false;
        IPersistFile* file = nullptr;
        bool ok = SUCCEEDED(shellLink->SetPath(target.c_str())) &&
                  SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
        if (ok) {
            const std::u16string wide = Utf8ToUtf16(link);
            ok = SUCCEEDED(file->Save(reinterpret_cast<LPCOLESTR>(wide.c_str()), TRUE));
            file->Release();
        }
        shellLink->Release();
        return ok;
    }

    TFolderFixture fixture_;
};

TEST_F(WinFolder, HiddenAttributeDecidesWhatIsHidden) {
    fixture_.File("shown.jpg");
    fixture_.File("secret.jpg");
    fixture_.File(".dot.jpg");
    ASSERT_TRUE(SetFileAttributesA(PathOf("secret.jpg").c_str(), FILE_ATTRIBUTE_HIDDEN));
    TImgListModel model;
    model.DispTypes().SetExt("*.jpg");
    model.SetFolderPath(Root());
    EXPECT_EQ(model.ImgItems().Count(), 3);
    model.DispTypes().SetHidden(false);
    // Wine also counts a Unix dot file as hidden; Windows does not.
    std::vector<std::string> names = Names(model);
    EXPECT_EQ(std::count(names.begin(), names.end(), "shown.jpg"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "secret.jpg"), 0);
}

// The order is the program's own, not the shell folder's column comparison
// (Wine's orders every column by the name, compared without regard to case):
// folders first, then the key, then the name.
TEST_F(WinFolder, EachColumnIsTheProgramsOwnOrder) {
    fixture_.File("photo10.jpg", 3000);
    fixture_.File("Photo2.jpg", 100);
    fixture_.File("photo1.txt", 2000);
    fixture_.File("a.bmp", 5000);
    fixture_.Folder("zeta");
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 5);
    model.SetSortType(TSortTypeEx::istSize);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"zeta", "Photo2.jpg", "photo1.txt", "photo10.jpg", "a.bmp"}));
    model.SetDescend(true);
    EXPECT_EQ(Names(model), (std::vector<std::string>{"a.bmp", "photo10.jpg", "photo1.txt", "Photo2.jpg", "zeta"}));
    model.SetSortType(TSortTypeEx::istName);
    model.SetDescend(false);
    const std::vector<std::string> byName = Names(model);
    EXPECT_EQ(std::count(byName.begin(), byName.end(), "zeta"), 1);
}

// Under Wine a Linux user may name a folder as Linux does; its sub-folders
// are listed too (the shell itself cannot parse such a path).
TEST_F(WinFolder, AFolderNamedAsLinuxNamesItIsEntered) {
    fixture_.Folder("第1話");
    fixture_.File("a.jpg");
    std::string unixPath = Root();  // Z:\... as Wine maps the Unix root
    ASSERT_EQ(unixPath.substr(0, 2), "Z:");
    unixPath.erase(0, 2);
    for (char& c : unixPath)
        if (c == '\\') c = '/';
    TImgListModel model;
    model.SetFolderPath(unixPath);
    EXPECT_EQ(model.FolderPath(), Root());
    EXPECT_EQ(Names(model), (std::vector<std::string>{"第1話", "a.jpg"}));
}

TEST_F(WinFolder, AShortcutToAFolderIsFollowed) {
    fixture_.Folder("target");
    fixture_.File("target/inside.jpg");
    ASSERT_TRUE(MakeShortcut(PathOf("go.lnk"), PathOf("target")));
    TImgListModel model;
    model.DispTypes().SetFolders(false);
    model.SetFolderPath(Root());
    ASSERT_EQ(Names(model), std::vector<std::string>{"go.lnk"});
    TImgListItem* link = model.ImgItems()[0];
    EXPECT_TRUE(link->HasAttributes(sfgaoLink));
    EXPECT_EQ(link->OverlayIndex, 1);
    link->OpenItem();
    EXPECT_EQ(model.FolderPath(), PathOf("target"));
    EXPECT_EQ(Names(model), std::vector<std::string>{"inside.jpg"});
}

TEST_F(WinFolder, RenameGoesThroughTheShell) {
    fixture_.File("a.jpg", 10);
    fixture_.File("b.jpg", 2000);
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 2);
    TImgListItem* a = model.ImgItems()[0];
    ASSERT_EQ(ExtractFileName(a->FullPath()), "a.jpg");
    EXPECT_FALSE(a->Rename("b.jpg"));
    EXPECT_EQ(std::filesystem::file_size(fixture_.PathOf("b.jpg")), 2000u);
    EXPECT_TRUE(a->Rename("c.jpg"));
    EXPECT_EQ(a->FullPath(), PathOf("c.jpg"));
    EXPECT_TRUE(std::filesystem::exists(fixture_.PathOf("c.jpg")));
    EXPECT_FALSE(std::filesystem::exists(fixture_.PathOf("a.jpg")));
}

TEST_F(WinFolder, DetailsComeFromTheShell) {
    fixture_.File("note.txt", 3000);
    TImgListModel model;
    model.SetFolderPath(Root());
    ASSERT_EQ(model.ImgItems().Count(), 1);
    TImgListItem* item = model.ImgItems()[0];
    EXPECT_EQ(item->SizeText(), "3KB");
    EXPECT_EQ(item->Size(), 3000u);
    EXPECT_FALSE(item->TypeName().empty());
    EXPECT_GE(item->IconIndex(), 0);
    EXPECT_FALSE(item->Attributes() & faDirectory);
    EXPECT_EQ(item->DisplayName().substr(0, 4), "note");
}

TEST_F(WinFolder, TheDesktopIsShownByItsName) {
    TImgListModel model;
    model.ChangeCurrentDirectory = false;
    model.EnterDesktop();
    EXPECT_TRUE(model.FolderIdList().IsDesktop());
    EXPECT_FALSE(model.FolderPath().empty());
    model.SetFolderPath(Root());
    EXPECT_EQ(model.FolderPath(), Root());
    model.EnterDesktop();
    EXPECT_TRUE(model.FolderIdList().IsDesktop());
}

}  // namespace
}  // namespace pim

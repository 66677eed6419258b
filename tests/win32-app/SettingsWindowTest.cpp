// Settings snapshots of the real controls, kept in the registry: a check box
// and a labelled edit read back into the same controls, a failed read keeps
// the old control with its names, and a store that cannot be made reports
// through the application's error box.
#include "AppFixture.h"
#include "settings/RegMng.h"

namespace pim::test {
namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::Application().OnError = [this](const std::string& m) { errors.push_back(m); };
        manager.SetRegType(TRegType::rtReg);
        manager.SetRegDir("Software\\PimTests\\Window");
        for (const char* name : {"Box", "Edit"}) {
            TRegItem& item = manager.RegItems().Add();
            item.Name = name;
            item.Section = "Controls";
            item.Ident = name;
        }
    }
    void TearDown() override { ui::Application().OnError = nullptr; }

    ui::TForm form{{.Caption = "settings", .ClientWidth = 300, .ClientHeight = 120}};
    TRegManager manager;
    std::vector<std::string> errors;
};

TEST_F(SettingsWindowTest, ACheckBoxAndALabelledEditReadBackIntoTheSameControls) {
    ui::TCheckBox box({.Parent = &form, .Bounds = {8, 8, 120, 20}, .Caption = Ansi("グレイスケール"), .Checked = true});
    box.Name = "CheckBox2";
    ui::TLabeledEdit edit({.Parent = &form,
                           .Bounds = {90, 40, 150, 20},
                           .LabelCaption = Ansi("タイトル"),
                           .LabelPosition = ui::TLabelPosition::lpLeft,
                           .Text = Ansi("表題")});
    edit.Name = "LabeledEdit1";
    edit.EditLabel().Name = "LabeledEdit1Label";
    manager.Filer("Box").WriteComponent(box);
    manager.Filer("Edit").WriteComponent(edit);

    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.SetChecked(false);
    box.SetText("changed");
    box.SetBounds({30, 8, 120, 20});
    edit.SetText("");
    edit.SetLabelPosition(ui::TLabelPosition::lpRight);
    edit.EditLabel().SetText("x");
    manager.Filer("Box").ReadComponent(box);
    manager.Filer("Edit").ReadComponent(edit);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(clicks, 2);  // unticked, then ticked again by the snapshot
    EXPECT_EQ(TextOf(box.Handle()), Ansi("グレイスケール"));
    EXPECT_EQ(RectInParent(box.Handle()).left, 8);
    EXPECT_EQ(TextOf(edit.Handle()), Ansi("表題"));
    EXPECT_EQ(edit.LabelPosition(), ui::TLabelPosition::lpLeft);
    EXPECT_EQ(TextOf(edit.EditLabel().Handle()), Ansi("タイトル"));
    EXPECT_EQ(RectInParent(edit.EditLabel().Handle()).right, 90 - 3);
    EXPECT_EQ(box.Name, "CheckBox2");
    EXPECT_EQ(edit.EditLabel().Name, "LabeledEdit1Label");
}

TEST_F(SettingsWindowTest, AFailedReadKeepsTheOldControlWithItsNames) {
    ui::TCheckBox box({.Parent = &form, .Bounds = {8, 8, 120, 20}, .Caption = "box"});
    box.Name = "CheckBox1";
    ui::TLabeledEdit edit({.Parent = &form, .Bounds = {90, 40, 150, 20}, .LabelCaption = "label", .Text = "old"});
    edit.Name = "LabeledEdit1";
    manager.Filer("Box").WriteComponent(box);
    // A check box's snapshot does not fit a labelled edit.
    EXPECT_ANY_THROW(manager.Filer("Box").ReadComponent(edit));
    EXPECT_EQ(TextOf(edit.Handle()), "old");
    EXPECT_EQ(edit.Name, "LabeledEdit1");
    // Two windows of one form cannot share a name.
    EXPECT_ANY_THROW(edit.SetPersistentName("CheckBox1"));
    EXPECT_EQ(edit.Name, "LabeledEdit1");
}

TEST_F(SettingsWindowTest, AStoreWithoutANameReportsThroughTheErrorBox) {
    manager.SetRegDir("");
    EXPECT_EQ(manager.Filer("Box").ReadString(), "");
    EXPECT_EQ(errors, std::vector<std::string>{"can not create Registry object."});
}

}  // namespace
}  // namespace pim::test

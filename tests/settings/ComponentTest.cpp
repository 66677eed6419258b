// Component snapshots through the filer, with stand-ins for a check box and a
// labelled edit (whose label is a component inside it).
#include <gtest/gtest.h>

#include <algorithm>

#include "base/CodePage.h"
#include "settings/HStreamUtils.h"
#include "tests/settings/SettingsEnv.h"
#include "tests/support/TestTools.h"

namespace pim::test {
namespace {

// Keeps the names of its components unique, as a form does.
struct TOwner {
    std::vector<const TPersistentComponent*> components;
};

class TStandIn : public TPersistentComponent {
public:
    TStandIn(TOwner& owner, std::string className, std::string name)
        : owner_(owner), className_(std::move(className)), name_(std::move(name)) {
        owner_.components.push_back(this);
    }
    std::string PersistentClassName() const override { return className_; }
    std::string PersistentName() const override { return name_; }
    void SetPersistentName(const std::string& name) override {
        const auto& all = owner_.components;
        if (!name.empty() && std::any_of(all.begin(), all.end(), [&](auto* c) { return c != this && c->PersistentName() == name; }))
            throw Exception("A component named " + name + " already exists");
        name_ = name;
    }
    TPersistentProperties PublishedProperties() override { return TPersistentProperties(); }
    bool form = false;
    bool IsForm() const override { return form; }

private:
    TOwner& owner_;
    std::string className_;
    std::string name_;
};

class TCheckBoxStandIn : public TStandIn {
public:
    TCheckBoxStandIn(TOwner& owner, std::string name) : TStandIn(owner, "TCheckBox", std::move(name)) {}
    std::string caption;
    bool checked = false;
    int left = 0;

    TPersistentProperties PublishedProperties() override {
        return TPersistentProperties()
            .String("Caption", [this] { return caption; }, [this](const std::string& v) { caption = v; })
            .Boolean("Checked", [this] { return checked; }, [this](bool v) { checked = v; })
            .Integer("Left", [this] { return left; }, [this](int v) { left = v; });
    }
};

class TLabeledEditStandIn : public TStandIn {
public:
    TLabeledEditStandIn(TOwner& owner, std::string name)
        : TStandIn(owner, "TLabeledEdit", name), label(owner, "TBoundLabel", name + "Label") {}
    TStandIn label;
    std::string text;
    std::string labelCaption;
    std::string labelPosition = "lpAbove";
    bool refuseLeft = false;  // makes the last setter fail

    TPersistentProperties PublishedProperties() override {
        return TPersistentProperties()
            .String("Text", [this] { return text; }, [this](const std::string& v) { text = v; })
            .String("EditLabel.Caption", [this] { return labelCaption; }, [this](const std::string& v) { labelCaption = v; })
            .String("LabelPosition", [this] { return labelPosition; },
                    [this](const std::string& v) {
                        if (refuseLeft && v == "lpLeft") throw Exception("Invalid property value");
                        labelPosition = v;
                    });
    }
    std::vector<TPersistentComponent*> PersistentChildren() override { return {&label}; }
};

TEST_P(StoreTest, CheckBoxSnapshotReadsBack) {
    TOwner form;
    TCheckBoxStandIn box(form, "CheckBox6");
    box.caption = Utf8ToAnsi("グレイスケール");
    box.checked = true;
    box.left = -12;
    Item("Box").WriteComponent(box);

    box.caption = "changed";
    box.checked = false;
    box.left = 3;
    box.SetPersistentName("Renamed");
    Item("Box").ReadComponent(box);
    EXPECT_EQ(box.caption, Utf8ToAnsi("グレイスケール"));
    EXPECT_TRUE(box.checked);
    EXPECT_EQ(box.left, -12);
    EXPECT_EQ(box.PersistentName(), "CheckBox6");

    // Nothing stored: the control stays as it is.
    box.left = 7;
    Item("Nothing").ReadComponent(box);
    EXPECT_EQ(box.left, 7);
}

TEST_P(StoreTest, LabeledEditSnapshotReadsBack) {
    TOwner form;
    TLabeledEditStandIn edit(form, "LabeledEdit6");
    edit.text = Utf8ToAnsi("表題");
    edit.labelCaption = Utf8ToAnsi("タイトル");
    edit.labelPosition = "lpLeft";
    Item("Edit").WriteComponent(edit);

    edit.text.clear();
    edit.labelCaption.clear();
    edit.labelPosition = "lpAbove";
    // The stored names are free again once the old ones are taken away.
    edit.SetPersistentName("Other");
    edit.label.SetPersistentName("LabeledEdit6");
    Item("Edit").ReadComponent(edit);
    EXPECT_EQ(edit.text, Utf8ToAnsi("表題"));
    EXPECT_EQ(edit.labelCaption, Utf8ToAnsi("タイトル"));
    EXPECT_EQ(edit.labelPosition, "lpLeft");
    EXPECT_EQ(edit.PersistentName(), "LabeledEdit6");
    EXPECT_EQ(edit.label.PersistentName(), "LabeledEdit6Label");
}

TEST_P(StoreTest, FailedReadKeepsTheOldControl) {
    TOwner form;
    TLabeledEditStandIn edit(form, "LabeledEdit1");
    TCheckBoxStandIn box(form, "CheckBox1");
    edit.text = "stored";
    edit.labelPosition = "lpLeft";
    Item("Edit").WriteComponent(edit);
    Item("Box").WriteComponent(box);

    auto expectOld = [&](const char* what) {
        EXPECT_EQ(edit.text, "old") << what;
        EXPECT_EQ(edit.labelPosition, "lpAbove") << what;
        EXPECT_EQ(edit.PersistentName(), "LabeledEdit1") << what;
        EXPECT_EQ(edit.label.PersistentName(), "LabeledEdit1Label") << what;
    };
    edit.text = "old";
    edit.labelPosition = "lpAbove";
    edit.refuseLeft = true;  // "Text" is set, then "LabelPosition" fails
    EXPECT_EQ(MessageOf([&] { Item("Edit").ReadComponent(edit); }), "Invalid property value");
    expectOld("setter refused");

    edit.refuseLeft = false;
    EXPECT_THROW(Item("Box").ReadComponent(edit), EReadError);
    expectOld("other class");

    TMemoryStream damaged;
    damaged.Write("PSC1\x09TLabeled");
    Item("Damaged").WriteStream(damaged);
    EXPECT_EQ(MessageOf([&] { Item("Damaged").ReadComponent(edit); }), "Invalid stream format");
    expectOld("damaged");

    // A stored name another component of the form now has.
    box.SetPersistentName("X");
    edit.SetPersistentName("Y");
    box.SetPersistentName("LabeledEdit1");
    EXPECT_EQ(MessageOf([&] { Item("Edit").ReadComponent(edit); }), "A component named LabeledEdit1 already exists");
    EXPECT_EQ(edit.text, "old");
    EXPECT_EQ(edit.PersistentName(), "Y");
    EXPECT_EQ(edit.label.PersistentName(), "LabeledEdit1Label");
}

TEST_P(StoreTest, WholeFormIsNotStored) {
    TOwner owner;
    TCheckBoxStandIn form(owner, "Form1");
    form.form = true;
    Item("Form").WriteComponent(form);
    TMemoryStream stored;
    Item("Form").ReadStream(stored);
    EXPECT_EQ(stored.Size(), 0);
}

}  // namespace
}  // namespace pim::test

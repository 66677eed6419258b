#include "report/Controls.h"

#include <gtest/gtest.h>

namespace pim {
namespace {

TEST(Component, OwnerFreesWhatItCreatedAndFindsByName) {
    TComponent form;
    auto* a = form.CreateComponent<TWinControl>("Panel1");
    auto* b = form.CreateComponent<TControl>("Item1");
    b->SetParent(a);
    EXPECT_EQ(form.ComponentCount(), 2);
    EXPECT_EQ(form.FindComponent("Item1"), b);
    EXPECT_EQ(form.FindComponent("nothing"), nullptr);
    EXPECT_EQ(b->Owner(), &form);
    EXPECT_STREQ(a->ClassName(), "TWinControl");
    // Destroying the form frees both in reverse order; ASan checks that the
    // parent link of the item is not followed after the panel is gone.
}

TEST(Control, ChildrenKeepPlacementOrderAndUnlinkOnEitherSideDying) {
    TWinControl parent;
    auto first = std::make_unique<TControl>();
    auto second = std::make_unique<TControl>();
    first->SetParent(&parent);
    second->SetParent(&parent);
    ASSERT_EQ(parent.ControlCount(), 2);
    EXPECT_EQ(parent.Controls(0), first.get());
    EXPECT_EQ(parent.Controls(1), second.get());

    first.reset();
    ASSERT_EQ(parent.ControlCount(), 1);
    EXPECT_EQ(parent.Controls(0), second.get());

    second->SetParent(nullptr);
    EXPECT_EQ(parent.ControlCount(), 0);
    second->SetParent(&parent);
    {
        TWinControl other;
        second->SetParent(&other);
        EXPECT_EQ(parent.ControlCount(), 0);
    }
    EXPECT_EQ(second->Parent(), nullptr);  // the dead parent let go of it
}

TEST(Control, AlignmentStacksEdgesThenFillsTheRest) {
    TWinControl parent;
    parent.SetBounds(0, 0, 200, 100);
    TControl top, bottom, left, right, client, plain;
    top.SetHeight(10);
    bottom.SetHeight(20);
    left.SetWidth(30);
    right.SetWidth(40);
    plain.SetBounds(5, 6, 7, 8);
    for (TControl* c : {&client, &right, &left, &bottom, &top, &plain}) c->SetParent(&parent);
    top.SetAlign(TAlign::alTop);
    bottom.SetAlign(TAlign::alBottom);
    left.SetAlign(TAlign::alLeft);
    right.SetAlign(TAlign::alRight);
    client.SetAlign(TAlign::alClient);

    EXPECT_EQ(top.BoundsRect(), Rect(0, 0, 200, 10));
    EXPECT_EQ(bottom.BoundsRect(), Rect(0, 80, 200, 100));
    EXPECT_EQ(left.BoundsRect(), Rect(0, 10, 30, 80));
    EXPECT_EQ(right.BoundsRect(), Rect(160, 10, 200, 80));
    EXPECT_EQ(client.BoundsRect(), Rect(30, 10, 160, 80));
    EXPECT_EQ(plain.BoundsRect(), Rect(5, 6, 12, 14));  // not aligned: untouched

    // Resizing the parent lays the children out again.
    parent.SetBounds(0, 0, 100, 50);
    EXPECT_EQ(client.BoundsRect(), Rect(30, 10, 60, 30));
    // A hidden control gives its room to the others.
    top.SetVisible(false);
    EXPECT_EQ(client.BoundsRect(), Rect(30, 0, 60, 30));
    // Two top-aligned controls stack in the order of their positions.
    TControl second;
    second.SetBounds(0, 99, 10, 5);
    second.SetParent(&parent);
    second.SetAlign(TAlign::alTop);
    top.SetVisible(true);
    EXPECT_EQ(top.BoundsRect(), Rect(0, 0, 100, 10));
    EXPECT_EQ(second.BoundsRect(), Rect(0, 10, 100, 15));
}

TEST(Control, NestedClientControlsFollowTheOuterSize) {
    TWinControl outer;
    TWinControl inner;
    TControl leaf;
    inner.SetParent(&outer);
    leaf.SetParent(&inner);
    inner.SetAlign(TAlign::alClient);
    leaf.SetAlign(TAlign::alClient);
    outer.SetBounds(0, 0, 70, 30);
    EXPECT_EQ(leaf.BoundsRect(), Rect(0, 0, 70, 30));
}

}  // namespace
}  // namespace pim

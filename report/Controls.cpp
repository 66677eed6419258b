#include "report/Controls.h"

#include <algorithm>

namespace pim {

// ---- TComponent -------------------------------------------------------------

TComponent::~TComponent() {
    while (!components_.empty()) components_.pop_back();
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (const auto& c : components_)
        if (!name.empty() && c->Name() == name) return c.get();
    return nullptr;
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> component, std::string name) {
    component->owner_ = this;
    component->name_ = std::move(name);
    components_.push_back(std::move(component));
}

// ---- TControl ---------------------------------------------------------------

TControl::~TControl() {
    if (parent_) {
        TWinControl* parent = parent_;
        parent->RemoveControl(this);
        if (align_ != TAlign::alNone) parent->Realign();
    }
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    TWinControl* target = ResolveParent(parent);
    if (target == parent_) return;
    if (parent_) {
        TWinControl* old = parent_;
        old->RemoveControl(this);
        if (align_ != TAlign::alNone) old->Realign();
    }
    if (target) target->InsertControl(this);
    RequestParentAlign();
}

bool TControl::ChangeBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return false;
    const bool resized = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (resized) Resized();
    return true;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (ChangeBounds(left, top, width, height)) RequestParentAlign();
}

void TControl::SetBoundsFromAlign(int left, int top, int width, int height) {
    ChangeBounds(left, top, std::max(width, 0), std::max(height, 0));
}

void TControl::SetAlign(TAlign value) {
    if (value == align_) return;
    const bool wasAligned = align_ != TAlign::alNone;
    align_ = value;
    if (parent_ && (wasAligned || value != TAlign::alNone)) parent_->Realign();
}

void TControl::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    RequestParentAlign();
}

void TControl::RequestParentAlign() {
    if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

// ---- TWinControl ------------------------------------------------------------

TWinControl::~TWinControl() {
    for (TControl* c : controls_) c->parent_ = nullptr;
    controls_.clear();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
}

void TWinControl::RemoveControl(TControl* control) {
    std::erase(controls_, control);
    control->parent_ = nullptr;
}

void TWinControl::Realign() {
    if (aligning_) return;
    aligning_ = true;
    TRect rect = AlignRect();
    for (TAlign a : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        AlignControls(a, rect);
    aligning_ = false;
}

// Controls sharing one alignment are stacked in the order of their current
// position (the one nearest the edge first), ties in child-index order.
void TWinControl::AlignControls(TAlign which, TRect& rect) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
        if (c->align_ == which && c->visible_) list.push_back(c);
    auto key = [which](const TControl* c) {
        switch (which) {
            case TAlign::alTop: return c->top_;
            case TAlign::alBottom: return -(c->top_ + c->height_);
            case TAlign::alLeft: return c->left_;
            case TAlign::alRight: return -(c->left_ + c->width_);
            default: return 0;
        }
    };
    std::stable_sort(list.begin(), list.end(),
                     [&](const TControl* a, const TControl* b) { return key(a) < key(b); });
    for (TControl* c : list) {
        switch (which) {
            case TAlign::alTop:
                c->SetBoundsFromAlign(rect.Left, rect.Top, rect.Width(), c->height_);
                rect.Top += c->height_;
                break;
            case TAlign::alBottom:
                rect.Bottom -= c->height_;
                c->SetBoundsFromAlign(rect.Left, rect.Bottom, rect.Width(), c->height_);
                break;
            case TAlign::alLeft:
                c->SetBoundsFromAlign(rect.Left, rect.Top, c->width_, rect.Height());
                rect.Left += c->width_;
                break;
            case TAlign::alRight:
                rect.Right -= c->width_;
                c->SetBoundsFromAlign(rect.Right, rect.Top, c->width_, rect.Height());
                break;
            case TAlign::alClient:
                c->SetBoundsFromAlign(rect.Left, rect.Top, rect.Width(), rect.Height());
                break;
            case TAlign::alNone:
                break;
        }
    }
}

}  // namespace pim
